// The print preview window: toolbar, page display and navigation, zoom modes, painting.
// With KORVANDEL_SHOTS set to a folder, the equipment list's preview is also saved there as
// preview-fit.png and preview-100.png, and its first page as page1.emf.
#include "controls/Fonts.h"
#include "db/DataSet.h"
#include "report/Print.h"
#include "report/QRCustomPreview.h"
#include "report/QRError.h"
#include "report/QRPreview.h"
#include "report/QRPrinter.h"
#include "report/QRStandardPreview.h"
#include "report_support.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

using namespace report;
using namespace reporttest;

namespace {

// Records n red pages.
void recordPages(TQRPrinter &store, int n) {
    reporttest::recordPages(store, n, [&store](int) {
        store.Canvas().setBrush(0x000000FF);
        store.Canvas().fillRect(QRect(0, 0, store.PageWidth(), store.PageHeight()));
    });
}

} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TQRPrinter *store = nullptr;

private slots:
    void initTestCase() {
        controls::installFontSubstitutes();
        store = CreateQRPrinter(qApp);
        store->ShowProgress = false;
    }
    void init() {
        store->ClearPages();
        store->SetPrinter(pdfPrinter(dir.filePath(QStringLiteral("p.pdf")), 8.5, 11));
    }

    void toolbarLayout_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("hint");
        QTest::newRow("fit") << "fit" << QRect(15, 2, 28, 28) << "Fit in Window";
        QTest::newRow("100") << "100" << QRect(43, 2, 28, 28) << "100%";
        QTest::newRow("width") << "width" << QRect(71, 2, 28, 28) << "Page Width";
        QTest::newRow("first") << "first" << QRect(109, 2, 28, 28) << "First page";
        QTest::newRow("prev") << "prev" << QRect(137, 2, 28, 28) << "Previous page";
        QTest::newRow("display") << "display" << QRect(165, 2, 110, 28) << "";
        QTest::newRow("next") << "next" << QRect(275, 2, 28, 28) << "Next page";
        QTest::newRow("last") << "last" << QRect(303, 2, 28, 28) << "Last page";
        QTest::newRow("print") << "print" << QRect(331, 2, 36, 28) << "Print report";
        QTest::newRow("save") << "save" << QRect(367, 2, 36, 28) << "Save report";
        QTest::newRow("load") << "load" << QRect(403, 2, 36, 28) << "Load report";
        QTest::newRow("exit") << "exit" << QRect(439, 2, 60, 28) << "";
    }
    void toolbarLayout() {
        QFETCH(QString, control);
        QFETCH(QRect, geometry);
        QFETCH(QString, hint);
        recordPages(*store, 1);
        TQRStandardPreview preview(store);
        const QMap<QString, QWidget *> controls{
            {"fit", preview.ZoomFitButton()},     {"100", preview.Zoom100Button()},
            {"width", preview.ZoomWidthButton()}, {"first", preview.FirstButton()},
            {"prev", preview.PrevButton()},       {"display", preview.PageDisplay()},
            {"next", preview.NextButton()},       {"last", preview.LastButton()},
            {"print", preview.PrintButton()},     {"save", preview.SaveButton()},
            {"load", preview.LoadButton()},       {"exit", preview.ExitButton()}};
        QWidget *w = controls.value(control);
        QVERIFY(w);
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(w->toolTip(), hint);
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && control != "exit")
            QVERIFY2(!b->icon().isNull(), "glyph missing");
        QCOMPARE(preview.Window()->windowTitle(), QStringLiteral("Report engine version 1.0d"));
        QVERIFY(preview.Window()->windowState() & Qt::WindowMaximized);
        QCOMPARE(preview.ExitButton()->text(), QStringLiteral("&Exit"));
        QCOMPARE(preview.ZoomFitButton()->focusPolicy(), Qt::NoFocus);
    }

    void navigation_data() {
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("clicks"); // f, p, n, l
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("enabled"); // first, prev, next, last as 1/0
        QTest::newRow("one page") << 1 << ""
                                  << "Page 1 of 1"
                                  << "0000";
        QTest::newRow("opened") << 3 << ""
                                << "Page 1 of 3"
                                << "0011";
        QTest::newRow("next") << 3 << "n"
                              << "Page 2 of 3"
                              << "1111";
        QTest::newRow("last") << 3 << "l"
                              << "Page 3 of 3"
                              << "1100";
        QTest::newRow("next past the end") << 3 << "lnn"
                                           << "Page 3 of 3"
                                           << "1100";
        QTest::newRow("previous at the start") << 3 << "pp"
                                               << "Page 1 of 3"
                                               << "0011";
        QTest::newRow("back and forth") << 7 << "nnnpfln"
                                        << "Page 7 of 7"
                                        << "1100";
    }
    void navigation() {
        QFETCH(int, pages);
        QFETCH(QString, clicks);
        QFETCH(QString, display);
        QFETCH(QString, enabled);
        recordPages(*store, pages);
        TQRStandardPreview preview(store);
        for (QChar c : clicks) {
            if (c == 'f')
                preview.FirstPage();
            else if (c == 'p')
                preview.PrevPage();
            else if (c == 'n')
                preview.NextPage();
            else
                preview.LastPage();
        }
        QCOMPARE(preview.PageDisplay()->text(), display);
        QString state;
        for (QPushButton *b : {preview.FirstButton(), preview.PrevButton(), preview.NextButton(),
                               preview.LastButton()})
            state += b->isEnabled() ? '1' : '0';
        QCOMPARE(state, enabled);
        QCOMPARE(preview.QRPreview()->PageNumber(), store->CurrentPage());
    }

    void printDisabledWithoutPrinter() {
        store->SetPrinter(nullptr, false);
        recordPages(*store, 1);
        TQRStandardPreview preview(store);
        QVERIFY(!preview.PrintButton()->isEnabled());
        store->SetPrinter(pdfPrinter(dir.filePath(QStringLiteral("p.pdf")), 8.5, 11));
        TQRStandardPreview again(store);
        QVERIFY(again.PrintButton()->isEnabled());
    }

    // Fit follows the window's size; a fixed zoom stays when the window changes.
    void zoomModes() {
        recordPages(*store, 1);
        TQRStandardPreview preview(store);
        preview.Window()->setWindowState(Qt::WindowNoState);
        preview.Window()->resize(800, 632);
        preview.Window()->show();
        TQRPreview *view = preview.QRPreview();
        QCOMPARE(view->ZoomMode(), zmFitPage);
        const auto fit = [&] {
            return qMin(qRound(double(view->width()) / store->SheetWidth() * 98),
                        qRound(double(view->height()) / store->SheetHeight() * 98));
        };
        QCOMPARE(view->Zoom(), fit());
        preview.Window()->resize(500, 400);
        QTRY_COMPARE(view->width(), 500);
        QCOMPARE(view->Zoom(), fit());
        QCOMPARE(view->PageImage()->width(), qRound(store->SheetWidth() * 0.01 * view->Zoom()) + 4);
        // Centred while narrower than the view.
        QCOMPARE(view->PageImage()->x(), (view->width() - view->PageImage()->width()) / 2);

        preview.Zoom100Button()->click();
        QCOMPARE(view->ZoomMode(), zmCustom);
        preview.Window()->resize(900, 700);
        QTRY_COMPARE(view->width(), 900);
        QCOMPARE(view->Zoom(), 100);
        QCOMPARE(view->PageImage()->width(), store->SheetWidth() + 4);
        QCOMPARE(view->PageImage()->y(), 0); // taller than the view: at the top

        preview.ZoomWidthButton()->click();
        QCOMPARE(view->ZoomMode(), zmPageWidth);
        QCOMPARE(view->Zoom(), qRound(900.0 / store->SheetWidth() * 98));
        preview.Window()->resize(700, 700);
        QTRY_COMPARE(view->Zoom(), qRound(700.0 / store->SheetWidth() * 98));
    }

    // White sheet, black outline, a two-unit shadow, and the page inside.
    void paintsSheetShadowAndPage() {
        recordPages(*store, 1); // a red page
        TQRStandardPreview preview(store);
        TQRPreview *view = preview.QRPreview();
        view->resize(600, 600);
        view->SetZoom(50);
        TQRCustomPreview *image = view->PageImage();
        const QImage shot = image->grab().toImage();
        const int w = image->width(), h = image->height();
        QCOMPARE(QColor(shot.pixel(0, 0)), QColor(Qt::black));         // outline
        QCOMPARE(QColor(shot.pixel(w - 1, h / 2)), QColor(Qt::black)); // shadow
        QCOMPARE(QColor(shot.pixel(w / 2, h - 1)), QColor(Qt::black)); // shadow
        QVERIFY(QColor(shot.pixel(1, h - 1)) != QColor(Qt::black));    // shadow starts at 2
        const int inX = qRound(50 * store->OffsetX() * 0.01) + 3;
        QCOMPARE(QColor(shot.pixel(inX, h / 2)), QColor(Qt::red));     // the page
        QCOMPARE(QColor(shot.pixel(w - 4, h / 2)), QColor(Qt::white)); // sheet margin
    }

    // At 100 % the sheet's margin left of the printable area stays white: a page's drawing
    // that runs past the area's left edge is cut off there.
    void drawingLeftOfThePageIsCutOff() {
        auto printer = pdfPrinter(dir.filePath(QStringLiteral("m.pdf")), 8.5, 11);
        printer->setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
        store->SetPrinter(std::move(printer));
        QCOMPARE(store->OffsetX(), 48);
        reporttest::recordPages(*store, 1, [this](int) {
            store->Canvas().setBrush(0x000000FF);
            store->Canvas().fillRect(QRect(-40, 0, 140, 100));
        });
        TQRStandardPreview preview(store);
        TQRPreview *view = preview.QRPreview();
        view->resize(900, 900);
        view->SetZoom(100);
        const QImage shot = view->PageImage()->grab().toImage();
        for (int x = 1; x <= 48; ++x)
            QCOMPARE(QColor(shot.pixel(x, 100)), QColor(Qt::white));
        QCOMPARE(QColor(shot.pixel(49 + 10, 100)), QColor(Qt::red));
    }

    void loadReplacesPagesInPlace() {
        recordPages(*store, 2);
        const QString file = dir.filePath(QStringLiteral("two.QRP"));
        store->SavePages(file);
        store->ClearPages();
        recordPages(*store, 5);
        TQRStandardPreview preview(store);
        preview.LastPage();
        preview.LoadFrom(file);
        QCOMPARE(preview.PageDisplay()->text(), QStringLiteral("Page 1 of 2"));
        QCOMPARE(preview.QRPreview()->PageNumber(), 1);
        // A broken file: the error reaches the caller, the store stays empty.
        QFile broken(dir.filePath(QStringLiteral("broken.QRP")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(500, 'x'));
        broken.close();
        QVERIFY_THROWS_EXCEPTION(EQRError, preview.LoadFrom(broken.fileName()));
        QCOMPARE(store->Status(), psEmpty);
    }

    void screenshots() {
        const QString out = qEnvironmentVariable("KORVANDEL_SHOTS");
        if (out.isEmpty())
            QSKIP("set KORVANDEL_SHOTS to a folder to save the preview's pictures");
        TempCatalogue cat(QStringLiteral("VantrelDB"));
        makeEquipment(cat, 70);
        store->SetPrinter(pdfPrinter(dir.filePath(QStringLiteral("s.pdf")), 8.27, 11.0));
        TfrmPrint form;
        form.sqlEquipment->open();
        form.QRReport1->Prepare();
        QFile emfFile(out + QStringLiteral("/page1.emf"));
        QVERIFY(emfFile.open(QIODevice::WriteOnly));
        emfFile.write(store->Page(1));
        emfFile.close();
        TQRStandardPreview preview(store);
        preview.Window()->setWindowState(Qt::WindowNoState);
        preview.Window()->resize(1024, 768);
        preview.Window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(preview.Window()));
        QVERIFY(preview.Window()->grab().save(out + QStringLiteral("/preview-fit.png")));
        preview.Zoom100Button()->click();
        QVERIFY(preview.Window()->grab().save(out + QStringLiteral("/preview-100.png")));
        preview.NextPage();
        QVERIFY(preview.Window()->grab().save(out + QStringLiteral("/preview-100-page2.png")));
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_report_preview.moc"

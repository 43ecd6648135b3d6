// The report engine and the equipment list over a real SQLite table: page layout, band
// placing, text placing, page numbers, the preview's life cycle and the progress window.
#include "controls/Fonts.h"
#include "data/DemoCatalogue.h"
#include "db/DataSet.h"
#include "report/Print.h"
#include "report/QRError.h"
#include "report/QRProgressForm.h"
#include "report/QRReport.h"
#include "report/emf/LogFont.h"
#include "report_support.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

using namespace report;
using namespace reporttest;

namespace {

constexpr std::uint32_t kYellow = 0x0080FFFF;
constexpr std::uint32_t kWhite = 0x00FFFFFF;

// Detail rows are the band fills 16 units high.
std::vector<Fill> detailRows(const Page &page) {
    std::vector<Fill> rows;
    for (const Fill &f : page.fills)
        if (f.bottom - f.top == 16)
            rows.push_back(f);
    return rows;
}

// Closes the preview window as soon as it is shown, noting that it was.
struct PreviewCloser {
    bool shown = false;
    int pagesSeen = 0;
    void arm() {
        QTimer::singleShot(0, [this] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                shown = true;
                pagesSeen = QRPrinter->PageCount();
                w->close();
            } else {
                arm();
            }
        });
    }
};

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCatalogue> cat;
    QTemporaryDir dir;

    // A fresh equipment list over a table of the given number of rows, prepared.
    std::unique_ptr<TfrmPrint> prepareList(int rows) {
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, rows);
        auto form = std::make_unique<TfrmPrint>();
        form->sqlEquipment->open();
        form->QRReport1->ShowProgress = false;
        form->QRReport1->Prepare();
        return form;
    }

private slots:
    void initTestCase() {
        controls::installFontSubstitutes();
        CreateQRPrinter(qApp);
        // A printable area of 8.5 x 11.25 inches: 816 x 1080 page units on a 96-dpi screen.
        QRPrinter->SetPrinter(pdfPrinter(dir.filePath(QStringLiteral("x.pdf")), 8.5, 11.25));
        QCOMPARE(TQRPrinter::ScreenPixelsPerInch(), 96);
        QCOMPARE(QRPrinter->PageHeight(), 1080);
        QCOMPARE(QRPrinter->PageWidth(), 816);
    }
    void cleanup() {
        QRPrinter->ClearPages();
        cat.reset();
    }

    void listLayout_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("rowsPerPage");
        QTest::newRow("empty table") << 0 << QList<int>{1};
        QTest::newRow("one row") << 1 << QList<int>{1};
        QTest::newRow("page 1 full") << 55 << QList<int>{55};
        QTest::newRow("one more") << 56 << QList<int>{55, 1};
        QTest::newRow("page 2 full") << 116 << QList<int>{55, 61};
        QTest::newRow("three pages") << 150 << QList<int>{55, 61, 34};
    }
    void listLayout() {
        QFETCH(int, rows);
        QFETCH(QList<int>, rowsPerPage);
        auto form = prepareList(rows);
        QCOMPARE(QRPrinter->Status(), psReady);
        QCOMPARE(QRPrinter->PageCount(), int(rowsPerPage.size()));
        int row = 0;
        for (int p = 1; p <= QRPrinter->PageCount(); ++p) {
            const Page page = decode(QRPrinter->Page(p));
            // A full page of rows is kept in no more than 32 KB of memory.
            QVERIFY(QRPrinter->PageBytesHeld(p) <= 32 * 1024);
            const std::vector<Fill> details = detailRows(page);
            QCOMPARE(int(details.size()), rowsPerPage[p - 1]);
            // Rows start under the headings: below the title on page 1, the page header later.
            const int firstY = p == 1 ? 169 : 73;
            for (std::size_t i = 0; i < details.size(); ++i, ++row) {
                QCOMPARE(details[i].top, firstY + 16 * int(i));
                // The alternation runs on across pages, starting light yellow.
                QCOMPARE(details[i].color, row % 2 == 0 ? kYellow : kWhite);
            }
            QCOMPARE(bool(page.find(QStringLiteral("Vantrel Equipment List"))), p > 1);
            QCOMPARE(bool(page.find(QStringLiteral("Vantrel"))), p == 1);
            const Text *heading = page.find(QStringLiteral("Name"));
            QVERIFY(heading);
            QCOMPARE(heading->y, (p == 1 ? 137 : 41) + 12);
            // The footer stands at the bottom of every page, the last one included.
            const Text *number = page.find(QString::number(p));
            QVERIFY(number);
            QCOMPARE(number->y, 1080 - 24 + 1);
        }
        if (rows == 0) {
            const Page page = decode(QRPrinter->Page(1));
            QCOMPARE(detailRows(page).front().color, kYellow);
            QVERIFY(!page.find(QStringLiteral("Weapon 1")));
        }
    }

    void rightAlignedTextEndsOneSpaceShort() {
        auto form = prepareList(3);
        const Page page = decode(QRPrinter->Page(1));
        const int space = QFontMetrics(TQRFont{QStringLiteral("Times New Roman"), 12}.toQFont(16))
                              .horizontalAdvance(QLatin1Char(' '));
        QVERIFY(space > 0);
        // Row 2's heat is 2; its control spans 214..292.
        const Text *heat = nullptr;
        for (const Text &t : page.texts)
            if (t.text == QStringLiteral("2 ") && t.y == 169 + 16)
                heat = heat ? heat : &t;
        QVERIFY(heat);
        QCOMPARE(heat->align & 6u, 2u); // right-aligned
        QCOMPARE(heat->x, 292 + space);
        // The background covers the text itself, so neighbouring columns stay readable.
        const QFontMetrics times16(TQRFont{QStringLiteral("Times New Roman"), 12}.toQFont(16));
        QCOMPARE(heat->rect.left(), heat->x - times16.horizontalAdvance(QStringLiteral("2 ")));
        QCOMPARE(heat->rect.right() + 1, 292 + space);
        std::vector<QRect> row2;
        for (const Text &t : page.texts)
            if (t.y == 169 + 16)
                row2.push_back(t.rect);
        QCOMPARE(int(row2.size()), 11);
        for (std::size_t i = 0; i < row2.size(); ++i)
            for (std::size_t j = i + 1; j < row2.size(); ++j)
                QVERIFY2(!row2[i].intersects(row2[j]), "one column's background covers another");
        QCOMPARE(heat->options, 2u); // opaque, not clipped (auto-sized)
        QCOMPARE(heat->background, kWhite);
        // The code column starts left of the printable area and is not moved back.
        const Text *code = nullptr;
        for (const Text &t : page.texts)
            if (t.text == QStringLiteral("1 ") && t.y == 169 && t.x < 56)
                code = &t;
        QVERIFY(code);
        QCOMPARE(code->fontHeight, -13);
        const QFontMetrics times13(TQRFont{QStringLiteral("Times New Roman"), 10}.toQFont(13));
        QCOMPARE(code->x, 44 + times13.horizontalAdvance(QLatin1Char(' ')));
    }

    // Every value of the list stays in its column as drawn: the demo catalogue's values
    // whole (condensed where the face is too wide), values too wide even for the narrowest
    // face cut at the column's edge. No value runs off the paper or under its neighbour.
    void valuesStayInTheirColumns_data() {
        QTest::addColumn<bool>("widest");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("fontHeight");
        QTest::addColumn<bool>("rightAligned");
        QTest::addColumn<int>("edge"); // right edge, or left edge of left-aligned values
        QTest::addColumn<int>("columnLeft");
        QTest::addColumn<int>("columnRight");
        const struct {
            const char *field;
            int height;
            bool right;
            int edge, left, right_;
        } columns[] = {
            {"Code", 13, true, 44, 0, 44},           {"Name", 13, false, 56, 56, 260},
            {"HeatToUser", 16, true, 292, 260, 292}, {"DamageToTarget", 16, true, 356, 292, 356},
            {"RangeMin", 16, true, 428, 356, 428},   {"RangeS", 16, true, 472, 428, 472},
            {"RangeM", 16, true, 536, 472, 536},     {"RangeL", 16, true, 576, 536, 576},
            {"Weight", 16, true, 640, 576, 640},     {"Crits", 16, true, 692, 640, 692},
            {"Ammo", 16, true, 740, 692, 740},
        };
        for (bool widest : {false, true})
            for (const auto &c : columns)
                QTest::addRow("%s, %s", widest ? "widest" : "demo", c.field)
                    << widest << QString::fromLatin1(c.field) << c.height << c.right << c.edge
                    << c.left << c.right_;
    }
    void valuesStayInTheirColumns() {
        QFETCH(bool, widest);
        QFETCH(QString, field);
        QFETCH(int, fontHeight);
        QFETCH(bool, rightAligned);
        QFETCH(int, edge);
        QFETCH(int, columnLeft);
        QFETCH(int, columnRight);
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        if (widest) {
            makeWidestEquipment(*cat, 70);
        } else {
            QSqlDatabase db = cat->db();
            data::createDemoCatalogue(db);
        }
        auto form = std::make_unique<TfrmPrint>();
        form->sqlEquipment->open();
        form->QRReport1->ShowProgress = false;
        form->QRReport1->Prepare();
        // Right-aligned values end one space beyond their edge, the space being part of them.
        const QFontMetrics screen(
            TQRFont{QStringLiteral("Times New Roman"), fontHeight == 13 ? 10 : 12}.toQFont(
                fontHeight));
        const int anchor = rightAligned ? edge + screen.horizontalAdvance(QLatin1Char(' ')) : edge;
        const double right = rightAligned ? anchor : columnRight;
        int values = 0;
        for (int p = 1; p <= QRPrinter->PageCount(); ++p) {
            for (const Text &t : decode(QRPrinter->Page(p)).texts) {
                if (t.x != anchor || t.fontHeight != -fontHeight || t.y < (p == 1 ? 169 : 73) ||
                    bool(t.align & 2) != rightAligned)
                    continue;
                ++values;
                emf::LogFont font;
                font.height = t.fontHeight;
                font.width = t.fontWidth;
                font.face = t.face;
                const double w = QFontMetricsF(emf::toQFont(font)).horizontalAdvance(t.text);
                double left = rightAligned ? t.x - w : t.x;
                double end = rightAligned ? t.x : t.x + w;
                const bool clipped = t.options & 4;
                if (clipped) {
                    left = std::max(left, double(t.rect.left()));
                    end = std::min(end, double(t.rect.right() + 1));
                }
                const QString where = QStringLiteral("\"%1\" drawn from %2 to %3 on page %4")
                                          .arg(t.text)
                                          .arg(left)
                                          .arg(end)
                                          .arg(p);
                QVERIFY2(left >= columnLeft && end <= right, qPrintable(where));
                if (!widest)
                    QVERIFY2(!clipped, qPrintable(where + QStringLiteral(" is cut")));
            }
        }
        QCOMPARE(values, widest ? 70 : 103);
    }

    void bandAlignedTextIgnoresLeft_data() {
        QTest::addColumn<int>("left");
        QTest::newRow("as designed") << 132;
        QTest::newRow("negative") << -300;
        QTest::newRow("far right") << 2000;
    }
    void bandAlignedTextIgnoresLeft() {
        QFETCH(int, left);
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, 1);
        TfrmPrint form;
        form.QRLabel1->Left = left;
        form.QRSysData2->Left = left;
        form.sqlEquipment->open();
        form.QRReport1->ShowProgress = false;
        form.QRReport1->Prepare();
        const Page page = decode(QRPrinter->Page(1));
        const Text *title = page.find(QStringLiteral("Vantrel"));
        QVERIFY(title);
        const int w = QFontMetrics(form.QRLabel1->Font.toQFont(37))
                          .horizontalAdvance(QStringLiteral("Vantrel"));
        const int x1 = qRound(816 * 0.5 - w * 0.5), x2 = qRound(816 * 0.5 + w * 0.5);
        QCOMPARE(title->x, x1 + (x2 - x1) / 2);
        QCOMPARE(title->rect.left(), x1);
        QCOMPARE(title->fontHeight, -37);
        QCOMPARE(page.find(QStringLiteral("1"))->align & 6u, 6u); // centred page number
    }

    // A band's frame runs along its column width and its height less the unfilled last row,
    // the page frame along the printable area; each in the order top, bottom, left, right.
    void framesDrawTheChosenSides_data() {
        QTest::addColumn<QString>("sides");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<QLine>>("bandLines");
        QTest::addColumn<QList<QLine>>("pageLines");
        const QLine bandTop(0, 0, 815, 0), bandBottom(0, 39, 815, 39), bandLeft(0, 0, 0, 39),
            bandRight(815, 0, 815, 39);
        const QLine pageTop(0, 0, 815, 0), pageBottom(0, 1079, 815, 1079), pageLeft(0, 0, 0, 1079),
            pageRight(815, 0, 815, 1079);
        QTest::newRow("all four") << "TBLR" << 1
                                  << QList<QLine>{bandTop, bandBottom, bandLeft, bandRight}
                                  << QList<QLine>{pageTop, pageBottom, pageLeft, pageRight};
        QTest::newRow("bottom only")
            << "B" << 1 << QList<QLine>{bandBottom} << QList<QLine>{pageBottom};
        QTest::newRow("left and right")
            << "LR" << 2 << QList<QLine>{bandLeft, bandRight} << QList<QLine>{pageLeft, pageRight};
        QTest::newRow("no side") << "" << 1 << QList<QLine>{} << QList<QLine>{};
        QTest::newRow("no pen") << "TBLR" << 0 << QList<QLine>{} << QList<QLine>{};
    }
    void framesDrawTheChosenSides() {
        QFETCH(QString, sides);
        QFETCH(int, width);
        QFETCH(QList<QLine>, bandLines);
        QFETCH(QList<QLine>, pageLines);
        const auto frame = [&] {
            TQRFrame f;
            f.Width = width;
            f.DrawTop = sides.contains(QLatin1Char('T'));
            f.DrawBottom = sides.contains(QLatin1Char('B'));
            f.DrawLeft = sides.contains(QLatin1Char('L'));
            f.DrawRight = sides.contains(QLatin1Char('R'));
            return f;
        };
        QWidget host;
        auto *band = new TQRBand(&host, rbTitle, 40);
        band->Frame = frame();
        auto *report = new TQRReport(&host);
        report->PageFrame = frame();
        report->ShowProgress = false;
        report->Prepare();
        QList<QLine> lines;
        for (const Line &l : decode(QRPrinter->Page(1)).lines)
            lines << QLine(l.x0, l.y0, l.x1, l.y1);
        QCOMPARE(lines, bandLines + pageLines);
    }

    // A band whose bottom would land exactly on the footer's top goes to the next page.
    void fitTestAtTheBoundary_data() {
        QTest::addColumn<int>("titleHeight");
        QTest::addColumn<int>("rowsOnPage1");
        QTest::newRow("last row ends 1 above the footer") << 159 << 56;
        QTest::newRow("last row ends on the footer") << 160 << 55;
        QTest::newRow("last row would end 1 below") << 161 << 55;
    }
    void fitTestAtTheBoundary() {
        QFETCH(int, titleHeight);
        QFETCH(int, rowsOnPage1);
        QWidget host;
        new TQRBand(&host, rbTitle, titleHeight);
        new TQRBand(&host, rbDetail, 16);
        new TQRBand(&host, rbPageFooter, 24);
        auto *report = new TQRReport(&host);
        report->ShowProgress = false;
        int left = 80;
        report->OnNeedData = [&left](bool &more) { more = left-- > 0; };
        report->Prepare();
        const Page page = decode(QRPrinter->Page(1));
        QCOMPARE(int(detailRows(page).size()), rowsOnPage1);
        QCOMPARE(detailRows(page).back().top, titleHeight + 16 * (rowsOnPage1 - 1));
    }

    // Headers already see the new page's number, footers still the old one.
    void pageNumbersAtHeadersAndFooters() {
        auto form = std::make_unique<TfrmPrint>();
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, 150);
        form->sqlEquipment->open();
        QList<int> headers, footers;
        form->QRBand5->BeforePrint = [&](TQRBand *band, bool &print) {
            headers << form->QRReport1->PageNo;
            form->QRBand5BeforePrint(band, print);
        };
        form->QRBand4->BeforePrint = [&](TQRBand *, bool &) { footers << form->QRReport1->PageNo; };
        form->QRReport1->ShowProgress = false;
        form->QRReport1->Prepare();
        QCOMPARE(headers, (QList<int>{1, 2, 3}));
        QCOMPARE(footers, (QList<int>{1, 2, 3}));
        QCOMPARE(form->QRReport1->PageCount(), 3);
    }

    // A run on another paper sets the printer's paper back to its default afterwards, but the
    // store keeps the metrics of the pages it holds until the next run asks again.
    void paperOfARunStaysWithItsPages() {
        const auto restorePrinter = qScopeGuard([this] {
            QRPrinter->SetPrinter(pdfPrinter(dir.filePath(QStringLiteral("x.pdf")), 8.5, 11.25));
        });
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, 3);
        TfrmPrint form;
        form.sqlEquipment->open();
        form.QRReport1->ShowProgress = false;
        form.QRReport1->PaperSize = qrpA5;
        QSize recorded;
        form.QRBand3->AfterPrint = [&](TQRBand *, bool) {
            recorded = QSize(QRPrinter->PageWidth(), QRPrinter->PageHeight());
        };
        form.QRReport1->Prepare();
        // A5 (148 x 210 mm) without margins on a 96-dpi screen.
        QCOMPARE(recorded, QSize(560, 793));
        QCOMPARE(QSize(QRPrinter->PageWidth(), QRPrinter->PageHeight()), recorded);
        QCOMPARE(QRPrinter->SheetHeight(), 793);
        QCOMPARE(QRPrinter->Printer()->pageLayout().pageSize().id(), QPageSize::A4);
        // The next run on the default paper takes the printer's metrics again.
        QRPrinter->ClearPages();
        form.QRReport1->PaperSize = qrpDefault;
        form.QRReport1->Prepare();
        QCOMPARE(recorded, QSize(793, 1123));
    }

    void previewDiscardsWhatItPrepared() {
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, 70);
        TfrmPrint form;
        form.sqlEquipment->open();
        form.QRReport1->ShowProgress = false;
        PreviewCloser closer;
        closer.arm();
        form.QRReport1->Preview();
        QVERIFY(closer.shown);
        QCOMPARE(closer.pagesSeen, 2);
        QCOMPARE(QRPrinter->Status(), psEmpty);
    }

    // Pages already in the store are previewed as they are and kept.
    void previewKeepsPagesItDidNotMake() {
        QRPrinter->BeginPages();
        QRPrinter->AddPage();
        QRPrinter->AddPage();
        QRPrinter->EndPages();
        QWidget host;
        auto *report = new TQRReport(&host);
        bool prepared = false;
        report->BeforePrint = [&](bool &) { prepared = true; };
        PreviewCloser closer;
        closer.arm();
        report->Preview();
        QVERIFY(closer.shown);
        QVERIFY(!prepared);
        QCOMPARE(closer.pagesSeen, 3);
        QCOMPARE(QRPrinter->Status(), psReady);
    }

    void previewAfterAnErrorLeavesAnEmptyStore() {
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, 100);
        TfrmPrint form;
        form.sqlEquipment->open();
        form.QRReport1->ShowProgress = false;
        form.QRBand3->BeforePrint = [&](TQRBand *, bool &) {
            if (form.QRReport1->DetailNo == 60)
                throw EQRError(QStringLiteral("handler failed"));
        };
        QVERIFY_THROWS_EXCEPTION(EQRError, form.QRReport1->Preview());
        QCOMPARE(QRPrinter->Status(), psEmpty);
        // The next preview prepares afresh.
        form.QRBand3->BeforePrint = nullptr;
        PreviewCloser closer;
        closer.arm();
        form.QRReport1->Preview();
        QVERIFY(closer.shown);
        QCOMPARE(QRPrinter->Status(), psEmpty);
    }

    void cancelEndsWithoutPreview() {
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, 200);
        TfrmPrint form;
        form.sqlEquipment->open();
        int details = 0;
        form.QRBand3->AfterPrint = [&](TQRBand *, bool) {
            if (++details == 10)
                QRPrinter->Cancel(); // what the progress window's Cancel button does
        };
        bool shown = false;
        QTimer::singleShot(0, [&] { shown = QApplication::activeModalWidget() != nullptr; });
        form.QRReport1->Preview();
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        QCOMPARE(details, 10);
        QCOMPARE(QRPrinter->Status(), psEmpty);
        QCOMPARE(QRPrinter->PageCount(), 0);
    }

    // Files > Print... that fails, while opening its query or while previewing, still
    // releases the host window with its query, and can be chosen again.
    void printFormIsReleasedWhenTheCommandFails_data() {
        QTest::addColumn<bool>("tableExists");
        QTest::addColumn<bool>("hourglassStays");
        QTest::newRow("query cannot be opened") << false << true;
        QTest::newRow("preview fails") << true << false;
    }
    void printFormIsReleasedWhenTheCommandFails() {
        QFETCH(bool, tableExists);
        QFETCH(bool, hourglassStays);
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        if (tableExists)
            makeEquipment(*cat, 100);
        else
            QVERIFY(cat->exec({QStringLiteral("CREATE TABLE Other (x INTEGER)")}));
        const auto resetCursor = qScopeGuard([] {
            while (QApplication::overrideCursor())
                QApplication::restoreOverrideCursor();
        });
        // The first band placed lets pending events run: the detail rows then fail.
        if (tableExists)
            QTimer::singleShot(0, this, [] {
                frmPrint->QRReport1->ShowProgress = false;
                frmPrint->QRBand3->BeforePrint = [](TQRBand *, bool &) {
                    throw EQRError(QStringLiteral("handler failed"));
                };
            });
        QVERIFY_THROWS_EXCEPTION(std::exception, PrintEquipmentList());
        QPointer<TfrmPrint> form = frmPrint;
        QVERIFY(form);
        QCOMPARE(QApplication::overrideCursor() != nullptr, hourglassStays);
        QTRY_VERIFY_WITH_TIMEOUT(form.isNull(), 2000);
        QCOMPARE(frmPrint, nullptr);
        QCOMPARE(QRPrinter->Status(), psEmpty);
    }

    // Files > Print... chosen again while the list is being prepared (the progress window is
    // not modal): no second preview of the pages still being recorded, and the first host
    // window with its query is released when its preview closes.
    void printAgainDuringARun() {
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, 200);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("null receiver")));
        QList<int> previewPages;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                previewPages << QRPrinter->PageCount();
                w->close();
            }
        });
        closer.start(0);
        QPointer<TfrmPrint> first;
        bool askedAgain = false;
        QTimer::singleShot(0, this, [&] {
            QCOMPARE(QRPrinter->Status(), psRecording);
            first = frmPrint;
            askedAgain = true;
            PrintEquipmentList();
        });
        PrintEquipmentList();
        closer.stop();
        QVERIFY(askedAgain);
        QCOMPARE(previewPages, QList<int>{4});
        QVERIFY(first);
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), 2000);
        QCOMPARE(frmPrint, nullptr);
        QCOMPARE(QRPrinter->Status(), psEmpty);
        // The command works again afterwards.
        closer.start(0);
        PrintEquipmentList();
        closer.stop();
        QCOMPARE(previewPages, (QList<int>{4, 4}));
        QTRY_COMPARE_WITH_TIMEOUT(frmPrint, nullptr, 2000);
    }

    void cancelButtonSetsTheFlag() {
        TQRProgressForm progress(QRPrinter);
        QRPrinter->Cancelled = false;
        QCOMPARE(progress.windowTitle(), QStringLiteral("Report engine version 1.0d"));
        QTest::keyClick(&progress, Qt::Key_Escape);
        QVERIFY(QRPrinter->Cancelled);
        QRPrinter->Cancelled = false;
        progress.CancelButton()->click();
        QVERIFY(QRPrinter->Cancelled);
        QRPrinter->Cancelled = false;
    }

    void progressMovesInAboutTwentySteps_data() {
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("step");
        QTest::addColumn<QList<int>>("positions"); // after SetProgress(1), (2), ... (6)
        QTest::newRow("45 records") << 45 << 2 << QList<int>{0, 2, 2, 4, 4, 6};
        QTest::newRow("10 records") << 10 << 1 << QList<int>{1, 2, 3, 4, 5, 6};
        QTest::newRow("100 records") << 100 << 5 << QList<int>{0, 0, 0, 0, 5, 5};
        QTest::newRow("no count") << 0 << 1 << QList<int>{0, 0, 0, 0, 0, 0};
    }
    void progressMovesInAboutTwentySteps() {
        QFETCH(int, max);
        QFETCH(int, step);
        QFETCH(QList<int>, positions);
        TQRProgressForm progress(QRPrinter);
        progress.SetMax(max);
        QCOMPARE(progress.Step(), step);
        for (int i = 1; i <= positions.size(); ++i) {
            progress.SetProgress(i);
            QCOMPARE(progress.Position(), positions[i - 1]);
        }
    }

    void progressMessageNamesTheReport() {
        cat = std::make_unique<TempCatalogue>(QStringLiteral("VantrelDB"));
        makeEquipment(*cat, 1);
        TfrmPrint form;
        form.sqlEquipment->open();
        QString message;
        form.QRBand1->BeforePrint = [&](TQRBand *, bool &) {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<TQRProgressForm *>(w))
                    message = p->Message();
        };
        form.QRReport1->Prepare();
        QCOMPARE(message, QStringLiteral("Preparing report Vantrel Equipment List "));
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_report_engine.moc"

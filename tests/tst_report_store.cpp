// The page store: metrics, page states, report files (including broken ones) and printing on
// Qt's PDF output and, where one is installed, on a real CUPS queue.
#include "controls/Fonts.h"
#include "db/DataSet.h"
#include "report/Print.h"
#include "report/QRError.h"
#include "report/QRPrinter.h"
#include "report/QRReportFile.h"
#include "report/emf/EmfPlayer.h"
#include "report/emf/EmfWriter.h"
#include "report_support.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <ctime>

using namespace report;
using namespace reporttest;

namespace {

// Records n pages, each with its number as text.
void recordPages(TQRPrinter &store, int n) {
    reporttest::recordPages(store, n, [&store](int i) {
        store.Canvas().setBrush(0x00FFFFFF);
        store.Canvas().textOut(10, 10, QStringLiteral("Page text %1").arg(i), emf::TA_LEFT,
                               QRect(10, 10, 100, 20), true, false);
    });
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// One record of the given type and body.
QByteArray record(std::uint32_t type, const QByteArray &body) {
    QByteArray r;
    emf::appendU32(r, type);
    emf::appendU32(r, std::uint32_t(8 + body.size()));
    return r + body;
}

// A sound page of 816 x 1056 units drawing n copies of the given records, with handle 1 free.
QByteArray pageRepeating(const QByteArray &records, int recordsInIt, int n) {
    QByteArray d = emf::EmfWriter(816, 1056, 96).finish();
    d.insert(d.size() - emf::kEofSize, records.repeated(n));
    emf::putU32(d, 48, std::uint32_t(d.size()));
    emf::putU32(d, 52, u32(d, 52) + std::uint32_t(recordsInIt * n));
    d[56] = char(std::max<int>(d[56], 2));
    return d;
}

// Selects a font of the given character height as handle 1.
QByteArray fontRecords(int height) {
    QByteArray body;
    emf::appendU32(body, 1);
    QByteArray logFont(92, '\0');
    emf::putU32(logFont, 0, std::uint32_t(-height));
    emf::putU32(logFont, 16, 400);
    logFont[28] = 'A';
    QByteArray select;
    emf::appendU32(select, 1);
    return record(emf::EMR_EXTCREATEFONTINDIRECTW, body + logFont) +
           record(emf::EMR_SELECTOBJECT, select);
}

// A text of n characters at (10, 10), with a spacing array when spaced.
QByteArray textRecord(int n, bool spaced) {
    QByteArray body(68, '\0'); // bounds, graphics mode, scales, then the text's description
    const int offString = 76, offDx = spaced ? 76 + (2 * n + 3) / 4 * 4 : 0;
    emf::putU32(body, 28, 10);
    emf::putU32(body, 32, 10);
    emf::putU32(body, 36, std::uint32_t(n));
    emf::putU32(body, 40, offString);
    emf::putU32(body, 64, std::uint32_t(offDx));
    QByteArray text(2 * n, '\0');
    for (int i = 0; i < n; ++i)
        text[2 * i] = 'W';
    text.append(QByteArray((4 - text.size() % 4) % 4, '\0'));
    if (spaced)
        for (int i = 0; i < n; ++i)
            emf::appendI32(text, 20);
    return record(emf::EMR_EXTTEXTOUTW, body + text);
}

QByteArray rectangleRecord(const QRect &r) {
    QByteArray body;
    for (int v : {r.left(), r.top(), r.right() + 1, r.bottom() + 1})
        emf::appendI32(body, v);
    return record(emf::EMR_RECTANGLE, body);
}

// The first page of a PDF file as a picture of 96 pixels an inch, or a null one.
QImage firstPageOf(const QString &pdf, const QString &prefix) {
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"),
             QStringLiteral("-png"), pdf, prefix});
    p.waitForFinished(60000);
    return QImage(prefix + QStringLiteral(".png"));
}

// The newest PDF file that a print queue left in $HOME/PDF after the given ones.
QString newPrintedFile(const QStringList &before) {
    const QDir out(QDir::home().filePath(QStringLiteral("PDF")));
    QStringList added = out.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
    for (const QString &name : before)
        added.removeAll(name);
    return added.isEmpty() ? QString() : out.filePath(added.constFirst());
}

} // namespace

class TestReportStore : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TQRPrinter *store = nullptr;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase() {
        controls::installFontSubstitutes();
        store = CreateQRPrinter(qApp);
        store->ShowProgress = false;
    }
    void init() {
        store->ClearPages();
        store->SetPrinter(pdfPrinter(path(QStringLiteral("out.pdf")), 8.5, 11));
    }

    void printableAreaInPageUnits() {
        // An 8 x 10.5 inch printable area on a 96-dpi screen.
        store->SetPrinter(pdfPrinter(path(QStringLiteral("m.pdf")), 8, 10.5));
        QCOMPARE(store->PageWidth(), 768);
        QCOMPARE(store->PageHeight(), 1008);
        QVERIFY(store->CanPrint());
    }

    void fallbackWithoutPrinter() {
        store->SetPrinter(nullptr, false);
        const int s = TQRPrinter::ScreenPixelsPerInch();
        QCOMPARE(store->PageHeight(), qRound(s * 6752 / 600.0));
        QCOMPARE(store->PageWidth(), qRound(s * 4672 / 600.0));
        QCOMPARE(store->SheetHeight(), qRound(store->PageHeight() * 1.05));
        QCOMPARE(store->OffsetX(), 5);
        QVERIFY(!store->CanPrint());
        // Pages can still be made, but printing does nothing at all.
        recordPages(*store, 2);
        QCOMPARE(store->Status(), psReady);
        store->PrintPages();
        QCOMPARE(store->CurrentPage(), 1);
        QVERIFY_THROWS_EXCEPTION(EQRError, store->SetPaperSize(qrpcA4));
    }

    void pageStates() {
        store->AddPage(); // not recording: nothing
        QCOMPARE(store->PageCount(), 0);
        store->ClearPages(); // not ready: nothing
        QCOMPARE(store->Status(), psEmpty);
        store->BeginPages();
        QCOMPARE(store->Status(), psRecording);
        store->ClearPages(); // recording: nothing
        QCOMPARE(store->Status(), psRecording);
        store->AddPage();
        store->EndPages();
        QCOMPARE(store->Status(), psReady);
        QCOMPARE(store->PageCount(), 2);
        QCOMPARE(store->CurrentPage(), 1);
        store->ClearPages();
        QCOMPARE(store->Status(), psEmpty);
        QCOMPARE(store->StoredPages(), 0);
    }

    void selectPageBounds_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("current");
        QTest::newRow("zero") << 0 << 2;
        QTest::newRow("negative") << -1 << 2;
        QTest::newRow("above the count") << 4 << 2;
        QTest::newRow("first") << 1 << 1;
        QTest::newRow("last") << 3 << 3;
    }
    void selectPageBounds() {
        QFETCH(int, n);
        QFETCH(int, current);
        recordPages(*store, 3);
        store->SelectPage(2);
        store->SelectPage(n);
        QCOMPARE(store->CurrentPage(), current);
    }

    void reportFileHeader() {
        recordPages(*store, 3);
        const QString file = path(QStringLiteral("three.QRP"));
        store->SavePages(file);
        const QByteArray d = readFile(file);
        QCOMPARE(u32(d, 0) & 0xFFFF, 1u);
        QCOMPARE(u32(d, 0) >> 16, 100u);
        QCOMPARE(i32(d, 4), store->PageHeight());
        QCOMPARE(i32(d, 8), store->PageWidth());
        QCOMPARE(i32(d, 12), TQRPrinter::ScreenPixelsPerInch());
        QCOMPARE(i32(d, 16), 3);
        QCOMPARE(d.at(112), char(1)); // portrait
        QVERIFY(d.mid(20, 84).count('\0') == 84);
        QVERIFY(d.mid(113, 259).count('\0') == 259);
        // The local time of writing as days since 30 December 1899.
        double when;
        std::memcpy(&when, d.constData() + 104, 8);
        const double now = QDate(1899, 12, 30).daysTo(QDate::currentDate()) +
                           QTime::currentTime().msecsSinceStartOfDay() / 86400000.0;
        QVERIFY(qAbs(when - now) < 0.01);
        // Each picture is followed by its own start offset; the first starts at 372.
        qsizetype at = 372;
        for (int i = 1; i <= 3; ++i) {
            const qsizetype size = u32(d, at + 48);
            QCOMPARE(d.mid(at, size), store->Page(i));
            QCOMPARE(i32(d, at + size), int(at));
            at += size + 4;
        }
        QCOMPARE(at, d.size());
    }

    // The date of writing holds the local wall-clock time in every zone, in daylight-saving
    // time too, also when the moment is given in UTC.
    void dateOfWritingIsLocalWallClock_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("utcOrNull"); // a moment in UTC, or null for the local one
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<double>("expected");
        const auto utc = [](int month, int day, int hour, int minute) {
            return QDateTime(QDate(2026, month, day), QTime(hour, minute), Qt::UTC);
        };
        QTest::newRow("UTC") << QByteArray("UTC") << QDateTime() << QDate(2026, 7, 1)
                             << QTime(12, 0) << 46204.5;
        QTest::newRow("Sydney in summer")
            << QByteArray("Australia/Sydney") << QDateTime() << QDate(2026, 1, 15) << QTime(10, 30)
            << 46037 + 10.5 / 24;
        QTest::newRow("Sydney in summer, given in UTC")
            << QByteArray("Australia/Sydney") << utc(1, 15, 0, 30) << QDate() << QTime()
            << 46037 + 11.5 / 24;
        QTest::newRow("Amsterdam in winter")
            << QByteArray("Europe/Amsterdam") << QDateTime() << QDate(2026, 1, 15) << QTime(8, 0)
            << 46037 + 8.0 / 24;
        QTest::newRow("Amsterdam in summer")
            << QByteArray("Europe/Amsterdam") << QDateTime() << QDate(2026, 7, 15) << QTime(23, 30)
            << 46218 + 23.5 / 24;
        QTest::newRow("New York, the day before in UTC")
            << QByteArray("America/New_York") << utc(7, 16, 2, 0) << QDate() << QTime()
            << 46218 + 22.0 / 24;
        QTest::newRow("Kolkata at midnight") << QByteArray("Asia/Kolkata") << QDateTime()
                                             << QDate(2026, 3, 1) << QTime(0, 0) << 46082.0;
    }
    void dateOfWritingIsLocalWallClock() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, utcOrNull);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(double, expected);
        const QByteArray oldZone = qgetenv("TZ");
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        const auto restore = qScopeGuard([&] {
            if (hadZone)
                qputenv("TZ", oldZone);
            else
                qunsetenv("TZ");
            tzset();
        });
        qputenv("TZ", zone);
        tzset();
        const QDateTime written = utcOrNull.isValid() ? utcOrNull : QDateTime(date, time);
        const QByteArray header = qrfile::makeHeader(800, 1000, 96, 1, written, true);
        double stored;
        std::memcpy(&stored, header.constData() + 104, 8);
        QVERIFY2(qAbs(stored - expected) < 1e-9,
                 qPrintable(QStringLiteral("%1 instead of %2 (%3 minutes off)")
                                .arg(stored, 0, 'f', 6)
                                .arg(expected, 0, 'f', 6)
                                .arg((stored - expected) * 1440, 0, 'f', 1)));
    }

    void saveAndLoadGiveTheSamePages() {
        recordPages(*store, 3);
        std::vector<QByteArray> pages;
        for (int i = 1; i <= 3; ++i)
            pages.push_back(store->Page(i));
        const int w = store->PageWidth(), h = store->PageHeight();
        const QString file = path(QStringLiteral("round.QRP"));
        store->SavePages(file);
        store->SetPrinter(pdfPrinter(path(QStringLiteral("other.pdf")), 5, 5));
        store->LoadPages(file);
        QCOMPARE(store->Status(), psReady);
        QCOMPARE(store->PageCount(), 3);
        QCOMPARE(store->CurrentPage(), 1);
        QCOMPARE(store->PageWidth(), w);
        QCOMPARE(store->PageHeight(), h);
        // The sheet becomes 1.1 times the page instead of the printer's sheet.
        QCOMPARE(store->SheetWidth(), qRound(w * 1.1));
        QCOMPARE(store->SheetHeight(), qRound(h * 1.1));
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(store->Page(i), pages[std::size_t(i - 1)]);
    }

    void landscapeFileSwitchesOrientation() {
        recordPages(*store, 1);
        const QString file = path(QStringLiteral("land.QRP"));
        store->SavePages(file);
        QByteArray d = readFile(file);
        d[112] = 0;
        writeFile(file, d);
        store->LoadPages(file);
        QCOMPARE(store->Orientation(), poLandscape);
        QCOMPARE(store->Printer()->pageLayout().orientation(), QPageLayout::Landscape);
        store->SetOrientation(poPortrait);
    }

    void cancelWhileSavingDeletesTheFile() {
        recordPages(*store, 3);
        const QString file = path(QStringLiteral("cancel.QRP"));
        QTimer::singleShot(0, [this] { store->Cancel(); });
        store->SavePages(file);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(store->Status(), psReady);
    }

    // Anything that is not a whole report file ends with a clear error and an empty store.
    void brokenFilesAreRefused_data() {
        QTest::addColumn<int>("cut");    // keep this many bytes (-1: all)
        QTest::addColumn<int>("offset"); // then write value at offset (-1: none)
        QTest::addColumn<qint64>("value");
        QTest::newRow("empty file") << 0 << -1 << qint64(0);
        QTest::newRow("half a header") << 200 << -1 << qint64(0);
        QTest::newRow("header only") << 372 << -1 << qint64(0);
        QTest::newRow("cut in a picture header") << 400 << -1 << qint64(0);
        QTest::newRow("cut in the last picture") << -2 << -1 << qint64(0);
        QTest::newRow("offset of the last page missing") << -3 << -1 << qint64(0);
        QTest::newRow("huge page count") << -1 << 16 << qint64(0x7FFFFFFF);
        QTest::newRow("negative page count") << -1 << 16 << qint64(-5);
        QTest::newRow("more pages than stored") << -1 << 16 << qint64(4);
        QTest::newRow("zero page width") << -1 << 8 << qint64(0);
        QTest::newRow("picture size beyond the file") << -1 << 372 + 48 << qint64(0x7FFFFFF0);
        QTest::newRow("picture size too small") << -1 << 372 + 48 << qint64(8);
        QTest::newRow("not a picture") << -1 << 372 << qint64(0x12345678);
    }
    void brokenFilesAreRefused() {
        QFETCH(int, cut);
        QFETCH(int, offset);
        QFETCH(qint64, value);
        recordPages(*store, 3);
        const QString good = path(QStringLiteral("good.QRP"));
        store->SavePages(good);
        QByteArray d = readFile(good);
        if (cut == -2)
            d.chop(30);
        else if (cut == -3)
            d.chop(4);
        else if (cut >= 0)
            d.truncate(cut);
        if (offset >= 0)
            emf::putU32(d, offset, std::uint32_t(value));
        const QString bad = path(QStringLiteral("bad.QRP"));
        writeFile(bad, d);
        QString message;
        try {
            store->LoadPages(bad);
        } catch (const EQRError &e) {
            message = QString::fromUtf8(e.what());
        }
        QVERIFY2(message.startsWith(QStringLiteral("\"bad.QRP\" is not a valid report file")),
                 qPrintable(message));
        QCOMPARE(store->Status(), psEmpty);
        QCOMPARE(store->StoredPages(), 0);
        // A sound file still loads afterwards.
        store->LoadPages(good);
        QCOMPARE(store->PageCount(), 3);
    }

    // A sound file whose pages would take seconds to draw at every repaint and print is
    // refused when it is loaded.
    void pagesAskingTooMuchAreRefused_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("reason");
        const QByteArray fullPage = rectangleRecord(QRect(0, 0, 816, 1056));
        QTest::newRow("within the bounds")
            << pageRepeating(fontRecords(16) + textRecord(200, true), 3, 50) << QString();
        QTest::newRow("many page-sized rectangles")
            << pageRepeating(fullPage, 1, 70000) << QStringLiteral("drawing records");
        QTest::newRow("page-sized rectangles painted over and over")
            << pageRepeating(fullPage, 1, 400) << QStringLiteral("paints its area 400 times");
        QTest::newRow("many small characters")
            << pageRepeating(fontRecords(10) + textRecord(8192, false), 3, 10)
            << QStringLiteral("81920 characters");
        QTest::newRow("huge spaced characters")
            << pageRepeating(fontRecords(1400) + textRecord(8192, true), 3, 40)
            << QStringLiteral("327680 characters");
        QTest::newRow("a few huge characters")
            << pageRepeating(fontRecords(1400) + textRecord(100, true), 3, 10)
            << QStringLiteral("times over");
    }
    void pagesAskingTooMuchAreRefused() {
        QFETCH(QByteArray, page);
        QFETCH(QString, reason);
        QVERIFY2(emf::EmfPlayer::validate(page).isEmpty(),
                 qPrintable(emf::EmfPlayer::validate(page)));
        QByteArray file = qrfile::makeHeader(816, 1056, 96, 2, QDateTime::currentDateTime(), true);
        for (const QByteArray &picture : {emf::EmfWriter(816, 1056, 96).finish(), page}) {
            QByteArray offset;
            emf::appendI32(offset, std::int32_t(file.size()));
            file += picture + offset;
        }
        const QString name = path(QStringLiteral("heavy.QRP"));
        writeFile(name, file);
        QString message;
        try {
            store->LoadPages(name);
        } catch (const EQRError &e) {
            message = QString::fromUtf8(e.what());
        }
        if (reason.isEmpty()) { // a page within the bounds loads
            QCOMPARE(message, QString());
            QCOMPARE(store->PageCount(), 2);
            return;
        }
        QVERIFY2(message.startsWith(QStringLiteral("\"heavy.QRP\" is not a valid report file: "
                                                   "page 2: ")),
                 qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(store->Status(), psEmpty);
    }

    // The tallest page the equipment list makes, on A3 with every field at its widest, stays
    // well inside every bound.
    void largestRealPageIsWellInsideTheBounds() {
        TempCatalogue cat(QStringLiteral("VantrelDB"));
        makeWidestEquipment(cat, 300);
        store->SetPrinter(pdfPrinter(path(QStringLiteral("a3.pdf")), 11.69, 16.54));
        TfrmPrint form;
        form.sqlEquipment->open();
        form.QRReport1->ShowProgress = false;
        form.QRReport1->Prepare();
        QVERIFY(store->PageCount() >= 3);
        for (int p = 1; p <= 2; ++p) {
            const emf::DrawingWork work = emf::EmfPlayer::measure(store->Page(p));
            qDebug("page %d: %lld records, %lld characters, area painted %.1f times", p,
                   work.records, work.glyphs, work.pagesPainted());
            QVERIFY(work.records * 4 < emf::EmfPlayer::kMaxRecords);
            QVERIFY(work.glyphs * 4 < emf::EmfPlayer::kMaxGlyphs);
            QVERIFY(work.pagesPainted() * 4 < emf::EmfPlayer::kMaxPagesPainted);
            QCOMPARE(emf::EmfPlayer::checkWork(store->Page(p)), QString());
        }
        // Saved and loaded again, the pages are accepted.
        const QString file = path(QStringLiteral("a3.QRP"));
        store->SavePages(file);
        store->LoadPages(file);
        QVERIFY(store->PageCount() >= 3);
    }

    void missingFileIsAnError() {
        QVERIFY_THROWS_EXCEPTION(EQRError, store->LoadPages(path(QStringLiteral("none.QRP"))));
        QCOMPARE(store->Status(), psEmpty);
    }

    // Qt's own PDF output keeps the text, so what was printed can be read back.
    void printOnPdfKeepsTheTexts() {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (tool.isEmpty())
            QSKIP("pdftotext is not installed");
        TempCatalogue cat(QStringLiteral("VantrelDB"));
        makeEquipment(cat, 70);
        const QString pdf = path(QStringLiteral("list.pdf"));
        store->SetPrinter(pdfPrinter(pdf, 8.27, 11.0));
        TfrmPrint form;
        form.sqlEquipment->open();
        form.QRReport1->ShowProgress = false;
        form.QRReport1->Prepare();
        QCOMPARE(store->PageCount(), 2);
        store->SelectPage(2);
        store->PrintPages();
        QCOMPARE(store->CurrentPage(), 2);
        QVERIFY(QFile::exists(pdf));
        const QString text = run(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("Equipment List")), qPrintable(text.left(300)));
        QVERIFY(text.contains(QStringLiteral("Weapon 1 ")));
        QVERIFY(text.contains(QStringLiteral("Weapon 70")));
        QVERIFY(text.contains(QStringLiteral("Tonnage")));
        QCOMPARE(text.count(QLatin1Char('\f')), 2); // two pages
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.contains(QStringLiteral("Vantrel Equipment List")));
    }

    // On paper, codes too wide for their column even in the narrowest face are cut off at
    // the printable area's left edge: the sheet's margin stays white.
    void printedCodesStopAtThePrintableArea_data() {
        QTest::addColumn<bool>("queue");
        QTest::newRow("PDF file") << false;
        QTest::newRow("default print queue") << true;
    }
    void printedCodesStopAtThePrintableArea() {
        QFETCH(bool, queue);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm is not installed");
        QString pdf = path(QStringLiteral("margins.pdf"));
        const QDir out(QDir::home().filePath(QStringLiteral("PDF")));
        const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        if (queue) {
            const QPrinterInfo info = QPrinterInfo::defaultPrinter();
            if (info.isNull())
                QSKIP("no printer is installed");
            store->SetPrinter(std::make_unique<QPrinter>(info, QPrinter::HighResolution));
        } else {
            auto printer = pdfPrinter(pdf, 8.27, 11.69);
            printer->setFullPage(false);
            printer->setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
            store->SetPrinter(std::move(printer));
        }
        if (store->OffsetX() < 8)
            QSKIP("the printer has no left margin to keep white");
        TempCatalogue cat(QStringLiteral("VantrelDB"));
        makeWidestEquipment(cat, 20);
        TfrmPrint form;
        form.sqlEquipment->open();
        form.QRReport1->ShowProgress = false;
        form.QRReport1->Prepare();
        store->PrintPages();
        if (queue)
            QTRY_VERIFY_WITH_TIMEOUT(!(pdf = newPrintedFile(before)).isEmpty(), 90000);
        QImage page;
        QTRY_VERIFY_WITH_TIMEOUT(!(page = firstPageOf(pdf, path(QStringLiteral("page")))).isNull(),
                                 30000);
        QVERIFY(qAbs(page.width() - store->SheetWidth()) <= 1);
        // The rows of codes: the margin left of the printable area is white, the area itself
        // holds the yellow and white rows with their codes.
        const int left = store->OffsetX(), top = store->OffsetY() + 169;
        int inked = 0;
        for (int y = top; y < top + 16 * 20; ++y) {
            for (int x = 0; x < left - 1; ++x)
                QVERIFY2(qGray(page.pixel(x, y)) > 245,
                         qPrintable(QStringLiteral("ink at %1, %2 in the margin").arg(x).arg(y)));
            for (int x = left + 1; x < left + 44; ++x)
                inked += qGray(page.pixel(x, y)) < 128;
        }
        QVERIFY(inked > 100);
    }

    void cancelAbortsPrinting() {
        const QString pdf = path(QStringLiteral("cancelled.pdf"));
        store->SetPrinter(pdfPrinter(pdf, 8.5, 11));
        recordPages(*store, 3);
        // Cancel as the button would: once the job has begun.
        std::function<void()> cancelWhenPrinting = [&] {
            if (store->Printer()->printerState() == QPrinter::Active)
                store->Cancel();
            else
                QTimer::singleShot(0, cancelWhenPrinting);
        };
        QTimer::singleShot(0, cancelWhenPrinting);
        store->PrintPages();
        QVERIFY(store->Cancelled);
        // Qt's PDF output cannot abort a job; it must at least hold none of the pages.
        if (QFile::exists(pdf) &&
            !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QVERIFY(!run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
                         .contains(QStringLiteral("Page text")));
    }

    // A real print job on the default CUPS queue, when there is one.
    void printOnTheDefaultPrinter() {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            QSKIP("no printer is installed");
        const QDir out(QDir::home().filePath(QStringLiteral("PDF")));
        const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        store->SetPrinter(std::make_unique<QPrinter>(info, QPrinter::HighResolution));
        QVERIFY(store->CanPrint());
        recordPages(*store, 2);
        store->Title = QStringLiteral("Korvandel print test");
        store->PrintPages();
        QStringList added;
        QTRY_VERIFY_WITH_TIMEOUT(
            (added = out.entryList({QStringLiteral("*.pdf")}, QDir::Files)).size() > before.size(),
            90000);
        for (const QString &name : before)
            added.removeAll(name);
        QVERIFY(!added.isEmpty());
        const QString pdf = out.filePath(added.constFirst());
        QTRY_VERIFY_WITH_TIMEOUT(
            run(QStringLiteral("pdfinfo"), {pdf})
                .contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b"))),
            30000);
        QVERIFY(
            run(QStringLiteral("pdfinfo"), {pdf}).contains(QStringLiteral("Korvandel print test")));
    }
};

QTEST_MAIN(TestReportStore)
#include "tst_report_store.moc"

// The equipment list over a generated Equipment table (all columns): preparing its pages,
// saving and loading them, beside the bare iteration of the same query in the same run.
//   bench_report [rows ...]        default 10000 100000
#include "controls/Fonts.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "report/Print.h"
#include "report/QRPrinter.h"
#include "report/emf/EmfPlayer.h"
#include "report/emf/EmfWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace report;

namespace {

// Peak resident memory of the process so far, in megabytes.
double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

double seconds(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e9;
}

void makeTable(const QString &dir, int rows) {
    const QString path = dir + QStringLiteral("/bench.sqlite");
    QFile::remove(path);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(path);
        db.open();
        db::AliasRegistry::runScript(db, data::equipmentSchemaSql());
        QSqlQuery fill(db);
        fill.exec(QStringLiteral(
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                      "%1) INSERT INTO Equipment (Code, Name, Abbrev, Kind, Era, HeatToUser, "
                      "DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, "
                      "Description1) SELECT 'K' || i, 'Item ' || i || ' Laser', 'IT' || (i % "
                      "1000), 'Weapon', 'IS', i % 30, i % 20, i % 4, 3, 6, 9, (i % 40) / 2.0, "
                      "i % 8, i % 50, 'A generated item for the benchmark, row ' || i FROM n")
                      .arg(rows));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    const QString ini = dir + QStringLiteral("/databases.ini");
    QSettings settings(ini, QSettings::IniFormat);
    settings.setValue(QStringLiteral("VantrelDB/Driver"), QStringLiteral("SQLITE"));
    settings.setValue(QStringLiteral("VantrelDB/Path"), path);
    settings.sync();
    db::AliasRegistry::closeAll();
    db::AliasRegistry::setConfigFile(ini);
}

// The same query, walked and its eleven printed fields read as text, nothing drawn.
double bareIteration(int &rows) {
    db::DataSet set(QStringLiteral("VantrelDB"));
    set.setSql({QStringLiteral("SELECT * FROM Equipment")});
    set.setRequestLive(false);
    QElapsedTimer t;
    t.start();
    set.open();
    std::vector<db::Field *> fields;
    for (const char *name : {"Name", "HeatToUser", "DamageToTarget", "RangeMin", "RangeS", "RangeM",
                             "RangeL", "Weight", "Crits", "Ammo", "Code"})
        fields.push_back(set.fieldByName(QString::fromLatin1(name)));
    rows = 0;
    qsizetype chars = 0;
    for (set.first(); !set.eof(); set.next(), ++rows)
        for (db::Field *f : fields)
            chars += f->asString().size();
    const double s = seconds(t);
    if (chars < 0)
        std::puts("");
    return s;
}

void run(int rows, const QString &dir) {
    makeTable(dir, rows);
    int walked = 0;
    bareIteration(walked); // warm the database file's pages
    const double bare = bareIteration(walked);

    QElapsedTimer t;
    t.start();
    TfrmPrint form;
    form.sqlEquipment->open();
    form.QRReport1->Prepare();
    const double prepare = seconds(t);
    TQRPrinter &store = *QRPrinter;
    qint64 bytes = 0, largest = 0, held = 0, largestHeld = 0;
    for (int i = 1; i <= store.PageCount(); ++i) {
        bytes += store.Page(i).size();
        largest = qMax<qint64>(largest, store.Page(i).size());
        held += store.PageBytesHeld(i);
        largestHeld = qMax<qint64>(largestHeld, store.PageBytesHeld(i));
    }
    const double afterPrepare = peakMegabytes();

    const QString file = dir + QStringLiteral("/list.QRP");
    t.restart();
    store.SavePages(file);
    const double save = seconds(t);
    const qint64 fileSize = QFile(file).size();
    t.restart();
    store.LoadPages(file);
    const double load = seconds(t);
    const int pages = store.PageCount();
    store.ClearPages();

    std::printf("%d rows (%d walked), %d pages\n", rows, walked, pages);
    std::printf("  bare iteration   %8.3f s  %10.0f rows/s\n", bare, rows / bare);
    std::printf("  prepare          %8.3f s  %10.0f rows/s  %.2f x bare per row\n", prepare,
                rows / prepare, prepare / bare);
    std::printf("  page in memory   %8.1f KB average, %.1f KB largest (picture %.1f KB, %.1f KB)\n",
                double(held) / pages / 1024.0, double(largestHeld) / 1024.0,
                double(bytes) / pages / 1024.0, double(largest) / 1024.0);
    std::printf("  save             %8.3f s  %8.1f MB file\n", save, fileSize / 1048576.0);
    std::printf("  load             %8.3f s  %10.0f pages/s\n", load, pages / load);
    std::printf("  peak memory      %8.1f MB after prepare, %.1f MB after load\n", afterPrepare,
                peakMegabytes());
    std::fflush(stdout);
}

// Milliseconds to draw a page at 100 % (one screen pixel a page unit), best of three.
double drawMilliseconds(const QByteArray &page, QImage &image) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QPainter painter(&image);
        QElapsedTimer t;
        t.start();
        emf::EmfPlayer::play(page, painter, QRectF(image.rect()));
        painter.end();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

// Pages that a loaded report file may hold at most, each at one of the bounds, drawn beside
// the list's own fullest page.
void drawingBounds() {
    TQRPrinter &store = *QRPrinter;
    const int w = store.PageWidth(), h = store.PageHeight();
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);

    struct Case {
        const char *name;
        QByteArray page;
    };
    std::vector<Case> cases;
    cases.push_back({"fullest list page", store.Page(2)});
    {
        emf::EmfWriter page(w, h, 96);
        page.setBrush(0x0080FFFF);
        for (qint64 i = 0; i + 20 < emf::EmfPlayer::kMaxRecords; ++i)
            page.fillRect(QRect(int(i % 80) * 10, int(i / 80 % 100) * 10, 9, 9));
        cases.push_back({"records at the bound", page.finish()});
    }
    {
        emf::EmfWriter page(w, h, 96);
        emf::LogFont font;
        font.height = -16;
        page.setFont(font);
        const QString line(100, QLatin1Char('W'));
        for (qint64 i = 0; (i + 1) * 100 <= emf::EmfPlayer::kMaxGlyphs; ++i)
            page.textOut(0, int(i % 60) * 16, line, emf::TA_LEFT, QRect(0, 0, w, 16), false, false);
        cases.push_back({"characters at the bound", page.finish()});
    }
    {
        emf::EmfWriter page(w, h, 96);
        for (int i = 0; i < int(emf::EmfPlayer::kMaxPagesPainted) - 1; ++i) {
            page.setBrush(i % 2 ? 0x00FFFFFF : 0x0080FFFF);
            page.fillRect(QRect(0, 0, w, h));
        }
        cases.push_back({"painted area at the bound", page.finish()});
    }
    std::printf("drawing one page at 100 %% (%d x %d)\n", w, h);
    for (const Case &c : cases) {
        QElapsedTimer t;
        t.start();
        const emf::DrawingWork work = emf::EmfPlayer::measure(c.page);
        const QString verdict = emf::EmfPlayer::checkWork(c.page);
        const double judge = double(t.nsecsElapsed()) / 1e6;
        std::printf("  %-26s %8.1f ms draw  %6.2f ms judge  %6lld records %6lld chars %6.1f "
                    "pages painted%s\n",
                    c.name, drawMilliseconds(c.page, image), judge, work.records, work.glyphs,
                    work.pagesPainted(), verdict.isEmpty() ? "" : "  (refused)");
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    controls::installFontSubstitutes();
    CreateQRPrinter(&app);
    // A fixed printable area (8 x 10.5 inches) so every machine makes the same pages.
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QStringLiteral("/dev/null"));
    printer->setPageLayout(QPageLayout(QPageSize(QSizeF(8, 10.5), QPageSize::Inch),
                                       QPageLayout::Portrait, QMarginsF(), QPageLayout::Inch));
    QRPrinter->SetPrinter(std::move(printer));
    QRPrinter->ShowProgress = false;

    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {10000, 100000};
    QTemporaryDir dir;
    for (int rows : sizes)
        run(rows, dir.path());
    // The fullest page of the list, on the tallest paper the report names (A3, no margins).
    makeTable(dir.path(), 200);
    auto a3 = std::make_unique<QPrinter>(QPrinter::HighResolution);
    a3->setOutputFormat(QPrinter::PdfFormat);
    a3->setOutputFileName(QStringLiteral("/dev/null"));
    a3->setPageLayout(QPageLayout(QPageSize(QPageSize::A3), QPageLayout::Portrait, QMarginsF()));
    QRPrinter->SetPrinter(std::move(a3));
    {
        TfrmPrint form;
        form.sqlEquipment->open();
        form.QRReport1->Prepare();
        drawingBounds();
        QRPrinter->ClearPages();
    }
    db::AliasRegistry::closeAll();
    return 0;
}

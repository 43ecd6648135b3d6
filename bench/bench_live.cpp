// How soon an editor shows another program's writes to the Equipment table, and what
// following them costs: for 1,000, 100,000 and 1,000,000 rows, the time from the other
// connection's COMMIT to the dataset holding the new value (median and 99th percentile) for
// an update of the current row, an insert and a delete; the longest stall of the GUI thread
// meanwhile and while the game writes 20 times a second; how long Refresh holds the GUI
// thread; the CPU an idle editor uses.
//   bench_live [--engine sqlite|postgres] [--idle seconds] [rows ...]
// The embedded engine works on a new file in a temporary folder; the server engine on the
// database the KORVANDEL_PG_* variables name (scripts/start-postgres.sh), whose Equipment
// table is emptied first. The other writer is a second connection of this process: another
// session to the engine.
#include "data/EquipmentQuery.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Adds generated rows with the keys after `from` up to `rows`.
bool fillTo(QSqlDatabase &db, int from, int rows) {
    const db::Dialect &dialect = db::Dialect::of(db);
    return bench::execOrReport(
        db, QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
                "INSERT INTO Equipment (Number, Code, Name, Abbrev, Kind, Era, HeatToUser, "
                "DamageToTarget, Weight, Cost, Description1, NeedLOS, IsMissile) "
                "SELECT i, 'K' || i, 'Item ' || i, 'IT' || (i % 1000), 'Weapon', 'IS', "
                "i % 30, i % 20, (i % 40) / 2.0, i * 10, "
                "'A generated item for the benchmark, row ' || i, %3, %3 FROM n")
                .arg(from + 1)
                .arg(rows)
                .arg(dialect.booleanLiteral(false)));
}

// Runs the event loop until the condition holds (checked every millisecond) or the time is
// up; returns the milliseconds waited. The longest gap between two checks, a stall of the
// GUI thread, is kept in *stall.
double waitFor(const std::function<bool()> &condition, double *stall, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    double last = 0;
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, [&] {
        const double now = double(timer.nsecsElapsed()) / 1e6;
        *stall = std::max(*stall, now - last);
        last = now;
        if (condition() || now > timeoutMs)
            loop.quit();
    });
    check.start();
    loop.exec();
    return double(timer.nsecsElapsed()) / 1e6;
}

void pause(int milliseconds) {
    double ignored = 0;
    waitFor([] { return false; }, &ignored, milliseconds);
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

// One kind of write by the other connection: the statement for the n-th sample, and when
// the dataset shows it.
struct Kind {
    const char *name;
    std::function<QString(int n)> statement;
    std::function<bool(int n)> shown;
};

void measure(db::DataSet &set, QSqlDatabase &writer, int rows, int samples) {
    const qint64 current = set.bookmark().toLongLong();
    int last = rows; // the highest key: inserts go above it, deletes take them away again
    int countBefore = 0;
    const auto name = [&set] { return set.fieldByName(QStringLiteral("Name"))->asString(); };
    const std::vector<Kind> kinds{
        {"update",
         [current](int n) {
             return QStringLiteral("UPDATE Equipment SET Name = 'Changed %1' WHERE Number = %2")
                 .arg(n)
                 .arg(current);
         },
         [&name](int n) { return name() == QStringLiteral("Changed %1").arg(n); }},
        {"insert",
         [&last](int) {
             return QStringLiteral(
                        "INSERT INTO Equipment (Number, Code, Name) VALUES (%1, 'N%1', 'New')")
                 .arg(++last);
         },
         [&](int) { return set.recordCount() == countBefore + 1; }},
        {"delete",
         [&last](int) {
             return QStringLiteral("DELETE FROM Equipment WHERE Number = %1").arg(last--);
         },
         [&](int) { return set.recordCount() == countBefore - 1; }},
    };
    for (const Kind &kind : kinds) {
        std::vector<double> latencies;
        double stall = 0;
        for (int n = 0; n < samples; ++n) {
            // Writes land at any moment of the editor's polling.
            pause((n * 37) % 250);
            countBefore = set.recordCount();
            if (!bench::execOrReport(writer, kind.statement(n)))
                return;
            latencies.push_back(waitFor([&] { return kind.shown(n); }, &stall));
        }
        std::printf("%9d rows  %-6s  median %7.1f ms  p99 %7.1f ms  longest stall %6.1f ms\n", rows,
                    kind.name, percentile(latencies, 0.5), percentile(latencies, 0.99), stall);
        std::fflush(stdout);
    }
}

// The game writing in a loop: 20 updates of the current row a second for 5 seconds.
void burst(db::DataSet &set, QSqlDatabase &writer, int rows) {
    double stall = 0;
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const qint64 current = set.bookmark().toLongLong();
    for (int n = 0; n < 100; ++n) {
        bench::execOrReport(
            writer, QStringLiteral("UPDATE Equipment SET Name = 'Burst %1' WHERE Number = %2")
                        .arg(n)
                        .arg(current));
        waitFor([] { return false; }, &stall, 50);
    }
    const double latency = waitFor(
        [&] {
            return set.fieldByName(QStringLiteral("Name"))->asString() ==
                   QStringLiteral("Burst 99");
        },
        &stall);
    const double cpu = processCpuSeconds() - cpuBefore;
    std::printf("%9d rows  20 writes/s for 5 s: last shown after %.1f ms, longest stall %.1f ms, "
                "CPU %.0f %% of a core\n",
                rows, latency, stall, 100.0 * cpu / (double(timer.nsecsElapsed()) / 1e9));
    std::fflush(stdout);
}

void idle(int rows, int seconds) {
    const double before = processCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = processCpuSeconds() - before;
    std::printf("%9d rows  idle for %d s: CPU %.2f %% of a core\n", rows, seconds,
                100.0 * cpu / (double(timer.nsecsElapsed()) / 1e9));
    std::fflush(stdout);
}

// The alias of the benchmark's catalogue, written to a configuration file of its own.
bool configure(const QString &engine, const QString &folder) {
    const QString ini = folder + QStringLiteral("/databases.ini");
    QSettings settings(ini, QSettings::IniFormat);
    settings.beginGroup(data::equipmentAlias());
    const auto env = [](const char *name) { return qEnvironmentVariable(name); };
    if (engine == QLatin1String("postgres")) {
        if (env("KORVANDEL_PG_HOST").isEmpty()) {
            std::fprintf(stderr, "--engine postgres needs the KORVANDEL_PG_* variables: "
                                 "eval \"$(scripts/start-postgres.sh)\"\n");
            return false;
        }
        bench::writeServerAlias(settings);
    } else {
        const QString path = folder + QStringLiteral("/live.sqlite");
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
            db.setDatabaseName(path);
            db.open();
            db::AliasRegistry::runScript(db, data::equipmentSchemaSql());
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("make"));
        settings.setValue(QStringLiteral("Driver"), QStringLiteral("SQLITE"));
        settings.setValue(QStringLiteral("Path"), path);
    }
    settings.endGroup();
    settings.sync();
    db::AliasRegistry::setConfigFile(ini);
    data::registerEquipmentDatabase();
    return true;
}

void run(bool server, const std::vector<int> &sizes, int idleSeconds) {
    QSqlDatabase editor = db::AliasRegistry::database(data::equipmentAlias());
    if (server)
        bench::execOrReport(editor, QStringLiteral("DELETE FROM Equipment"));
    QSqlDatabase writer = QSqlDatabase::cloneDatabase(editor, QStringLiteral("writer"));
    if (!writer.open())
        throw db::DatabaseError(writer.lastError().text());
    std::printf("bench_live on %s\n", qPrintable(db::Dialect::of(editor).engineName()));
    int filled = 0;
    for (int rows : sizes) {
        QElapsedTimer fill;
        fill.start();
        if (!fillTo(writer, filled, rows))
            return;
        bench::execOrReport(writer, server ? QStringLiteral("VACUUM ANALYZE Equipment")
                                           : QStringLiteral("ANALYZE"));
        filled = rows;
        std::printf("(%d rows filled in %.1f s)\n", rows, double(fill.elapsed()) / 1000.0);
        db::DataSet set;
        data::configureEquipmentQuery(set, true);
        set.setFollowChanges(true);
        QElapsedTimer open;
        open.start();
        set.open();
        set.setRecNo(rows / 2);
        std::printf("%9d rows  open %.0f ms\n", rows, double(open.elapsed()));
        measure(set, writer, rows, rows >= 1000000 ? 20 : 40);
        burst(set, writer, rows);
        QElapsedTimer refresh;
        refresh.start();
        set.refresh();
        std::printf("%9d rows  Refresh holds the GUI thread %.1f ms\n", rows,
                    double(refresh.nsecsElapsed()) / 1e6);
        if (rows == sizes.back() && idleSeconds > 0)
            idle(rows, idleSeconds);
    }
    writer.close();
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    QString engine = QStringLiteral("sqlite");
    int idleSeconds = 60;
    std::vector<int> sizes;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--engine") && i + 1 < arguments.size())
            engine = arguments[++i];
        else if (arguments[i] == QLatin1String("--idle") && i + 1 < arguments.size())
            idleSeconds = arguments[++i].toInt();
        else
            sizes.push_back(arguments[i].toInt());
    }
    if (sizes.empty())
        sizes = {1000, 100000, 1000000};
    std::sort(sizes.begin(), sizes.end());
    QTemporaryDir folder;
    if (!configure(engine, folder.path()))
        return 2;
    try {
        run(engine == QLatin1String("postgres"), sizes, idleSeconds);
    } catch (const db::DatabaseError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    db::AliasRegistry::closeAll();
    return 0;
}

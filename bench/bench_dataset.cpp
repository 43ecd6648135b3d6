// The dataset over a million-row Equipment table: each operation beside a bare reference
// run through the same driver in the same process.
//   bench_dataset [--engine sqlite|postgres] [rows] [database-file]
// The embedded engine works on a file (made once in /tmp by default); the server engine on
// the database the KORVANDEL_PG_* variables name (scripts/start-postgres.sh), refilled
// whenever it does not hold exactly [rows] rows.
#include "data/EquipmentQuery.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>
#include <functional>
#include <optional>
#include <unistd.h>

namespace {

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/statm"));
    status.open(QIODevice::ReadOnly);
    const QList<QByteArray> parts = status.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0;
}

// Where the benchmark's rows live and how that engine's alias is written.
struct Engine {
    QString where;                                   // for the heading
    std::function<void(QSettings &)> configureAlias; // Driver and location of VantrelDB
    QString afterFill;                               // statistics (and visibility) for the planner
};

// The embedded engine: a file that is given the schema when it does not exist yet.
Engine sqliteEngine(const QString &path) {
    if (!QFileInfo::exists(path)) {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(path);
        db.open();
        db::AliasRegistry::runScript(db, data::equipmentSchemaSql());
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("make"));
    }
    return {path,
            [path](QSettings &alias) {
                alias.setValue(QStringLiteral("Driver"), QStringLiteral("SQLITE"));
                alias.setValue(QStringLiteral("Path"), path);
            },
            QStringLiteral("ANALYZE")};
}

// The server engine through its local socket; the editor creates the table on first use.
std::optional<Engine> postgresEngine() {
    const auto env = [](const char *name) { return qEnvironmentVariable(name); };
    if (env("KORVANDEL_PG_HOST").isEmpty()) {
        std::fprintf(stderr, "--engine postgres needs the KORVANDEL_PG_* variables: "
                             "eval \"$(scripts/start-postgres.sh)\"\n");
        return std::nullopt;
    }
    data::registerEquipmentDatabase();
    return Engine{
        QStringLiteral("PostgreSQL %1 on %2:%3")
            .arg(env("KORVANDEL_PG_DATABASE"), env("KORVANDEL_PG_HOST"), env("KORVANDEL_PG_PORT")),
        [](QSettings &alias) { bench::writeServerAlias(alias); },
        QStringLiteral("VACUUM ANALYZE Equipment")};
}

// Gives the table exactly `rows` generated rows unless it has that many already. One in a
// hundred rows is a "Gauss" item, so that search matches 1 % of the rows.
bool fillTable(QSqlDatabase &db, const Engine &engine, int rows) {
    QSqlQuery count(db);
    if (count.exec(QStringLiteral("SELECT COUNT(*) FROM Equipment")) && count.next() &&
        count.value(0).toInt() == rows)
        return true;
    count.finish();
    std::printf("filling %d rows in %s ...\n", rows, qPrintable(engine.where));
    std::fflush(stdout);
    const db::Dialect &dialect = db::Dialect::of(db);
    return bench::execOrReport(db, QStringLiteral("DELETE FROM Equipment")) &&
           bench::execOrReport(
               db,
               QStringLiteral(
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                   "INSERT INTO Equipment (Code, Name, Abbrev, Kind, Era, HeatToUser, "
                   "DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, "
                   "Cost, Description1, Description2, Chamber1, Chamber2, NeedLOS, IsMissile) "
                   "SELECT 'K' || i, 'Item ' || i || CASE WHEN i % 100 = 0 THEN ' Gauss' ELSE "
                   "' Laser' END, 'IT' || (i % 1000), 'Weapon', 'IS', i % 30, i % 20, 0, 3, 6, "
                   "9, (i % 40) / 2.0, i % 8, i % 50, i % 300, i * 10, "
                   "'A generated item for the benchmark, row ' || i, "
                   "'Second line of the description', 'K' || (i + 1), 'K' || (i + 2), "
                   "i % 2 = 1, %2 FROM n")
                   .arg(rows)
                   .arg(dialect.booleanLiteral(false))) &&
           bench::execOrReport(db, engine.afterFill);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString engineName = QStringLiteral("sqlite");
    if (!args.isEmpty() && args.front() == QLatin1String("--engine") && args.size() > 1) {
        engineName = args.at(1);
        args = args.mid(2);
    }
    const int rows = !args.isEmpty() ? args.at(0).toInt() : 1000000;
    if (rows <= 0) {
        std::fprintf(stderr, "usage: bench_dataset [--engine sqlite|postgres] [rows] [file]\n");
        return 2;
    }
    std::optional<Engine> engine;
    if (engineName == QLatin1String("sqlite"))
        engine = sqliteEngine(args.size() > 1
                                  ? args.at(1)
                                  : QDir::tempPath() +
                                        QStringLiteral("/korvandel-bench-%1.sqlite").arg(rows));
    else if (engineName == QLatin1String("postgres"))
        engine = postgresEngine();
    else
        std::fprintf(stderr, "unknown engine %s (sqlite or postgres)\n", qPrintable(engineName));
    if (!engine)
        return 2;

    const QString ini = QDir::tempPath() + QStringLiteral("/korvandel-bench-%1.ini").arg(getpid());
    {
        QSettings settings(ini, QSettings::IniFormat);
        settings.beginGroup(data::equipmentAlias());
        engine->configureAlias(settings);
    }
    db::AliasRegistry::setConfigFile(ini);
    QSqlDatabase db;
    try {
        db = db::AliasRegistry::database(data::equipmentAlias());
    } catch (const db::DatabaseError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
    }
    QFile::remove(ini); // it holds the server's password
    if (!db.isOpen() || !fillTable(db, *engine, rows))
        return 1;
    const db::Dialect &dialect = db::Dialect::of(db);

    auto bareKeys = [&](const QString &where, const QString &pattern) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT Number FROM Equipment %1 ORDER BY Number").arg(where));
        if (!pattern.isEmpty()) {
            query.addBindValue(pattern);
            query.addBindValue(pattern);
        }
        query.exec();
        std::vector<qint64> keys;
        while (query.next())
            keys.push_back(query.value(0).toLongLong());
        return keys.size();
    };
    auto whereBoth = [](const std::function<QString(const QString &)> &condition) {
        return QStringLiteral("WHERE %1 OR %2")
            .arg(condition(QStringLiteral("Name")), condition(QStringLiteral("Abbrev")));
    };
    // The engine's own case-blind LIKE (ASCII letters only on SQLite, the server's locale
    // on PostgreSQL), as the search used it before it folded every letter.
    const QString likeWhere =
        whereBoth([&](const QString &column) { return dialect.caseBlindLike(column); });
    const QString foldedWhere =
        whereBoth([&](const QString &column) { return dialect.foldedContains(column); });
    bareKeys(QString(), QString()); // warm the page cache for both sides alike

    std::printf("Korvandel dataset benchmark, %d rows (%s)\n", rows, qPrintable(engine->where));
    std::printf("%-34s %12s %14s\n", "operation", "dataset ms", "reference ms");

    const double rssBefore = residentMegabytes();
    db::DataSet set;
    data::configureEquipmentQuery(set, true);
    const double openMs = bench::timeMs([&] {
        set.close();
        set.open();
        set.fieldByName(QStringLiteral("Name"))->asString();
    });
    const double bareOpenMs = bench::timeMs([&] { bareKeys(QString(), QString()); });
    std::printf("%-34s %12.2f %14.2f  (bare key query)\n", "Open to first row current", openMs,
                bareOpenMs);
    const double rssAfter = residentMegabytes();

    // Moves are timed cold: the row cache is emptied (by a reopen, not timed) before each.
    auto cold = [&](const std::function<void()> &move, int startRow = 0) {
        std::vector<double> times;
        for (int i = 0; i < 7; ++i) {
            set.close();
            set.open();
            set.moveBy(startRow);
            QElapsedTimer timer;
            timer.start();
            move();
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    std::printf("%-34s %12.3f\n", "Last (cold cache)", cold([&] { set.last(); }));
    std::printf("%-34s %12.3f\n", "Move by 50 (cold cache)", cold([&] { set.moveBy(50); }, 100));
    std::printf("%-34s %12.3f\n", "Move by 50 (warm cache)",
                bench::timeMs([&] { set.moveBy(50); }, 21));
    set.moveBy(rows / 3);
    const QVariant mark = set.bookmark();
    std::printf("%-34s %12.3f\n", "Go to bookmark (cold cache)",
                cold([&] { set.gotoBookmark(mark); }));

    int matches = 0;
    const double searchMs = bench::timeMs([&] {
        data::searchEquipment(set, QStringLiteral("Gauss"));
        matches = set.recordCount();
        set.fieldByName(QStringLiteral("Name"))->asString();
    });
    std::size_t likeMatches = 0;
    std::size_t foldedMatches = 0;
    const double bareSearchMs =
        bench::timeMs([&] { likeMatches = bareKeys(likeWhere, QStringLiteral("%Gauss%")); });
    const double bareFoldedMs = bench::timeMs([&] {
        foldedMatches =
            bareKeys(foldedWhere, db::Dialect::containsPattern(QStringLiteral("gAUSS")));
    });
    std::printf("%-34s %12.2f %14.2f  (engine's own LIKE, bare; %d rows, bare %zu)\n",
                "Search matching 1 %", searchMs, bareSearchMs, matches, likeMatches);
    std::printf("%-34s %12.2f %14.2f  (the same; %zu rows)\n", "Folded literal LIKE alone, bare",
                bareFoldedMs, bareSearchMs, foldedMatches);

    data::searchEquipment(set, QString());
    set.moveBy(rows / 2);
    int heat = 0;
    // Edit and Post: the stored row read at Edit and again inside the write transaction,
    // compared, written, re-read. Beside it the bare write of the same column.
    const double postMs = bench::timeMs(
        [&] {
            set.edit();
            set.fieldByName(QStringLiteral("HeatToUser"))
                ->setAsString(QString::number(++heat % 30));
            set.post();
        },
        21);
    const QVariant key = set.bookmark();
    const double bareUpdateMs = bench::timeMs(
        [&] {
            QSqlQuery(db).exec(dialect.beginWriteStatement());
            QSqlQuery update(db);
            update.prepare(QStringLiteral("UPDATE Equipment SET HeatToUser = ? WHERE Number = ?"));
            update.addBindValue(++heat % 30);
            update.addBindValue(key);
            update.exec();
            QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        },
        21);
    std::printf("%-34s %12.3f %14.3f  (plain UPDATE in a transaction)\n",
                "Edit + Post with conflict check", postMs, bareUpdateMs);
    std::printf("%-34s %12.1f MB\n", "Resident memory added by open", rssAfter - rssBefore);
    return 0;
}

// bench_catalogue [rows]: times korvandel-catalogue on a catalogue of a million rows (140
// columns) in both directions between SQLite and PostgreSQL, beside the bare tools doing
// the same move in the same run: sqlite3 -csv, sqlite3 .import, psql \copy. Each tool run
// also reports its peak resident memory. The server is the one the KORVANDEL_PG_*
// variables name (scripts/start-postgres.sh).
#include "data/EquipmentColumns.h"
#include "data/EquipmentHistory.h"
#include "db/AliasRegistry.h"
#include "db/Transaction.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <cstdio>

namespace {

QString env(const char *name) {
    return qEnvironmentVariable(name);
}

struct Run {
    double seconds = 0;
    qint64 peakKilobytes = 0;
};

// Runs a shell command line in the work folder; the peak memory of its first program is
// read from /usr/bin/time. Stops the benchmark when the command fails.
Run runShell(const QString &folder, const QString &command, bool measureMemory) {
    const QString memoryFile = folder + QStringLiteral("/peak.txt");
    const QString line =
        measureMemory ? QStringLiteral("/usr/bin/time -o %1 -f %M %2").arg(memoryFile, command)
                      : command;
    QProcess shell;
    shell.setWorkingDirectory(folder);
    shell.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("bash"),
                {QStringLiteral("-o"), QStringLiteral("pipefail"), QStringLiteral("-c"), line});
    shell.waitForFinished(-1);
    Run run{timer.nsecsElapsed() / 1e9, 0};
    if (shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(line));
        std::exit(1);
    }
    if (measureMemory) {
        QFile peak(memoryFile);
        peak.open(QIODevice::ReadOnly);
        run.peakKilobytes = peak.readAll().trimmed().toLongLong();
    }
    return run;
}

// Times the statement the tool runs after its own import to write the history rows of the
// rows it added, over the rows of the alias's table, and rolls it back: the bare tools'
// share of keeping the history of the same rows. (The tool's result is used because
// sqlite3 .import stores an empty text where the CSV holds NULL.)
Run historyOfRows(const QString &alias) {
    QSqlDatabase db = db::AliasRegistry::database(alias);
    QElapsedTimer timer;
    {
        db::Transaction transaction(db, QStringLiteral("history"));
        timer.start();
        data::recordInsertedRows(db, 0);
    }
    const Run run{timer.nsecsElapsed() / 1e9, 0};
    db.close();
    return run;
}

QString quotedShell(const QString &text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("'\\''")) +
           QLatin1Char('\'');
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    if (rows <= 0 || env("KORVANDEL_PG_HOST").isEmpty()) {
        std::fprintf(stderr, "usage: bench_catalogue [rows]   (with the KORVANDEL_PG_* "
                             "variables of scripts/start-postgres.sh)\n");
        return 2;
    }
    const QString tool =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/korvandel-catalogue");
    const QString folder = QDir::tempPath() + QStringLiteral("/korvandel-bench-catalogue");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/cfg/korvandel"));
    qputenv("XDG_CONFIG_HOME", (folder + QStringLiteral("/cfg")).toUtf8());
    qputenv("PGHOST", env("KORVANDEL_PG_HOST").toUtf8());
    qputenv("PGPORT", env("KORVANDEL_PG_PORT").toUtf8());
    qputenv("PGDATABASE", env("KORVANDEL_PG_DATABASE").toUtf8());
    qputenv("PGUSER", env("KORVANDEL_PG_USER").toUtf8());
    qputenv("PGPASSWORD", env("KORVANDEL_PG_PASSWORD").toUtf8());
    {
        QSettings settings(folder + QStringLiteral("/cfg/korvandel/databases.ini"),
                           QSettings::IniFormat);
        for (const char *alias : {"Source", "Target", "Bare"}) {
            settings.setValue(QStringLiteral("%1/Driver").arg(QLatin1String(alias)),
                              QStringLiteral("SQLITE"));
            settings.setValue(QStringLiteral("%1/Path").arg(QLatin1String(alias)),
                              QStringLiteral("%1/%2.sqlite").arg(folder, QLatin1String(alias)));
        }
        settings.beginGroup(QStringLiteral("Server"));
        bench::writeServerAlias(settings);
    }
    // It holds the server's password: readable by its owner only, as the tool asks.
    QFile::setPermissions(folder + QStringLiteral("/cfg/korvandel/databases.ini"),
                          QFile::ReadOwner | QFile::WriteOwner);
    QStringList columns;
    for (const data::EquipmentColumn &column : data::equipmentColumns())
        columns << QLatin1String(column.name);
    const QString list = columns.join(QLatin1Char(','));
    const QString values = QStringList(columns.mid(2)).join(QStringLiteral(", d."));
    auto shell = [&](const QString &command, bool memory = false) {
        return runShell(folder, command, memory);
    };
    auto psql = [](const QString &sql) {
        return QStringLiteral("psql -q -v ON_ERROR_STOP=1 -c %1").arg(quotedShell(sql));
    };
    auto sqlite = [&](const QString &alias, const QString &sql) {
        return QStringLiteral("sqlite3 %1.sqlite %2").arg(alias, quotedShell(sql));
    };
    auto emptySqlite = [&](const QString &alias) {
        QFile::remove(folder + QLatin1Char('/') + alias + QStringLiteral(".sqlite"));
        QFile(folder + QLatin1Char('/') + alias + QStringLiteral(".sqlite"))
            .open(QIODevice::WriteOnly);
        shell(QStringLiteral("%1 create %2").arg(tool, alias));
    };
    // The history goes too, so that every load into the server starts from the same state
    // (a history that grows by a million rows a load makes each load slower than the last).
    auto emptyServer = [&] {
        shell(psql(QStringLiteral("DROP TABLE IF EXISTS equipment, equipmenthistory")));
        shell(QStringLiteral("%1 create Server").arg(tool));
    };

    // The source: the demo's 103 items repeated with codes of their own.
    std::printf("Korvandel catalogue tool benchmark, %lld rows, 140 columns\n", rows);
    emptySqlite(QStringLiteral("Source"));
    shell(QStringLiteral("%1 demo Source").arg(tool));
    shell(sqlite(QStringLiteral("Source"),
                 QStringLiteral("CREATE TEMP TABLE d AS SELECT * FROM Equipment; DELETE FROM "
                                "Equipment; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                                "i + 1 FROM n WHERE i < %1) INSERT INTO Equipment (%2) SELECT i, "
                                "'K' || i, d.%3 FROM n JOIN d ON d.Number = 1 + i % 103;")
                     .arg(rows)
                     .arg(list, values)));
    std::printf("%-34s %10s %10s %7s %9s\n", "command", "tool s", "bare s", "ratio", "tool MB");
    auto report = [](const char *what, const Run &mine, const Run &bare) {
        std::printf("%-34s %10.2f %10.2f %6.2fx %9.1f\n", what, mine.seconds, bare.seconds,
                    mine.seconds / bare.seconds, mine.peakKilobytes / 1024.0);
        std::fflush(stdout);
    };
    // A server's trigger keeps the history of the bare tools' rows too; into a file the tool
    // writes it itself, so the bare figure is given without and with the same history rows.
    auto reportIntoFile = [&](const char *what, const Run &mine, const Run &bare) {
        report(what, mine, bare);
        const Run history = historyOfRows(QStringLiteral("Target"));
        report("  bare + history rows", mine, {bare.seconds + history.seconds, 0});
    };

    const Run exportTool =
        shell(QStringLiteral("%1 export-csv Source catalogue.csv").arg(tool), true);
    const Run exportBare = shell(
        QStringLiteral("sqlite3 -csv -header Source.sqlite 'SELECT * FROM Equipment' > bare.csv"));
    report("export-csv SQLite (sqlite3 -csv)", exportTool, exportBare);

    emptySqlite(QStringLiteral("Target"));
    const Run importTool =
        shell(QStringLiteral("%1 import-csv Target catalogue.csv").arg(tool), true);
    emptySqlite(QStringLiteral("Bare"));
    const Run importBare =
        shell(QStringLiteral("sqlite3 -cmd BEGIN -cmd '.import --csv --skip 1 catalogue.csv "
                             "Equipment' Bare.sqlite COMMIT"));
    reportIntoFile("import-csv SQLite (.import)", importTool, importBare);

    emptyServer();
    const Run importServerTool =
        shell(QStringLiteral("%1 import-csv Server catalogue.csv").arg(tool), true);
    emptyServer();
    const Run importServerBare = shell(
        psql(QStringLiteral("\\copy equipment FROM 'catalogue.csv' WITH (FORMAT csv, HEADER)")));
    report("import-csv PostgreSQL (\\copy)", importServerTool, importServerBare);

    emptyServer();
    const Run toServerTool = shell(QStringLiteral("%1 copy Source Server").arg(tool), true);
    emptyServer();
    const Run toServerBare =
        shell(QStringLiteral("sqlite3 -csv Source.sqlite 'SELECT * FROM Equipment' | %1")
                  .arg(psql(QStringLiteral("\\copy equipment FROM pstdin WITH (FORMAT csv)"))));
    report("copy SQLite -> PostgreSQL", toServerTool, toServerBare);

    emptySqlite(QStringLiteral("Target"));
    const Run fromServerTool = shell(QStringLiteral("%1 copy Server Target").arg(tool), true);
    emptySqlite(QStringLiteral("Bare"));
    const Run fromServerBare =
        shell(QStringLiteral("%1 | sqlite3 -cmd BEGIN -cmd '.import --csv /dev/stdin Equipment' "
                             "Bare.sqlite COMMIT")
                  .arg(psql(QStringLiteral("\\copy equipment TO pstdout WITH (FORMAT csv)"))));
    reportIntoFile("copy PostgreSQL -> SQLite", fromServerTool, fromServerBare);

    const Run exportServerTool =
        shell(QStringLiteral("%1 export-csv Server server.csv").arg(tool), true);
    const Run exportServerBare = shell(
        psql(QStringLiteral("\\copy equipment TO 'bare-server.csv' WITH (FORMAT csv, HEADER)")));
    report("export-csv PostgreSQL (\\copy)", exportServerTool, exportServerBare);

    shell(psql(QStringLiteral("DROP TABLE IF EXISTS equipment, equipmenthistory")));
    QDir(folder).removeRecursively();
    return 0;
}

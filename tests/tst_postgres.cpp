// A catalogue on a real PostgreSQL server: two designers' row locks, an outage between
// Edit and Post, the schema made on first use, and the catalogue tool's round trip
// SQLite -> PostgreSQL -> CSV -> SQLite. Skipped when no server was started for the tests.
#include "data/EquipmentQuery.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "support/SharedCatalogue.h"

#include <QtTest>
#include <pwd.h>
#include <unistd.h>

using db::DataSet;
using db::DataSetState;

namespace {

std::unique_ptr<DataSet> openItems(const QString &alias) {
    auto set = std::make_unique<DataSet>(alias);
    set->setSql({QStringLiteral("SELECT * FROM Items")});
    set->open();
    return set;
}

// A second alias for the same database: another designer's connection.
void addSecondAlias(const QString &name) {
    QSettings settings(db::AliasRegistry::configFile(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("SharedDB"));
    const QStringList keys = settings.childKeys();
    QVariantMap values;
    for (const QString &key : keys)
        values.insert(key, settings.value(key));
    settings.endGroup();
    settings.beginGroup(name);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

// The catalogue tool in a folder of its own, with the server as alias Server beside SQLite
// aliases whose (empty) files exist.
class ToolRun {
public:
    explicit ToolRun(const QStringList &sqliteAliases) {
        addSecondAlias(QStringLiteral("Server"));
        QDir(m_dir.path()).mkpath(QStringLiteral("cfg/korvandel"));
        const QString ini = m_dir.filePath(QStringLiteral("cfg/korvandel/databases.ini"));
        QFile::copy(db::AliasRegistry::configFile(), ini);
        QSettings settings(ini, QSettings::IniFormat);
        for (const QString &alias : sqliteAliases) {
            settings.setValue(alias + QStringLiteral("/Driver"), QStringLiteral("SQLITE"));
            settings.setValue(alias + QStringLiteral("/Path"),
                              path(alias + QStringLiteral(".sqlite")));
            QFile file(path(alias + QStringLiteral(".sqlite")));
            file.open(QIODevice::WriteOnly);
        }
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("cfg")));
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void start(QProcess &process, const QStringList &arguments) const {
        process.setProcessEnvironment(m_environment);
        process.setWorkingDirectory(m_dir.path());
        const QString override = qEnvironmentVariable("KORVANDEL_CATALOGUE_TOOL");
        process.start(override.isEmpty() ? QCoreApplication::applicationDirPath() +
                                               QStringLiteral("/../src/app/korvandel-catalogue")
                                         : override,
                      arguments);
    }
    // The exit status (-1 when it did not end within a minute) and the error stream.
    std::pair<int, QString> run(const QStringList &arguments) const {
        QProcess process;
        start(process, arguments);
        if (!process.waitForFinished(60000))
            process.kill();
        process.waitForFinished();
        return {
            process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError() + process.readAllStandardOutput())};
    }
    // The rows of a SQLite alias's table, one line each, values quoted.
    QString dump(const QString &alias, const QString &select = QStringLiteral("*")) const {
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"),
                     {path(alias + QStringLiteral(".sqlite")), QStringLiteral(".mode quote"),
                      QStringLiteral("SELECT %1 FROM Equipment ORDER BY Number").arg(select)});
        sqlite.waitForFinished();
        return QString::fromUtf8(sqlite.readAllStandardOutput());
    }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
};

// How the server names this program's sessions: the user and the machine.
QString holderName() {
    return QString::fromLocal8Bit(getpwuid(getuid())->pw_name) + QLatin1Char('@') +
           QSysInfo::machineHostName();
}

// The settings file of the catalogue that an editor started by a test as another designer
// opens.
const char *const otherEditorConfig = "KORVANDEL_TEST_OTHER_EDITOR_CONFIG";

} // namespace

class TestPostgres : public QObject {
    Q_OBJECT
    std::unique_ptr<PostgresCatalogue> catalogue;

private slots:
    void init() {
        if (!qEnvironmentVariableIsSet("KORVANDEL_PG_HOST"))
            QSKIP("no PostgreSQL server (scripts/start-postgres.sh)");
        // Started by a test as the other designer's editor: the test's own catalogue.
        if (qEnvironmentVariableIsSet(otherEditorConfig)) {
            db::AliasRegistry::setConfigFile(qEnvironmentVariable(otherEditorConfig));
            return;
        }
        catalogue = std::make_unique<PostgresCatalogue>(QStringLiteral("korvandel_pgtest"));
        addSecondAlias(QStringLiteral("OtherDesigner"));
    }
    void cleanup() { catalogue.reset(); }

    // A row one designer edits cannot be edited by another; once the first posts, the
    // second sees the new values and may edit.
    void secondEditOfARowIsRefused() {
        auto mine = openItems(catalogue->alias());
        auto theirs = openItems(QStringLiteral("OtherDesigner"));
        mine->setRecNo(4);
        theirs->setRecNo(4);
        mine->edit();
        mine->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("42"));
        // The refusal names the holder (user@machine) and since when it holds the row, at
        // once, for Edit and for Delete.
        QElapsedTimer clock;
        clock.start();
        const QRegularExpression named(
            QStringLiteral("^Another designer is editing this row: it is being edited by "
                           "%1 since \\d\\d:\\d\\d$")
                .arg(QRegularExpression::escape(holderName())));
        const QString editRefused = failureOf([&] { theirs->edit(); });
        QVERIFY2(named.match(editRefused).hasMatch(), qPrintable(editRefused));
        const QString deleteRefused = failureOf([&] { theirs->deleteRecord(); });
        QVERIFY2(named.match(deleteRefused).hasMatch(), qPrintable(deleteRefused));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(theirs->state(), DataSetState::Browse);
        QCOMPARE(theirs->recordCount(), SharedCatalogue::rows);
        // Another row is free.
        theirs->next();
        theirs->edit();
        theirs->cancel();
        theirs->prior();
        mine->post();
        theirs->edit();
        QCOMPARE(theirs->fieldByName(QStringLiteral("Heat"))->asString(), QStringLiteral("42"));
        theirs->cancel();
        // Cancel and Close release the lock as well.
        mine->edit();
        mine->cancel();
        theirs->edit();
        theirs->close();
        mine->edit();
        QCOMPARE(mine->state(), DataSetState::Edit);
    }

    // The server goes away between Edit and Post: Post fails with the reason and keeps the
    // edit; once the server is back, Post stores the values.
    void pendingEditSurvivesAnOutage() {
        const QString control = qEnvironmentVariable("KORVANDEL_PG_CTL");
        if (control.isEmpty())
            QSKIP("no server control command");
        auto set = openItems(catalogue->alias());
        set->setRecNo(9);
        const QVariant key = set->bookmark();
        set->edit();
        set->fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("kept"));
        QCOMPARE(QProcess::execute(control, {QStringLiteral("stop")}), 0);
        const QString failure = failureOf([&] { set->post(); });
        QProcess::execute(control, {QStringLiteral("start")});
        QVERIFY2(!failure.isEmpty(), "Post succeeded without a server");
        QVERIFY2(!failure.endsWith(QLatin1String(": ")), qPrintable(failure));
        QCOMPARE(set->state(), DataSetState::Edit);
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(), QStringLiteral("kept"));
        set->post();
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(
            catalogue->otherRuns(
                QStringLiteral("SELECT Note FROM Items WHERE Number = %1;").arg(key.toString())),
            QStringLiteral("kept"));
        // Moving on works on the new connection.
        set->last();
        QCOMPARE(set->recNo(), SharedCatalogue::rows - 1);
    }

    // The server ended the editor's session, or restarted: the next Open and the next
    // search (a new query) work at the first try on a new connection.
    void endedSessionIsReopened_data() {
        QTest::addColumn<bool>("restart");
        QTest::newRow("session terminated") << false;
        QTest::newRow("server restarted") << true;
    }
    void endedSessionIsReopened() {
        QFETCH(bool, restart);
        const QString control = qEnvironmentVariable("KORVANDEL_PG_CTL");
        if (restart && control.isEmpty())
            QSKIP("no server control command");
        auto set = openItems(catalogue->alias());
        auto end = [&] {
            if (restart) {
                QCOMPARE(QProcess::execute(control, {QStringLiteral("stop")}), 0);
                QCOMPARE(QProcess::execute(control, {QStringLiteral("start")}), 0);
            } else {
                catalogue->otherRuns(QStringLiteral(
                    "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                    "WHERE datname = current_database() AND pid <> pg_backend_pid();"));
            }
        };
        end();
        DataSet other(catalogue->alias());
        other.setSql({QStringLiteral("SELECT * FROM Items")});
        QCOMPARE(failureOf([&] { other.open(); }), QString());
        QCOMPARE(other.recordCount(), SharedCatalogue::rows);
        end();
        QCOMPARE(failureOf([&] {
                     set->requery({QStringLiteral("SELECT * FROM Items WHERE Heat = ?")}, {7});
                 }),
                 QString());
        QCOMPARE(set->recordCount(), SharedCatalogue::rows / 100);
    }

    // A role granted only reading opens the catalogue read-only and is told why; the
    // table's owner is not.
    void missingGrantsAreNamed() {
        catalogue->superuserRuns(QStringLiteral(
            "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'reader') THEN "
            "CREATE ROLE reader LOGIN PASSWORD 'reader'; END IF; END $$;"));
        catalogue->otherRuns(QStringLiteral("GRANT SELECT ON Items TO reader;"));
        addSecondAlias(QStringLiteral("Reader"));
        {
            QSettings settings(db::AliasRegistry::configFile(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("Reader/User"), QStringLiteral("reader"));
            settings.setValue(QStringLiteral("Reader/Password"), QStringLiteral("reader"));
        }
        auto owner = openItems(catalogue->alias());
        QVERIFY(owner->canModify());
        QCOMPARE(owner->readOnlyReason(), QString());
        auto reader = openItems(QStringLiteral("Reader"));
        QVERIFY(!reader->canModify());
        QCOMPARE(reader->readOnlyReason(),
                 QStringLiteral("your role reader is not granted changes to table Items"));
    }

    // The server stops answering this editor (its session's process stopped) while the
    // user edits: Post fails within the alias's bound (reaching the server, a lock wait
    // and a few seconds) with the reason, and the edit stays; once the server answers
    // again, Post stores it.
    void silentServerIsBounded() {
        QSettings(db::AliasRegistry::configFile(), QSettings::IniFormat)
            .setValue(QStringLiteral("SharedDB/ConnectTimeout"), 1);
        auto set = openItems(catalogue->alias());
        set->setRecNo(3);
        const QVariant key = set->bookmark();
        set->edit();
        set->fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("kept"));
        const QString backend = catalogue->otherRuns(
            QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = current_database() "
                           "AND application_name = '%1';")
                .arg(holderName()));
        QVERIFY2(!backend.isEmpty() && !backend.contains(QLatin1Char('\n')), qPrintable(backend));
        QCOMPARE(QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-STOP"), backend}), 0);
        auto resume = qScopeGuard([&] {
            QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-CONT"), backend});
        });
        QElapsedTimer clock;
        clock.start();
        const QString failure = failureOf([&] { set->post(); });
        const qint64 waited = clock.elapsed();
        QVERIFY2(waited < 1000 + 200 + 5000, qPrintable(QString::number(waited)));
        QVERIFY2(failure.endsWith(QLatin1String("the database server did not answer within 5 "
                                                "seconds")),
                 qPrintable(failure));
        QCOMPARE(set->state(), DataSetState::Edit);
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(), QStringLiteral("kept"));
        resume.dismiss();
        QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-CONT"), backend});
        // The resumed session finds its connection cut and ends, giving its row back.
        QTRY_COMPARE_WITH_TIMEOUT(
            catalogue->otherRuns(
                QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE pid = %1;")
                    .arg(backend)),
            QStringLiteral("0"), 10000);
        set->post();
        QCOMPARE(
            catalogue->otherRuns(
                QStringLiteral("SELECT Note FROM Items WHERE Number = %1;").arg(key.toString())),
            QStringLiteral("kept"));
    }

    // Another designer's editor holds a row: while it runs, it keeps the row past the
    // server's limit for a silent session; once it is stopped (a machine asleep, a halted
    // process), the server frees the row within that limit.
    void stoppedEditorFreesItsRow() {
        if (qEnvironmentVariableIsSet(otherEditorConfig)) {
            auto theirs = openItems(catalogue ? catalogue->alias() : QStringLiteral("SharedDB"));
            theirs->setRecNo(4);
            theirs->edit();
            std::printf("editing\n");
            std::fflush(stdout);
            QTest::qWait(60000);
            return;
        }
        // A silent session is ended after 4 s; a live editor speaks every second.
        QSettings(db::AliasRegistry::configFile(), QSettings::IniFormat)
            .setValue(QStringLiteral("SharedDB/DeadServerTimeout"), 1);
        QProcess other;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(otherEditorConfig), db::AliasRegistry::configFile());
        other.setProcessEnvironment(environment);
        other.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("stoppedEditorFreesItsRow")});
        auto end = qScopeGuard([&] {
            QProcess::execute(QStringLiteral("kill"),
                              {QStringLiteral("-CONT"), QString::number(other.processId())});
            other.kill();
            other.waitForFinished();
        });
        QByteArray output;
        while (!output.contains("editing\n")) {
            QVERIFY2(other.waitForReadyRead(20000), output.constData());
            output += other.readAllStandardOutput();
        }
        auto mine = openItems(catalogue->alias());
        mine->setRecNo(4);
        QTest::qWait(6000);
        QVERIFY(failureOf([&] {
                    mine->edit();
                }).startsWith(QLatin1String("Another designer is editing this row")));
        QCOMPARE(QProcess::execute(QStringLiteral("kill"),
                                   {QStringLiteral("-STOP"), QString::number(other.processId())}),
                 0);
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(failureOf([&] { mine->edit(); }).isEmpty(), 10000);
        QVERIFY2(clock.elapsed() < 4000 + 2000, qPrintable(QString::number(clock.elapsed())));
        mine->cancel();
    }

    // A shorter limit for silent sessions that the administrator gave the role stays.
    void roleIdleLimitStays() {
        const QString role = qEnvironmentVariable("KORVANDEL_PG_USER");
        catalogue->superuserRuns(
            QStringLiteral("ALTER ROLE %1 SET idle_in_transaction_session_timeout = '2s';")
                .arg(role));
        auto reset = qScopeGuard([&] {
            catalogue->superuserRuns(
                QStringLiteral("ALTER ROLE %1 RESET idle_in_transaction_session_timeout;")
                    .arg(role));
        });
        QSqlQuery query(db::AliasRegistry::database(catalogue->alias()));
        QVERIFY(query.exec(QStringLiteral("SHOW idle_in_transaction_session_timeout")) &&
                query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("2s"));
    }

    // The editor's alias on an empty database: the table is made, keyed, and opens live
    // with every row reached through the key list.
    void emptyDatabaseGetsTheSchema() {
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        data::registerEquipmentDatabase();
        addSecondAlias(data::equipmentAlias());
        db::DataSet set;
        data::configureEquipmentQuery(set, true);
        set.open();
        QVERIFY(set.canModify());
        set.insert();
        set.fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("Gauss Rifle"));
        set.fieldByName(QStringLiteral("HeatToUser"))->setAsString(QStringLiteral("1"));
        set.post();
        QVERIFY(set.bookmark().toLongLong() > 0);
        // The range of a small-integer column is known before Post, and search ignores case.
        set.edit();
        QVERIFY(
            failureOf([&] {
                set.fieldByName(QStringLiteral("HeatToUser"))->setAsString(QStringLiteral("40000"));
            }).contains(QLatin1String("allowed range")));
        set.cancel();
        data::searchEquipment(set, QStringLiteral("gauss"));
        QCOMPARE(set.recordCount(), 1);
    }

    // SQLite -> PostgreSQL -> CSV -> SQLite leaves every value as it was, NULL apart from
    // empty text; a bad CSV line is named and changes nothing.
    void catalogueToolRoundTrip() {
        const ToolRun tool(
            {QStringLiteral("Start"), QStringLiteral("End"), QStringLiteral("Fresh")});
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        QCOMPARE(tool.run({QStringLiteral("demo"), QStringLiteral("Start")}).first, 0);
        // Values that the round trip must keep: empty text beside NULL, quotes, commas,
        // line breaks, backslashes and COPY's end marker, characters beyond Latin-1, the
        // ends of the small-integer range, a weight with 8 digits.
        {
            QSqlDatabase start =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("start"));
            start.setDatabaseName(tool.path(QStringLiteral("Start.sqlite")));
            start.open();
            QSqlQuery query(start);
            QVERIFY(query.exec(QStringLiteral(
                "INSERT INTO Equipment (Code, Name, Description1, Description2, HeatToUser, "
                "RangeL, Weight, BeamWeapon) VALUES ('EDGE', '', 'say \"hi\", then\nleave', "
                "'Ægir ✓ 🚀', -32768, 32767, 1234.5678, 0), ('END', '\\.', 'a\n\\.\nb', "
                "'\\N\t\\', 1, 2, 0.1, 1)")));
            query.finish();
            start.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("start"));
        const QString csv = tool.path(QStringLiteral("catalogue.csv"));
        QCOMPARE(
            run(tool, {QStringLiteral("copy"), QStringLiteral("Start"), QStringLiteral("Server")}),
            0);
        QCOMPARE(
            catalogue->otherRuns(QStringLiteral(
                "SELECT name, weight FROM equipment WHERE code IN ('END', 'EDGE') ORDER BY code;")),
            QStringLiteral("|1234.5678\n\\.|0.1"));
        QCOMPARE(run(tool, {QStringLiteral("export-csv"), QStringLiteral("Server"), csv}), 0);
        QCOMPARE(run(tool, {QStringLiteral("import-csv"), QStringLiteral("End"), csv}), 0);
        QCOMPARE(run(tool, {QStringLiteral("check"), QStringLiteral("Server")}), 0);
        // Both engines write the same rows into the same bytes.
        const QString again = tool.path(QStringLiteral("again.csv"));
        QCOMPARE(run(tool, {QStringLiteral("export-csv"), QStringLiteral("End"), again}), 0);
        QFile server(csv);
        QFile embedded(again);
        QVERIFY(server.open(QIODevice::ReadOnly) && embedded.open(QIODevice::ReadOnly));
        QCOMPARE(embedded.readAll(), server.readAll());

        // The demo keeps a few yes/no columns as words, which are stored as yes/no values
        // when copied: compare the rows without those.
        const QString words = QStringLiteral("'True'|'False'|'true'|'false'|'yes'");
        QString before = tool.dump(QStringLiteral("Start"));
        const QString after = tool.dump(QStringLiteral("End"));
        QVERIFY(before.contains(QStringLiteral("'EDGE',''")));
        QVERIFY(after.contains(QStringLiteral("'Ægir ✓ 🚀'")));
        QStringList beforeLines = before.split(QLatin1Char('\n'));
        QStringList afterLines = after.split(QLatin1Char('\n'));
        QCOMPARE(afterLines.size(), beforeLines.size());
        for (qsizetype i = 0; i < beforeLines.size(); ++i)
            if (!beforeLines[i].contains(QRegularExpression(words)))
                QCOMPARE(afterLines[i], beforeLines[i]);

        // A bad line: named, and nothing is imported.
        QFile bad(csv);
        QVERIFY(bad.open(QIODevice::ReadWrite | QIODevice::Append));
        bad.seek(0);
        const qsizetype badLine = bad.readAll().count('\n') + 1;
        bad.write("999999,\"open quote\r\n");
        bad.close();
        const auto [status, message] =
            tool.run({QStringLiteral("import-csv"), QStringLiteral("Fresh"), csv});
        QCOMPARE(status, 1);
        QVERIFY2(message.contains(QStringLiteral("line %1:").arg(badLine)), qPrintable(message));
        QCOMPARE(tool.dump(QStringLiteral("Fresh")), QString());
    }

    // Values that would end or change COPY's data stream are stored as they are, and the
    // count of rows the server stored is the count read.
    void importKeepsCopyMarkers() {
        const ToolRun tool({});
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        QCOMPARE(run(tool, {QStringLiteral("create"), QStringLiteral("Server")}), 0);
        QFile file(tool.path(QStringLiteral("in.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Name\na\n\\.\n\"x\n\\.\ny\"\n\\N\n");
        file.close();
        const auto [status, message] =
            tool.run({QStringLiteral("import-csv"), QStringLiteral("Server"), file.fileName()});
        QCOMPARE(status, 0);
        QVERIFY2(message.contains(QLatin1String("Imported 4 rows")), qPrintable(message));
        QCOMPARE(
            catalogue->otherRuns(QStringLiteral("SELECT replace(name, E'\\n', '/') FROM equipment "
                                                "ORDER BY number;")),
            QStringLiteral("a\n\\.\nx/\\./y\n\\N"));
    }

    // A table whose Number is no key (duplicates, NULLs) is refused with check's words,
    // not read page by page for ever or in part.
    void exportRefusesATableWithoutKey() {
        const ToolRun tool({});
        catalogue->otherRuns(QStringLiteral(
            "DROP TABLE IF EXISTS Equipment;\n"
            "CREATE TABLE Equipment (Number INTEGER, Code VARCHAR(8), Name VARCHAR(40));\n"
            "INSERT INTO Equipment SELECT CASE WHEN i % 3 = 0 THEN NULL ELSE i % 4000 END, "
            "'C' || i, 'n' FROM generate_series(1, 12000) AS i;"));
        const QString csv = tool.path(QStringLiteral("out.csv"));
        const auto [status, message] =
            tool.run({QStringLiteral("export-csv"), QStringLiteral("Server"), csv});
        QCOMPARE(status, 1);
        QVERIFY2(message.contains(QLatin1String("not keyed by Number")), qPrintable(message));
        QVERIFY(!QFile::exists(csv));
        catalogue->otherRuns(QStringLiteral("DROP TABLE Equipment;"));
    }

    // A copy reads the source at one instant: rows another program deletes, changes and
    // adds while the copy runs are copied as they were when it began.
    void copyReadsOneSnapshot() {
        const ToolRun tool({QStringLiteral("Target")});
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        QCOMPARE(run(tool, {QStringLiteral("create"), QStringLiteral("Server")}), 0);
        catalogue->otherRuns(
            QStringLiteral("INSERT INTO equipment (code, name) SELECT 'C' || i, 'old' FROM "
                           "generate_series(1, 40000) AS i;"));
        QProcess copy;
        tool.start(copy,
                   {QStringLiteral("copy"), QStringLiteral("Server"), QStringLiteral("Target")});
        // Once the first page is read, another program moves the table on.
        QTRY_VERIFY_WITH_TIMEOUT(
            catalogue->otherRuns(QStringLiteral(
                "SELECT count(*) FROM pg_stat_activity WHERE query LIKE 'EXECUTE%';")) != "0",
            30000);
        catalogue->otherRuns(QStringLiteral(
            "BEGIN; DELETE FROM equipment WHERE number = 5; UPDATE equipment SET name = 'new' "
            "WHERE number = 39990; INSERT INTO equipment (number, code, name) VALUES (999999, "
            "'LATE', 'new'); COMMIT;"));
        QVERIFY(copy.waitForFinished(120000));
        QCOMPARE(copy.exitCode(), 0);
        QCOMPARE(tool.dump(QStringLiteral("Target"),
                           QStringLiteral("COUNT(*), SUM(Number = 5), SUM(Name = 'new') ")),
                 QStringLiteral("40000,1,0\n"));
    }

    // A table made by an older version: check names a key the server does not number and a
    // 4-byte Weight, and neither announces its changes nor keeps a history; upgrade fixes all
    // in one go and finds nothing to do the second time.
    void upgradeNumbersTheKeyAndWidensWeight() {
        const ToolRun tool({});
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        QCOMPARE(run(tool, {QStringLiteral("create"), QStringLiteral("Server")}), 0);
        catalogue->otherRuns(
            QStringLiteral("ALTER TABLE equipment ALTER COLUMN number DROP IDENTITY;"
                           "ALTER TABLE equipment ALTER COLUMN weight TYPE REAL;"
                           "INSERT INTO equipment (number, code, weight) VALUES (7, 'OLD', 1.5);"
                           "DROP TRIGGER korvandel_announce ON equipment;"
                           "DROP TABLE equipmenthistory;"));
        auto [status, message] = tool.run({QStringLiteral("check"), QStringLiteral("Server")});
        QCOMPARE(status, 3);
        QVERIFY2(message.contains(QLatin1String("key Number is not numbered")) &&
                     message.contains(QLatin1String("column Weight is a 4-byte number")) &&
                     message.contains(QLatin1String("does not announce its changes")) &&
                     message.contains(QLatin1String("keeps no history")),
                 qPrintable(message));
        std::tie(status, message) = tool.run({QStringLiteral("upgrade"), QStringLiteral("Server")});
        QCOMPARE(status, 0);
        QVERIFY2(message.contains(QLatin1String("Weight widened")), qPrintable(message));
        QCOMPARE(run(tool, {QStringLiteral("check"), QStringLiteral("Server")}), 0);
        std::tie(status, message) = tool.run({QStringLiteral("upgrade"), QStringLiteral("Server")});
        QVERIFY2(status == 0 && message.contains(QLatin1String("needs no upgrade")),
                 qPrintable(message));
        // New rows are numbered above the old ones and keep eight digits of a weight.
        QCOMPARE(catalogue
                     ->otherRuns(QStringLiteral(
                         "INSERT INTO equipment (code, weight) VALUES ('NEW', 1234.5678) RETURNING "
                         "number, weight;"))
                     .section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("8|1234.5678"));
        // The trigger announces it, and the history records it.
        QCOMPARE(catalogue->otherRuns(QStringLiteral(
                     "SELECT COUNT(*) FROM pg_trigger WHERE tgname = 'korvandel_announce';")),
                 QStringLiteral("1"));
        QCOMPARE(catalogue->otherRuns(QStringLiteral(
                     "SELECT Kind || ' ' || Code FROM EquipmentHistory ORDER BY Id DESC LIMIT 1;")),
                 QStringLiteral("insert NEW"));
    }

    // A table whose announcement and history triggers run for every inserted row, as they
    // were made before: check names it, upgrade turns them into statement triggers, and a
    // bulk insert is still recorded row by row and announced.
    void upgradeRecordsInsertsPerStatement() {
        const ToolRun tool({});
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        QCOMPARE(run(tool, {QStringLiteral("create"), QStringLiteral("Server")}), 0);
        catalogue->otherRuns(QStringLiteral(
            "DROP TRIGGER korvandel_announce_inserts ON equipment;"
            "DROP TRIGGER equipmenthistory_recordinserts ON equipment;"
            "CREATE OR REPLACE TRIGGER korvandel_announce AFTER INSERT OR UPDATE OR DELETE ON "
            "equipment FOR EACH ROW EXECUTE FUNCTION korvandel_announce_write('korvandel_changes', "
            "'number');"
            "CREATE OR REPLACE TRIGGER equipmenthistory_record AFTER INSERT OR UPDATE OR DELETE ON "
            "equipment FOR EACH ROW EXECUTE FUNCTION equipmenthistory_record();"));
        auto [status, message] = tool.run({QStringLiteral("check"), QStringLiteral("Server")});
        QCOMPARE(status, 3);
        QVERIFY2(message.contains(QLatin1String("run once for every row")), qPrintable(message));
        std::tie(status, message) = tool.run({QStringLiteral("upgrade"), QStringLiteral("Server")});
        QVERIFY2(status == 0 && message.contains(QLatin1String("once per statement")),
                 qPrintable(message));
        QCOMPARE(run(tool, {QStringLiteral("check"), QStringLiteral("Server")}), 0);
        QCOMPARE(catalogue->otherRuns(QStringLiteral(
                     "SELECT string_agg(tgname, ' ' ORDER BY tgname) FROM pg_trigger WHERE "
                     "tgrelid = 'equipment'::regclass AND NOT tgisinternal AND tgtype & 5 = 5;")),
                 QString());
        const QString before =
            catalogue->otherRuns(QStringLiteral("SELECT COUNT(*) FROM EquipmentHistory;"));
        catalogue->otherRuns(QStringLiteral(
            "INSERT INTO equipment (code, weight) VALUES ('B1', 1.5), ('B2', NULL);"));
        QCOMPARE(catalogue
                     ->otherRuns(
                         QStringLiteral("SELECT COUNT(*) - %1 FROM EquipmentHistory;").arg(before))
                     .toInt(),
                 2);
        QCOMPARE(catalogue->otherRuns(QStringLiteral(
                     "SELECT string_agg(Code || '=' || Changes, ' ' ORDER BY Id) FROM "
                     "(SELECT * FROM EquipmentHistory ORDER BY Id DESC LIMIT 2) AS newest;")),
                 QStringLiteral("B1={\"code\": [null, \"B1\"], \"weight\": [null, 1.5]} "
                                "B2={\"code\": [null, \"B2\"]}"));
    }

private:
    static int run(const ToolRun &tool, const QStringList &arguments) {
        const auto [status, message] = tool.run(arguments);
        if (status != 0)
            qWarning("%s", qPrintable(message));
        return status;
    }
};

QTEST_GUILESS_MAIN(TestPostgres)
#include "tst_postgres.moc"

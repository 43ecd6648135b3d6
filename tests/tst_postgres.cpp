// A catalogue on a real PostgreSQL server: two designers' row locks, an outage between
// Edit and Post, the schema made on first use, and the catalogue tool's round trip
// SQLite -> PostgreSQL -> CSV -> SQLite. Skipped when no server was started for the tests.
#include "data/EquipmentQuery.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "support/SharedCatalogue.h"

#include <QtTest>

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

QString tool() {
    return QCoreApplication::applicationDirPath() +
           QStringLiteral("/../src/app/korvandel-catalogue");
}

} // namespace

class TestPostgres : public QObject {
    Q_OBJECT
    std::unique_ptr<PostgresCatalogue> catalogue;

private slots:
    void init() {
        if (!qEnvironmentVariableIsSet("KORVANDEL_PG_HOST"))
            QSKIP("no PostgreSQL server (scripts/start-postgres.sh)");
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
        QCOMPARE(failureOf([&] { theirs->edit(); }),
                 QStringLiteral("Another designer is editing this row"));
        QCOMPARE(theirs->state(), DataSetState::Browse);
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
        QTemporaryDir dir;
        const QString ini = db::AliasRegistry::configFile();
        {
            QSettings settings(ini, QSettings::IniFormat);
            for (const QString &alias : {QStringLiteral("Start"), QStringLiteral("End")}) {
                settings.setValue(alias + QStringLiteral("/Driver"), QStringLiteral("SQLITE"));
                settings.setValue(alias + QStringLiteral("/Path"),
                                  dir.filePath(alias + QStringLiteral(".sqlite")));
                QFile file(dir.filePath(alias + QStringLiteral(".sqlite")));
                file.open(QIODevice::WriteOnly);
            }
        }
        addSecondAlias(QStringLiteral("Server"));
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/cfg"));
        QDir(dir.path()).mkpath(QStringLiteral("cfg/korvandel"));
        QFile::copy(ini, dir.path() + QStringLiteral("/cfg/korvandel/databases.ini"));
        auto run = [&](const QStringList &arguments) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.setWorkingDirectory(dir.path());
            process.start(tool(), arguments);
            process.waitForFinished(60000);
            return std::make_pair(process.exitCode(),
                                  QString::fromUtf8(process.readAllStandardError()));
        };
        QCOMPARE(run({QStringLiteral("demo"), QStringLiteral("Start")}).first, 0);
        // Values that the round trip must keep: empty text beside NULL, quotes, commas,
        // line breaks, characters beyond Latin-1, the ends of the small-integer range.
        {
            QSqlDatabase start =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("start"));
            start.setDatabaseName(dir.filePath(QStringLiteral("Start.sqlite")));
            start.open();
            QSqlQuery query(start);
            QVERIFY(query.exec(QStringLiteral(
                "INSERT INTO Equipment (Code, Name, Description1, Description2, HeatToUser, "
                "RangeL, Weight, BeamWeapon) VALUES ('EDGE', '', 'say \"hi\", then\nleave', "
                "'Ægir ✓ 🚀', -32768, 32767, 0.1, 0)")));
            query.finish();
            start.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("start"));
        const QString csv = dir.filePath(QStringLiteral("catalogue.csv"));
        QCOMPARE(
            run({QStringLiteral("copy"), QStringLiteral("Start"), QStringLiteral("Server")}).first,
            0);
        QCOMPARE(run({QStringLiteral("export-csv"), QStringLiteral("Server"), csv}).first, 0);
        QCOMPARE(run({QStringLiteral("import-csv"), QStringLiteral("End"), csv}).first, 0);
        QCOMPARE(run({QStringLiteral("check"), QStringLiteral("Server")}).first, 0);

        auto dump = [&](const QString &name) {
            QProcess sqlite;
            sqlite.start(QStringLiteral("sqlite3"),
                         {dir.filePath(name), QStringLiteral(".mode quote"),
                          QStringLiteral("SELECT * FROM Equipment ORDER BY Number")});
            sqlite.waitForFinished();
            return QString::fromUtf8(sqlite.readAllStandardOutput());
        };
        // The demo keeps a few yes/no columns as words, which a BOOLEAN column on the server
        // reads as yes/no: compare the rows without those.
        const QString words = QStringLiteral("'True'|'False'|'true'|'false'|'yes'");
        QString before = dump(QStringLiteral("Start.sqlite"));
        const QString after = dump(QStringLiteral("End.sqlite"));
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
            run({QStringLiteral("import-csv"), QStringLiteral("Fresh"), csv});
        QCOMPARE(status, 1);
        QVERIFY2(message.contains(QStringLiteral("line %1:").arg(badLine)), qPrintable(message));
        QCOMPARE(dump(QStringLiteral("Fresh.sqlite")), QString());
    }
};

QTEST_GUILESS_MAIN(TestPostgres)
#include "tst_postgres.moc"

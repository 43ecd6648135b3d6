// Resolving the database alias: configured files, the embedded default, and engine failures.
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"

#include <QProcess>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestAliasRegistry : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString previousDir;

    QString failure(const QString &alias) {
        try {
            db::AliasRegistry::database(alias);
        } catch (const db::DatabaseError &error) {
            return error.message();
        }
        return {};
    }
    void configure(const QString &alias, const QString &driver, const QString &path) {
        QSettings settings(db::AliasRegistry::configFile(), QSettings::IniFormat);
        settings.setValue(alias + QStringLiteral("/Driver"), driver);
        settings.setValue(alias + QStringLiteral("/Path"), path);
    }

private slots:
    void initTestCase() {
        previousDir = QDir::currentPath();
        QDir::setCurrent(dir.path());
        db::AliasRegistry::setConfigFile(dir.path() + QStringLiteral("/databases.ini"));
    }
    void cleanupTestCase() {
        db::AliasRegistry::closeAll();
        QDir::setCurrent(previousDir);
    }
    void cleanup() {
        db::AliasRegistry::closeAll();
        db::AliasRegistry::setWarningNotice({});
    }

    // A lock wait is a number of seconds; anything else is reported once when the alias
    // opens, and the default (5 s) is used. 0 means: do not wait.
    void lockTimeoutIsParsedStrictly_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("busyMilliseconds");
        QTest::addColumn<bool>("warned");
        QTest::newRow("do not wait") << "0" << 0 << false;
        QTest::newRow("fraction") << "0.5" << 500 << false;
        QTest::newRow("whole seconds") << " 7 " << 7000 << false;
        QTest::newRow("with a unit") << "5s" << 5000 << true;
        QTest::newRow("a word") << "abc" << 5000 << true;
        QTest::newRow("negative") << "-1" << 5000 << true;
    }
    void lockTimeoutIsParsedStrictly() {
        QFETCH(QString, value);
        QFETCH(int, busyMilliseconds);
        QFETCH(bool, warned);
        QStringList warnings;
        db::AliasRegistry::setWarningNotice([&](const QString &text) { warnings << text; });
        const QString alias = QStringLiteral("Timed");
        {
            QFile file(QStringLiteral("timed.sqlite"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        configure(alias, QStringLiteral("SQLITE"), QStringLiteral("timed.sqlite"));
        QSettings(db::AliasRegistry::configFile(), QSettings::IniFormat)
            .setValue(alias + QStringLiteral("/LockTimeout"), value);
        db::AliasRegistry::database(alias);
        QSqlQuery query(db::AliasRegistry::database(alias));
        QVERIFY(query.exec(QStringLiteral("PRAGMA busy_timeout")) && query.next());
        QCOMPARE(query.value(0).toInt(), busyMilliseconds);
        if (warned)
            QCOMPARE(warnings,
                     QStringList{QStringLiteral("LockTimeout=%1 of database alias 'Timed' is not a "
                                                "number of seconds; 5 seconds are used")
                                     .arg(value)});
        else
            QCOMPARE(warnings, QStringList());
    }

    // A server that accepts the connection and never answers: the open fails within the
    // alias's ConnectTimeout.
    void silentServerFailsTheOpen() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            QSKIP("no PostgreSQL driver");
        QProcess listener;
        listener.start(QStringLiteral("python3"),
                       {QStringLiteral("-c"),
                        QStringLiteral("import socket;s=socket.socket();s.bind(('127.0.0.1',0));"
                                       "print(s.getsockname()[1],flush=True);s.listen();"
                                       "c=s.accept();input()")});
        QVERIFY(listener.waitForReadyRead(10000));
        const QString port = QString::fromLatin1(listener.readLine()).trimmed();
        QSettings settings(db::AliasRegistry::configFile(), QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Silent"));
        settings.setValue(QStringLiteral("Driver"), QStringLiteral("PSQL"));
        settings.setValue(QStringLiteral("Host"), QStringLiteral("127.0.0.1"));
        settings.setValue(QStringLiteral("Port"), port);
        settings.setValue(QStringLiteral("Database"), QStringLiteral("vantrel"));
        settings.setValue(QStringLiteral("User"), QStringLiteral("designer"));
        settings.setValue(QStringLiteral("ConnectTimeout"), 2);
        settings.endGroup();
        settings.sync();
        QElapsedTimer clock;
        clock.start();
        const QString message = failure(QStringLiteral("Silent"));
        QVERIFY2(clock.elapsed() < 2000 + 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(message.startsWith(QLatin1String("Cannot open database 'Silent': ")),
                 qPrintable(message));
        listener.kill();
        listener.waitForFinished();
    }

    // A settings file that holds a password and that other users can read is reported once;
    // one only its owner reads is not.
    void readablePasswordIsReported_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("password");
        QTest::addColumn<int>("warnings");
        QTest::newRow("readable by all") << "all.ini"
                                         << "644" << true << 1;
        QTest::newRow("readable by the group") << "group.ini"
                                               << "640" << true << 1;
        QTest::newRow("owner only") << "owner.ini"
                                    << "600" << true << 0;
        QTest::newRow("no password") << "plain.ini"
                                     << "644" << false << 0;
    }
    void readablePasswordIsReported() {
        QFETCH(QString, fileName);
        QFETCH(QString, mode);
        QFETCH(bool, password);
        QFETCH(int, warnings);
        const QString ini = dir.filePath(fileName);
        db::AliasRegistry::setConfigFile(ini);
        configure(QStringLiteral("Kept"), QStringLiteral("SQLITE"), QStringLiteral("kept.sqlite"));
        if (password)
            QSettings(ini, QSettings::IniFormat)
                .setValue(QStringLiteral("Server/Password"), QStringLiteral("secret"));
        {
            QFile file(QStringLiteral("kept.sqlite"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QProcess::execute(QStringLiteral("chmod"), {mode, ini});
        QStringList seen;
        db::AliasRegistry::setWarningNotice([&](const QString &text) { seen << text; });
        for (int open = 0; open < 2; ++open) {
            db::AliasRegistry::database(QStringLiteral("Kept"));
            db::AliasRegistry::closeAll();
        }
        db::AliasRegistry::setConfigFile(dir.path() + QStringLiteral("/databases.ini"));
        QCOMPARE(seen.size(), warnings);
        if (warnings)
            QVERIFY2(seen.front().contains(QLatin1String("chmod 600")), qPrintable(seen.front()));
    }

    void embeddedDefaultIsCreatedWithSchema() {
        db::AliasRegistry::setDefaultSchema(
            QStringLiteral("FreshDB"),
            QStringLiteral("CREATE TABLE A (X INTEGER); -- it's a comment\n"
                           "INSERT INTO A VALUES (7);"));
        QVERIFY(!QFile::exists(QStringLiteral("FreshDB.sqlite")));
        QSqlDatabase db = db::AliasRegistry::database(QStringLiteral("FreshDB"));
        QVERIFY(QFile::exists(QStringLiteral("FreshDB.sqlite")));
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("SELECT X FROM A")) && query.next());
        QCOMPARE(query.value(0).toInt(), 7);
        // A second start opens the existing file and does not run the script again.
        db::AliasRegistry::closeAll();
        QSqlQuery again(db::AliasRegistry::database(QStringLiteral("FreshDB")));
        QVERIFY(again.exec(QStringLiteral("SELECT COUNT(*) FROM A")) && again.next());
        QCOMPARE(again.value(0).toInt(), 1);
    }

    void emptyDefaultFileIsGivenTheSchema() {
        // A first start cut short leaves an empty file behind.
        db::AliasRegistry::setDefaultSchema(QStringLiteral("CutDB"),
                                            QStringLiteral("CREATE TABLE A (X INTEGER);"));
        QFile empty(QStringLiteral("CutDB.sqlite"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QSqlQuery query(db::AliasRegistry::database(QStringLiteral("CutDB")));
        QVERIFY(query.exec(QStringLiteral("SELECT COUNT(*) FROM A")) && query.next());
        QCOMPARE(query.value(0).toInt(), 0);
    }

    void configuredPathMustExist() {
        configure(QStringLiteral("Gone"), QStringLiteral("SQLITE"),
                  QStringLiteral("no/such.sqlite"));
        QCOMPARE(
            failure(QStringLiteral("Gone")),
            QStringLiteral("The database file 'no/such.sqlite' of alias 'Gone' does not exist"));
        QVERIFY(!QFile::exists(QStringLiteral("no/such.sqlite")));
    }

    void unknownDriverIsAnEngineError() {
        configure(QStringLiteral("Odd"), QStringLiteral("DBASE"), QStringLiteral("x"));
        QCOMPARE(failure(QStringLiteral("Odd")),
                 QStringLiteral("An error occurred while attempting to initialize the database "
                                "engine (error $2101)"));
    }

    void brokenDefaultSchemaLeavesNoFile() {
        db::AliasRegistry::setDefaultSchema(QStringLiteral("Broken"),
                                            QStringLiteral("CREATE TABLE;"));
        QVERIFY(
            failure(QStringLiteral("Broken")).startsWith(QLatin1String("The statement failed")));
        QVERIFY(!QFile::exists(QStringLiteral("Broken.sqlite")));
    }
};

QTEST_GUILESS_MAIN(TestAliasRegistry)
#include "tst_aliasregistry.moc"

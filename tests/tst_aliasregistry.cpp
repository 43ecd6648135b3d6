// Resolving the database alias: configured files, the embedded default, and engine failures.
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"

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
    void cleanup() { db::AliasRegistry::closeAll(); }

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

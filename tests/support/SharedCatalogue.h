#pragma once

#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <memory>

// The message of the database error an action throws; empty when it succeeds.
inline QString failureOf(const std::function<void()> &action) {
    try {
        action();
    } catch (const db::DatabaseError &error) {
        return error.message();
    }
    return {};
}

// A catalogue reached through an alias, with a second program that writes it while the
// dataset under test has it open. One subclass per engine; tests name the engine in a
// data column, so every case runs on every engine the machine offers.
//
// The table Items(Number key, Name VARCHAR(40), Heat SMALLINT, Note TEXT) holds `rows`
// rows numbered from 1, Name "item<n>", Heat n % 100, Note "n<n>".
class SharedCatalogue {
public:
    static constexpr int rows = 1000;

    virtual ~SharedCatalogue() { db::AliasRegistry::closeAll(); }
    // The engines this machine can test.
    static QStringList engines() {
        QStringList names{QStringLiteral("SQLite")};
        if (qEnvironmentVariableIsSet("KORVANDEL_PG_HOST"))
            names << QStringLiteral("PostgreSQL");
        if (qEnvironmentVariableIsSet("KORVANDEL_PG_HOST") && withClerk)
            names << QStringLiteral("PostgreSQL clerk");
        return names;
    }
    static std::unique_ptr<SharedCatalogue> make(const QString &engine);
    // Whether engines() also names the server reached as a role with nothing but the usual
    // grants on the test table (set by suites that use only that table).
    static inline bool withClerk = false;

    QString alias() const { return QStringLiteral("SharedDB"); }
    // Runs statements in another process, as another program writing the catalogue would.
    // Returns that program's output; fails the test when it fails.
    virtual QString otherRuns(const QString &statements) = 0;
    // Another process takes a lock on the whole catalogue and keeps it until released.
    virtual void otherLocksAll() = 0;
    virtual void otherReleases() = 0;
    // Statements that give the table an AFTER INSERT trigger writing a row of its own, with
    // its own numbering far above the table's keys, into another table.
    virtual QString auditTrigger() const = 0;
    // Whether Edit locks its row, so that another program cannot write it meanwhile.
    virtual bool locksRows() const { return false; }
    // Runs statements in another process that gives up after a second's wait for a lock;
    // false when they were refused.
    virtual bool otherTries(const QString &) { return true; }

protected:
    // The other program's session that holds a lock: started with the given process set up
    // (not yet started), fed the script that takes the lock and prints "locked", and
    // waited for until it does.
    void holdLock(const QString &program, const QStringList &arguments,
                  const QProcessEnvironment &environment, const QByteArray &script) {
        m_holder = std::make_unique<QProcess>();
        m_holder->setProcessEnvironment(environment);
        m_holder->start(program, arguments);
        m_holder->write(script);
        while (!m_holder->readAllStandardOutput().contains("locked"))
            if (!m_holder->waitForReadyRead(10000))
                qFatal("the lock holder did not start");
    }
    // Ends that session with the script that gives the lock back and quits.
    void releaseLock(const QByteArray &script) {
        if (!m_holder)
            return;
        m_holder->write(script);
        m_holder->closeWriteChannel();
        m_holder->waitForFinished(10000);
        m_holder.reset();
    }

    QTemporaryDir m_dir;

private:
    std::unique_ptr<QProcess> m_holder;
};

// The embedded engine: a file in a temporary folder, the sqlite3 program as the other writer.
class SqliteCatalogue : public SharedCatalogue {
public:
    // journalMode: the mode the catalogue's owner keeps the file in.
    explicit SqliteCatalogue(
        const QString &journalMode = QStringLiteral("delete"),
        const QString &keyType = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")) {
        db::AliasRegistry::closeAll();
        m_path = m_dir.path() + QStringLiteral("/catalogue.sqlite");
        QString script = QStringLiteral("PRAGMA journal_mode=%1;\n"
                                        "CREATE TABLE Items (Number %2, Name VARCHAR(40), "
                                        "Heat SMALLINT, Note TEXT);\n"
                                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                        "FROM n WHERE i < %3)\n"
                                        "INSERT INTO Items SELECT i, 'item' || i, i %% 100, "
                                        "'n' || i FROM n;\n")
                             .arg(journalMode, keyType)
                             .arg(rows);
        script.replace(QLatin1String("%%"), QLatin1String("%"));
        otherRuns(script);
        const QString ini = m_dir.path() + QStringLiteral("/databases.ini");
        QSettings settings(ini, QSettings::IniFormat);
        settings.setValue(alias() + QStringLiteral("/Driver"), QStringLiteral("SQLITE"));
        settings.setValue(alias() + QStringLiteral("/Path"), m_path);
        // A short wait for locks keeps the failure cases quick.
        settings.setValue(alias() + QStringLiteral("/LockTimeout"), 0.2);
        settings.sync();
        db::AliasRegistry::setConfigFile(ini);
    }
    ~SqliteCatalogue() override {
        otherReleases();
        db::AliasRegistry::setConfigFile(QString());
    }

    QString path() const { return m_path; }
    QString auditTrigger() const override {
        return QStringLiteral("CREATE TABLE audit_log (id INTEGER PRIMARY KEY, at TEXT);\n"
                              "INSERT INTO audit_log VALUES (5000, 'start');\n"
                              "CREATE TRIGGER items_audit AFTER INSERT ON Items BEGIN\n"
                              "INSERT INTO audit_log (at) VALUES (datetime('now')); END;\n");
    }
    QString dir() const { return m_dir.path(); }

    QString otherRuns(const QString &statements) override {
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"),
                     {QStringLiteral("-batch"), QStringLiteral("-bail"), QStringLiteral("-cmd"),
                      QStringLiteral(".timeout 5000"), m_path});
        sqlite.write(statements.toUtf8());
        sqlite.closeWriteChannel();
        sqlite.waitForFinished(30000);
        const QByteArray errors = sqlite.readAllStandardError();
        if (sqlite.exitCode() != 0 || !errors.isEmpty())
            qFatal("sqlite3 failed: %s", errors.constData());
        return QString::fromUtf8(sqlite.readAllStandardOutput()).trimmed();
    }

    void otherLocksAll() override {
        holdLock(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), m_path},
                 QProcessEnvironment::systemEnvironment(), "BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
    }
    void otherReleases() override { releaseLock("ROLLBACK;\n.quit\n"); }

private:
    QString m_path;
};

// A private PostgreSQL server (scripts/start-postgres.sh): a database of the test's own,
// psql as the other program. The superuser, trusted on the server's socket, makes the
// database; everything else runs as the designer role with its password. As a clerk, the
// editor logs in as a role with nothing but the usual grants on the table (no right on the
// key's sequence), as a team's administrator gives them.
class PostgresCatalogue : public SharedCatalogue {
public:
    enum class Role { Owner, Clerk };
    explicit PostgresCatalogue(const QString &database = ownDatabase(), Role role = Role::Owner)
        : m_database(database) {
        db::AliasRegistry::closeAll();
        const QString user = qEnvironmentVariable("KORVANDEL_PG_USER");
        psql(QStringLiteral("postgres"), QStringLiteral("postgres"),
             QStringLiteral("SELECT 'CREATE DATABASE %1 OWNER %2' WHERE NOT EXISTS "
                            "(SELECT 1 FROM pg_database WHERE datname = '%1')\\gexec\n")
                 .arg(m_database, user));
        otherRuns(
            QStringLiteral("DROP TABLE IF EXISTS Items;\n"
                           "CREATE TABLE Items (Number INTEGER GENERATED BY DEFAULT AS IDENTITY "
                           "PRIMARY KEY, Name VARCHAR(40), Heat SMALLINT, Note TEXT);\n"
                           "INSERT INTO Items SELECT i, 'item' || i, i %% 100, 'n' || i "
                           "FROM generate_series(1, %1) AS i;\n"
                           "SELECT setval(pg_get_serial_sequence('items', 'number'), %1);\n")
                .arg(rows)
                .replace(QLatin1String("%%"), QLatin1String("%")));
        QString login = user;
        QString password = qEnvironmentVariable("KORVANDEL_PG_PASSWORD");
        if (role == Role::Clerk) {
            login = QStringLiteral("clerk");
            password = QStringLiteral("clerk-test");
            psql(QStringLiteral("postgres"), QStringLiteral("postgres"),
                 // Test programs run side by side: a role another one made first is fine.
                 QStringLiteral("DO $$ BEGIN CREATE ROLE clerk LOGIN PASSWORD '%1'; EXCEPTION "
                                "WHEN duplicate_object OR unique_violation THEN NULL; END $$;\n")
                     .arg(password));
            otherRuns(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON Items TO clerk;"));
        }
        const QString ini = m_dir.path() + QStringLiteral("/databases.ini");
        QSettings settings(ini, QSettings::IniFormat);
        settings.beginGroup(alias());
        settings.setValue(QStringLiteral("Driver"), QStringLiteral("PSQL"));
        settings.setValue(QStringLiteral("Host"), qEnvironmentVariable("KORVANDEL_PG_HOST"));
        settings.setValue(QStringLiteral("Port"), qEnvironmentVariable("KORVANDEL_PG_PORT"));
        settings.setValue(QStringLiteral("Database"), m_database);
        settings.setValue(QStringLiteral("User"), login);
        settings.setValue(QStringLiteral("Password"), password);
        settings.setValue(QStringLiteral("LockTimeout"), 0.2);
        settings.endGroup();
        settings.sync();
        // It holds a password: readable by its owner only.
        QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        db::AliasRegistry::setConfigFile(ini);
    }
    ~PostgresCatalogue() override {
        otherReleases();
        db::AliasRegistry::closeAll();
        db::AliasRegistry::setConfigFile(QString());
    }

    QString otherRuns(const QString &statements) override {
        return psql(qEnvironmentVariable("KORVANDEL_PG_USER"), m_database, statements);
    }
    QString auditTrigger() const override {
        return QStringLiteral(
            "DROP TABLE IF EXISTS audit_log;\n"
            "CREATE TABLE audit_log (id bigint GENERATED ALWAYS AS IDENTITY (START WITH 5000), "
            "at timestamptz DEFAULT now());\n"
            "CREATE OR REPLACE FUNCTION audit() RETURNS trigger LANGUAGE plpgsql "
            "SECURITY DEFINER AS $$ BEGIN INSERT INTO audit_log DEFAULT VALUES; RETURN NULL; "
            "END $$;\n"
            "CREATE TRIGGER items_audit AFTER INSERT ON Items FOR EACH ROW "
            "EXECUTE FUNCTION audit();\n");
    }
    QString database() const { return m_database; }
    // A database of the test program's own, so that test programs can run side by side.
    static QString ownDatabase() {
        return QStringLiteral("korvandel_") + QCoreApplication::applicationName().toLower().remove(
                                                  QRegularExpression("[^a-z0-9_]"));
    }
    // Runs statements as the server's superuser (roles, server settings).
    QString superuserRuns(const QString &statements) {
        return psql(QStringLiteral("postgres"), m_database, statements);
    }
    bool locksRows() const override { return true; }
    bool otherTries(const QString &statements) override {
        QProcess psql;
        psql.setProcessEnvironment(environment());
        psql.start(QStringLiteral("psql"),
                   arguments(qEnvironmentVariable("KORVANDEL_PG_USER"), m_database));
        psql.write("SET lock_timeout = 1000;\n" + statements.toUtf8());
        psql.closeWriteChannel();
        psql.waitForFinished(30000);
        return psql.exitCode() == 0;
    }
    void otherLocksAll() override {
        // The strongest lock it can have: the whole table when the editor holds no row, else
        // (a row lock allows no more) every write.
        holdLock(QStringLiteral("psql"),
                 arguments(qEnvironmentVariable("KORVANDEL_PG_USER"), m_database), environment(),
                 "BEGIN;\nSAVEPOINT whole;\n"
                 "LOCK TABLE Items IN ACCESS EXCLUSIVE MODE NOWAIT;\n"
                 "\\if :ERROR\nROLLBACK TO SAVEPOINT whole;\n"
                 "LOCK TABLE Items IN SHARE MODE;\n\\endif\n"
                 "SELECT 'locked';\n");
    }
    void otherReleases() override { releaseLock("ROLLBACK;\n\\q\n"); }

private:
    static QProcessEnvironment environment() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSWORD"),
                           qEnvironmentVariable("KORVANDEL_PG_PASSWORD"));
        return environment;
    }
    static QStringList arguments(const QString &user, const QString &database) {
        return {QStringLiteral("-X"), QStringLiteral("-q"),
                QStringLiteral("-t"), QStringLiteral("-A"),
                QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-h"), qEnvironmentVariable("KORVANDEL_PG_HOST"),
                QStringLiteral("-p"), qEnvironmentVariable("KORVANDEL_PG_PORT"),
                QStringLiteral("-U"), user,
                QStringLiteral("-d"), database};
    }
    static QString psql(const QString &user, const QString &database, const QString &statements) {
        QProcess psql;
        psql.setProcessEnvironment(environment());
        psql.start(QStringLiteral("psql"), arguments(user, database));
        psql.write(statements.toUtf8());
        psql.closeWriteChannel();
        psql.waitForFinished(30000);
        const QByteArray errors = psql.readAllStandardError();
        if (psql.exitCode() != 0 || errors.contains("ERROR"))
            qFatal("psql failed: %s", errors.constData());
        return QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
    }

    QString m_database;
};

inline std::unique_ptr<SharedCatalogue> SharedCatalogue::make(const QString &engine) {
    if (engine == QLatin1String("SQLite"))
        return std::make_unique<SqliteCatalogue>();
    if (engine == QLatin1String("PostgreSQL"))
        return std::make_unique<PostgresCatalogue>();
    if (engine == QLatin1String("PostgreSQL clerk"))
        return std::make_unique<PostgresCatalogue>(PostgresCatalogue::ownDatabase(),
                                                   PostgresCatalogue::Role::Clerk);
    qFatal("unknown engine %s", qPrintable(engine));
}

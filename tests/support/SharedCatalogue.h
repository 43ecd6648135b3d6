#pragma once

#include "db/AliasRegistry.h"

#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

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
    static QStringList engines() { return {QStringLiteral("SQLite")}; }
    static std::unique_ptr<SharedCatalogue> make(const QString &engine);

    QString alias() const { return QStringLiteral("SharedDB"); }
    // Runs statements in another process, as another program writing the catalogue would.
    // Returns that program's output; fails the test when it fails.
    virtual QString otherRuns(const QString &statements) = 0;
    // Another process takes a lock on the whole catalogue and keeps it until released.
    virtual void otherLocksAll() = 0;
    virtual void otherReleases() = 0;

protected:
    QTemporaryDir m_dir;
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
        m_holder = std::make_unique<QProcess>();
        m_holder->start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), m_path});
        m_holder->write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
        while (!m_holder->readAllStandardOutput().contains("locked"))
            if (!m_holder->waitForReadyRead(10000))
                qFatal("the lock holder did not start");
    }
    void otherReleases() override {
        if (!m_holder)
            return;
        m_holder->write("ROLLBACK;\n.quit\n");
        m_holder->closeWriteChannel();
        m_holder->waitForFinished(10000);
        m_holder.reset();
    }

private:
    QString m_path;
    std::unique_ptr<QProcess> m_holder;
};

inline std::unique_ptr<SharedCatalogue> SharedCatalogue::make(const QString &engine) {
    if (engine == QLatin1String("SQLite"))
        return std::make_unique<SqliteCatalogue>();
    qFatal("unknown engine %s", qPrintable(engine));
}

#pragma once

#include "db/Dialect.h"

namespace db {

// The embedded engine: one file shared by the game and every copy of the editor.
// Rows are keyed by rowid (or the INTEGER PRIMARY KEY that names it); there are no row
// locks, the write lock covers the whole file and is taken at the start of a write; the
// busy timeout bounds how long a statement waits for another program's lock.
class SqliteDialect : public Dialect {
public:
    QString engineName() const override { return QStringLiteral("SQLite"); }
    bool isEmbedded() const override { return true; }
    QString quoted(const QString &identifier) const override;
    bool tableExists(const QSqlDatabase &db, const QString &table) const override;
    std::vector<ColumnInfo> columns(const QSqlDatabase &db, const QString &table) const override;
    QString keyColumn(const QSqlDatabase &db, const QString &table) const override;
    bool canWrite(QSqlDatabase &db, const QString &table, const QString &key) const override;
    QString readOnlyReason(QSqlDatabase &db, const QString &table) const override;
    QString identityKeyType() const override {
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    // REAL is 8 bytes here.
    QString doubleType() const override { return QStringLiteral("REAL"); }
    QString booleanLiteral(bool value) const override {
        return value ? QStringLiteral("1") : QStringLiteral("0");
    }
    // A text is read through the driver as UTF-16, which turns every invalid UTF-8 sequence
    // another program stored into the same replacement character: its bytes tell.
    QString exactValue(const QString &column) const override {
        return QStringLiteral("CAST(%1 AS BLOB)").arg(column);
    }
    QString caseBlindLike(const QString &column) const override;
    QString foldedContains(const QString &column) const override;
    BulkLoader bulkLoader() const override { return BulkLoader::EmbeddedStatement; }
    QString beginWriteStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QString rowLockStatement(const QString &, const QString &) const override { return {}; }
    QString connectOptions(const ConnectionTimeouts &timeouts) const override;
    void startSession(QSqlDatabase &db, const ConnectionTimeouts &timeouts) const override;
    bool isBusy(const QSqlError &error) const override;
    // Changes whenever another connection commits to the file: microseconds, no reading.
    QString changeCounterStatement(const QString &) const override {
        return QStringLiteral("PRAGMA data_version");
    }
};

} // namespace db

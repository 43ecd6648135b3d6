#pragma once

#include "db/Dialect.h"

namespace db {

// A PostgreSQL server shared by several designers. Unquoted names are stored in lower
// case; the table's key and declared types are read from the system catalogue (the
// driver's own lookups match names by exact case); Edit locks its row with
// SELECT ... FOR UPDATE NOWAIT; waits for locks are bounded by lock_timeout; a connection
// the server dropped is noticed by a probe and opened again.
class PostgresDialect : public Dialect {
public:
    QString engineName() const override { return QStringLiteral("PostgreSQL"); }
    QString storedName(const QString &identifier) const override { return identifier.toLower(); }
    bool tableExists(const QSqlDatabase &db, const QString &table) const override;
    std::vector<ColumnInfo> columns(const QSqlDatabase &db, const QString &table) const override;
    QString keyColumn(const QSqlDatabase &db, const QString &table) const override;
    QString readOnlyReason(QSqlDatabase &db, const QString &table) const override;
    QString continueNumberingStatement(const QString &table,
                                       const QString &keyColumn) const override;
    QString caseFolded(const QString &column) const override;
    QString backslashLiteral() const override { return QStringLiteral("E'\\\\'"); }
    bool numbersKey(const QSqlDatabase &db, const QString &table,
                    const QString &keyColumn) const override;
    QString numberKeyStatement(const QString &table, const QString &keyColumn) const override;
    QString snapshotStatement() const override {
        return QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    }
    BulkLoader bulkLoader() const override { return BulkLoader::CopyFromStdin; }
    QString rowLockStatement(const QString &table, const QString &keyColumn) const override;
    int serverSocket(const QSqlDatabase &db) const override;
    QString connectOptions(const ConnectionTimeouts &timeouts) const override;
    int heartbeatSeconds(const ConnectionTimeouts &timeouts) const override {
        return std::max(timeouts.deadServerSeconds, 1);
    }
    void startSession(QSqlDatabase &db, const ConnectionTimeouts &timeouts) const override;
    bool transactionAborted(QSqlDatabase &db) const override;
    QString rowHolder(QSqlDatabase &db, const QString &table, const QString &keyColumn,
                      qint64 key) const override;
    bool isBusy(const QSqlError &error) const override;
    bool isRowLocked(const QSqlError &error) const override;
    bool isConnectionLost(const QSqlError &error) const override;
    bool isAlive(QSqlDatabase &db) const override;
    void createTable(QSqlDatabase &db, const QString &table, const QString &script) const override;
    QString changeCounterStatement(const QString &table) const override;
    QStringList changeNoticeStatements(const QString &table,
                                       const QString &keyColumn) const override;
    bool announcesChanges(const QSqlDatabase &db, const QString &table) const override;
    QStringList rowInsertTriggers(const QSqlDatabase &db, const QString &table) const override;
};

} // namespace db

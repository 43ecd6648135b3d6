#pragma once

#include "BulkWriter.h"

struct sqlite3;
struct sqlite3_stmt;

namespace catalogue {

// The driver's sqlite3 connection; null when the driver hands out none.
sqlite3 *sqliteConnection(QSqlDatabase &db);

// Inserts rows into a SQLite table through the engine's own prepared statement (as the
// sqlite3 shell's .import does): each value is bound once, straight from the row.
class SqliteInsert : public BulkWriter {
public:
    // The writer for a SQLite connection handle; null when the driver hands out none.
    static std::unique_ptr<BulkWriter> forConnection(QSqlDatabase &db, const QString &table,
                                                     const QStringList &columns);
    ~SqliteInsert() override;
    bool send(const QVariantList &values, qsizetype columnCount, QString *reason) override;

private:
    SqliteInsert(sqlite3 *connection, sqlite3_stmt *statement)
        : m_connection(connection), m_statement(statement) {}

    sqlite3 *m_connection; // the driver's, owned by the driver
    sqlite3_stmt *m_statement;
};

} // namespace catalogue

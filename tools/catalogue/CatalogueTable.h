#pragma once

#include "ValueRule.h"

#include "db/Dialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace catalogue {

class BulkWriter;

// A failure of the tool's work; the message is what the user reads.
class CatalogueError : public std::runtime_error {
public:
    explicit CatalogueError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// "1 row", "12 rows".
QString rowsText(qint64 rows);

// The Equipment table of one alias, resolved exactly as the editor resolves it.
class CatalogueTable {
public:
    // Whether the command may make a new database file for the alias.
    enum class Access { Existing, MayCreate };
    // Throws CatalogueError for an alias that is not configured and has no file, unless
    // the command may create it and the alias is the editor's own; DatabaseError when the
    // database cannot be opened.
    explicit CatalogueTable(const QString &alias, Access access = Access::Existing);

    const QString &alias() const { return m_alias; }
    QSqlDatabase &database() { return m_db; }
    const db::Dialect &dialect() const { return *m_dialect; }

    bool exists() const;
    // The statement that creates the empty table as the editor would for this engine.
    QString schemaSql() const;
    // Runs it (inside the caller's transaction, if any). Throws.
    void create();
    qint64 count() const;
    // The table's columns as the engine stores them, in table order, with their types.
    std::vector<db::ColumnInfo> columnInfos() const;
    QStringList columns() const;
    // The column that identifies the rows (the dialect's rule); empty when there is none.
    QString keyColumn() const;

    // The key column; throws CatalogueError (with check's words) when the rows have none.
    QString requireKey() const;
    // Reads the given columns of every row in key order, a page at a time, so that no
    // more than a page is held in memory; the row's key comes first. Throws CatalogueError
    // for a table whose rows have no key.
    void forEachRow(const QStringList &columns,
                    const std::function<void(const QVariant &key, QVariantList &values)> &row);

    // After rows were written with their own keys, numbering of new rows continues above
    // the highest key, so keys are never given twice.
    void continueKeyNumbering();

    // Runs work in one transaction: committed when it returns, rolled back when it throws.
    void inTransaction(const std::function<void()> &work);
    // Runs reading work in one read-only transaction that sees the table as it was at one
    // instant, whatever others write meanwhile.
    void inSnapshot(const std::function<void()> &work);

    QString quoted(const QString &identifier) const { return m_dialect->quoted(identifier); }

private:
    QString m_alias;
    QSqlDatabase m_db;
    const db::Dialect *m_dialect;
};

// The column of the column table that a stored column name stands for, in the column
// table's spelling; the stored name itself for a column the editor does not know.
QString canonicalColumnName(const QString &stored);

// Inserts rows in batches inside the caller's transaction. Every value is checked against
// its column first; a value or a row the engine refuses is named by its origin (a line
// number, a key) in the error.
class RowWriter {
public:
    RowWriter(CatalogueTable &table, const QStringList &columns, const QString &originName);
    ~RowWriter();
    // Takes the row's values (converted in place to what is stored).
    void add(QVariantList &values, qint64 origin);
    void flush();
    qint64 written() const { return m_written; }

private:
    bool insert(QSqlQuery &query, int rows, qsizetype firstValue, QString *reason);
    QSqlQuery &prepare(std::optional<QSqlQuery> &query, int rows);
    QString statement(int rows) const;
    [[noreturn]] void refuse(qint64 origin, const QString &reason) const;

    CatalogueTable &m_table;
    QStringList m_columns;
    std::vector<ValueRule> m_rules;
    QString m_originName;
    QVariantList m_pending;
    QList<qint64> m_origins;
    qint64 m_written = 0;
    std::optional<QSqlQuery> m_batch;  // a whole batch, prepared once
    std::optional<QSqlQuery> m_single; // one row, for finding a refused one
    int m_batchRows;
    std::unique_ptr<BulkWriter> m_bulk; // the engine's own loader, where it has one
};

} // namespace catalogue

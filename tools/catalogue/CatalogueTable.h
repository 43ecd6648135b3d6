#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace catalogue {

class PostgresCopy;

// A failure of the tool's work; the message is what the user reads.
class CatalogueError : public std::runtime_error {
public:
    explicit CatalogueError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// The Equipment table of one alias, resolved exactly as the editor resolves it.
class CatalogueTable {
public:
    explicit CatalogueTable(const QString &alias);

    const QString &alias() const { return m_alias; }
    QSqlDatabase &database() { return m_db; }

    bool exists() const;
    // The statement that creates the empty table as the editor would for this engine.
    QString schemaSql() const;
    // Runs it (inside the caller's transaction, if any). Throws.
    void create();
    qint64 count() const;
    // The table's columns as the engine stores them, in table order.
    QStringList columns() const;
    // The key column as the engine stores it.
    QString keyColumn() const;

    // Reads the given columns of every row in key order, a page at a time, so that no
    // more than a page is held in memory. Throws.
    void forEachRow(const QStringList &columns,
                    const std::function<void(const QVariantList &)> &row);

    // After rows were written with their own keys, numbering of new rows continues above
    // the highest key, so keys are never given twice.
    void continueKeyNumbering();

    // Runs work in one transaction: committed when it returns, rolled back when it throws.
    void inTransaction(const std::function<void()> &work);

    QString quoted(const QString &identifier) const;

private:
    QString m_alias;
    QSqlDatabase m_db;
};

// The column of the column table that a stored column name stands for, in the column
// table's spelling; the stored name itself for a column the editor does not know.
QString canonicalColumnName(const QString &stored);

// Inserts rows in batches inside the caller's transaction. A row the engine refuses is
// found and named by its origin (a line number, a key) in the error.
class RowWriter {
public:
    RowWriter(CatalogueTable &table, const QStringList &columns, const QString &originName);
    ~RowWriter();
    void add(const QVariantList &values, qint64 origin);
    void flush();
    qint64 written() const { return m_written; }

private:
    bool insert(QSqlQuery &query, int rows, qsizetype firstValue, QString *reason);
    QSqlQuery &prepare(std::optional<QSqlQuery> &query, int rows);
    QString statement(int rows) const;

    CatalogueTable &m_table;
    QStringList m_columns;
    QString m_originName;
    QVariantList m_pending;
    QList<qint64> m_origins;
    qint64 m_written = 0;
    std::optional<QSqlQuery> m_batch;  // a whole batch, prepared once
    std::optional<QSqlQuery> m_single; // one row, for finding a refused one
    int m_batchRows;
    std::unique_ptr<PostgresCopy> m_copy; // the bulk path, where the engine has one
};

} // namespace catalogue

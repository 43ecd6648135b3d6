#pragma once

#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/KeyedTable.h"
#include "db/RowCache.h"
#include "db/RowWriter.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace db {

// The rows of an open result, by 0-based position. Every operation that throws leaves the
// store as it was.
class RowStore {
public:
    virtual ~RowStore() = default;
    virtual const std::vector<ColumnInfo> &columns() const = 0;
    virtual int count() const = 0;
    // The values of a row as last read; the reference stays valid until the next call.
    virtual const QVariantList &row(int index) = 0;
    // Stable identity of a row (bookmarks), and the position of an identity (-1: none).
    virtual QVariant key(int index) const = 0;
    virtual int indexOfKey(const QVariant &key) const = 0;
    // The column that holds the key (-1: the key is not one of the result's columns).
    virtual int keyField() const { return -1; }
    virtual bool canModify() const { return false; }
    // Why a result that was asked to be live cannot be modified; empty otherwise.
    virtual QString readOnlyReason() const { return {}; }
    // A store over the same query, read again from the engine.
    virtual std::unique_ptr<RowStore> reloaded() const = 0;

    // Writing, for results that can be modified. A placeholder row stands for a row being
    // inserted until it is written or dropped.
    virtual void insertPlaceholder(int index);
    virtual void removeAt(int index);
    // The row as the engine stores it now (also kept as the row's cached values); none
    // when it was deleted.
    virtual std::optional<StoredRow> stored(int index);
    // Takes the row lock where the engine has one, for as long as the edit lasts. Throws
    // when another session holds the row.
    virtual void lockRow(int index);
    // Ends the edit's lock and transaction without writing (Cancel, Close).
    virtual void releaseRow() {}
    // Writes the changed columns of the row (the placeholder, or asNewRow: inserts them)
    // inside one transaction that first checks the stored row against the row the edit
    // read. Returns the row as stored afterwards. Throws RowConflict or DatabaseError.
    virtual QVariantList write(int index, const RowWrite &write);
    // Deletes the row, after checking that it is still stored as the user saw it. Throws
    // RowConflict (the row is cached as stored now) or DatabaseError.
    virtual void deleteRow(int index, const QVariantList &seen);

    // Following other programs' writes, for results read by key (no placeholder may stand).
    // The table behind the result; none when the result is not read by key.
    virtual std::shared_ptr<const KeyedTable> keyedTable() const { return {}; }
    // Drops every value read so far: rows are read again when next asked for.
    virtual void forgetValues() {}
    // The result now holds these keys, in key order.
    virtual void replaceKeys(std::vector<qint64>) {}
    // Rows with these keys were written: each joins or leaves the result as it holds now.
    virtual void updateKeys(const std::vector<qint64> &) {}
};

// Any query text: every row read once into memory. Read-only.
class MaterializedRowStore : public RowStore {
public:
    MaterializedRowStore(QSqlDatabase db, const QString &sql, const QVariantList &parameters);
    const std::vector<ColumnInfo> &columns() const override { return m_columns; }
    int count() const override { return int(m_rows.size()); }
    const QVariantList &row(int index) override { return m_rows.at(size_t(index)); }
    QVariant key(int index) const override { return index; }
    int indexOfKey(const QVariant &key) const override;
    std::unique_ptr<RowStore> reloaded() const override;

private:
    QSqlDatabase m_db;
    QString m_sql;
    QVariantList m_parameters;
    std::vector<ColumnInfo> m_columns;
    std::vector<QVariantList> m_rows;
};

// A single-table result: the table reached by its key, the ordered keys with a cache of row
// windows, and the write protocol, put together.
class KeyedRowStore : public RowStore {
public:
    using Source = KeyedTable::Source;
    // Reads the columns and the keys. A live source is probed for writing: a table this
    // connection cannot write opens read-only.
    explicit KeyedRowStore(Source source);

    const std::vector<ColumnInfo> &columns() const override { return m_table->columns(); }
    int count() const override { return m_cache.count(); }
    const QVariantList &row(int index) override;
    QVariant key(int index) const override;
    int indexOfKey(const QVariant &key) const override;
    int keyField() const override { return m_table->keyField(); }
    bool canModify() const override { return m_writable; }
    QString readOnlyReason() const override { return m_readOnlyReason; }
    std::unique_ptr<RowStore> reloaded() const override;

    void insertPlaceholder(int index) override { m_cache.insertPlaceholder(index); }
    void removeAt(int index) override { m_cache.removeAt(index); }
    std::optional<StoredRow> stored(int index) override;
    void lockRow(int index) override;
    void releaseRow() override { m_writer.release(); }
    QVariantList write(int index, const RowWrite &write) override;
    void deleteRow(int index, const QVariantList &seen) override;

    std::shared_ptr<const KeyedTable> keyedTable() const override { return m_table; }
    void forgetValues() override { m_cache.forget(); }
    void replaceKeys(std::vector<qint64> keys) override { m_cache.replaceKeys(std::move(keys)); }
    void updateKeys(const std::vector<qint64> &written) override;

    static constexpr int WindowRows = RowCache::WindowRows;

private:
    KeyedRowStore(std::shared_ptr<const KeyedTable> table, bool writable, QString readOnlyReason);
    static RowCache makeCache(const std::shared_ptr<const KeyedTable> &table);

    std::shared_ptr<const KeyedTable> m_table;
    bool m_writable = false;
    QString m_readOnlyReason;
    RowCache m_cache;
    RowWriter m_writer;
};

} // namespace db

#pragma once

#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/Transaction.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace db {

// What Post hands to the store: the row as the user left it and what the edit started from.
struct RowWrite {
    const QVariantList &values;         // the row as the user left it
    const std::vector<bool> &changed;   // the columns the user changed
    const QVariantList *read = nullptr; // the stored row as the edit read it (updates)
    bool asNewRow = false;              // insert the values although the row had a key
};

// A Post that found the stored row no longer as the edit read it: gone, or changed by
// someone else in a column the user changed too. Nothing was written.
class RowConflict : public DatabaseError {
public:
    RowConflict(const QString &message, std::optional<QVariantList> stored)
        : DatabaseError(message), m_stored(std::move(stored)) {}
    // The row as it is stored now; none when it was deleted.
    const std::optional<QVariantList> &stored() const { return m_stored; }

private:
    std::optional<QVariantList> m_stored;
};

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
    // A store over the same query, read again from the engine.
    virtual std::unique_ptr<RowStore> reloaded() const = 0;

    // Writing, for results that can be modified. A placeholder row stands for a row being
    // inserted until it is written or dropped.
    virtual void insertPlaceholder(int index);
    virtual void removeAt(int index);
    // The row as the engine stores it now (also kept as the row's cached values); none
    // when it was deleted.
    virtual std::optional<QVariantList> stored(int index);
    // Takes the row lock where the engine has one, for as long as the edit lasts. Throws
    // when another session holds the row.
    virtual void lockRow(int index);
    // Ends the edit's lock and transaction without writing (Cancel, Close).
    virtual void releaseRow() {}
    // Writes the changed columns of the row (the placeholder, or asNewRow: inserts them)
    // inside one transaction that first checks the stored row against the values the edit
    // read. Returns the row as stored afterwards. Throws RowConflict or DatabaseError.
    virtual QVariantList write(int index, const RowWrite &write);
    virtual void deleteRow(int index);
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

// A single-table result: the ordered keys are held, row values are fetched in windows by
// key into a least-recently-used cache of bounded size.
class KeyedRowStore : public RowStore {
public:
    struct Source {
        QSqlDatabase db;
        const Dialect *dialect = nullptr;
        QString table;
        QString keyColumn;
        QString where; // condition text, may hold "?" placeholders
        QVariantList parameters;
        bool live = true;
        int cacheRows = 4096;
    };
    // Reads the columns and the keys. A live source is probed for writing: a table this
    // connection cannot write opens read-only.
    explicit KeyedRowStore(Source source);
    ~KeyedRowStore() override;

    const std::vector<ColumnInfo> &columns() const override { return m_columns; }
    int count() const override { return int(m_keys.size()); }
    const QVariantList &row(int index) override;
    QVariant key(int index) const override;
    int indexOfKey(const QVariant &key) const override;
    int keyField() const override { return m_keyField; }
    bool canModify() const override { return m_writable; }
    std::unique_ptr<RowStore> reloaded() const override;

    void insertPlaceholder(int index) override;
    void removeAt(int index) override;
    std::optional<QVariantList> stored(int index) override;
    void lockRow(int index) override;
    void releaseRow() override;
    QVariantList write(int index, const RowWrite &write) override;
    void deleteRow(int index) override;

    static constexpr int WindowRows = 128;

private:
    using Window = std::vector<QVariantList>;
    KeyedRowStore(const KeyedRowStore &other, std::vector<qint64> keys);
    void readColumns();
    // Opens the connection again when its server dropped it; the transaction (and the row
    // lock) that lived on it is gone then. Throws DatabaseError while the server is away.
    void ensureConnected() const;
    std::vector<qint64> readKeys() const;
    Window &window(int windowIndex);
    void fetchInto(Window &rows, int firstIndex, int rowCount);
    // The stored values of the rows with these keys (rows that are gone are left out).
    std::unordered_map<qint64, QVariantList> fetchByKey(const std::vector<qint64> &keys) const;
    void keepCached(int index, const QVariantList &values);
    void invalidate();
    QString quoted(const QString &identifier) const;
    // Runs a statement that must change exactly one row, inside the caller's transaction.
    // Throws noRowMessage when it changed none.
    QSqlQuery execWrite(const QString &text, const QVariantList &bound, const QString &what,
                        const char *noRowMessage);
    // The conflict message for the columns the user changed that someone else changed too.
    QString conflictMessage(const std::vector<int> &columns, const QVariantList &stored) const;

    Source m_source;
    std::vector<ColumnInfo> m_columns;
    int m_keyField = -1;
    bool m_writable = false;
    // The transaction that holds the edit's row lock, from Edit to Post or Cancel.
    mutable std::unique_ptr<Transaction> m_edit;
    std::vector<qint64> m_keys;
    bool m_keysSorted = true;
    std::unordered_map<int, std::pair<Window, std::list<int>::iterator>> m_cache;
    std::list<int> m_lru; // most recently used window first
    QVariantList m_emptyRow;
};

// Parses "SELECT * FROM table [WHERE condition]"; false for any other text.
bool parseSimpleSelect(const QString &sql, QString *table, QString *where);

namespace msg {
inline const char *rowDeleted =
    "Another program deleted this row while you edited it. Post again to store your values "
    "as a new row, or Cancel to drop them";
inline const char *rowChanged =
    "Another program changed this row while you edited it: %1. Post again to store your "
    "values over these, or Cancel to see the row as it is now";
inline const char *rowGone =
    "Another program deleted this row. Refresh to see the rows as they are now";
inline const char *rowLocked = "Another designer is editing this row";
inline const char *nothingWritten = "The row could not be written: no row was changed";
} // namespace msg

} // namespace db

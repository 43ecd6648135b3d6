#pragma once

#include "db/Field.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace db {

// Describes one column of a result.
struct ColumnInfo {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
};

// The rows of an open result, by 0-based position.
class RowStore {
public:
    virtual ~RowStore() = default;
    virtual const std::vector<ColumnInfo> &columns() const = 0;
    virtual int count() const = 0;
    // The stored values of a row; the reference stays valid until the next call.
    virtual const QVariantList &row(int index) = 0;
    // Stable identity of a row (bookmarks), and the position of an identity (-1: none).
    virtual QVariant key(int index) const = 0;
    virtual int indexOfKey(const QVariant &key) const = 0;
    virtual bool canModify() const { return false; }

    // Writing, for results that can be modified. A placeholder row stands for a row being
    // inserted until it is written or dropped.
    virtual void insertPlaceholder(int index);
    virtual void removeAt(int index);
    // Writes the changed columns of the row at index (the placeholder: inserts it) and
    // re-reads it. Throws DatabaseError; the store is unchanged then.
    virtual void write(int index, const QVariantList &values, const std::vector<bool> &changed);
    virtual void deleteRow(int index);
    virtual QVariantList reread(int index);
    virtual void reload() = 0;
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
    void reload() override;

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
        QString table;
        QString keyColumn;
        QString where; // condition text, may hold "?" placeholders
        QVariantList parameters;
        bool live = true;
        int cacheRows = 4096;
    };
    explicit KeyedRowStore(Source source);

    const std::vector<ColumnInfo> &columns() const override { return m_columns; }
    int count() const override { return int(m_keys.size()); }
    const QVariantList &row(int index) override;
    QVariant key(int index) const override;
    int indexOfKey(const QVariant &key) const override;
    bool canModify() const override { return m_source.live; }

    void insertPlaceholder(int index) override;
    void removeAt(int index) override;
    void write(int index, const QVariantList &values, const std::vector<bool> &changed) override;
    void deleteRow(int index) override;
    QVariantList reread(int index) override;
    void reload() override;

    static constexpr int WindowRows = 128;

private:
    using Window = std::vector<QVariantList>;
    void readColumns();
    Window &window(int windowIndex);
    void fetchInto(Window &rows, int firstIndex, int rowCount);
    void invalidate();
    QString quoted(const QString &identifier) const;

    Source m_source;
    std::vector<ColumnInfo> m_columns;
    int m_keyField = -1;
    std::vector<qint64> m_keys;
    bool m_keysSorted = true;
    std::unordered_map<int, std::pair<Window, std::list<int>::iterator>> m_cache;
    std::list<int> m_lru; // most recently used window first
    QVariantList m_emptyRow;
};

// Parses "SELECT * FROM table [WHERE condition]"; false for any other text.
bool parseSimpleSelect(const QString &sql, QString *table, QString *where);
// The integer key that identifies the table's rows: its single integer primary key, else
// SQLite's rowid; empty when the rows have no such key.
QString findKeyColumn(const QSqlDatabase &db, const QString &table);
// Column type from a declared SQL type ("VARCHAR(40)", "SMALLINT", "BOOLEAN", ...).
ColumnInfo columnFromDeclaredType(const QString &name, const QString &declaredType);

} // namespace db

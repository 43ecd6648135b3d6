#pragma once

#include "db/Dialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace db {

struct StoredRow;
class ChangeRecorder;

// One table (or the rows of it that a condition selects) as its engine holds it, reached by
// a single integer key: its columns, its ordered keys, and the stored values of rows by key.
// Every read goes to the engine; nothing is kept here.
class KeyedTable {
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
        // Columns that say which item a row describes (a code): a stored row whose value
        // there changed under the user is another item, not the row they edited.
        QStringList identityFields;
        // How the program spells column names: an engine that folds unquoted names to
        // lower case still shows them as the program writes them.
        QStringList fieldNames;
        // Records every row written, inside the write's transaction; none: nothing recorded.
        std::shared_ptr<const ChangeRecorder> recorder;
    };
    // Reads the table's columns. Throws DatabaseError.
    explicit KeyedTable(Source source);

    const Source &source() const { return m_source; }
    QSqlDatabase database() const { return m_source.db; }
    const Dialect &dialect() const { return *m_source.dialect; }
    const std::vector<ColumnInfo> &columns() const { return m_columns; }
    int columnCount() const { return int(m_columns.size()); }
    // The column that holds the key (-1: the key is not one of the result's columns).
    int keyField() const { return m_keyField; }
    QString quoted(const QString &identifier) const { return m_source.dialect->quoted(identifier); }

    // Opens the connection again when its server dropped it; the transaction (and the row
    // lock) that lived on it is gone then. Throws DatabaseError while the server is away.
    void ensureConnected() const;
    // The keys of the selected rows, in key order.
    std::vector<qint64> readKeys() const;
    // The same, read on another connection to the same database (another thread's). Here:
    // the engine reads them in any order, which lets it scan a smaller index than the
    // table, and they are sorted afterwards.
    enum class KeyOrder { Engine, Here };
    std::vector<qint64> readKeys(const QSqlDatabase &db, KeyOrder order) const;
    // Which of these keys the selected rows hold now, in key order.
    std::vector<qint64> presentKeys(const std::vector<qint64> &keys) const;
    // The stored values of the rows with these keys (rows that are gone are left out).
    std::unordered_map<qint64, QVariantList> fetchByKey(const std::vector<qint64> &keys) const;
    // The stored values of one row with their exact forms; none when it is gone. Inside a
    // write the connection is used as it is (reopening it there would leave the write's
    // transaction); outside, a connection the server dropped is opened again first.
    enum class Connection { MayReopen, AsItIs };
    std::optional<StoredRow> readExact(qint64 key, Connection connection) const;
    bool isIdentityColumn(int column) const;
    // Whether this connection may write the table (probed by a write that is undone).
    bool probeWritable() const;
    // Why the table opened read-only, for the user; empty when it was not asked to be live.
    QString readOnlyReason() const;

    static constexpr int WindowRows = 128;

private:
    // The result's columns by name, in order, for a select list: a column another program
    // dropped fails the statement instead of shifting the values after it.
    QString columnList() const;
    // Runs a read of the table; a statement that fails because another program dropped
    // one of the result's columns is reported as such, naming the column.
    QSqlQuery runRead(const QString &text, const QVariantList &bound, const QString &what) const;
    // The first of the result's columns the table no longer has; empty when none is missing
    // or the table cannot be described now.
    QString missingColumn() const;

    Source m_source;
    std::vector<ColumnInfo> m_columns;
    int m_keyField = -1;
};

} // namespace db

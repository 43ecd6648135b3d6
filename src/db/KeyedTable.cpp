#include "db/KeyedTable.h"

#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "db/RowWriter.h"
#include "db/Statement.h"

#include <algorithm>

namespace db {

KeyedTable::KeyedTable(Source source) : m_source(std::move(source)) {
    m_columns = m_source.dialect->columns(m_source.db, m_source.table);
    if (m_columns.empty())
        throw DatabaseError(QStringLiteral("Table does not exist: ") + m_source.table);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        ColumnInfo &column = m_columns[c];
        for (const QString &name : m_source.fieldNames)
            if (name.compare(column.name, Qt::CaseInsensitive) == 0)
                column.name = name;
        if (column.name.compare(m_source.keyColumn, Qt::CaseInsensitive) == 0)
            m_keyField = int(c);
    }
}

QSqlQuery KeyedTable::runRead(const QString &text, const QVariantList &bound,
                              const QString &what) const {
    try {
        return runStatement(m_source.db, text, bound, what);
    } catch (const EngineError &) {
        const QString gone = missingColumn();
        if (!gone.isEmpty())
            throw DatabaseError(QStringLiteral("Another program changed the table %1: its "
                                               "column %2 is gone. Close the catalogue and open "
                                               "it again")
                                    .arg(m_source.table, gone));
        throw;
    }
}

QString KeyedTable::missingColumn() const {
    std::vector<ColumnInfo> now;
    try {
        now = m_source.dialect->columns(m_source.db, m_source.table);
    } catch (const DatabaseError &) {
        return {}; // the table cannot be described now: the read's own reason stands
    }
    if (now.empty())
        return {};
    for (const ColumnInfo &column : m_columns) {
        const bool present = std::any_of(now.begin(), now.end(), [&](const ColumnInfo &c) {
            return c.name.compare(column.name, Qt::CaseInsensitive) == 0;
        });
        if (!present)
            return column.name;
    }
    return {};
}

void KeyedTable::ensureConnected() const {
    QSqlDatabase db = m_source.db;
    if (m_source.dialect->isAlive(db))
        return;
    AliasRegistry::reopen(db);
}

std::vector<qint64> KeyedTable::readKeys() const {
    ensureConnected();
    return readKeys(m_source.db, KeyOrder::Engine);
}

namespace {

std::vector<qint64> keysOf(QSqlQuery &query, const QString &what) {
    std::vector<qint64> keys;
    while (query.next())
        keys.push_back(query.value(0).toLongLong());
    checkFinished(query, what);
    return keys;
}

} // namespace

std::vector<qint64> KeyedTable::readKeys(const QSqlDatabase &db, KeyOrder order) const {
    QString text =
        QStringLiteral("SELECT %1 FROM %2").arg(quoted(m_source.keyColumn), quoted(m_source.table));
    if (!m_source.where.isEmpty())
        text += QStringLiteral(" WHERE ") + m_source.where;
    if (order == KeyOrder::Engine)
        text += QStringLiteral(" ORDER BY ") + quoted(m_source.keyColumn);
    const QString what = QStringLiteral("Query failed");
    QSqlQuery query = runStatement(db, text, m_source.parameters, what);
    std::vector<qint64> keys = keysOf(query, what);
    if (order == KeyOrder::Here && !std::is_sorted(keys.begin(), keys.end()))
        std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<qint64> KeyedTable::presentKeys(const std::vector<qint64> &keys) const {
    if (keys.empty())
        return {};
    if (!Transaction::isOpen(m_source.db))
        ensureConnected();
    QStringList marks;
    QVariantList bound;
    for (qint64 key : keys) {
        marks << QStringLiteral("?");
        bound << key;
    }
    QString text =
        QStringLiteral("SELECT %1 FROM %2 WHERE %1 IN (%3)")
            .arg(quoted(m_source.keyColumn), quoted(m_source.table), marks.join(QLatin1Char(',')));
    if (!m_source.where.isEmpty())
        text += QStringLiteral(" AND (%1)").arg(m_source.where);
    text += QStringLiteral(" ORDER BY ") + quoted(m_source.keyColumn);
    bound += m_source.parameters;
    const QString what = QStringLiteral("Query failed");
    QSqlQuery query = runStatement(m_source.db, text, bound, what);
    return keysOf(query, what);
}

std::unordered_map<qint64, QVariantList>
KeyedTable::fetchByKey(const std::vector<qint64> &keys) const {
    std::unordered_map<qint64, QVariantList> byKey;
    if (keys.empty())
        return byKey;
    // Rows are read for showing them, never inside a write: a connection the server dropped
    // (taking an edit's row lock with it) is opened again.
    ensureConnected();
    // One statement text for every window (one for single rows): the keys are padded to a
    // fixed count by repeating one of them, a value every key column accepts.
    const int width = keys.size() == 1 ? 1 : std::max(int(keys.size()), WindowRows);
    QStringList marks;
    QVariantList bound;
    for (int i = 0; i < width; ++i) {
        marks << QStringLiteral("?");
        bound << keys[std::min(size_t(i), keys.size() - 1)];
    }
    const QString text = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 IN (%4)")
                             .arg(quoted(m_source.keyColumn), columnList(), quoted(m_source.table),
                                  marks.join(QLatin1Char(',')));
    const QString what = QStringLiteral("Cannot read rows");
    QSqlQuery query = runRead(text, bound, what);
    const int count = columnCount();
    while (query.next()) {
        QVariantList values;
        values.reserve(count);
        for (int c = 0; c < count; ++c)
            values.append(query.value(c + 1));
        byKey.emplace(query.value(0).toLongLong(), std::move(values));
    }
    checkFinished(query, what);
    return byKey;
}

QString KeyedTable::columnList() const {
    QStringList names;
    for (const ColumnInfo &column : m_columns)
        names << quoted(column.name);
    return names.join(QLatin1Char(','));
}

std::optional<StoredRow> KeyedTable::readExact(qint64 key, Connection connection) const {
    if (connection == Connection::MayReopen)
        ensureConnected();
    QStringList exact;
    for (const ColumnInfo &column : m_columns) {
        const QString expression = m_source.dialect->exactValue(quoted(column.name));
        if (expression.isEmpty())
            break;
        exact << expression;
    }
    QString text = QStringLiteral("SELECT ") + columnList();
    if (!exact.isEmpty())
        text += QLatin1Char(',') + exact.join(QLatin1Char(','));
    text += QStringLiteral(" FROM %1 WHERE %2 = ?")
                .arg(quoted(m_source.table), quoted(m_source.keyColumn));
    const QString what = QStringLiteral("Cannot read rows");
    QSqlQuery query = runRead(text, {key}, what);
    if (!query.next()) {
        checkFinished(query, what);
        return std::nullopt;
    }
    StoredRow row;
    const int count = columnCount();
    for (int c = 0; c < count; ++c)
        row.values.append(query.value(c));
    for (int c = 0; c < int(exact.size()); ++c)
        row.exact.append(query.value(count + c));
    return row;
}

bool KeyedTable::isIdentityColumn(int column) const {
    return m_source.identityFields.contains(m_columns.at(size_t(column)).name, Qt::CaseInsensitive);
}

bool KeyedTable::probeWritable() const {
    QSqlDatabase db = m_source.db;
    return m_source.live && m_source.dialect->canWrite(db, m_source.table, m_source.keyColumn);
}

QString KeyedTable::readOnlyReason() const {
    QSqlDatabase db = m_source.db;
    return m_source.live ? m_source.dialect->readOnlyReason(db, m_source.table) : QString();
}

} // namespace db

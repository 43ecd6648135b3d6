#include "db/RowStore.h"

#include "db/DatabaseError.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <limits>

namespace db {

namespace {

constexpr qint64 placeholderKey = std::numeric_limits<qint64>::min();

QString errorText(const QSqlError &error) {
    const QString database = error.databaseText().trimmed();
    return database.isEmpty() ? error.text().trimmed() : database;
}

[[noreturn]] void fail(const QString &what, const QSqlError &error) {
    throw DatabaseError(what + QStringLiteral(": ") + errorText(error));
}

void bindAll(QSqlQuery &query, const QVariantList &values) {
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
}

ColumnInfo columnFromSqlField(const QSqlField &field) {
    ColumnInfo info{field.name(), FieldType::String, 0};
    switch (field.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        info.type = FieldType::Integer;
        break;
    case QMetaType::Short:
    case QMetaType::UShort:
        info.type = FieldType::SmallInt;
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        info.type = FieldType::Float;
        break;
    case QMetaType::Bool:
        info.type = FieldType::Boolean;
        break;
    default:
        info.size = field.length() > 0 ? field.length() : 0;
    }
    return info;
}

bool isSqlite(const QSqlDatabase &db) {
    return db.driverName().startsWith(QLatin1String("QSQLITE"));
}

} // namespace

bool parseSimpleSelect(const QString &sql, QString *table, QString *where) {
    static const QRegularExpression form(
        QStringLiteral(
            R"(^\s*SELECT\s+\*\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*)\s*(?:WHERE\s+(.+?))?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = form.match(sql);
    if (!match.hasMatch())
        return false;
    *table = match.captured(1);
    *where = match.captured(2);
    return true;
}

ColumnInfo columnFromDeclaredType(const QString &name, const QString &declaredType) {
    const QString type = declaredType.toUpper();
    ColumnInfo info{name, FieldType::String, 0};
    if (type.contains(QLatin1String("BOOL")))
        info.type = FieldType::Boolean;
    else if (type.contains(QLatin1String("SMALLINT")) || type.contains(QLatin1String("TINYINT")))
        info.type = FieldType::SmallInt;
    else if (type.contains(QLatin1String("INT")))
        info.type = FieldType::Integer;
    else if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) ||
             type.contains(QLatin1String("DOUB")) || type.contains(QLatin1String("NUMERIC")) ||
             type.contains(QLatin1String("DECIMAL")))
        info.type = FieldType::Float;
    else {
        static const QRegularExpression length(QStringLiteral(R"(\(\s*(\d+)\s*\))"));
        const QRegularExpressionMatch match = length.match(type);
        if (match.hasMatch())
            info.size = match.captured(1).toInt();
    }
    return info;
}

QString findKeyColumn(const QSqlDatabase &db, const QString &table) {
    if (isSqlite(db)) {
        QSqlQuery info(db);
        QStringList primary;
        QString primaryType;
        if (info.exec(QStringLiteral("PRAGMA table_info(%1)")
                          .arg(db.driver()->escapeIdentifier(table, QSqlDriver::TableName)))) {
            while (info.next()) {
                if (info.value(5).toInt() > 0) {
                    primary << info.value(1).toString();
                    primaryType = info.value(2).toString();
                }
            }
        }
        if (primary.size() == 1 &&
            primaryType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
            return primary.front();
        return QStringLiteral("rowid");
    }
    const QSqlIndex primary = db.primaryIndex(table);
    if (primary.count() == 1 && columnFromSqlField(primary.field(0)).type == FieldType::Integer)
        return primary.fieldName(0);
    return {};
}

// ---------------------------------------------------------------------------------------
void RowStore::insertPlaceholder(int) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
void RowStore::removeAt(int) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
void RowStore::write(int, const QVariantList &, const std::vector<bool> &) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
void RowStore::deleteRow(int) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
QVariantList RowStore::reread(int index) {
    return row(index);
}

// ---------------------------------------------------------------------------------------
MaterializedRowStore::MaterializedRowStore(QSqlDatabase db, const QString &sql,
                                           const QVariantList &parameters)
    : m_db(std::move(db)), m_sql(sql), m_parameters(parameters) {
    reload();
}

int MaterializedRowStore::indexOfKey(const QVariant &key) const {
    bool ok = false;
    const int index = key.toInt(&ok);
    return ok && index >= 0 && index < count() ? index : -1;
}

void MaterializedRowStore::reload() {
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(m_sql))
        fail(QStringLiteral("Invalid query"), query.lastError());
    bindAll(query, m_parameters);
    if (!query.exec())
        fail(QStringLiteral("Query failed"), query.lastError());
    const QSqlRecord record = query.record();
    m_columns.clear();
    for (int i = 0; i < record.count(); ++i)
        m_columns.push_back(columnFromSqlField(record.field(i)));
    m_rows.clear();
    while (query.next()) {
        QVariantList values;
        values.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            values.append(query.value(i));
        m_rows.push_back(std::move(values));
    }
}

// ---------------------------------------------------------------------------------------
KeyedRowStore::KeyedRowStore(Source source) : m_source(std::move(source)) {
    readColumns();
    reload();
}

QString KeyedRowStore::quoted(const QString &identifier) const {
    if (identifier.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0)
        return identifier;
    return m_source.db.driver()->escapeIdentifier(identifier, QSqlDriver::FieldName);
}

void KeyedRowStore::readColumns() {
    m_columns.clear();
    if (isSqlite(m_source.db)) {
        // Declared types carry the text lengths and the small-integer ranges.
        QSqlQuery info(m_source.db);
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_source.table))))
            fail(QStringLiteral("Cannot read table ") + m_source.table, info.lastError());
        while (info.next())
            m_columns.push_back(
                columnFromDeclaredType(info.value(1).toString(), info.value(2).toString()));
    } else {
        const QSqlRecord record = m_source.db.record(m_source.table);
        for (int i = 0; i < record.count(); ++i)
            m_columns.push_back(columnFromSqlField(record.field(i)));
    }
    if (m_columns.empty())
        throw DatabaseError(QStringLiteral("Table does not exist: ") + m_source.table);
    m_emptyRow = QVariantList(qsizetype(m_columns.size()));
}

void KeyedRowStore::reload() {
    invalidate();
    m_keys.clear();
    QString text =
        QStringLiteral("SELECT %1 FROM %2").arg(quoted(m_source.keyColumn), quoted(m_source.table));
    if (!m_source.where.isEmpty())
        text += QStringLiteral(" WHERE ") + m_source.where;
    text += QStringLiteral(" ORDER BY ") + quoted(m_source.keyColumn);
    QSqlQuery query(m_source.db);
    query.setForwardOnly(true);
    if (!query.prepare(text))
        fail(QStringLiteral("Invalid query"), query.lastError());
    bindAll(query, m_source.parameters);
    if (!query.exec())
        fail(QStringLiteral("Query failed"), query.lastError());
    while (query.next())
        m_keys.push_back(query.value(0).toLongLong());
    m_keysSorted = true;
}

QVariant KeyedRowStore::key(int index) const {
    const qint64 k = m_keys.at(size_t(index));
    return k == placeholderKey ? QVariant() : QVariant(k);
}

int KeyedRowStore::indexOfKey(const QVariant &key) const {
    bool ok = false;
    const qint64 k = key.toLongLong(&ok);
    if (!ok || k == placeholderKey)
        return -1;
    if (m_keysSorted) {
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), k);
        return it != m_keys.end() && *it == k ? int(it - m_keys.begin()) : -1;
    }
    const auto it = std::find(m_keys.begin(), m_keys.end(), k);
    return it != m_keys.end() ? int(it - m_keys.begin()) : -1;
}

void KeyedRowStore::invalidate() {
    m_cache.clear();
    m_lru.clear();
}

const QVariantList &KeyedRowStore::row(int index) {
    if (m_keys.at(size_t(index)) == placeholderKey)
        return m_emptyRow;
    Window &rows = window(index / WindowRows);
    return rows.at(size_t(index % WindowRows));
}

KeyedRowStore::Window &KeyedRowStore::window(int windowIndex) {
    auto found = m_cache.find(windowIndex);
    if (found != m_cache.end()) {
        m_lru.splice(m_lru.begin(), m_lru, found->second.second);
        return found->second.first;
    }
    const int maxWindows = std::max(2, m_source.cacheRows / WindowRows);
    while (int(m_cache.size()) >= maxWindows) {
        m_cache.erase(m_lru.back());
        m_lru.pop_back();
    }
    const int first = windowIndex * WindowRows;
    Window rows;
    fetchInto(rows, first, std::min(WindowRows, count() - first));
    m_lru.push_front(windowIndex);
    auto inserted = m_cache.emplace(windowIndex, std::make_pair(std::move(rows), m_lru.begin()));
    return inserted.first->second.first;
}

void KeyedRowStore::fetchInto(Window &rows, int firstIndex, int rowCount) {
    // One statement per window: the keys of the window, padded to a fixed count so the
    // statement text never changes.
    const int width = rowCount == 1 ? 1 : WindowRows;
    QStringList marks;
    for (int i = 0; i < width; ++i)
        marks << QStringLiteral("?");
    QSqlQuery query(m_source.db);
    query.setForwardOnly(true);
    const QString text =
        QStringLiteral("SELECT %1, * FROM %2 WHERE %1 IN (%3)")
            .arg(quoted(m_source.keyColumn), quoted(m_source.table), marks.join(QLatin1Char(',')));
    if (!query.prepare(text))
        fail(QStringLiteral("Cannot read rows"), query.lastError());
    for (int i = 0; i < width; ++i) {
        const qint64 k = i < rowCount ? m_keys.at(size_t(firstIndex + i)) : placeholderKey;
        query.bindValue(i, k);
    }
    if (!query.exec())
        fail(QStringLiteral("Cannot read rows"), query.lastError());
    std::unordered_map<qint64, QVariantList> byKey;
    const int columnCount = int(m_columns.size());
    while (query.next()) {
        QVariantList values;
        values.reserve(columnCount);
        for (int c = 0; c < columnCount; ++c)
            values.append(query.value(c + 1));
        byKey.emplace(query.value(0).toLongLong(), std::move(values));
    }
    rows.assign(size_t(rowCount), m_emptyRow);
    for (int i = 0; i < rowCount; ++i) {
        auto it = byKey.find(m_keys.at(size_t(firstIndex + i)));
        if (it != byKey.end())
            rows[size_t(i)] = std::move(it->second);
    }
}

void KeyedRowStore::insertPlaceholder(int index) {
    m_keys.insert(m_keys.begin() + index, placeholderKey);
    invalidate();
}

void KeyedRowStore::removeAt(int index) {
    m_keys.erase(m_keys.begin() + index);
    invalidate();
}

void KeyedRowStore::write(int index, const QVariantList &values, const std::vector<bool> &changed) {
    const bool inserting = m_keys.at(size_t(index)) == placeholderKey;
    QStringList names;
    QVariantList bound;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!changed[c])
            continue;
        names << quoted(m_columns[c].name);
        bound << values.at(qsizetype(c));
    }
    if (!inserting && names.isEmpty())
        return;
    QString text;
    if (inserting) {
        QStringList marks;
        for (int i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        text = names.isEmpty()
                   ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_source.table))
                   : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(quoted(m_source.table), names.join(QLatin1Char(',')),
                              marks.join(QLatin1Char(',')));
    } else {
        for (QString &name : names)
            name += QStringLiteral(" = ?");
        text = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                   .arg(quoted(m_source.table), names.join(QStringLiteral(", ")),
                        quoted(m_source.keyColumn));
        bound << m_keys.at(size_t(index));
    }

    QSqlDatabase &db = m_source.db;
    const bool transaction = db.transaction();
    QSqlQuery query(db);
    bool ok = query.prepare(text);
    if (ok) {
        bindAll(query, bound);
        ok = query.exec();
    }
    if (!ok) {
        const QSqlError error = query.lastError();
        if (transaction)
            db.rollback();
        fail(QStringLiteral("The row could not be written"), error);
    }
    qint64 newKey = m_keys.at(size_t(index));
    if (inserting)
        newKey = query.lastInsertId().toLongLong();
    query.finish();
    if (transaction && !db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        fail(QStringLiteral("The row could not be written"), error);
    }
    if (inserting) {
        m_keys[size_t(index)] = newKey;
        m_keysSorted = false;
        invalidate();
    } else {
        reread(index);
    }
}

QVariantList KeyedRowStore::reread(int index) {
    Window one;
    fetchInto(one, index, 1);
    auto found = m_cache.find(index / WindowRows);
    if (found != m_cache.end())
        found->second.first.at(size_t(index % WindowRows)) = one.front();
    return one.front();
}

void KeyedRowStore::deleteRow(int index) {
    QSqlQuery query(m_source.db);
    const QString text = QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                             .arg(quoted(m_source.table), quoted(m_source.keyColumn));
    if (!query.prepare(text))
        fail(QStringLiteral("The row could not be deleted"), query.lastError());
    query.bindValue(0, m_keys.at(size_t(index)));
    if (!query.exec())
        fail(QStringLiteral("The row could not be deleted"), query.lastError());
    removeAt(index);
}

} // namespace db

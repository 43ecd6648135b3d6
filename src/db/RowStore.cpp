#include "db/RowStore.h"

#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "db/Transaction.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <limits>

namespace db {

namespace {

constexpr qint64 placeholderKey = std::numeric_limits<qint64>::min();

[[noreturn]] void fail(const QString &what, const QSqlError &error) {
    throw DatabaseError(what + QStringLiteral(": ") + errorText(error));
}

void bindAll(QSqlQuery &query, const QVariantList &values) {
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
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

// ---------------------------------------------------------------------------------------
void RowStore::insertPlaceholder(int) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
void RowStore::removeAt(int) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
QVariantList RowStore::write(int, const RowWrite &) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
void RowStore::deleteRow(int) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
std::optional<QVariantList> RowStore::stored(int index) {
    return row(index);
}
void RowStore::lockRow(int) {}

// ---------------------------------------------------------------------------------------
MaterializedRowStore::MaterializedRowStore(QSqlDatabase db, const QString &sql,
                                           const QVariantList &parameters)
    : m_db(std::move(db)), m_sql(sql), m_parameters(parameters) {
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(m_sql))
        fail(QStringLiteral("Invalid query"), query.lastError());
    bindAll(query, m_parameters);
    if (!query.exec())
        fail(QStringLiteral("Query failed"), query.lastError());
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        m_columns.push_back(columnFromSqlField(record.field(i)));
    while (query.next()) {
        QVariantList values;
        values.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            values.append(query.value(i));
        m_rows.push_back(std::move(values));
    }
    if (query.lastError().isValid())
        fail(QStringLiteral("Query failed"), query.lastError());
}

int MaterializedRowStore::indexOfKey(const QVariant &key) const {
    bool ok = false;
    const int index = key.toInt(&ok);
    return ok && index >= 0 && index < count() ? index : -1;
}

std::unique_ptr<RowStore> MaterializedRowStore::reloaded() const {
    return std::make_unique<MaterializedRowStore>(m_db, m_sql, m_parameters);
}

// ---------------------------------------------------------------------------------------
KeyedRowStore::KeyedRowStore(Source source) : m_source(std::move(source)) {
    readColumns();
    m_keys = readKeys();
    m_writable = m_source.live &&
                 m_source.dialect->canWrite(m_source.db, m_source.table, m_source.keyColumn);
}

KeyedRowStore::KeyedRowStore(const KeyedRowStore &other, std::vector<qint64> keys)
    : m_source(other.m_source), m_columns(other.m_columns), m_keyField(other.m_keyField),
      m_writable(other.m_writable), m_keys(std::move(keys)), m_emptyRow(other.m_emptyRow) {}

KeyedRowStore::~KeyedRowStore() {
    releaseRow();
}

std::unique_ptr<RowStore> KeyedRowStore::reloaded() const {
    return std::unique_ptr<RowStore>(new KeyedRowStore(*this, readKeys()));
}

QString KeyedRowStore::quoted(const QString &identifier) const {
    return m_source.dialect->quoted(identifier);
}

void KeyedRowStore::readColumns() {
    m_columns = m_source.dialect->columns(m_source.db, m_source.table);
    if (m_columns.empty())
        throw DatabaseError(QStringLiteral("Table does not exist: ") + m_source.table);
    m_keyField = -1;
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].name.compare(m_source.keyColumn, Qt::CaseInsensitive) == 0)
            m_keyField = int(c);
    m_emptyRow = QVariantList(qsizetype(m_columns.size()));
}

void KeyedRowStore::ensureConnected() const {
    QSqlDatabase db = m_source.db;
    if (m_source.dialect->isAlive(db))
        return;
    // The edit's transaction died with the connection; reopening tells its guard so.
    Transaction::connectionReset(db);
    m_edit.reset();
    AliasRegistry::reopen(db);
}

std::vector<qint64> KeyedRowStore::readKeys() const {
    ensureConnected();
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
    std::vector<qint64> keys;
    while (query.next())
        keys.push_back(query.value(0).toLongLong());
    // A step that fails ends the loop like the last row would.
    if (query.lastError().isValid())
        fail(QStringLiteral("Query failed"), query.lastError());
    return keys;
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
    const int first = windowIndex * WindowRows;
    Window rows;
    fetchInto(rows, first, std::min(WindowRows, count() - first));
    const int maxWindows = std::max(2, m_source.cacheRows / WindowRows);
    while (int(m_cache.size()) >= maxWindows) {
        m_cache.erase(m_lru.back());
        m_lru.pop_back();
    }
    m_lru.push_front(windowIndex);
    auto inserted = m_cache.emplace(windowIndex, std::make_pair(std::move(rows), m_lru.begin()));
    return inserted.first->second.first;
}

void KeyedRowStore::fetchInto(Window &rows, int firstIndex, int rowCount) {
    std::vector<qint64> keys;
    for (int i = 0; i < rowCount; ++i)
        if (const qint64 k = m_keys.at(size_t(firstIndex + i)); k != placeholderKey)
            keys.push_back(k);
    std::unordered_map<qint64, QVariantList> byKey = fetchByKey(keys);
    rows.assign(size_t(rowCount), m_emptyRow);
    for (int i = 0; i < rowCount; ++i) {
        auto it = byKey.find(m_keys.at(size_t(firstIndex + i)));
        if (it != byKey.end())
            rows[size_t(i)] = std::move(it->second);
    }
}

std::unordered_map<qint64, QVariantList>
KeyedRowStore::fetchByKey(const std::vector<qint64> &keys) const {
    std::unordered_map<qint64, QVariantList> byKey;
    if (keys.empty())
        return byKey;
    if (!Transaction::isOpen(m_source.db))
        ensureConnected();
    // One statement text for every window (one for single rows): the keys are padded to a
    // fixed count by repeating one of them, a value every key column accepts.
    const int width = keys.size() == 1 ? 1 : std::max(int(keys.size()), WindowRows);
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
    for (int i = 0; i < width; ++i)
        query.bindValue(i, keys[std::min(size_t(i), keys.size() - 1)]);
    if (!query.exec())
        fail(QStringLiteral("Cannot read rows"), query.lastError());
    const int columnCount = int(m_columns.size());
    while (query.next()) {
        QVariantList values;
        values.reserve(columnCount);
        for (int c = 0; c < columnCount; ++c)
            values.append(query.value(c + 1));
        byKey.emplace(query.value(0).toLongLong(), std::move(values));
    }
    if (query.lastError().isValid())
        fail(QStringLiteral("Cannot read rows"), query.lastError());
    return byKey;
}

void KeyedRowStore::keepCached(int index, const QVariantList &values) {
    auto found = m_cache.find(index / WindowRows);
    if (found != m_cache.end())
        found->second.first.at(size_t(index % WindowRows)) = values;
}

void KeyedRowStore::insertPlaceholder(int index) {
    m_keys.insert(m_keys.begin() + index, placeholderKey);
    invalidate();
}

void KeyedRowStore::removeAt(int index) {
    m_keys.erase(m_keys.begin() + index);
    invalidate();
}

std::optional<QVariantList> KeyedRowStore::stored(int index) {
    const qint64 k = m_keys.at(size_t(index));
    if (k == placeholderKey)
        return m_emptyRow;
    auto byKey = fetchByKey({k});
    auto found = byKey.find(k);
    if (found == byKey.end())
        return std::nullopt;
    keepCached(index, found->second);
    return std::move(found->second);
}

void KeyedRowStore::lockRow(int index) {
    const QString lock = m_source.dialect->rowLockStatement(m_source.table, m_source.keyColumn);
    const qint64 k = m_keys.at(size_t(index));
    if (lock.isEmpty() || k == placeholderKey || m_edit)
        return;
    ensureConnected();
    const QString what = QStringLiteral("The row could not be locked");
    auto transaction = std::make_unique<Transaction>(m_source.db, what);
    QSqlQuery query(m_source.db);
    bool ok = query.prepare(lock);
    if (ok) {
        query.bindValue(0, k);
        ok = query.exec();
    }
    if (!ok) {
        const QSqlError error = query.lastError();
        if (m_source.dialect->isRowLocked(error))
            throw DatabaseError(QString::fromLatin1(msg::rowLocked));
        fail(what, error);
    }
    m_edit = std::move(transaction);
}

void KeyedRowStore::releaseRow() {
    m_edit.reset();
}

QSqlQuery KeyedRowStore::execWrite(const QString &text, const QVariantList &bound,
                                   const QString &what, const char *noRowMessage) {
    QSqlQuery query(m_source.db);
    bool ok = query.prepare(text);
    if (ok) {
        bindAll(query, bound);
        ok = query.exec();
    }
    if (!ok)
        fail(what, query.lastError());
    // A statement that changed no row did not do what the user asked for.
    if (query.numRowsAffected() != 1)
        throw DatabaseError(QString::fromLatin1(noRowMessage));
    return query;
}

namespace {

bool sameValue(const QVariant &a, const QVariant &b) {
    const bool aNull = a.isNull() || !a.isValid();
    const bool bNull = b.isNull() || !b.isValid();
    if (aNull || bNull)
        return aNull == bNull;
    return a == b;
}

} // namespace

QString KeyedRowStore::conflictMessage(const std::vector<int> &columns,
                                       const QVariantList &stored) const {
    QStringList parts;
    for (int c : columns) {
        const QVariant value = stored.at(c);
        const QString text = value.isNull()
                                 ? QStringLiteral("empty")
                                 : QLatin1Char('"') +
                                       Field::displayText(value, m_columns[size_t(c)].type) +
                                       QLatin1Char('"');
        parts << QStringLiteral("%1 is now %2").arg(m_columns[size_t(c)].name, text);
    }
    return QString::fromLatin1(msg::rowChanged).arg(parts.join(QStringLiteral(", ")));
}

QVariantList KeyedRowStore::write(int index, const RowWrite &write) {
    const qint64 key = m_keys.at(size_t(index));
    const bool inserting = key == placeholderKey || write.asNewRow;
    QStringList names;
    QVariantList bound;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        // A new row gets a new key from the engine, never the one of a row that is gone.
        if (!write.changed[c] || (inserting && int(c) == m_keyField))
            continue;
        names << quoted(m_columns[c].name);
        bound << write.values.at(qsizetype(c));
    }
    if (!inserting && names.isEmpty()) {
        releaseRow();
        return row(index);
    }
    ensureConnected();
    // The lock of the edit is gone when the connection was lost meanwhile: take it again.
    if (!inserting)
        lockRow(index);
    const QString what = QStringLiteral("The row could not be written");
    // The edit's own transaction (holding its row lock) when it has one, else a new one.
    std::unique_ptr<Transaction> transaction =
        m_edit ? std::move(m_edit) : std::make_unique<Transaction>(m_source.db, what);
    std::optional<QVariantList> before;
    if (!inserting) {
        // The stored row against the row the edit started from, inside the write lock.
        std::unordered_map<qint64, QVariantList> byKey = fetchByKey({key});
        auto found = byKey.find(key);
        if (found == byKey.end())
            throw RowConflict(QString::fromLatin1(msg::rowDeleted), std::nullopt);
        before = std::move(found->second);
        if (write.read) {
            std::vector<int> conflicts;
            for (size_t c = 0; c < m_columns.size(); ++c)
                if (write.changed[c] && !sameValue(before->at(c), write.read->at(c)))
                    conflicts.push_back(int(c));
            if (!conflicts.empty()) {
                keepCached(index, *before);
                throw RowConflict(conflictMessage(conflicts, *before), before);
            }
        }
    }

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
        bound << key;
    }
    QSqlQuery query = execWrite(text, bound, what, msg::nothingWritten);
    const qint64 newKey = inserting ? query.lastInsertId().toLongLong() : key;
    query.finish();
    transaction->commit();

    // The row as stored now: read again; should that fail, the row the write made is known.
    QVariantList after = before.value_or(m_emptyRow);
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (write.changed[c] && !(inserting && int(c) == m_keyField))
            after[qsizetype(c)] = write.values.at(qsizetype(c));
    if (m_keyField >= 0)
        after[m_keyField] = newKey;
    if (inserting) {
        m_keys[size_t(index)] = newKey;
        m_keysSorted = false;
        invalidate();
    }
    try {
        if (std::optional<QVariantList> reread = stored(index))
            after = std::move(*reread);
    } catch (const DatabaseError &) {
    }
    keepCached(index, after);
    return after;
}

void KeyedRowStore::deleteRow(int index) {
    ensureConnected();
    const QString what = QStringLiteral("The row could not be deleted");
    Transaction transaction(m_source.db, what);
    const QString text = QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                             .arg(quoted(m_source.table), quoted(m_source.keyColumn));
    execWrite(text, {m_keys.at(size_t(index))}, what, msg::rowGone).finish();
    transaction.commit();
    removeAt(index);
}

} // namespace db

#include "db/RowStore.h"

#include "db/DatabaseError.h"
#include "db/Statement.h"

#include <QSqlRecord>
#include <algorithm>
#include <iterator>

namespace db {

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
void RowStore::deleteRow(int, const QVariantList &) {
    throw DatabaseError(QString::fromLatin1(msg::readOnly));
}
std::optional<StoredRow> RowStore::stored(int index) {
    return StoredRow{row(index), {}};
}
void RowStore::lockRow(int) {}

// ---------------------------------------------------------------------------------------
MaterializedRowStore::MaterializedRowStore(QSqlDatabase db, const QString &sql,
                                           const QVariantList &parameters)
    : m_db(std::move(db)), m_sql(sql), m_parameters(parameters) {
    const QString what = QStringLiteral("Query failed");
    QSqlQuery query = runStatement(m_db, m_sql, m_parameters, what);
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
    checkFinished(query, what);
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
RowCache KeyedRowStore::makeCache(const std::shared_ptr<const KeyedTable> &table) {
    std::weak_ptr<const KeyedTable> reader = table;
    return RowCache(
        table->readKeys(), table->columnCount(), table->source().cacheRows,
        [reader](const std::vector<qint64> &keys) { return reader.lock()->fetchByKey(keys); });
}

KeyedRowStore::KeyedRowStore(Source source)
    : KeyedRowStore(std::make_shared<const KeyedTable>(std::move(source)), false, QString()) {
    m_writable = m_table->probeWritable();
    if (!m_writable)
        m_readOnlyReason = m_table->readOnlyReason();
}

KeyedRowStore::KeyedRowStore(std::shared_ptr<const KeyedTable> table, bool writable,
                             QString readOnlyReason)
    : m_table(table), m_writable(writable), m_readOnlyReason(std::move(readOnlyReason)),
      m_cache(makeCache(table)), m_writer(table) {}

std::unique_ptr<RowStore> KeyedRowStore::reloaded() const {
    return std::unique_ptr<RowStore>(new KeyedRowStore(m_table, m_writable, m_readOnlyReason));
}

const QVariantList &KeyedRowStore::row(int index) {
    const QVariantList &values = m_cache.row(index);
    // A read may have found the connection gone and opened it again: an edit's row lock
    // went with it.
    m_writer.relockIfLost();
    return values;
}

QVariant KeyedRowStore::key(int index) const {
    const std::optional<qint64> k = m_cache.key(index);
    return k ? QVariant(*k) : QVariant();
}

int KeyedRowStore::indexOfKey(const QVariant &key) const {
    bool ok = false;
    const qint64 k = key.toLongLong(&ok);
    return ok ? m_cache.indexOfKey(k) : -1;
}

std::optional<StoredRow> KeyedRowStore::stored(int index) {
    const std::optional<qint64> k = m_cache.key(index);
    if (!k)
        return StoredRow{m_cache.row(index), {}};
    std::optional<StoredRow> row = m_writer.read(*k);
    if (row)
        m_cache.keep(index, row->values);
    return row;
}

void KeyedRowStore::lockRow(int index) {
    if (const std::optional<qint64> k = m_cache.key(index))
        m_writer.lock(*k);
}

QVariantList KeyedRowStore::write(int index, const RowWrite &write) {
    try {
        RowWriter::Written written = m_writer.write(m_cache.key(index), write);
        if (m_cache.key(index) != written.key)
            m_cache.setKey(index, written.key);
        m_cache.keep(index, written.row);
        return written.row;
    } catch (const RowConflict &conflict) {
        if (conflict.stored())
            m_cache.keep(index, conflict.stored()->values);
        throw;
    }
}

void KeyedRowStore::deleteRow(int index, const QVariantList &seen) {
    const std::optional<qint64> k = m_cache.key(index);
    if (!k)
        return removeAt(index);
    try {
        m_writer.remove(*k, seen);
    } catch (const RowConflict &conflict) {
        if (conflict.stored())
            m_cache.keep(index, conflict.stored()->values);
        throw;
    }
    m_cache.removeAt(index);
}

void KeyedRowStore::updateKeys(const std::vector<qint64> &written) {
    const std::vector<qint64> present = m_table->presentKeys(written);
    std::vector<qint64> gone;
    std::set_difference(written.begin(), written.end(), present.begin(), present.end(),
                        std::back_inserter(gone));
    m_cache.updateKeys(present, gone);
}

} // namespace db

#include "CatalogueTable.h"

#include "BulkWriter.h"

#include "data/EquipmentColumns.h"
#include "data/EquipmentHistory.h"
#include "data/EquipmentQuery.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "db/Transaction.h"

#include <QFileInfo>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>

namespace catalogue {

namespace {

const QString tableName = QStringLiteral("Equipment");
constexpr int pageRows = 5000;
// Rows bound into one INSERT: a few rows save round trips, but the drivers look bound
// values up by position in time that grows with their number, so batches stay small.
constexpr int valuesPerStatement = 1000;
constexpr int maxBatchRows = 50;
// Rows sent at once through the engine's own loader, where it has one.
constexpr int bulkBatchRows = 2000;

void exec(QSqlDatabase &db, const QString &text) {
    QSqlQuery query(db);
    if (!query.exec(text))
        throw CatalogueError(db::errorText(query.lastError()));
}

bool isConfigured(const QString &alias) {
    const QSettings settings(db::AliasRegistry::configFile(), QSettings::IniFormat);
    for (const QString &group : settings.childGroups())
        if (group.compare(alias, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The registry makes <alias>.sqlite for any alias it does not know; the tool lets that
// happen only where a new catalogue is asked for, and only for the editor's own alias, so
// that a mistyped name is an error instead of a new empty catalogue.
void requireKnownAlias(const QString &alias, CatalogueTable::Access access) {
    if (isConfigured(alias))
        return;
    const QFileInfo file(alias + QStringLiteral(".sqlite"));
    if (file.exists() && file.size() > 0)
        return;
    if (access == CatalogueTable::Access::MayCreate && alias == data::equipmentAlias())
        return;
    throw CatalogueError(QStringLiteral("Alias %1 is not configured in %2, and its database "
                                        "file %3 does not exist")
                             .arg(alias, db::AliasRegistry::configFile(), file.absoluteFilePath()));
}

} // namespace

QString rowsText(qint64 rows) {
    return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(rows);
}

QString canonicalColumnName(const QString &stored) {
    const data::EquipmentColumn *column = data::findEquipmentColumn(stored);
    return column ? QString::fromLatin1(column->name) : stored;
}

CatalogueTable::CatalogueTable(const QString &alias, Access access) : m_alias(alias) {
    requireKnownAlias(alias, access);
    m_db = db::AliasRegistry::database(alias);
    m_dialect = &db::Dialect::of(m_db);
}

bool CatalogueTable::exists() const {
    return m_dialect->tableExists(m_db, tableName);
}

QString CatalogueTable::schemaSql() const {
    // The table, the trigger that announces its writes to open editors and the history of
    // its rows, as the editor makes them.
    return data::catalogueSchemaSql(*m_dialect);
}

void CatalogueTable::create() {
    // Statement by statement, inside the caller's transaction when there is one.
    for (const QString &statement : db::AliasRegistry::splitScript(schemaSql()))
        exec(m_db, statement);
}

qint64 CatalogueTable::count() const {
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(tableName))) ||
        !query.next())
        throw CatalogueError(db::errorText(query.lastError()));
    return query.value(0).toLongLong();
}

std::vector<db::ColumnInfo> CatalogueTable::columnInfos() const {
    return m_dialect->columns(m_db, tableName);
}

QStringList CatalogueTable::columns() const {
    QStringList names;
    for (const db::ColumnInfo &column : columnInfos())
        names << column.name;
    return names;
}

QString CatalogueTable::keyColumn() const {
    return m_dialect->keyColumn(m_db, tableName);
}

QString CatalogueTable::requireKey() const {
    const QString key = keyColumn();
    if (key.isEmpty())
        throw CatalogueError(QStringLiteral("The rows of the table %1 of alias %2 are not keyed "
                                            "by Number (korvandel-catalogue check %2 shows "
                                            "why), so they cannot be read in a stable order")
                                 .arg(tableName, m_alias));
    return key;
}

void CatalogueTable::forEachRow(
    const QStringList &columns,
    const std::function<void(const QVariant &key, QVariantList &values)> &row) {
    const QString key = requireKey();
    QStringList selected{quoted(key)};
    for (const QString &column : columns)
        selected << quoted(column);
    // Pages by a unique key rather than one open cursor: memory stays bounded on every
    // engine, and no row is read twice or skipped.
    const QString first = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 LIMIT %4")
                              .arg(selected.join(QLatin1Char(',')), quoted(tableName), quoted(key))
                              .arg(pageRows);
    const QString following =
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 > ? ORDER BY %3 LIMIT %4")
            .arg(selected.join(QLatin1Char(',')), quoted(tableName), quoted(key))
            .arg(pageRows);
    QVariant last;
    QVariantList values;
    for (;;) {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        bool ok = query.prepare(last.isNull() ? first : following);
        if (ok && !last.isNull())
            query.bindValue(0, last);
        ok = ok && query.exec();
        if (!ok)
            throw CatalogueError(db::errorText(query.lastError()));
        int read = 0;
        while (query.next()) {
            ++read;
            last = query.value(0);
            values.clear();
            for (int c = 0; c < columns.size(); ++c)
                values << query.value(c + 1);
            row(last, values);
        }
        if (query.lastError().isValid())
            throw CatalogueError(db::errorText(query.lastError()));
        if (read < pageRows)
            return;
    }
}

void CatalogueTable::continueKeyNumbering() {
    const QString key = keyColumn();
    const QString text =
        key.isEmpty() ? QString() : m_dialect->continueNumberingStatement(tableName, key);
    if (!text.isEmpty())
        exec(m_db, text);
}

void CatalogueTable::inTransaction(const std::function<void()> &work) {
    db::Transaction transaction(m_db, QStringLiteral("The changes to alias %1").arg(m_alias));
    // The rows the work adds get their history rows in the same transaction (a server's
    // trigger records them itself).
    const QString key = exists() ? keyColumn() : QString();
    qint64 keysAbove = 0;
    if (!key.isEmpty()) {
        QSqlQuery highest(m_db);
        if (!highest.exec(QStringLiteral("SELECT COALESCE(MAX(%1), 0) FROM %2")
                              .arg(quoted(key), quoted(tableName))) ||
            !highest.next())
            throw CatalogueError(db::errorText(highest.lastError()));
        keysAbove = highest.value(0).toLongLong();
    }
    work();
    data::recordInsertedRows(m_db, keysAbove);
    transaction.commit();
}

void CatalogueTable::inSnapshot(const std::function<void()> &work) {
    db::Transaction transaction(m_db, QStringLiteral("Reading alias %1").arg(m_alias),
                                db::Transaction::Mode::Read);
    if (const QString snapshot = m_dialect->snapshotStatement(); !snapshot.isEmpty())
        exec(m_db, snapshot);
    work();
    transaction.commit();
}

// ---------------------------------------------------------------------------------------

RowWriter::RowWriter(CatalogueTable &table, const QStringList &columns, const QString &originName)
    : m_table(table), m_columns(columns), m_originName(originName),
      m_batchRows(std::clamp(valuesPerStatement / int(std::max<qsizetype>(columns.size(), 1)), 1,
                             maxBatchRows)),
      m_bulk(BulkWriter::forConnection(table.database(), tableName, columns)) {
    const std::vector<db::ColumnInfo> stored = table.columnInfos();
    for (const QString &column : columns) {
        const auto found = std::find_if(stored.begin(), stored.end(), [&](const auto &info) {
            return info.name.compare(column, Qt::CaseInsensitive) == 0;
        });
        db::ColumnInfo info = found == stored.end() ? db::ColumnInfo{column} : *found;
        info.name = canonicalColumnName(column);
        m_rules.emplace_back(info);
    }
    if (m_bulk)
        m_batchRows = bulkBatchRows;
}

RowWriter::~RowWriter() = default;

QString RowWriter::statement(int rows) const {
    QStringList names;
    for (const QString &column : m_columns)
        names << m_table.quoted(column);
    const QString one = QLatin1Char('(') +
                        QStringList(m_columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                        QLatin1Char(')');
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(m_table.quoted(tableName), names.join(QLatin1Char(',')),
             QStringList(rows, one).join(QLatin1Char(',')));
}

void RowWriter::refuse(qint64 origin, const QString &reason) const {
    throw CatalogueError(QStringLiteral("%1 %2: %3").arg(m_originName).arg(origin).arg(reason));
}

void RowWriter::add(QVariantList &values, qint64 origin) {
    QString reason;
    for (qsizetype i = 0; i < values.size(); ++i)
        if (!m_rules[size_t(i)].convert(values[i], &reason))
            refuse(origin,
                   QStringLiteral("column %1: %2").arg(m_rules[size_t(i)].columnName(), reason));
    m_pending.append(std::move(values));
    m_origins << origin;
    if (m_origins.size() >= m_batchRows)
        flush();
}

bool RowWriter::insert(QSqlQuery &query, int rows, qsizetype firstValue, QString *reason) {
    const qsizetype count = qsizetype(rows) * m_columns.size();
    for (qsizetype i = 0; i < count; ++i)
        query.bindValue(int(i), m_pending.at(firstValue + i));
    if (query.exec())
        return true;
    *reason = db::errorText(query.lastError());
    return false;
}

QSqlQuery &RowWriter::prepare(std::optional<QSqlQuery> &query, int rows) {
    if (!query) {
        query.emplace(m_table.database());
        if (!query->prepare(statement(rows)))
            throw CatalogueError(db::errorText(query->lastError()));
    }
    return *query;
}

void RowWriter::flush() {
    const int rows = int(m_origins.size());
    if (rows == 0)
        return;
    QSqlDatabase &db = m_table.database();
    const QString what = QStringLiteral("Writing rows");
    // A savepoint lets a refused batch be retried row by row to name the row at fault. The
    // statements outlive it: PostgreSQL accepts no other command, not even freeing a failed
    // statement, until the savepoint is rolled back to.
    std::optional<QSqlQuery> partial;
    QString reason;
    {
        db::Transaction batch(db, what);
        const bool sent = m_bulk ? m_bulk->send(m_pending, m_columns.size(), &reason)
                                 : insert(prepare(rows == m_batchRows ? m_batch : partial, rows),
                                          rows, 0, &reason);
        if (sent) {
            batch.commit();
            m_written += rows;
            m_pending.clear();
            m_origins.clear();
            return;
        }
    }
    {
        db::Transaction search(db, what);
        for (int r = 0; r < rows; ++r) {
            QString rowReason;
            if (!insert(prepare(m_single, 1), 1, qsizetype(r) * m_columns.size(), &rowReason))
                refuse(m_origins.at(r), rowReason);
        }
    }
    // Every row alone was accepted: the batch as a whole was refused.
    throw CatalogueError(QStringLiteral("%1s %2 to %3: %4")
                             .arg(m_originName)
                             .arg(m_origins.front())
                             .arg(m_origins.back())
                             .arg(reason));
}

} // namespace catalogue

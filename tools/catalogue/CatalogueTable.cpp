#include "CatalogueTable.h"

#include "PostgresCopy.h"

#include "data/EquipmentColumns.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace catalogue {

namespace {

const QString tableName = QStringLiteral("Equipment");
constexpr int pageRows = 5000;
// Rows bound into one INSERT: a few rows save round trips, but the drivers look bound
// values up by position in time that grows with their number, so batches stay small.
constexpr int valuesPerStatement = 1000;
constexpr int maxBatchRows = 50;
// Rows sent in one COPY, where the engine has it.
constexpr int copyBatchRows = 2000;

void exec(QSqlDatabase &db, const QString &text) {
    QSqlQuery query(db);
    if (!query.exec(text))
        throw CatalogueError(db::errorText(query.lastError()));
}

} // namespace

QString canonicalColumnName(const QString &stored) {
    const data::EquipmentColumn *column = data::findEquipmentColumn(stored);
    return column ? QString::fromLatin1(column->name) : stored;
}

CatalogueTable::CatalogueTable(const QString &alias)
    : m_alias(alias), m_db(db::AliasRegistry::database(alias)) {}

QString CatalogueTable::quoted(const QString &identifier) const {
    return m_db.driver()->escapeIdentifier(identifier, QSqlDriver::FieldName);
}

bool CatalogueTable::exists() const {
    return db::Dialect::of(m_db).tableExists(m_db, tableName);
}

QString CatalogueTable::schemaSql() const {
    return data::equipmentSchemaSql(db::Dialect::of(m_db));
}

void CatalogueTable::create() {
    // One statement, so it runs inside the caller's transaction when there is one.
    exec(m_db, schemaSql());
}

qint64 CatalogueTable::count() const {
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(tableName)) || !query.next())
        throw CatalogueError(db::errorText(query.lastError()));
    return query.value(0).toLongLong();
}

QStringList CatalogueTable::columns() const {
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(tableName)))
        throw CatalogueError(db::errorText(query.lastError()));
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

QString CatalogueTable::keyColumn() const {
    for (const data::EquipmentColumn &column : data::equipmentColumns()) {
        if (QLatin1String(column.sqlType).startsWith(QLatin1String("INTEGER PRIMARY KEY"))) {
            for (const QString &stored : columns())
                if (stored.compare(QLatin1String(column.name), Qt::CaseInsensitive) == 0)
                    return stored;
            throw CatalogueError(QStringLiteral("The table %1 of alias %2 has no column %3")
                                     .arg(tableName, m_alias, QLatin1String(column.name)));
        }
    }
    throw CatalogueError(QStringLiteral("The column table names no key"));
}

void CatalogueTable::forEachRow(const QStringList &columns,
                                const std::function<void(const QVariantList &)> &row) {
    const QString key = keyColumn();
    QStringList selected{quoted(key)};
    for (const QString &column : columns)
        selected << quoted(column);
    // Pages by key rather than one open cursor: memory stays bounded on every engine.
    const QString first = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 LIMIT %4")
                              .arg(selected.join(QLatin1Char(',')), tableName, quoted(key))
                              .arg(pageRows);
    const QString following = QStringLiteral("SELECT %1 FROM %2 WHERE %3 > ? ORDER BY %3 LIMIT %4")
                                  .arg(selected.join(QLatin1Char(',')), tableName, quoted(key))
                                  .arg(pageRows);
    QVariant last;
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
        QVariantList values;
        while (query.next()) {
            ++read;
            last = query.value(0);
            values.clear();
            for (int c = 0; c < columns.size(); ++c)
                values << query.value(c + 1);
            row(values);
        }
        if (query.lastError().isValid())
            throw CatalogueError(db::errorText(query.lastError()));
        if (read < pageRows)
            return;
    }
}

void CatalogueTable::continueKeyNumbering() {
    const QString text = db::Dialect::of(m_db).continueNumberingStatement(tableName, keyColumn());
    if (!text.isEmpty())
        exec(m_db, text);
}

void CatalogueTable::inTransaction(const std::function<void()> &work) {
    if (!m_db.transaction())
        throw CatalogueError(QStringLiteral("Cannot begin a transaction: ") +
                             db::errorText(m_db.lastError()));
    try {
        work();
    } catch (...) {
        m_db.rollback();
        throw;
    }
    if (!m_db.commit()) {
        const QString reason = db::errorText(m_db.lastError());
        m_db.rollback();
        throw CatalogueError(QStringLiteral("The changes could not be committed: ") + reason);
    }
}

// ---------------------------------------------------------------------------------------

RowWriter::RowWriter(CatalogueTable &table, const QStringList &columns, const QString &originName)
    : m_table(table), m_columns(columns), m_originName(originName),
      m_batchRows(std::clamp(valuesPerStatement / int(std::max<qsizetype>(columns.size(), 1)), 1,
                             maxBatchRows)),
      m_copy(PostgresCopy::forConnection(table.database(), tableName, columns)) {
    if (m_copy)
        m_batchRows = copyBatchRows;
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
        .arg(tableName, names.join(QLatin1Char(',')),
             QStringList(rows, one).join(QLatin1Char(',')));
}

void RowWriter::add(const QVariantList &values, qint64 origin) {
    m_pending += values;
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
    // A savepoint lets a refused batch be retried row by row to name the row at fault. It
    // is rolled back to while the failed statement still exists: PostgreSQL accepts no
    // other command, not even freeing that statement, until then.
    exec(db, QStringLiteral("SAVEPOINT batch"));
    QString reason;
    std::optional<QSqlQuery> partial;
    const bool sent =
        m_copy ? m_copy->send(m_pending, m_columns.size(), &reason)
               : insert(prepare(rows == m_batchRows ? m_batch : partial, rows), rows, 0, &reason);
    if (!sent) {
        exec(db, QStringLiteral("ROLLBACK TO SAVEPOINT batch"));
        for (int r = 0; r < rows; ++r) {
            QString rowReason;
            if (!insert(prepare(m_single, 1), 1, qsizetype(r) * m_columns.size(), &rowReason)) {
                exec(db, QStringLiteral("ROLLBACK TO SAVEPOINT batch"));
                throw CatalogueError(QStringLiteral("%1 %2: %3")
                                         .arg(m_originName)
                                         .arg(m_origins.at(r))
                                         .arg(rowReason));
            }
        }
        exec(db, QStringLiteral("ROLLBACK TO SAVEPOINT batch"));
        // Every row alone was accepted: the batch as a whole was refused.
        throw CatalogueError(QStringLiteral("%1s %2 to %3: %4")
                                 .arg(m_originName)
                                 .arg(m_origins.front())
                                 .arg(m_origins.back())
                                 .arg(reason));
    }
    exec(db, QStringLiteral("RELEASE SAVEPOINT batch"));
    m_written += rows;
    m_pending.clear();
    m_origins.clear();
}

} // namespace catalogue

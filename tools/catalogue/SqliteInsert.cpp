#include "SqliteInsert.h"

#include "db/Dialect.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace catalogue {

sqlite3 *sqliteConnection(QSqlDatabase &db) {
    // The driver hands out its sqlite3 connection pointer as its handle.
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

std::unique_ptr<BulkWriter> SqliteInsert::forConnection(QSqlDatabase &db, const QString &table,
                                                        const QStringList &columns) {
    sqlite3 *connection = sqliteConnection(db);
    if (!connection)
        return nullptr;
    const db::Dialect &dialect = db::Dialect::of(db);
    QStringList names;
    for (const QString &column : columns)
        names << dialect.quoted(column);
    const QByteArray text =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(dialect.quoted(table), names.join(QLatin1Char(',')),
                 QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')))
            .toUtf8();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &statement, nullptr) !=
        SQLITE_OK)
        return nullptr; // the driver's own path reports the reason
    return std::unique_ptr<BulkWriter>(new SqliteInsert(connection, statement));
}

SqliteInsert::~SqliteInsert() {
    sqlite3_finalize(m_statement);
}

bool SqliteInsert::send(const QVariantList &values, qsizetype columnCount, QString *reason) {
    for (qsizetype first = 0; first < values.size(); first += columnCount) {
        for (qsizetype c = 0; c < columnCount; ++c) {
            const QVariant &value = values.at(first + c);
            const int index = int(c) + 1;
            if (value.isNull()) {
                sqlite3_bind_null(m_statement, index);
                continue;
            }
            switch (value.typeId()) {
            case QMetaType::Bool:
                sqlite3_bind_int(m_statement, index, value.toBool() ? 1 : 0);
                break;
            case QMetaType::LongLong:
            case QMetaType::Int:
                sqlite3_bind_int64(m_statement, index, value.toLongLong());
                break;
            case QMetaType::Double:
                sqlite3_bind_double(m_statement, index, value.toDouble());
                break;
            default: {
                const QByteArray text = value.toString().toUtf8();
                sqlite3_bind_text(m_statement, index, text.constData(), int(text.size()),
                                  SQLITE_TRANSIENT);
            }
            }
        }
        const int result = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        if (result != SQLITE_DONE) {
            *reason = QString::fromUtf8(sqlite3_errmsg(m_connection));
            return false;
        }
    }
    return true;
}

} // namespace catalogue

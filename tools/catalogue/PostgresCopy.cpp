#include "PostgresCopy.h"

#include "db/Dialect.h"

#include <QLocale>
#include <QSqlDriver>
#include <libpq-fe.h>

namespace catalogue {

namespace {

QString lastError(PGconn *connection) {
    return QString::fromUtf8(PQerrorMessage(connection)).section(QLatin1Char('\n'), 0, 0).trimmed();
}

QString resultError(PGresult *result) {
    return QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)).trimmed();
}

void appendEscaped(const QByteArray &text, QByteArray *data) {
    for (const char c : text) {
        switch (c) {
        case '\\':
            data->append("\\\\", 2);
            break;
        case '\t':
            data->append("\\t", 2);
            break;
        case '\n':
            data->append("\\n", 2);
            break;
        case '\r':
            data->append("\\r", 2);
            break;
        default:
            data->append(c);
        }
    }
}

void appendValue(const QVariant &value, QByteArray *data) {
    if (value.isNull()) {
        data->append("\\N", 2);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        data->append(value.toBool() ? 't' : 'f');
        break;
    case QMetaType::LongLong:
    case QMetaType::Int:
        data->append(QByteArray::number(value.toLongLong()));
        break;
    case QMetaType::Double:
        data->append(QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest));
        break;
    default:
        appendEscaped(value.toString().toUtf8(), data);
    }
}

PGconn *libpqConnection(QSqlDatabase &db) {
    // The driver hands out its libpq connection (a PGconn pointer) as its handle.
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || !QByteArray(handle.typeName()).endsWith('*'))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

} // namespace

bool PostgresCopy::readCsv(QSqlDatabase &db, const QString &query,
                           const std::function<bool(const QByteArray &)> &record, qint64 *rows,
                           QString *reason) {
    PGconn *connection = libpqConnection(db);
    if (!connection) {
        *reason = QStringLiteral("the database driver gives no connection to copy through");
        return false;
    }
    const QByteArray statement =
        QStringLiteral("COPY (%1) TO STDOUT WITH (FORMAT csv)").arg(query).toUtf8();
    PGresult *start = PQexec(connection, statement.constData());
    const bool copying = PQresultStatus(start) == PGRES_COPY_OUT;
    if (!copying)
        *reason = resultError(start);
    PQclear(start);
    if (!copying)
        return false;
    bool ok = true;
    QByteArray line;
    char *buffer = nullptr;
    int size = 0;
    qint64 received = 0;
    // Each message of the copy is one record, ending with its line break.
    while ((size = PQgetCopyData(connection, &buffer, 0)) > 0) {
        if (ok) {
            line.resize(0);
            line.append(buffer, size - 1);
            line.append("\r\n", 2);
            ok = record(line);
            ++received;
        }
        PQfreemem(buffer);
    }
    *rows += received;
    if (size == -2) {
        ok = false;
        *reason = lastError(connection);
    }
    while (PGresult *result = PQgetResult(connection)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK) {
            if (ok)
                *reason = resultError(result);
            ok = false;
        } else if (ok && QByteArray(PQcmdTuples(result)).toLongLong() != received) {
            // Every row the server sent must have been received and written.
            ok = false;
            *reason = QStringLiteral("%1 of the %2 rows the server sent were received")
                          .arg(received)
                          .arg(QString::fromLatin1(PQcmdTuples(result)));
        }
        PQclear(result);
    }
    return ok;
}

std::unique_ptr<BulkWriter> PostgresCopy::forConnection(QSqlDatabase &db, const QString &table,
                                                        const QStringList &columns) {
    const db::Dialect &dialect = db::Dialect::of(db);
    PGconn *connection = libpqConnection(db);
    if (!connection)
        return nullptr;
    QStringList names;
    for (const QString &column : columns)
        names << dialect.quoted(column);
    return std::unique_ptr<BulkWriter>(new PostgresCopy(
        connection, QStringLiteral("COPY %1 (%2) FROM STDIN")
                        .arg(dialect.quoted(table), names.join(QLatin1Char(',')))));
}

void PostgresCopy::encode(const QVariantList &values, qsizetype columnCount, QByteArray *data) {
    for (qsizetype i = 0; i < values.size(); ++i) {
        appendValue(values.at(i), data);
        data->append((i + 1) % columnCount == 0 ? '\n' : '\t');
    }
}

bool PostgresCopy::send(const QVariantList &values, qsizetype columnCount, QString *reason) {
    auto *connection = static_cast<PGconn *>(m_connection);
    m_data.clear();
    encode(values, columnCount, &m_data);
    PGresult *start = PQexec(connection, m_statement.toUtf8().constData());
    const bool copying = PQresultStatus(start) == PGRES_COPY_IN;
    if (!copying)
        *reason = resultError(start);
    PQclear(start);
    if (!copying)
        return false;
    bool ok = PQputCopyData(connection, m_data.constData(), int(m_data.size())) == 1 &&
              PQputCopyEnd(connection, nullptr) == 1;
    if (!ok)
        *reason = lastError(connection);
    const qsizetype rows = values.size() / columnCount;
    while (PGresult *result = PQgetResult(connection)) {
        if (ok && PQresultStatus(result) != PGRES_COMMAND_OK) {
            ok = false;
            *reason = resultError(result);
        } else if (ok && QByteArray(PQcmdTuples(result)).toLongLong() != rows) {
            // Every row sent must be a row stored; anything else loses data silently.
            ok = false;
            *reason = QStringLiteral("the server stored %1 of %2 rows sent")
                          .arg(QString::fromLatin1(PQcmdTuples(result)))
                          .arg(rows);
        }
        PQclear(result);
    }
    return ok;
}

} // namespace catalogue

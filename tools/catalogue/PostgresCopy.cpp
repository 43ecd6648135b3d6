#include "PostgresCopy.h"

#include "Csv.h"

#include <QBuffer>
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

} // namespace

std::unique_ptr<PostgresCopy> PostgresCopy::forConnection(QSqlDatabase &db, const QString &table,
                                                          const QStringList &columns) {
    if (db.driverName() != QLatin1String("QPSQL"))
        return nullptr;
    // The driver hands out its libpq connection (a PGconn pointer) as its handle.
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || !QByteArray(handle.typeName()).endsWith('*'))
        return nullptr;
    QStringList names;
    for (const QString &column : columns)
        names << db.driver()->escapeIdentifier(column, QSqlDriver::FieldName);
    return std::unique_ptr<PostgresCopy>(
        new PostgresCopy(*static_cast<PGconn *const *>(handle.constData()),
                         QStringLiteral("COPY %1 (%2) FROM STDIN WITH (FORMAT csv)")
                             .arg(table, names.join(QLatin1Char(',')))));
}

bool PostgresCopy::send(const QVariantList &values, qsizetype columnCount, QString *reason) {
    auto *connection = static_cast<PGconn *>(m_connection);
    // The rows in the CSV form COPY reads: NULL unquoted and empty, texts quoted as needed.
    QByteArray data;
    {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        CsvWriter writer(buffer);
        for (qsizetype first = 0; first < values.size(); first += columnCount)
            writer.writeRecord(values.mid(first, columnCount));
    }
    PGresult *start = PQexec(connection, m_statement.toUtf8().constData());
    const bool copying = PQresultStatus(start) == PGRES_COPY_IN;
    if (!copying)
        *reason = resultError(start);
    PQclear(start);
    if (!copying)
        return false;
    bool ok = PQputCopyData(connection, data.constData(), int(data.size())) == 1 &&
              PQputCopyEnd(connection, nullptr) == 1;
    if (!ok)
        *reason = lastError(connection);
    while (PGresult *result = PQgetResult(connection)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && ok) {
            ok = false;
            *reason = resultError(result);
        }
        PQclear(result);
    }
    return ok;
}

} // namespace catalogue

#pragma once

#include "BulkWriter.h"

#include <functional>

namespace catalogue {

// Sends rows to a PostgreSQL table with COPY ... FROM STDIN in the text format through
// libpq: one round trip for thousands of rows.
class PostgresCopy : public BulkWriter {
public:
    // The copier for a libpq connection handle; null when the driver hands out none.
    static std::unique_ptr<BulkWriter> forConnection(QSqlDatabase &db, const QString &table,
                                                     const QStringList &columns);
    bool send(const QVariantList &values, qsizetype columnCount, QString *reason) override;

    // Runs COPY (query) TO STDOUT in CSV form on a libpq connection and hands each record
    // to the sink, its line break made CRLF as the tool writes CSV: NULL is an empty field,
    // an empty text "", and only fields that need it are quoted. The number of records is
    // counted in *rows and compared with the number the server reports it sent. False with
    // the reason when the server or the sink failed or the numbers differ.
    static bool readCsv(QSqlDatabase &db, const QString &query,
                        const std::function<bool(const QByteArray &)> &record, qint64 *rows,
                        QString *reason);

    // The rows in the text form COPY reads: tab-separated, \N for NULL, and backslash,
    // tab, line feed and carriage return escaped, so that no value can end or change the
    // stream (a value "\." stays a value).
    static void encode(const QVariantList &values, qsizetype columnCount, QByteArray *data);

private:
    PostgresCopy(void *connection, QString statement)
        : m_connection(connection), m_statement(std::move(statement)) {}

    void *m_connection; // the driver's PGconn, owned by the driver
    QString m_statement;
    QByteArray m_data;
};

} // namespace catalogue

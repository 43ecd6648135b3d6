#pragma once

#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace catalogue {

// Sends rows to a table with COPY ... FROM STDIN in the text format, inside the
// connection's open transaction, where the engine's dialect has that bulk loader: one
// round trip for thousands of rows and no per-value binding.
class PostgresCopy {
public:
    // The copier for a connection whose engine loads this way; null for any other.
    static std::unique_ptr<PostgresCopy> forConnection(QSqlDatabase &db, const QString &table,
                                                       const QStringList &columns);
    // Sends rows given as consecutive values; false with the reason when the server refused
    // them or stored another number of rows than were sent.
    bool send(const QVariantList &values, qsizetype columnCount, QString *reason);

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

#pragma once

#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace catalogue {

// Sends rows to a PostgreSQL table with COPY ... FROM STDIN in CSV form, inside the
// connection's open transaction: one round trip for thousands of rows and no per-value
// binding, which makes a million-row copy a matter of seconds.
class PostgresCopy {
public:
    // The copier for a PostgreSQL connection; null for any other engine.
    static std::unique_ptr<PostgresCopy> forConnection(QSqlDatabase &db, const QString &table,
                                                       const QStringList &columns);
    // Sends rows given as consecutive values; false with the server's reason when refused.
    bool send(const QVariantList &values, qsizetype columnCount, QString *reason);

private:
    PostgresCopy(void *connection, QString statement)
        : m_connection(connection), m_statement(std::move(statement)) {}

    void *m_connection; // the driver's PGconn, owned by the driver
    QString m_statement;
};

} // namespace catalogue

#pragma once

#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace catalogue {

// Writes rows through the engine's own client library, where the engine's dialect names
// such a bulk loader, bypassing the per-value binding of Qt's drivers. Rows go into the
// connection's open transaction.
class BulkWriter {
public:
    virtual ~BulkWriter() = default;
    // The writer for the connection's engine; null when it has no bulk loader.
    static std::unique_ptr<BulkWriter> forConnection(QSqlDatabase &db, const QString &table,
                                                     const QStringList &columns);
    // Sends rows given as consecutive values (converted to their columns' types already);
    // false with the engine's reason when it refused them or stored another number of
    // rows than were sent.
    virtual bool send(const QVariantList &values, qsizetype columnCount, QString *reason) = 0;
};

} // namespace catalogue

#include "data/DemoCatalogue.h"

#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"

#include <QFile>

// The resource initialiser lives in this static library; naming it keeps the linker from
// dropping the embedded seed. It must be called outside any namespace.
static void initDataResources() {
    Q_INIT_RESOURCE(data);
}

namespace data {

QString demoCatalogueSql() {
    initDataResources();
    QFile file(QStringLiteral(":/demo/seed.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw db::DatabaseError(QStringLiteral("The demo catalogue is missing from the program"));
    return QString::fromUtf8(file.readAll());
}

void createEmptyEquipmentTable(QSqlDatabase &database) {
    db::AliasRegistry::runScript(database, equipmentSchemaSql());
}

void createDemoCatalogue(QSqlDatabase &database) {
    // One script, so that a failing seed leaves no half-filled table behind.
    db::AliasRegistry::runScript(database,
                                 equipmentSchemaSql() + QLatin1Char(';') + demoCatalogueSql());
}

} // namespace data

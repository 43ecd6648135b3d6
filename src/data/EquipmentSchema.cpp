#include "data/EquipmentSchema.h"

#include "data/EquipmentColumns.h"

#include <QStringList>

namespace data {

QString equipmentSchemaSql() {
    QStringList definitions;
    for (const EquipmentColumn &column : equipmentColumns())
        definitions << QStringLiteral("    %1 %2")
                           .arg(QLatin1String(column.name), QLatin1String(column.sqlType));
    definitions << QStringLiteral("    UNIQUE (Code)");
    return QStringLiteral("CREATE TABLE Equipment (\n%1\n)")
        .arg(definitions.join(QStringLiteral(",\n")));
}

} // namespace data

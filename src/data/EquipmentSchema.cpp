#include "data/EquipmentSchema.h"

#include "data/EquipmentColumns.h"
#include "db/Dialect.h"

#include <QStringList>

namespace data {

namespace {

QString declaredType(const EquipmentColumn &column, const db::Dialect &dialect) {
    const QString type = QLatin1String(column.sqlType);
    if (type == QLatin1String("INTEGER PRIMARY KEY"))
        return dialect.identityKeyType();
    // Weights need more than the 7 digits of a 4-byte float.
    if (type == QLatin1String("REAL"))
        return dialect.doubleType();
    return type;
}

} // namespace

QString equipmentSchemaSql(const db::Dialect &dialect) {
    QStringList definitions;
    for (const EquipmentColumn &column : equipmentColumns())
        definitions << QStringLiteral("    %1 %2")
                           .arg(QLatin1String(column.name), declaredType(column, dialect));
    definitions << QStringLiteral("    UNIQUE (Code)");
    return QStringLiteral("CREATE TABLE Equipment (\n%1\n)")
        .arg(definitions.join(QStringLiteral(",\n")));
}

QString equipmentSchemaScript(const db::Dialect &dialect) {
    QStringList statements{equipmentSchemaSql(dialect)};
    statements << dialect.changeNoticeStatements(QStringLiteral("Equipment"),
                                                 QStringLiteral("Number"));
    return statements.join(QStringLiteral(";\n"));
}

QString equipmentSchemaSql() {
    return equipmentSchemaSql(db::Dialect::sqlite());
}

} // namespace data

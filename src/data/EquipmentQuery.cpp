#include "data/EquipmentQuery.h"

#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"

namespace data {

QString equipmentAlias() {
    return QStringLiteral("VantrelDB");
}

QStringList equipmentQueryText() {
    return {QStringLiteral("SELECT * FROM Equipment")};
}

void configureEquipmentQuery(db::DataSet &query, bool live) {
    query.setDatabaseName(equipmentAlias());
    query.setSql(equipmentQueryText());
    query.setParameters({});
    query.setRequestLive(live);
}

QString trimSearchText(const QString &typed) {
    qsizetype begin = 0;
    qsizetype end = typed.size();
    while (begin < end && typed.at(begin) <= QLatin1Char(' '))
        ++begin;
    while (end > begin && typed.at(end - 1) <= QLatin1Char(' '))
        --end;
    return typed.mid(begin, end - begin);
}

void searchEquipment(db::DataSet &query, const QString &trimmedText) {
    query.close();
    QStringList text = equipmentQueryText();
    QVariantList parameters;
    if (!trimmedText.isEmpty()) {
        text << QStringLiteral("WHERE Name LIKE (?) OR Abbrev LIKE (?)");
        const QString pattern = QLatin1Char('%') + trimmedText + QLatin1Char('%');
        parameters << pattern << pattern;
    }
    query.setSql(text);
    query.setParameters(parameters);
    query.open();
}

void registerEquipmentDatabase() {
    db::AliasRegistry::setDefaultSchema(equipmentAlias(), equipmentSchemaSql());
}

} // namespace data

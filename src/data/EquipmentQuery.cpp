#include "data/EquipmentQuery.h"

#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/Dialect.h"

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
    // The Smoke type box shows the column where the table has one; older tables lack it.
    query.setOptionalFields({QStringLiteral("Smoke")});
    // A row whose Code another program changed holds another weapon, not the one edited.
    query.setIdentityFields({QStringLiteral("Code")});
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
    QStringList text = equipmentQueryText();
    QVariantList parameters;
    if (!trimmedText.isEmpty()) {
        const db::Dialect &dialect =
            db::Dialect::of(db::AliasRegistry::database(query.databaseName()));
        text << QStringLiteral("WHERE %1 OR %2")
                    .arg(dialect.caseBlindLike(QStringLiteral("Name")),
                         dialect.caseBlindLike(QStringLiteral("Abbrev")));
        const QString pattern = QLatin1Char('%') + trimmedText + QLatin1Char('%');
        parameters << pattern << pattern;
    }
    query.requery(text, parameters);
}

void registerEquipmentDatabase() {
    db::AliasRegistry::setDefaultSchema(
        equipmentAlias(), [](const db::Dialect &dialect) { return equipmentSchemaScript(dialect); },
        QStringLiteral("Equipment"));
}

} // namespace data

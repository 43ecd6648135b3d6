#include "Upgrade.h"

#include "CatalogueTable.h"
#include "data/EquipmentHistory.h"
#include "db/AliasRegistry.h"
#include "db/ChangeNotice.h"

#include <functional>

namespace catalogue {

namespace {

const QString tableName = QStringLiteral("Equipment");

QString upgradeHint(const CatalogueTable &table) {
    return QStringLiteral("korvandel-catalogue upgrade %1").arg(table.alias());
}

// A 4-byte floating point column keeps about 7 digits: a weight of 1234.5678 would be
// stored as 1234.5677.
void widenSinglePrecision(CatalogueTable &table, std::vector<UpgradeStep> &steps) {
    for (const db::ColumnInfo &column : table.columnInfos()) {
        if (!column.singlePrecision)
            continue;
        const QString name = canonicalColumnName(column.name);
        steps.push_back(
            {QStringLiteral("column %1 is a 4-byte number that keeps only 7 digits (%2 widens "
                            "it)")
                 .arg(name, upgradeHint(table)),
             QStringLiteral("column %1 widened to %2").arg(name, table.dialect().doubleType()),
             {QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE %3")
                  .arg(table.quoted(tableName), table.quoted(column.name),
                       table.dialect().doubleType())}});
    }
}

// A key the engine does not number makes every new row of the editor fail.
void numberKey(CatalogueTable &table, std::vector<UpgradeStep> &steps) {
    const QString key = table.keyColumn();
    const db::Dialect &dialect = table.dialect();
    if (key.isEmpty() || dialect.numbersKey(table.database(), tableName, key))
        return;
    const QString statement = dialect.numberKeyStatement(tableName, key);
    const QString name = canonicalColumnName(key);
    if (statement.isEmpty()) {
        steps.push_back({QStringLiteral("the key %1 is not numbered by the database, so new "
                                        "rows cannot be added")
                             .arg(name),
                         {},
                         {}});
        return;
    }
    steps.push_back({QStringLiteral("the key %1 is not numbered by the database, so new rows "
                                    "cannot be added (%2 numbers it)")
                         .arg(name, upgradeHint(table)),
                     QStringLiteral("key %1 numbered by the database").arg(name),
                     {statement, dialect.continueNumberingStatement(tableName, key)}});
}

// A server table without the trigger that announces its writes: open editors look for
// other programs' changes by polling instead of being told.
void announceChanges(CatalogueTable &table, std::vector<UpgradeStep> &steps) {
    const db::Dialect &dialect = table.dialect();
    const QStringList statements = dialect.changeNoticeStatements(tableName, table.keyColumn());
    if (statements.isEmpty() || db::hasChangeNotices(table.database(), tableName))
        return;
    steps.push_back({QStringLiteral("the table does not announce its changes to open editors "
                                    "(%1 adds the trigger)")
                         .arg(upgradeHint(table)),
                     QStringLiteral("the table announces its changes"), statements});
}

// A server catalogue without the history of its rows, which its trigger keeps.
void keepHistory(CatalogueTable &table, std::vector<UpgradeStep> &steps) {
    QSqlDatabase db = table.database();
    if (table.dialect().isEmbedded() || data::historyExists(db))
        return;
    steps.push_back({QStringLiteral("the catalogue keeps no history of its rows (%1 adds it)")
                         .arg(upgradeHint(table)),
                     QStringLiteral("the history of the rows is kept"),
                     db::AliasRegistry::splitScript(data::historySchemaSql(table.dialect()))});
}

// A server catalogue made before inserts were announced and recorded once per statement:
// its triggers run a function for every row a bulk load adds (3 times slower).
void recordInsertsByStatement(CatalogueTable &table, std::vector<UpgradeStep> &steps) {
    const QStringList rowTriggers = table.dialect().rowInsertTriggers(table.database(), tableName);
    QStringList statements;
    if (rowTriggers.contains(QLatin1String("korvandel_announce")))
        statements << table.dialect().changeNoticeStatements(tableName, table.keyColumn());
    if (rowTriggers.contains(QLatin1String("equipmenthistory_record")))
        statements << db::AliasRegistry::splitScript(data::historySchemaSql(table.dialect()));
    if (statements.isEmpty())
        return;
    steps.push_back({QStringLiteral("the table's triggers run once for every row an import adds "
                                    "(%1 makes them run once per statement)")
                         .arg(upgradeHint(table)),
                     QStringLiteral("inserts are announced and recorded once per statement"),
                     statements});
}

using Finder = std::function<void(CatalogueTable &, std::vector<UpgradeStep> &)>;
const std::vector<Finder> finders{widenSinglePrecision, numberKey, announceChanges, keepHistory,
                                  recordInsertsByStatement};

} // namespace

std::vector<UpgradeStep> neededUpgrades(CatalogueTable &table) {
    std::vector<UpgradeStep> steps;
    for (const Finder &find : finders)
        find(table, steps);
    return steps;
}

} // namespace catalogue

#include "HistoryCommands.h"

#include "CatalogueTable.h"
#include "Csv.h"
#include "data/EquipmentHistory.h"
#include "db/AliasRegistry.h"

#include <QDateTime>
#include <QRegularExpression>

namespace catalogue {

namespace {

QSqlDatabase historyOf(const QString &alias) {
    QSqlDatabase db = db::AliasRegistry::database(alias);
    if (!data::historyExists(db))
        throw CatalogueError(
            QStringLiteral("Alias %1 keeps no history of the table Equipment").arg(alias));
    return db;
}

} // namespace

int writeHistory(const QString &alias, const QString &code, QIODevice &output) {
    QSqlDatabase db = historyOf(alias);
    const std::vector<data::HistoryEntry> entries = data::catalogueHistory(db, code);
    CsvWriter csv(output);
    bool ok =
        csv.writeHeader({QStringLiteral("When"), QStringLiteral("Who"), QStringLiteral("Change"),
                         QStringLiteral("Number"), QStringLiteral("Code"), QStringLiteral("Column"),
                         QStringLiteral("Old"), QStringLiteral("New")});
    for (const data::HistoryEntry &entry : entries) {
        const QVariantList head{entry.when, entry.who, entry.kindText(), entry.key, entry.code};
        if (entry.changes.empty())
            ok = ok && csv.writeRecord(head + QVariantList{QVariant(), QVariant(), QVariant()});
        for (const data::ColumnChange &change : entry.changes)
            ok = ok &&
                 csv.writeRecord(head + QVariantList{change.column, change.before, change.after});
    }
    if (!ok)
        throw CatalogueError(QStringLiteral("The history could not be written"));
    return int(entries.size());
}

QString pruneHistory(const QString &alias, const QString &before) {
    // Only a date or a time compares as intended with the stored UTC times.
    static const QRegularExpression date(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}(T\\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,3})?)?Z?)?$"));
    if (!date.match(before).hasMatch() ||
        !QDate::fromString(before.left(10), Qt::ISODate).isValid())
        throw CatalogueError(QStringLiteral("'%1' is not a date (YYYY-MM-DD, UTC)").arg(before));
    QSqlDatabase db = historyOf(alias);
    const int removed = data::pruneHistory(db, before);
    return QStringLiteral("Removed %1 changes before %2 from the history of alias %3")
        .arg(removed)
        .arg(before, alias);
}

} // namespace catalogue

#pragma once

#include <QString>
#include <QStringList>

namespace db {
class DataSet;
}

namespace data {

// The database alias that holds the Equipment table.
QString equipmentAlias();
// The query text of the whole table.
QStringList equipmentQueryText();

// Points a dataset at the Equipment table: the whole table, live or read-only.
void configureEquipmentQuery(db::DataSet &query, bool live);

// The search text as the search uses it: blanks and control characters removed from
// both ends. The caller writes it back into the search box before searching.
QString trimSearchText(const QString &typed);

// Opens the query again with its text rebuilt for the trimmed search text, closing the old
// result (dropping a pending row) only once the new one could be read. A non-empty text narrows the
// rows to those whose Name or Abbrev contains it, every character taken literally ("%", "_"
// and "\" too) and letters of any script compared by simple Unicode case folding, with the
// same rows on every engine. The text is bound as a parameter, never spliced into the
// statement, so nothing typed can change stored data.
void searchEquipment(db::DataSet &query, const QString &trimmedText);

// Registers the Equipment schema as the alias's embedded default database.
void registerEquipmentDatabase();

} // namespace data

#pragma once

#include <QIODevice>
#include <QString>

namespace catalogue {

// Writes the history of the alias's Equipment table (of the item with this code, when one is
// given) as CSV, oldest first: one record per changed column of each change, with when
// (UTC), who, the change, the row's key, its code, the column and its old and new value.
// Returns the number of changes written. Throws CatalogueError or db::DatabaseError.
int writeHistory(const QString &alias, const QString &code, QIODevice &output);
// Removes the history older than the date (UTC, "YYYY-MM-DD" or a full ISO time) in one
// transaction; returns what to tell the user.
QString pruneHistory(const QString &alias, const QString &before);

} // namespace catalogue

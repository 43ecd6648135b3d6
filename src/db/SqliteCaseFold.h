#pragma once

#include <QSqlDatabase>

namespace db {

// Registers the SQL function casefold(text) on an open SQLite connection: the text with
// simple Unicode case folding, exactly as QString::toCaseFolded gives it, so that a
// pattern the program folded matches every letter whatever its case (the engine's own
// LIKE and lower() know only ASCII letters). NULL stays NULL. Throws DatabaseError.
void registerCaseFold(QSqlDatabase &db);

} // namespace db

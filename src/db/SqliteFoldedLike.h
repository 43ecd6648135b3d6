#pragma once

#include <QSqlDatabase>

namespace db {

// Registers the SQL function casefold_like(pattern, text, escape) on an open SQLite
// connection: the engine's `text LIKE pattern ESCAPE escape`, with letters compared by
// simple Unicode case folding (as QString::toCaseFolded gives it) where the engine's own
// LIKE knows only ASCII letters. NULL gives NULL. Throws DatabaseError.
void registerFoldedLike(QSqlDatabase &db);

} // namespace db

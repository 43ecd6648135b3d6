#pragma once

#include <QString>

namespace db {

// Parses "SELECT * FROM table [WHERE condition]"; false for any other text.
bool parseSimpleSelect(const QString &sql, QString *table, QString *where);

} // namespace db

#pragma once

#include <QString>

namespace data {

// SQL dialects whose CREATE TABLE differs: only the automatic numbering of Number does.
enum class SqlDialect { SQLite, PostgreSQL };

// The CREATE TABLE statement of the Equipment table, written from the column table so
// that the schema and the editor cannot disagree on a column's name, order or type.
// Code carries a UNIQUE constraint: other rows refer to an item by its code.
// Number is filled by the database (the editor never writes it): SQLite numbers an
// INTEGER PRIMARY KEY by itself, PostgreSQL needs it declared as an identity column.
QString equipmentSchemaSql(SqlDialect dialect = SqlDialect::SQLite);

} // namespace data

#pragma once

#include <QString>

namespace db {
class Dialect;
}

namespace data {

// The CREATE TABLE statement of the Equipment table, written from the column table so
// that the schema and the editor cannot disagree on a column's name, order or type.
// Code carries a UNIQUE constraint: other rows refer to an item by its code.
// Number is filled by the database (the editor never writes it) and never given twice,
// so a deleted row's number cannot come back and point a bookmark or an edit at
// another item.
QString equipmentSchemaSql(const db::Dialect &dialect);
QString equipmentSchemaSql(); // for the embedded engine
// The statements that make a new Equipment table: the table, and where the engine has them
// the announcements of every row written, so that editors show other programs' writes at once.
QString equipmentSchemaScript(const db::Dialect &dialect);

} // namespace data

#pragma once

#include <QString>

namespace data {

// The CREATE TABLE statement of the Equipment table, written from the column table so
// that the schema and the editor cannot disagree on a column's name, order or type.
// Code carries a UNIQUE constraint: other rows refer to an item by its code.
QString equipmentSchemaSql();

} // namespace data

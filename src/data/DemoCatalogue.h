#pragma once

#include <QSqlDatabase>

namespace data {

// Creates the Equipment table (empty) in the given open database. Throws db::DatabaseError.
void createEmptyEquipmentTable(QSqlDatabase &database);

// Creates the Equipment table and fills it with the demo catalogue, a set of invented items
// that gives every column a value in some row. Throws db::DatabaseError.
void createDemoCatalogue(QSqlDatabase &database);

// The INSERT statements of the demo catalogue, as carried in the program's resources.
QString demoCatalogueSql();

} // namespace data

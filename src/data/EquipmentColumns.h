#pragma once

#include <QString>
#include <QStringList>
#include <span>

namespace data {

// What kind of value a column holds, and so which editor shows it.
enum class ColumnKind { Text, Code, Number, YesNo, ShownOnly };

// One column of the Equipment table: the single place where its name, kind, caption,
// unit, hint and grid appearance are written. The grid, the detail panel, the schema and
// the report all read this table.
struct EquipmentColumn {
    const char *name;      // column name, as in the table
    ColumnKind kind;
    const char *group;     // group of the detail panel ("Heat and Damage/To User"), "" if none
    const char *caption;   // label or check-box text of its editor, "" if none
    const char *unit;      // unit label behind the editor, "" if none
    const char *hint;      // hint of the editor (status bar), "" if none
    const char *gridTitle; // column title in the grid; nullptr: the column name
    int gridWidth;         // width in the grid; 0: the default width
    const char *sqlType;   // declared type in the schema ("INTEGER", "VARCHAR(40)", ...)
    bool inGrid;           // false only for IsSwarm
};

// All 140 columns in grid order (IsSwarm last).
std::span<const EquipmentColumn> equipmentColumns();
// Looks a column up by name without regard to letter case; nullptr when unknown.
const EquipmentColumn *findEquipmentColumn(const QString &name);
// Declared text length of a column (VARCHAR(n) -> n), 0 for other types.
int declaredLength(const EquipmentColumn &column);

// Value lists of the drop-down boxes.
QStringList kindValues();
QStringList eraValues();
QStringList smokeValues();

} // namespace data

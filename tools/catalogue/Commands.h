#pragma once

#include <QString>
#include <QStringList>

namespace catalogue {

// The commands of korvandel-catalogue. Each works on aliases resolved as the editor resolves
// them, writes only inside one transaction (nothing is changed when it fails), and throws
// CatalogueError or db::DatabaseError with the message for the user. They return what to
// tell the user on success. Only `create` and `demo` may make a new database file.

// The file name that stands for standard input or output.
inline const QString standardStream = QStringLiteral("-");

// Makes sure the alias holds an Equipment table, creating it empty when missing.
QString createTable(const QString &alias);
// Fills an empty (or missing) Equipment table with the demo catalogue.
QString loadDemo(const QString &alias);
// Copies every row, as the source held them at one instant, into the empty (or missing)
// table of another alias.
QString copyTable(const QString &from, const QString &to);
// Writes the table into a CSV file (RFC 4180, UTF-8, a header of column names), or to
// standard output for "-". A file appears whole or not at all.
QString exportCsv(const QString &alias, const QString &file);
// Adds the rows of a CSV file written as above (or read from standard input for "-");
// every value is checked against its column first; a bad line is named and nothing is
// added. A separator of 0 is found from the header line.
QString importCsv(const QString &alias, const QString &file, char separator = 0);
// Compares the table with the editor's column table; one line per difference, none when
// they agree.
QStringList checkTable(const QString &alias);
// Makes the changes `check` offers for a table made by an older version, in one
// transaction; a table that needs none is left alone.
QString upgradeTable(const QString &alias);

} // namespace catalogue

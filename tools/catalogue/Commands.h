#pragma once

#include <QString>
#include <QStringList>

namespace catalogue {

// The commands of korvandel-catalogue. Each works on aliases resolved as the editor resolves
// them, writes only inside one transaction (nothing is changed when it fails), and throws
// CatalogueError or db::DatabaseError with the message for the user. They return what to
// tell the user on success.

// Makes sure the alias holds an Equipment table, creating it empty when missing.
QString createTable(const QString &alias);
// Fills an empty (or missing) Equipment table with the demo catalogue.
QString loadDemo(const QString &alias);
// Copies every row from one alias into the empty (or missing) table of another.
QString copyTable(const QString &from, const QString &to);
// Writes the table into a CSV file (RFC 4180, UTF-8, a header of column names). The file
// appears whole or not at all.
QString exportCsv(const QString &alias, const QString &file);
// Adds the rows of a CSV file written as above; a bad line is named and nothing is added.
QString importCsv(const QString &alias, const QString &file);
// Compares the table with the editor's column table; one line per difference, none when
// they agree.
QStringList checkTable(const QString &alias);

} // namespace catalogue

#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace catalogue {

// Runs a query on a SQLite connection through the engine's own library and hands each row
// to the sink as a CSV record ending in CRLF, written as CsvWriter writes the values the
// driver would read: NULL an empty field, numbers in their shortest exact form, texts as
// stored. The number of records is counted in *rows. False with the reason when the engine
// or the sink failed.
bool readSqliteCsv(QSqlDatabase &db, const QString &query,
                   const std::function<bool(const QByteArray &)> &record, qint64 *rows,
                   QString *reason);

} // namespace catalogue

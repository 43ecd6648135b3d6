#include "SqliteCsv.h"

#include "Csv.h"
#include "SqliteInsert.h"

#include <QLocale>
#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace catalogue {

namespace {

// A text's bytes as the driver's text value would give them back: UTF-8 kept, anything
// else read as UTF-8 with its faults replaced, as a QString would hold it.
QByteArrayView asUtf8(QByteArrayView bytes, QByteArray *repaired) {
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return bytes;
    *repaired = QString::fromUtf8(bytes).toUtf8();
    return *repaired;
}

void appendValue(sqlite3_stmt *statement, int column, bool onlyField, QByteArray *line) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return;
    case SQLITE_INTEGER:
        line->append(QByteArray::number(sqlite3_column_int64(statement, column)));
        return;
    case SQLITE_FLOAT:
        line->append(QByteArray::number(sqlite3_column_double(statement, column), 'g',
                                        QLocale::FloatingPointShortest));
        return;
    default: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(statement, column));
        const int size = sqlite3_column_bytes(statement, column);
        QByteArray repaired;
        appendCsvField(line, asUtf8(QByteArrayView(bytes, size), &repaired), onlyField);
    }
    }
}

} // namespace

bool readSqliteCsv(QSqlDatabase &db, const QString &query,
                   const std::function<bool(const QByteArray &)> &record, qint64 *rows,
                   QString *reason) {
    sqlite3 *connection = sqliteConnection(db);
    if (!connection) {
        *reason = QStringLiteral("the database driver gives no connection to read through");
        return false;
    }
    const QByteArray text = query.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &prepared, nullptr) !=
        SQLITE_OK) {
        *reason = QString::fromUtf8(sqlite3_errmsg(connection));
        return false;
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> statement(prepared,
                                                                           sqlite3_finalize);
    const int columns = sqlite3_column_count(prepared);
    QByteArray line;
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(prepared)) == SQLITE_ROW) {
        line.resize(0);
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                line.append(',');
            appendValue(prepared, c, columns == 1, &line);
        }
        line.append("\r\n", 2);
        ++*rows;
        if (!record(line))
            return false;
    }
    if (result != SQLITE_DONE) {
        *reason = QString::fromUtf8(sqlite3_errmsg(connection));
        return false;
    }
    return true;
}

} // namespace catalogue

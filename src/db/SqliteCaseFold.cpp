#include "db/SqliteCaseFold.h"

#include "db/DatabaseError.h"

#include <QSqlDriver>
#include <QString>
#include <QVariant>
#include <sqlite3.h>

namespace db {

namespace {

// Most names are ASCII: those are folded byte by byte, without a detour through UTF-16.
void caseFold(sqlite3_context *context, int, sqlite3_value **arguments) {
    sqlite3_value *value = arguments[0];
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    const int size = sqlite3_value_bytes(value);
    bool ascii = true;
    for (int i = 0; i < size && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (!ascii) {
        const QByteArray folded = QString::fromUtf8(text, size).toCaseFolded().toUtf8();
        sqlite3_result_text64(context, folded.constData(), sqlite3_uint64(folded.size()),
                              SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    char *folded = static_cast<char *>(sqlite3_malloc(size + 1));
    if (!folded) {
        sqlite3_result_error_nomem(context);
        return;
    }
    for (int i = 0; i < size; ++i)
        folded[i] = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] + ('a' - 'A')) : text[i];
    sqlite3_result_text(context, folded, size, sqlite3_free);
}

} // namespace

void registerCaseFold(QSqlDatabase &db) {
    const QVariant handle = db.driver()->handle();
    sqlite3 *connection = nullptr;
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        connection = *static_cast<sqlite3 *const *>(handle.constData());
    if (!connection)
        throw DatabaseError(QStringLiteral("Cannot prepare the case-blind search: the "
                                           "connection is not an open SQLite database"));
    // Deterministic (one result for one text) and innocuous (no side effects), so the
    // engine may compute it once for a constant argument and allow it anywhere.
    const int code = sqlite3_create_function_v2(
        connection, "casefold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
        caseFold, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        throw DatabaseError(QStringLiteral("Cannot prepare the case-blind search: %1")
                                .arg(QString::fromUtf8(sqlite3_errstr(code))));
}

} // namespace db

#include "db/SqliteDialect.h"

#include "db/DatabaseError.h"
#include "db/SqliteFoldedLike.h"
#include "db/Transaction.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace db {

namespace {

constexpr int sqliteBusy = 5;
constexpr int sqliteLocked = 6;

// The catalogue's own description of a table or view: its kind and its CREATE text.
struct SchemaEntry {
    QString type;
    QString sql;
};

SchemaEntry schemaEntry(const QSqlDatabase &db, const QString &name) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT type, sql FROM sqlite_master "
                                 "WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE"));
    query.addBindValue(name);
    // A catalogue that cannot be read now (locked) must not look like one without the table.
    if (!query.exec())
        throw DatabaseError(
            QStringLiteral("Cannot read table %1: %2").arg(name, errorText(query.lastError())));
    if (!query.next())
        return {};
    return {query.value(0).toString(), query.value(1).toString()};
}

} // namespace

QString SqliteDialect::quoted(const QString &identifier) const {
    // The row number is a name only the engine knows; quoted it would be a column.
    if (identifier.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0)
        return identifier;
    // Back quotes, never double quotes: the engine takes a double-quoted name that names no
    // column for a text literal, so a column another program dropped would read as its own
    // name instead of failing.
    QString name = identifier;
    name.replace(QLatin1Char('`'), QLatin1String("``"));
    return QLatin1Char('`') + name + QLatin1Char('`');
}

bool SqliteDialect::tableExists(const QSqlDatabase &db, const QString &table) const {
    return !schemaEntry(db, table).type.isEmpty();
}

std::vector<ColumnInfo> SqliteDialect::columns(const QSqlDatabase &db, const QString &table) const {
    // Declared types carry the text lengths and the small-integer ranges.
    std::vector<ColumnInfo> result;
    QSqlQuery info(db);
    if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table))))
        throw DatabaseError(
            QStringLiteral("Cannot read table %1: %2").arg(table, errorText(info.lastError())));
    while (info.next())
        result.push_back(
            columnFromDeclaredType(info.value(1).toString(), info.value(2).toString()));
    return result;
}

QString SqliteDialect::keyColumn(const QSqlDatabase &db, const QString &table) const {
    const SchemaEntry entry = schemaEntry(db, table);
    // A view has no stable row number, and a table declared WITHOUT ROWID has none at all.
    static const QRegularExpression withoutRowid(QStringLiteral(R"(\)\s*WITHOUT\s+ROWID\b)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (entry.type != QLatin1String("table") || withoutRowid.match(entry.sql).hasMatch())
        return {};
    QSqlQuery info(db);
    QStringList primary;
    QString primaryType;
    if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table))))
        throw DatabaseError(
            QStringLiteral("Cannot read table %1: %2").arg(table, errorText(info.lastError())));
    while (info.next()) {
        if (info.value(5).toInt() > 0) {
            primary << info.value(1).toString();
            primaryType = info.value(2).toString();
        }
    }
    // Only a column declared exactly INTEGER PRIMARY KEY is another name of the rowid.
    if (primary.size() == 1 &&
        primaryType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
        return primary.front();
    return QStringLiteral("rowid");
}

bool SqliteDialect::canWrite(QSqlDatabase &db, const QString &, const QString &key) const {
    if (key.isEmpty())
        return false;
    QSqlQuery probe(db);
    // The probe must not wait for another program's lock: a held lock says nothing about
    // whether this process may write.
    probe.exec(QStringLiteral("PRAGMA busy_timeout"));
    const int busyTimeout = probe.next() ? probe.value(0).toInt() : 0;
    probe.exec(QStringLiteral("PRAGMA busy_timeout = 0"));
    bool writable = true;
    try {
        Transaction transaction(db, QStringLiteral("probe"));
        // Rewriting the header value with itself makes the engine create its journal
        // beside the file: a folder the user cannot write fails here, not at the first Post.
        probe.exec(QStringLiteral("PRAGMA user_version"));
        const int version = probe.next() ? probe.value(0).toInt() : 0;
        if (!probe.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)))
            writable = isBusy(probe.lastError());
    } catch (const EngineError &error) {
        writable = isBusy(error.error());
    }
    probe.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(busyTimeout));
    return writable;
}

QString SqliteDialect::caseBlindLike(const QString &column) const {
    // LIKE ignores the letter case of ASCII letters here.
    return QStringLiteral("%1 LIKE (?)").arg(column);
}

QString SqliteDialect::foldedContains(const QString &column) const {
    // LIKE ... ESCAPE as a function of every connection's session, folding every letter.
    return QStringLiteral("casefold_like(?, %1, %2)").arg(column, backslashLiteral());
}

QString SqliteDialect::connectOptions(const ConnectionTimeouts &timeouts) const {
    return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(timeouts.lockMilliseconds);
}

void SqliteDialect::startSession(QSqlDatabase &db, const ConnectionTimeouts &) const {
    // Every acknowledged post reaches the disk before the editor says so. This setting
    // belongs to the connection; the file's journal mode stays as its owners keep it.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous = FULL"));
    registerFoldedLike(db);
}

bool SqliteDialect::isBusy(const QSqlError &error) const {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == sqliteBusy || code == sqliteLocked);
}

} // namespace db

#include "db/SqliteDialect.h"

#include "db/DatabaseError.h"
#include "db/SqliteFoldedLike.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <sys/statvfs.h>

namespace db {

namespace {

constexpr int sqliteBusy = 5;
constexpr int sqliteLocked = 6;
constexpr int sqliteReadOnly = 8;
constexpr int sqliteCantOpen = 14;
constexpr int sqliteNotADatabase = 26;

int primaryCode(const QSqlError &error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok ? code : -1;
}

// Whether the file's header says write-ahead-log mode (its read and write versions are 2).
bool isWalFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.at(18) == 2 && header.at(19) == 2;
}

// Why the engine cannot read the catalogue, in words the user can act on; the engine's own
// words when there is nothing more to say.
QString reasonOf(const QSqlDatabase &db, const QSqlError &error) {
    const QFileInfo file(db.databaseName());
    switch (primaryCode(error)) {
    case sqliteBusy:
    case sqliteLocked:
        return QStringLiteral("the catalogue is locked by another program");
    case sqliteNotADatabase:
        return QStringLiteral("%1 is not a database file")
            .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    case sqliteReadOnly:
    case sqliteCantOpen:
        // A file in write-ahead-log mode is read through files the engine makes beside it.
        if (isWalFile(file.absoluteFilePath()) && !QFileInfo(file.absolutePath()).isWritable())
            return QStringLiteral("the catalogue is in write-ahead-log mode, which needs a folder "
                                  "you can write, and you cannot write its folder %1")
                .arg(QDir::toNativeSeparators(file.absolutePath()));
        break;
    }
    return errorText(error);
}

// Runs a statement that reads the catalogue's description of a table; a refusal names its
// cause (a statement the engine cannot even prepare included).
QSqlQuery readDescription(const QSqlDatabase &db, const QString &text, const QVariantList &bound,
                          const QString &table) {
    const QString what = QStringLiteral("Cannot read table %1").arg(table);
    try {
        return runStatement(db, text, bound, what);
    } catch (const EngineError &error) {
        throw EngineError(what + QStringLiteral(": ") + reasonOf(db, error.error()), error.error());
    }
}

// The catalogue's own description of a table or view: its kind and its CREATE text.
struct SchemaEntry {
    QString type;
    QString sql;
};

SchemaEntry schemaEntry(const QSqlDatabase &db, const QString &name) {
    // A catalogue that cannot be read now (locked) must not look like one without the table.
    QSqlQuery query = readDescription(
        db,
        QStringLiteral("SELECT type, sql FROM sqlite_master "
                       "WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE"),
        {name}, name);
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
    QSqlQuery info =
        readDescription(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)), {}, table);
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
    QSqlQuery info =
        readDescription(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)), {}, table);
    QStringList primary;
    QString primaryType;
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

QString SqliteDialect::readOnlyReason(QSqlDatabase &db, const QString &table) const {
    const QFileInfo file(db.databaseName());
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    struct statvfs disk {};
    if (statvfs(QFile::encodeName(file.absoluteFilePath()).constData(), &disk) == 0 &&
        (disk.f_flag & ST_RDONLY))
        return QStringLiteral("the catalogue is on a read-only disk (%1)").arg(folder);
    if (!file.isWritable())
        return QStringLiteral("the catalogue file %1 is read-only")
            .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    if (!QFileInfo(file.absolutePath()).isWritable())
        return QStringLiteral("you cannot write the catalogue's folder %1").arg(folder);
    return Dialect::readOnlyReason(db, table);
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
    // The driver's own option, named after the driver.
    return qtDriver() + QStringLiteral("_BUSY_TIMEOUT=%1").arg(timeouts.lockMilliseconds);
}

void SqliteDialect::startSession(QSqlDatabase &db, const ConnectionTimeouts &) const {
    // Every acknowledged post reaches the disk before the editor says so. This setting
    // belongs to the connection; the file's journal mode stays as its owners keep it.
    // It is the first statement that reads the file: a file that cannot be read (locked,
    // not a database) fails the open here, after one wait for the lock at most.
    try {
        runStatement(db, QStringLiteral("PRAGMA synchronous = FULL"), {},
                     QStringLiteral("Cannot read the catalogue"));
    } catch (const EngineError &error) {
        throw DatabaseError(reasonOf(db, error.error()));
    }
    registerFoldedLike(db);
}

bool SqliteDialect::isBusy(const QSqlError &error) const {
    const int code = primaryCode(error);
    return code == sqliteBusy || code == sqliteLocked;
}

} // namespace db

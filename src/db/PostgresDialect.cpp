#include "db/PostgresDialect.h"

#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "db/ServerDeadline.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSysInfo>
#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>

namespace db {

namespace {

// SQLSTATE of a lock that could not be had at once (NOWAIT) or within lock_timeout.
const QLatin1String lockNotAvailable("55P03");

// Rows of a catalogue query about one table, named as written (to_regclass folds it).
QSqlQuery catalogueQuery(const QSqlDatabase &db, const QString &text, const QString &table) {
    return runStatement(db, text, {table},
                        QStringLiteral("Cannot read the description of table %1").arg(table));
}

// Where the server's lower() under the ICU root collation differs from simple case
// folding, found once from Qt's tables:
// - letters that are lower case already but fold to another letter: the final sigma, which
//   lower() also makes of a capital sigma at the end of a word, and rarer ones (the Greek
//   symbol forms, the long s, the micro sign, Cherokee small letters). All are replaced
//   after lower(), `from` by `to`;
// - the capital I with dot, which simple folding keeps and lower() turns into "i" and a
//   combining dot: set aside before lower() as a noncharacter and put back after it.
// `gate` holds every character whose lower() may need more than the final sigma replaced
// (the rare letters, the capitals that lower() turns into them, the dotted I), so that most
// texts skip translate(), which costs a scan of `from` for every character.
struct ServerFoldFixes {
    QString from;
    QString to;
    QString gate;
};

constexpr char32_t finalSigma = 0x3C2;
constexpr char32_t dottedCapitalI = 0x130;
constexpr char32_t setAside = 0xFDD0;

QString character(char32_t code) {
    return QString::fromUcs4(&code, 1);
}

const ServerFoldFixes &serverFoldFixes() {
    static const ServerFoldFixes fixes = [] {
        ServerFoldFixes result;
        for (char32_t c = 0x80; c <= QChar::LastValidCodePoint; ++c) {
            if (QChar::toLower(c) == c && QChar::toCaseFolded(c) != c) {
                result.from += character(c);
                result.to += character(QChar::toCaseFolded(c));
            }
        }
        QString rare = result.from;
        rare.remove(character(finalSigma));
        result.gate = rare + character(dottedCapitalI);
        for (char32_t c = 0x80; c <= QChar::LastValidCodePoint; ++c)
            if (QChar::toLower(c) != c && rare.contains(character(QChar::toLower(c))))
                result.gate += character(c);
        result.from += character(setAside);
        result.to += character(dottedCapitalI);
        return result;
    }();
    return fixes;
}

// The trigger that announces a table's writes, and the one function all such triggers run.
const QLatin1String noticeTrigger("korvandel_announce");
const QLatin1String noticeFunction("korvandel_announce_write");
// Inserts are announced once per statement: a bulk load of many rows is one notice that
// the table changed, instead of a notice (and a trigger call) per row.
const QLatin1String insertNoticeTrigger("korvandel_announce_inserts");
const QLatin1String insertNoticeFunction("korvandel_announce_inserts");
// More rows than this in one statement are announced as "<table> INSERT *": the editors
// read the table again rather than each row.
constexpr int mostAnnouncedInserts = 100;

} // namespace

bool PostgresDialect::tableExists(const QSqlDatabase &db, const QString &table) const {
    QSqlQuery query =
        catalogueQuery(db, QStringLiteral("SELECT to_regclass(?) IS NOT NULL"), table);
    return query.next() && query.value(0).toBool();
}

std::vector<ColumnInfo> PostgresDialect::columns(const QSqlDatabase &db,
                                                 const QString &table) const {
    // Declared types carry the text lengths and the small-integer ranges.
    QSqlQuery query = catalogueQuery(
        db,
        QStringLiteral("SELECT attname, format_type(atttypid, atttypmod) FROM pg_attribute "
                       "WHERE attrelid = to_regclass(?) AND attnum > 0 AND NOT attisdropped "
                       "ORDER BY attnum"),
        table);
    std::vector<ColumnInfo> result;
    while (query.next()) {
        const QString declared = query.value(1).toString();
        result.push_back(columnFromDeclaredType(query.value(0).toString(), declared));
        result.back().singlePrecision = declared == QLatin1String("real");
    }
    return result;
}

QString PostgresDialect::keyColumn(const QSqlDatabase &db, const QString &table) const {
    QSqlQuery query = catalogueQuery(
        db,
        QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod) "
                       "FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
                       "AND a.attnum = ANY (i.indkey) "
                       "WHERE i.indrelid = to_regclass(?) AND i.indisprimary"),
        table);
    QStringList names;
    QString type;
    while (query.next()) {
        names << query.value(0).toString();
        type = query.value(1).toString();
    }
    if (names.size() == 1 && columnFromDeclaredType(names.front(), type).type == FieldType::Integer)
        return names.front();
    if (names.size() == 1 && type == QLatin1String("smallint"))
        return names.front();
    return {};
}

QString PostgresDialect::readOnlyReason(QSqlDatabase &db, const QString &table) const {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT current_user, pg_is_in_recovery(), "
                                 "current_setting('default_transaction_read_only') = 'on', "
                                 "has_table_privilege(to_regclass(?), 'UPDATE')"));
    query.addBindValue(table);
    if (query.exec() && query.next()) {
        if (query.value(1).toBool())
            return QStringLiteral("the server is a read-only standby");
        if (query.value(2).toBool())
            return QStringLiteral("the server's sessions are read-only");
        if (!query.value(3).toBool())
            return QStringLiteral("your role %1 is not granted changes to table %2")
                .arg(query.value(0).toString(), table);
    }
    return Dialect::readOnlyReason(db, table);
}

QString PostgresDialect::continueNumberingStatement(const QString &table,
                                                    const QString &keyColumn) const {
    // The identity column's sequence goes on above the highest key in the table.
    return QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                          "COALESCE((SELECT MAX(%3) FROM %4), 0) + 1, false)")
        .arg(storedName(table), storedName(keyColumn), quoted(keyColumn), quoted(table));
}

QString PostgresDialect::caseFolded(const QString &column) const {
    // ASCII text (most names) is folded fastest under the "C" collation, any other through
    // ICU; the server's locale plays no part. The folded text compares byte by byte.
    const ServerFoldFixes &fixes = serverFoldFixes();
    const QString icuLower = QStringLiteral("lower(%1 COLLATE \"und-x-icu\")");
    const QString sigmaFixed = QStringLiteral("replace(%1, '%2', '%3')")
                                   .arg(icuLower.arg(column), character(finalSigma),
                                        character(QChar::toCaseFolded(finalSigma)));
    const QString setAsideDottedI =
        QStringLiteral("translate(%1, '%2', '%3')")
            .arg(column, character(dottedCapitalI), character(setAside));
    const QString allFixed = QStringLiteral("translate(%1, '%2', '%3')")
                                 .arg(icuLower.arg(setAsideDottedI), fixes.from, fixes.to);
    return QStringLiteral("(CASE WHEN octet_length(%1) = length(%1) "
                          "THEN lower(%1 COLLATE \"C\") COLLATE \"C\" "
                          "WHEN %1 !~ '[%2]' THEN %3 COLLATE \"C\" "
                          "ELSE %4 COLLATE \"C\" END)")
        .arg(column, fixes.gate, sigmaFixed, allFixed);
}

bool PostgresDialect::numbersKey(const QSqlDatabase &db, const QString &table,
                                 const QString &keyColumn) const {
    // An identity column, or a default (a serial column's nextval).
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT attidentity <> '' OR atthasdef FROM pg_attribute "
                                 "WHERE attrelid = to_regclass(?) AND attname = ?"));
    query.addBindValue(table);
    query.addBindValue(storedName(keyColumn));
    if (!query.exec())
        throw DatabaseError(QStringLiteral("Cannot read the description of table %1: %2")
                                .arg(table, errorText(query.lastError())));
    return query.next() && query.value(0).toBool();
}

QString PostgresDialect::numberKeyStatement(const QString &table, const QString &keyColumn) const {
    return QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 ADD GENERATED BY DEFAULT AS IDENTITY")
        .arg(quoted(table), quoted(keyColumn));
}

QString PostgresDialect::rowLockStatement(const QString &table, const QString &keyColumn) const {
    return QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? FOR UPDATE NOWAIT")
        .arg(quoted(table), quoted(keyColumn));
}

int PostgresDialect::serverSocket(const QSqlDatabase &db) const {
    // The driver's handle is libpq's connection; libpq is loaded with the driver, so its
    // socket is asked of the library already in the process.
    using SocketOf = int (*)(const void *);
    static const SocketOf socketOf = [] {
        void *library = dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD);
        return library ? reinterpret_cast<SocketOf>(dlsym(library, "PQsocket")) : nullptr;
    }();
    const QVariant handle = db.isOpen() ? db.driver()->handle() : QVariant();
    // The driver names libpq's type by its typedef or by the struct behind it.
    const bool isConnection =
        qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0;
    if (!socketOf || !isConnection)
        return -1;
    const void *connection = *static_cast<void *const *>(handle.constData());
    return connection ? socketOf(connection) : -1;
}

QString PostgresDialect::connectOptions(const ConnectionTimeouts &timeouts) const {
    // libpq waits at most connect_timeout for the server to accept and answer the start-up,
    // so a server that takes the connection but never answers cannot hang the editor. Once
    // connected, keepalives probe a silent server and tcp_user_timeout drops a connection
    // whose data the server stopped acknowledging: a dead server or network is noticed within
    // the alias's dead-server timeout.
    const int dead = std::max(timeouts.deadServerSeconds, 1);
    const int idle = std::max(dead / 3, 1);
    const int count = 3;
    const int interval = std::max((dead - idle) / count, 1);
    return QStringLiteral("connect_timeout=%1;keepalives=1;keepalives_idle=%2;"
                          "keepalives_interval=%3;keepalives_count=%4;tcp_user_timeout=%5")
        .arg(std::max(timeouts.connectSeconds, 1))
        .arg(idle)
        .arg(interval)
        .arg(count)
        .arg(dead * 1000);
}

namespace {

// The name the server shows for this editor's sessions (other designers read it when this
// one holds a row): the user and the machine.
QString sessionName() {
    const passwd *account = getpwuid(getuid());
    const QString user = account ? QString::fromLocal8Bit(account->pw_name) : QString();
    const QString host = QSysInfo::machineHostName();
    return user.isEmpty() ? host : user + QLatin1Char('@') + host;
}

} // namespace

void PostgresDialect::startSession(QSqlDatabase &db, const ConnectionTimeouts &timeouts) const {
    // lock_timeout 0 would wait for ever: "do not wait" is the shortest wait there is.
    const int lock = std::max(timeouts.lockMilliseconds, 1);
    // No statement runs longer than reaching the server and waiting for a lock would take.
    const int statement = statementMilliseconds(timeouts);
    // The server probes this editor's connection, so that rows held by an editor whose
    // machine went to sleep or off the network are freed within about a minute.
    const QList<std::pair<QString, QString>> settings{
        {QStringLiteral("lock_timeout"), QString::number(lock)},
        {QStringLiteral("statement_timeout"), QString::number(statement)},
        {QStringLiteral("application_name"), sessionName()},
        {QStringLiteral("tcp_keepalives_idle"), QStringLiteral("20")},
        {QStringLiteral("tcp_keepalives_interval"), QStringLiteral("10")},
        {QStringLiteral("tcp_keepalives_count"), QStringLiteral("3")},
        {QStringLiteral("tcp_user_timeout"), QStringLiteral("60000")},
    };
    const ServerDeadline deadline(db);
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT set_config(?, ?, false)"));
    for (const auto &[name, value] : settings) {
        query.addBindValue(name);
        query.addBindValue(value);
        if (!query.exec())
            throw DatabaseError(QStringLiteral("Cannot set up the session (%1): %2")
                                    .arg(name, errorText(query.lastError())));
    }
    // An editor that stopped (its machine asleep, its process halted) while holding a row
    // falls silent, and the server ends its session; a live one keeps its session busy
    // (heartbeatSeconds). A shorter limit the administrator gave the role stays.
    QSqlQuery idle(db);
    idle.prepare(
        QStringLiteral("SELECT set_config('idle_in_transaction_session_timeout', "
                       "LEAST(NULLIF(setting::int, 0), ?)::text, false) "
                       "FROM pg_settings WHERE name = 'idle_in_transaction_session_timeout'"));
    idle.addBindValue(4 * heartbeatSeconds(timeouts) * 1000);
    if (!idle.exec())
        throw DatabaseError(
            QStringLiteral("Cannot set up the session (idle_in_transaction_session_timeout): %1")
                .arg(errorText(idle.lastError())));
}

QString PostgresDialect::rowHolder(QSqlDatabase &db, const QString &table, const QString &keyColumn,
                                   qint64 key) const {
    // A transaction that locks a row writes its own id into the row (xmax) and holds a lock
    // on that id: the session holding that lock is the holder. Read in a savepoint, so that
    // a refusal leaves the caller's transaction usable.
    try {
        Transaction look(db, QStringLiteral("Cannot name the row's holder"),
                         Transaction::Mode::Read);
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT a.application_name, a.usename, "
                                     "COALESCE(a.client_hostname, host(a.client_addr)), "
                                     "a.xact_start FROM pg_locks l "
                                     "JOIN pg_stat_activity a ON a.pid = l.pid "
                                     "WHERE l.locktype = 'transactionid' AND l.granted "
                                     "AND l.transactionid = (SELECT xmax FROM %1 WHERE %2 = ?)")
                          .arg(quoted(table), quoted(keyColumn)));
        query.addBindValue(key);
        if (!query.exec() || !query.next())
            return {};
        QString who = query.value(0).toString();
        if (who.isEmpty()) {
            who = query.value(1).toString();
            if (!query.value(2).toString().isEmpty())
                who += QLatin1Char('@') + query.value(2).toString();
        }
        const QDateTime since = query.value(3).toDateTime();
        if (since.isValid())
            who +=
                QStringLiteral(" since ") + since.toLocalTime().toString(QStringLiteral("HH:mm"));
        query.finish();
        look.commit();
        return who;
    } catch (const DatabaseError &) {
        return {};
    }
}

bool PostgresDialect::isBusy(const QSqlError &error) const {
    return error.nativeErrorCode() == lockNotAvailable;
}

bool PostgresDialect::isRowLocked(const QSqlError &error) const {
    // A lock on the whole table (another program's LOCK TABLE) is not another designer.
    return isBusy(error) && error.databaseText().contains(QLatin1String("lock on row"));
}

bool PostgresDialect::isConnectionLost(const QSqlError &error) const {
    // Connection exceptions (class 08) and the server shutting down (57P01 to 57P03); a
    // connection that broke mid-statement carries no state at all, only libpq's words.
    const QString state = error.nativeErrorCode();
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P0")))
        return true;
    const QString text = error.databaseText() + error.driverText();
    return text.contains(QLatin1String("server closed the connection")) ||
           text.contains(QLatin1String("no connection to the server")) ||
           text.contains(QLatin1String("terminating connection"));
}

bool PostgresDialect::isAlive(QSqlDatabase &db) const {
    if (!db.isOpen())
        return false;
    const ServerDeadline deadline(db);
    QSqlQuery probe(db);
    if (probe.exec(QStringLiteral("SELECT 1")))
        return true;
    // A server that stopped answering is not reached again within this action's bound.
    if (deadline.expired())
        throw EngineError(QStringLiteral("The connection to the database was lost: ") +
                              deadline.silenceText(),
                          probe.lastError());
    return !isConnectionLost(probe.lastError());
}

void PostgresDialect::createTable(QSqlDatabase &db, const QString &table,
                                  const QString &script) const {
    // Two editors starting on an empty database must not both create the table: an
    // advisory lock held to the end of the transaction makes the second wait and then find
    // it there.
    const QString what = QStringLiteral("Cannot create table %1").arg(table);
    Transaction transaction(db, what, Transaction::Mode::Read);
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(?))"));
    query.addBindValue(QStringLiteral("korvandel:") + storedName(table));
    if (!query.exec())
        throw DatabaseError(what + QStringLiteral(": ") + errorText(query.lastError()));
    if (!tableExists(db, table))
        for (const QString &statement : AliasRegistry::splitScript(script))
            if (!query.exec(statement))
                throw DatabaseError(what + QStringLiteral(": ") + errorText(query.lastError()));
    transaction.commit();
}

bool PostgresDialect::transactionAborted(QSqlDatabase &db) const {
    // SQLSTATE 25P02: the transaction is aborted, commands ignored until its end.
    QSqlQuery probe(db);
    return !probe.exec(QStringLiteral("SELECT 1")) &&
           probe.lastError().nativeErrorCode() == QLatin1String("25P02");
}

QString PostgresDialect::changeCounterStatement(const QString &table) const {
    // Without announcements: the row count and the newest row version's transaction tell
    // of every insert, update and delete. It reads the whole table.
    return QStringLiteral("SELECT COUNT(*) || ':' || COALESCE(MAX(xmin::text::bigint), 0) FROM %1")
        .arg(quoted(table));
}

QStringList PostgresDialect::changeNoticeStatements(const QString &table,
                                                    const QString &keyColumn) const {
    // Payload "<table> <INSERT|UPDATE|DELETE> <key>"; an update that moves a row to another
    // key announces both keys. The bodies are quoted strings so that a script splitter that
    // knows only quotes keeps them whole. Replacing the triggers lets a table that announced
    // inserts row by row take the statement trigger.
    const QString rowFunction =
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS '\n"
            "BEGIN\n"
            "    IF TG_OP <> ''INSERT'' THEN\n"
            "        PERFORM pg_notify(TG_ARGV[0], concat_ws('' '', TG_TABLE_NAME, TG_OP,\n"
            "                                                to_jsonb(OLD) ->> TG_ARGV[1]));\n"
            "    END IF;\n"
            "    IF TG_OP <> ''DELETE'' THEN\n"
            "        PERFORM pg_notify(TG_ARGV[0], concat_ws('' '', TG_TABLE_NAME, TG_OP,\n"
            "                                                to_jsonb(NEW) ->> TG_ARGV[1]));\n"
            "    END IF;\n"
            "    RETURN NULL;\n"
            "END'")
            .arg(noticeFunction);
    const QString insertFunction =
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS '\n"
            "BEGIN\n"
            "    IF (SELECT COUNT(*) FROM (SELECT FROM added LIMIT %2 + 1) AS counted) > %2 THEN\n"
            "        PERFORM pg_notify(TG_ARGV[0], concat_ws('' '', TG_TABLE_NAME, TG_OP, "
            "''*''));\n"
            "    ELSE\n"
            "        PERFORM pg_notify(TG_ARGV[0], concat_ws('' '', TG_TABLE_NAME, TG_OP,\n"
            "                                                to_jsonb(a) ->> TG_ARGV[1]))\n"
            "           FROM added AS a;\n"
            "    END IF;\n"
            "    RETURN NULL;\n"
            "END'")
            .arg(insertNoticeFunction)
            .arg(mostAnnouncedInserts);
    const QString arguments =
        QStringLiteral("('%1', '%2')").arg(QLatin1String(changeChannel), storedName(keyColumn));
    return {rowFunction, insertFunction,
            QStringLiteral("CREATE OR REPLACE TRIGGER %1 AFTER UPDATE OR DELETE ON %2 FOR EACH "
                           "ROW EXECUTE FUNCTION %3%4")
                .arg(noticeTrigger, quoted(table), noticeFunction, arguments),
            QStringLiteral("CREATE OR REPLACE TRIGGER %1 AFTER INSERT ON %2 REFERENCING NEW "
                           "TABLE AS added FOR EACH STATEMENT EXECUTE FUNCTION %3%4")
                .arg(insertNoticeTrigger, quoted(table), insertNoticeFunction, arguments)};
}

bool PostgresDialect::announcesChanges(const QSqlDatabase &db, const QString &table) const {
    QSqlQuery query = catalogueQuery(
        db,
        QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_trigger WHERE tgrelid = to_regclass(?) "
                       "AND tgname = '%1' AND tgenabled <> 'D')")
            .arg(noticeTrigger),
        table);
    return query.next() && query.value(0).toBool();
}

QStringList PostgresDialect::rowInsertTriggers(const QSqlDatabase &db, const QString &table) const {
    // tgtype: bit 0 a row trigger, bit 2 fired by INSERT.
    QSqlQuery query = catalogueQuery(db,
                                     QStringLiteral("SELECT lower(tgname) FROM pg_trigger WHERE "
                                                    "tgrelid = to_regclass(?) AND NOT tgisinternal "
                                                    "AND tgtype & 5 = 5 ORDER BY 1"),
                                     table);
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

} // namespace db

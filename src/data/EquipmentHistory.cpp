#include "data/EquipmentHistory.h"

#include "data/EquipmentColumns.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "db/Values.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSqlQuery>
#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

namespace data {

using db::isEmptyValue;
using db::sameValue;

namespace {

const QString historyTable = QStringLiteral("EquipmentHistory");

bool embedded(const QSqlDatabase &db) {
    return &db::Dialect::of(db) == &db::Dialect::sqlite();
}

QString tableSql(const db::Dialect &dialect, const QString &ifNotExists) {
    return QStringLiteral("CREATE TABLE %1EquipmentHistory (\n"
                          "    Id %2,\n"
                          "    ChangedAt VARCHAR(24) NOT NULL,\n"
                          "    ChangedBy VARCHAR(200) NOT NULL,\n"
                          "    Kind VARCHAR(6) NOT NULL,\n"
                          "    RowKey BIGINT NOT NULL,\n"
                          "    Code VARCHAR(8),\n"
                          "    Changes TEXT NOT NULL\n"
                          ");\n"
                          // One row's history in time order; every further index would
                          // be written by every Post.
                          "CREATE INDEX %1EquipmentHistory_Row ON EquipmentHistory (RowKey, Id);\n")
        .arg(ifNotExists, dialect.identityKeyType());
}

// The server's triggers: one history row per changed row, whoever writes it. Inserts are
// recorded once per statement, so that a bulk load runs one set-based insert into the
// history instead of a function call per row. They run with their owner's rights, so a
// designer who may write Equipment needs no right on the history (and cannot write it
// directly). The session's last history row is kept in a setting for
// the editor's undo; a rolled-back transaction takes it back too.
const char *serverTrigger = R"(
CREATE OR REPLACE FUNCTION EquipmentHistory_Record() RETURNS trigger LANGUAGE plpgsql
SECURITY DEFINER SET search_path FROM CURRENT AS '
DECLARE
    o jsonb := CASE WHEN TG_OP = ''INSERT'' THEN ''{}''::jsonb ELSE to_jsonb(OLD) END;
    n jsonb := CASE WHEN TG_OP = ''DELETE'' THEN ''{}''::jsonb ELSE to_jsonb(NEW) END;
    changes jsonb;
    application text := current_setting(''application_name'', true);
    entry bigint;
BEGIN
    SELECT COALESCE(jsonb_object_agg(k, jsonb_build_array(o -> k, n -> k)), ''{}''::jsonb)
      INTO changes
      FROM (SELECT DISTINCT jsonb_object_keys(o || n) AS k) AS names
     WHERE k <> ''number''
       AND COALESCE(o -> k, ''null''::jsonb) IS DISTINCT FROM COALESCE(n -> k, ''null''::jsonb);
    IF TG_OP = ''UPDATE'' AND changes = ''{}''::jsonb THEN
        RETURN NULL;
    END IF;
    INSERT INTO EquipmentHistory (ChangedAt, ChangedBy, Kind, RowKey, Code, Changes)
    VALUES (to_char(clock_timestamp() AT TIME ZONE ''UTC'', ''YYYY-MM-DD"T"HH24:MI:SS.MS"Z"''),
            session_user || CASE WHEN COALESCE(application, '''') = '''' THEN ''''
                                 ELSE '' ('' || application || '')'' END,
            lower(TG_OP), ((CASE WHEN TG_OP = ''DELETE'' THEN o ELSE n END) ->> ''number'')::bigint,
            COALESCE(n ->> ''code'', o ->> ''code''), changes::text)
    RETURNING Id INTO entry;
    PERFORM set_config(''korvandel.last_change'', entry::text, false);
    RETURN NULL;
END';
CREATE OR REPLACE TRIGGER EquipmentHistory_Record AFTER UPDATE OR DELETE ON Equipment
    FOR EACH ROW EXECUTE FUNCTION EquipmentHistory_Record();
CREATE OR REPLACE FUNCTION EquipmentHistory_RecordInserts() RETURNS trigger LANGUAGE plpgsql
SECURITY DEFINER SET search_path FROM CURRENT AS '
DECLARE
    application text := current_setting(''application_name'', true);
    entry bigint;
BEGIN
    WITH recorded AS (
        INSERT INTO EquipmentHistory (ChangedAt, ChangedBy, Kind, RowKey, Code, Changes)
        SELECT to_char(clock_timestamp() AT TIME ZONE ''UTC'', ''YYYY-MM-DD"T"HH24:MI:SS.MS"Z"''),
               session_user || CASE WHEN COALESCE(application, '''') = '''' THEN ''''
                                    ELSE '' ('' || application || '')'' END,
               ''insert'', a.number, a.code,
               (SELECT COALESCE(jsonb_object_agg(e.key, jsonb_build_array(NULL, e.value)),
                                ''{}''::jsonb)
                  FROM jsonb_each(jsonb_strip_nulls(to_jsonb(a))) AS e
                 WHERE e.key <> ''number'')::text
          FROM added AS a
         ORDER BY a.number
        RETURNING Id)
    SELECT MAX(Id) INTO entry FROM recorded;
    IF entry IS NOT NULL THEN
        PERFORM set_config(''korvandel.last_change'', entry::text, false);
    END IF;
    RETURN NULL;
END';
CREATE OR REPLACE TRIGGER EquipmentHistory_RecordInserts AFTER INSERT ON Equipment
    REFERENCING NEW TABLE AS added FOR EACH STATEMENT
    EXECUTE FUNCTION EquipmentHistory_RecordInserts();
)";

// Runs schema statements, unprepared: a server prepares only statements that read or
// write rows.
void runSchema(QSqlDatabase &db, const QString &script, const QString &what) {
    for (const QString &statement : db::AliasRegistry::splitScript(script)) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw db::EngineError(what + QStringLiteral(": ") + db::errorText(query.lastError()),
                                  query.lastError());
    }
}

// The operating-system user and host, for the embedded engine's history.
QString osUser() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        if (const passwd *entry = getpwuid(getuid()))
            user = QString::fromLocal8Bit(entry->pw_name);
    return user + QLatin1Char('@') + QSysInfo::machineHostName();
}

QString utcNow() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QJsonValue jsonOf(const QVariant &value) {
    return isEmptyValue(value) ? QJsonValue() : QJsonValue::fromVariant(value);
}

QVariant valueOf(const QJsonValue &value) {
    if (value.isNull() || value.isUndefined())
        return {};
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (number == double(qint64(number)))
            return qint64(number);
        return number;
    }
    return value.toVariant();
}

// The last history row each embedded connection wrote, by connection name, with the
// row it belongs to (a rolled-back id may be given again to another writer).
struct OwnChange {
    qint64 id;
    qint64 key;
};
QMutex ownChangesLock;
QHash<QString, OwnChange> ownChanges;

class EmbeddedRecorder : public db::ChangeRecorder {
public:
    void record(QSqlDatabase &db, const db::RowChange &change) const override {
        if (!embedded(db))
            return;
        const QString what = QStringLiteral("The change could not be recorded in the history");
        // A file the tool or an older editor made has no history yet.
        runSchema(db, historySchemaSql(db::Dialect::of(db)), what);
        QJsonObject changes;
        QVariant code;
        for (size_t c = 0; c < change.columns.size(); ++c) {
            const QString &name = change.columns[c].name;
            const QVariant before = change.before.value(qsizetype(c));
            const QVariant after = change.after.value(qsizetype(c));
            if (name.compare(QLatin1String("Code"), Qt::CaseInsensitive) == 0)
                code = isEmptyValue(after) ? before : after;
            if (name.compare(QLatin1String("Number"), Qt::CaseInsensitive) == 0 ||
                sameValue(before, after))
                continue;
            changes.insert(name, QJsonArray{jsonOf(before), jsonOf(after)});
        }
        // A Post that stored the values the row held already changed nothing.
        if (change.action == db::RowChange::Action::Update && changes.isEmpty())
            return;
        static const char *kinds[] = {"insert", "update", "delete"};
        QSqlQuery query = db::runStatement(
            db,
            QStringLiteral("INSERT INTO EquipmentHistory (ChangedAt, ChangedBy, Kind, RowKey, "
                           "Code, Changes) VALUES (?, ?, ?, ?, ?, ?)"),
            {utcNow(), osUser(), QString::fromLatin1(kinds[int(change.action)]), change.key, code,
             QString::fromUtf8(QJsonDocument(changes).toJson(QJsonDocument::Compact))},
            what);
        const qint64 id = query.lastInsertId().toLongLong();
        QMutexLocker locker(&ownChangesLock);
        ownChanges.insert(db.connectionName(), {id, change.key});
    }
};

// A column's name as the editor writes it: a server stores the names in lower case.
QString columnName(const QString &stored) {
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> byLowerCase;
        for (const EquipmentColumn &column : equipmentColumns())
            byLowerCase.insert(QString::fromLatin1(column.name).toLower(),
                               QString::fromLatin1(column.name));
        return byLowerCase;
    }();
    return names.value(stored.toLower(), stored);
}

const QString selectList =
    QStringLiteral("SELECT Id, ChangedAt, ChangedBy, Kind, RowKey, Code, Changes "
                   "FROM EquipmentHistory h ");

std::vector<HistoryEntry> readEntries(QSqlDatabase &db, const QString &text,
                                      const QVariantList &bound) {
    QSqlQuery query = db::runStatement(db, selectList + text, bound,
                                       QStringLiteral("The history could not be read"));
    std::vector<HistoryEntry> entries;
    while (query.next()) {
        HistoryEntry entry;
        entry.id = query.value(0).toLongLong();
        entry.when = query.value(1).toString();
        entry.who = query.value(2).toString();
        const QString kind = query.value(3).toString();
        entry.kind = kind == QLatin1String("insert")   ? HistoryEntry::Kind::Insert
                     : kind == QLatin1String("delete") ? HistoryEntry::Kind::Delete
                                                       : HistoryEntry::Kind::Update;
        entry.key = query.value(4).toLongLong();
        entry.code = query.value(5).toString();
        const QJsonObject changes =
            QJsonDocument::fromJson(query.value(6).toString().toUtf8()).object();
        for (auto it = changes.begin(); it != changes.end(); ++it) {
            const QJsonArray values = it.value().toArray();
            entry.changes.push_back(
                {columnName(it.key()), valueOf(values.at(0)), valueOf(values.at(1))});
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

QString historySchemaSql(const db::Dialect &dialect) {
    // The history outlives the table it records (a table dropped and made again keeps it).
    const QString sql = tableSql(dialect, QStringLiteral("IF NOT EXISTS "));
    return dialect.isEmbedded() ? sql : sql + QString::fromLatin1(serverTrigger);
}

QString catalogueSchemaSql(const db::Dialect &dialect) {
    return equipmentSchemaScript(dialect) + QStringLiteral(";\n") + historySchemaSql(dialect);
}

bool historyExists(QSqlDatabase &db) {
    return db::Dialect::of(db).tableExists(db, historyTable);
}

bool addHistory(QSqlDatabase &db) {
    const QString what = QStringLiteral("The history could not be added");
    db::Transaction transaction(db, what);
    if (historyExists(db))
        return false;
    runSchema(db, historySchemaSql(db::Dialect::of(db)), what);
    transaction.commit();
    return true;
}

std::shared_ptr<const db::ChangeRecorder> historyRecorder() {
    static const auto recorder = std::make_shared<const EmbeddedRecorder>();
    return recorder;
}

qint64 recordInsertedRows(QSqlDatabase &db, qint64 keysAbove) {
    if (!embedded(db))
        return 0;
    const QString what = QStringLiteral("The inserted rows could not be recorded in the history");
    runSchema(db, historySchemaSql(db::Dialect::of(db)), what);
    // One statement for all the rows, so that a bulk import pays for its history about what
    // the engine pays for writing the rows. Each column that holds a value adds
    // ,"name":[null,value] as the recorder writes it: a real with 17 digits, which reads
    // back as the same double (the engine's JSON functions keep 15), anything else as
    // json_quote() writes it. The pieces are joined by printf, which builds its text once
    // (a chain of || copies it again for every piece); a function takes at most 127
    // arguments, so the pieces are joined in groups.
    const db::Dialect &dialect = db::Dialect::of(db);
    constexpr int piecesPerGroup = 100;
    auto sqlText = [](QString text) {
        return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) +
               QLatin1Char('\'');
    };
    QStringList groups;
    QStringList pieces;
    const std::vector<db::ColumnInfo> columns = dialect.columns(db, QStringLiteral("Equipment"));
    for (size_t c = 0; c < columns.size(); ++c) {
        const QString &name = columns[c].name;
        if (name.compare(QLatin1String("Number"), Qt::CaseInsensitive) != 0) {
            const QString key = QString::fromUtf8(QJsonDocument(QJsonArray{name})
                                                      .toJson(QJsonDocument::Compact)
                                                      .chopped(1)
                                                      .mid(1))
                                    .replace(QLatin1Char('%'), QStringLiteral("%%"));
            pieces << QStringLiteral("CASE typeof(%1) WHEN 'null' THEN '' WHEN 'real' THEN "
                                     "printf(%2, %1) ELSE printf(%3, json_quote(%1)) END")
                          .arg(dialect.quoted(name),
                               sqlText(QLatin1Char(',') + key + QStringLiteral(":[null,%!.17g]")),
                               sqlText(QLatin1Char(',') + key + QStringLiteral(":[null,%s]")));
        }
        if (pieces.size() == piecesPerGroup || (c + 1 == columns.size() && !pieces.isEmpty())) {
            groups << QStringLiteral("printf('%1', %2)")
                          .arg(QStringLiteral("%s").repeated(pieces.size()),
                               pieces.join(QStringLiteral(", ")));
            pieces.clear();
        }
    }
    // The pieces begin with a comma; the first is dropped.
    const QString changes =
        QStringLiteral("'{' || substr(printf('%1', %2), 2) || '}'")
            .arg(QStringLiteral("%s").repeated(groups.size()), groups.join(QStringLiteral(", ")));
    QSqlQuery insert = db::runStatement(
        db,
        QStringLiteral("INSERT INTO EquipmentHistory (ChangedAt, ChangedBy, Kind, RowKey, Code, "
                       "Changes) SELECT ?, ?, 'insert', Number, Code, %1 FROM Equipment WHERE "
                       "Number > ? ORDER BY Number")
            .arg(changes),
        {utcNow(), osUser(), keysAbove}, what);
    return insert.numRowsAffected();
}

QString HistoryEntry::kindText() const {
    switch (kind) {
    case Kind::Insert:
        return QStringLiteral("inserted");
    case Kind::Delete:
        return QStringLiteral("deleted");
    case Kind::Update:
        break;
    }
    return QStringLiteral("changed");
}

const ColumnChange *HistoryEntry::change(const QString &column) const {
    for (const ColumnChange &c : changes)
        if (c.column.compare(column, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

std::vector<HistoryEntry> rowHistory(QSqlDatabase &db, qint64 key, int limit, qint64 olderThan) {
    QString text = QStringLiteral("WHERE RowKey = ? ");
    QVariantList bound{key};
    if (olderThan > 0) {
        text += QStringLiteral("AND Id < ? ");
        bound << olderThan;
    }
    text += QStringLiteral("ORDER BY Id DESC");
    if (limit > 0)
        text += QStringLiteral(" LIMIT %1").arg(limit);
    return readEntries(db, text, bound);
}

std::vector<HistoryEntry> catalogueHistory(QSqlDatabase &db, const QString &code) {
    if (code.isEmpty())
        return readEntries(db, QStringLiteral("ORDER BY Id"), {});
    return readEntries(db, QStringLiteral("WHERE Code = ? ORDER BY Id"), {code});
}

std::vector<HistoryEntry> deletedRows(QSqlDatabase &db, int limit) {
    // A row is back when its key or its code (unique) is in the table again.
    return readEntries(db,
                       QStringLiteral("WHERE Kind = 'delete' AND NOT EXISTS (SELECT 1 FROM "
                                      "Equipment e WHERE e.Number = h.RowKey OR e.Code = h.Code) "
                                      "ORDER BY Id DESC LIMIT %1")
                           .arg(limit),
                       {});
}

std::optional<HistoryEntry> lastOwnChange(QSqlDatabase &db) {
    std::optional<OwnChange> own;
    if (embedded(db)) {
        QMutexLocker locker(&ownChangesLock);
        if (ownChanges.contains(db.connectionName()))
            own = ownChanges.value(db.connectionName());
    } else {
        QSqlQuery query = db::runStatement(
            db, QStringLiteral("SELECT current_setting('korvandel.last_change', true)"), {},
            QStringLiteral("The history could not be read"));
        bool ok = query.next();
        const qint64 id = ok ? query.value(0).toLongLong(&ok) : 0;
        if (ok)
            own = OwnChange{id, -1};
    }
    if (!own)
        return std::nullopt;
    std::vector<HistoryEntry> entries = readEntries(db, QStringLiteral("WHERE Id = ?"), {own->id});
    if (entries.empty() || (own->key >= 0 && entries.front().key != own->key))
        return std::nullopt;
    return std::move(entries.front());
}

int pruneHistory(QSqlDatabase &db, const QString &before) {
    const QString what = QStringLiteral("The history could not be pruned");
    db::Transaction transaction(db, what);
    QSqlQuery query = db::runStatement(
        db, QStringLiteral("DELETE FROM EquipmentHistory WHERE ChangedAt < ?"), {before}, what);
    const int removed = query.numRowsAffected();
    query.finish();
    transaction.commit();
    return removed;
}

QVariantMap valuesBefore(const std::vector<HistoryEntry> &newestFirst, size_t index) {
    QVariantMap values;
    for (size_t i = 0; i <= index && i < newestFirst.size(); ++i)
        for (const ColumnChange &change : newestFirst[i].changes)
            values.insert(change.column, change.before);
    return values;
}

void restoreValues(db::DataSet &dataSet, const QVariantMap &values) {
    dataSet.edit();
    for (auto it = values.begin(); it != values.end(); ++it)
        if (db::Field *field = dataSet.findField(it.key()))
            field->setValue(it.value());
    dataSet.post();
}

qint64 restoreDeletedRow(QSqlDatabase &db, const HistoryEntry &deleted) {
    const QString what = QStringLiteral("The deleted row could not be restored");
    const db::Dialect &dialect = db::Dialect::of(db);
    db::Transaction transaction(db, what);
    QSqlQuery taken = db::runStatement(
        db, QStringLiteral("SELECT 1 FROM Equipment WHERE Number = ?"), {deleted.key}, what);
    const bool keyFree = !taken.next();
    taken.finish();
    QStringList names;
    QStringList marks;
    QVariantList bound;
    if (keyFree) {
        names << dialect.quoted(QStringLiteral("Number"));
        marks << QStringLiteral("?");
        bound << deleted.key;
    }
    for (const ColumnChange &change : deleted.changes) {
        if (isEmptyValue(change.before))
            continue;
        names << dialect.quoted(change.column);
        marks << QStringLiteral("?");
        bound << change.before;
    }
    QSqlQuery insert =
        db::runStatement(db,
                         QStringLiteral("INSERT INTO Equipment (%1) VALUES (%2) RETURNING Number")
                             .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                         bound, what);
    if (!insert.next())
        throw db::DatabaseError(what);
    const qint64 key = insert.value(0).toLongLong();
    insert.finish();
    if (embedded(db)) {
        const std::vector<db::ColumnInfo> columns =
            dialect.columns(db, QStringLiteral("Equipment"));
        QVariantList after(qsizetype(columns.size()));
        for (size_t c = 0; c < columns.size(); ++c) {
            if (const ColumnChange *change = deleted.change(columns[c].name))
                after[qsizetype(c)] = change->before;
        }
        historyRecorder()->record(db, {db::RowChange::Action::Insert, key, columns,
                                       QVariantList(qsizetype(columns.size())), after});
    }
    transaction.commit();
    return key;
}

} // namespace data

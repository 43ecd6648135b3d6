#include "db/Dialect.h"

#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "db/PostgresDialect.h"
#include "db/SqliteDialect.h"
#include "db/Transaction.h"

#include <QRegularExpression>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>

namespace db {

const Dialect &Dialect::sqlite() {
    static const SqliteDialect dialect;
    return dialect;
}

namespace {

const Dialect &postgres() {
    static const PostgresDialect dialect;
    return dialect;
}

} // namespace

const Dialect &Dialect::forDriver(const QString &driver) {
    static const Dialect plain;
    if (driver.startsWith(QLatin1String("QSQLITE")))
        return sqlite();
    if (driver == QLatin1String("QPSQL"))
        return postgres();
    return plain;
}

const Dialect *Dialect::configured(const QString &engine) {
    const QString name = engine.trimmed().toUpper();
    if (name.isEmpty() || name == QLatin1String("SQLITE"))
        return &sqlite();
    if (name == QLatin1String("PSQL") || name == QLatin1String("POSTGRESQL"))
        return &postgres();
    return nullptr;
}

QString Dialect::qtDriver() const {
    if (this == &sqlite())
        return QStringLiteral("QSQLITE");
    if (this == &postgres())
        return QStringLiteral("QPSQL");
    return {};
}

const Dialect &Dialect::of(const QSqlDatabase &db) {
    return forDriver(db.driverName());
}

QString Dialect::quoted(const QString &identifier) const {
    QString name = storedName(identifier);
    name.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

bool Dialect::tableExists(const QSqlDatabase &db, const QString &table) const {
    return !db.record(storedName(table)).isEmpty();
}

std::vector<ColumnInfo> Dialect::columns(const QSqlDatabase &db, const QString &table) const {
    const QSqlRecord record = db.record(storedName(table));
    std::vector<ColumnInfo> result;
    for (int i = 0; i < record.count(); ++i)
        result.push_back(columnFromSqlField(record.field(i)));
    return result;
}

QString Dialect::keyColumn(const QSqlDatabase &db, const QString &table) const {
    const QSqlIndex primary = db.primaryIndex(storedName(table));
    if (primary.count() == 1 && columnFromSqlField(primary.field(0)).type == FieldType::Integer)
        return primary.fieldName(0);
    return {};
}

bool Dialect::canWrite(QSqlDatabase &db, const QString &table, const QString &key) const {
    if (key.isEmpty())
        return false;
    std::optional<Transaction> probe;
    try {
        probe.emplace(db, QStringLiteral("probe"));
    } catch (const DatabaseError &) {
        return false;
    }
    // A statement the engine must authorise as a write, changing no row; the guard undoes
    // it (only it, when another dataset's transaction is open on the connection).
    return QSqlQuery(db).exec(
        QStringLiteral("UPDATE %1 SET %2 = %2 WHERE 1 = 0").arg(quoted(table), quoted(key)));
}

QString Dialect::readOnlyReason(QSqlDatabase &, const QString &table) const {
    return QStringLiteral("the database does not let you change table %1").arg(table);
}

QString Dialect::caseBlindLike(const QString &column) const {
    return QStringLiteral("LOWER(%1) LIKE LOWER(?)").arg(column);
}

QString Dialect::foldedContains(const QString &column) const {
    return QStringLiteral("%1 LIKE ? ESCAPE %2").arg(caseFolded(column), backslashLiteral());
}

QString Dialect::containsPattern(const QString &text) {
    QString pattern = text.toCaseFolded();
    // The escape character first, so that the ones added below stay single.
    for (const QLatin1String special :
         {QLatin1String("\\"), QLatin1String("%"), QLatin1String("_")})
        pattern.replace(special, QLatin1String("\\") + special);
    return QLatin1Char('%') + pattern + QLatin1Char('%');
}

QString Dialect::caseFolded(const QString &column) const {
    return QStringLiteral("LOWER(%1)").arg(column);
}

QString Dialect::rowLockStatement(const QString &, const QString &) const {
    return {};
}

QString Dialect::connectOptions(const ConnectionTimeouts &) const {
    return {};
}

void Dialect::startSession(QSqlDatabase &, const ConnectionTimeouts &) const {}

bool Dialect::isBusy(const QSqlError &) const {
    return false;
}

bool Dialect::isConnectionLost(const QSqlError &) const {
    return false;
}

void Dialect::createTable(QSqlDatabase &db, const QString &table, const QString &script) const {
    if (!tableExists(db, table))
        AliasRegistry::runScript(db, script);
}

ColumnInfo columnFromSqlField(const QSqlField &field) {
    ColumnInfo info{field.name(), FieldType::String, 0};
    switch (field.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        info.type = FieldType::Integer;
        break;
    case QMetaType::Short:
    case QMetaType::UShort:
        info.type = FieldType::SmallInt;
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        info.type = FieldType::Float;
        break;
    case QMetaType::Bool:
        info.type = FieldType::Boolean;
        break;
    default:
        info.size = field.length() > 0 ? field.length() : 0;
    }
    return info;
}

ColumnInfo columnFromDeclaredType(const QString &name, const QString &declaredType) {
    const QString type = declaredType.toUpper();
    ColumnInfo info{name, FieldType::String, 0};
    if (type.contains(QLatin1String("BOOL")))
        info.type = FieldType::Boolean;
    else if (type.contains(QLatin1String("SMALLINT")) || type.contains(QLatin1String("TINYINT")))
        info.type = FieldType::SmallInt;
    else if (type.contains(QLatin1String("INT")))
        info.type = FieldType::Integer;
    else if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) ||
             type.contains(QLatin1String("DOUB")) || type.contains(QLatin1String("NUMERIC")) ||
             type.contains(QLatin1String("DECIMAL")))
        info.type = FieldType::Float;
    else {
        static const QRegularExpression length(QStringLiteral(R"(\(\s*(\d+)\s*\))"));
        const QRegularExpressionMatch match = length.match(type);
        if (match.hasMatch())
            info.size = match.captured(1).toInt();
    }
    return info;
}

QString errorText(const QSqlError &error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    // A server adds the statement, a pointer and hints on further lines, and its severity
    // in front: the first line without it is the reason.
    text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    for (const QLatin1String severity : {QLatin1String("ERROR:"), QLatin1String("FATAL:")})
        if (text.startsWith(severity))
            text = text.mid(severity.size()).trimmed();
    return text;
}

QString Dialect::changeCounterStatement(const QString &table) const {
    return QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(table));
}

} // namespace db

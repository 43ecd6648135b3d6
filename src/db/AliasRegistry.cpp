#include "db/AliasRegistry.h"

#include "db/DatabaseError.h"
#include "db/Dialect.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace db {

namespace {

// Error numbers reported when the engine cannot start.
constexpr int unknownDriverError = 0x2101;
constexpr int driverNotLoadedError = 0x2102;

QHash<QString, AliasRegistry::SchemaScript> &defaultSchemas() {
    static QHash<QString, AliasRegistry::SchemaScript> schemas;
    return schemas;
}

// The timeouts each open alias was configured with, kept for reopening it.
QHash<QString, ConnectionTimeouts> &aliasTimeouts() {
    static QHash<QString, ConnectionTimeouts> timeouts;
    return timeouts;
}

QString &configOverride() {
    static QString path;
    return path;
}

[[noreturn]] void engineError(int code) {
    throw DatabaseError(
        QString::fromLatin1(msg::engineInit).arg(QString::asprintf("%.4x", unsigned(code))));
}

QString qtDriverName(const QString &configured) {
    const QString name = configured.trimmed().toUpper();
    if (name.isEmpty() || name == QLatin1String("SQLITE"))
        return QStringLiteral("QSQLITE");
    if (name == QLatin1String("PSQL") || name == QLatin1String("POSTGRESQL"))
        return QStringLiteral("QPSQL");
    engineError(unknownDriverError);
}

QSqlDatabase addConnection(const QString &alias, const QString &driver) {
    if (!QSqlDatabase::isDriverAvailable(driver))
        engineError(driverNotLoadedError);
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, alias);
    if (!db.isValid()) {
        QSqlDatabase::removeDatabase(alias);
        engineError(driverNotLoadedError);
    }
    return db;
}

void openOrThrow(QSqlDatabase &db, const QString &alias, const ConnectionTimeouts &timeouts) {
    aliasTimeouts().insert(alias, timeouts);
    const Dialect &dialect = Dialect::of(db);
    db.setConnectOptions(dialect.connectOptions(timeouts));
    if (db.open()) {
        try {
            dialect.startSession(db, timeouts);
            return;
        } catch (const DatabaseError &) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(alias);
            throw;
        }
    }
    const QString reason = db.lastError().text().trimmed();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(alias);
    throw DatabaseError(QStringLiteral("Cannot open database '%1': %2").arg(alias, reason));
}

// Timeouts of a configured alias, in seconds in the file.
ConnectionTimeouts timeoutsOf(const QSettings &settings) {
    ConnectionTimeouts timeouts;
    timeouts.connectSeconds =
        settings.value(QStringLiteral("ConnectTimeout"), timeouts.connectSeconds).toInt();
    timeouts.lockMilliseconds =
        qRound(settings.value(QStringLiteral("LockTimeout"), timeouts.lockMilliseconds / 1000.0)
                   .toDouble() *
               1000);
    return timeouts;
}

// Splits a script at the semicolons that end statements (not those inside quotes);
// "--" comments are dropped.
QStringList statements(const QString &script) {
    QStringList result;
    QString current;
    QChar quote;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        if (quote.isNull() && c == QLatin1Char('-') && script.mid(i, 2) == QLatin1String("--")) {
            const qsizetype end = script.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? script.size() : end;
            current += QLatin1Char('\n');
            continue;
        }
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                result << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        result << current.trimmed();
    return result;
}

} // namespace

QString AliasRegistry::configFile() {
    if (!configOverride().isEmpty())
        return configOverride();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/korvandel/databases.ini");
}

void AliasRegistry::setConfigFile(const QString &path) {
    configOverride() = path;
}

void AliasRegistry::setDefaultSchema(const QString &alias, const SchemaScript &script) {
    defaultSchemas().insert(alias.toLower(), script);
}

void AliasRegistry::setDefaultSchema(const QString &alias, const QString &script) {
    setDefaultSchema(alias, [script](const Dialect &) { return script; });
}

QSqlDatabase AliasRegistry::database(const QString &alias) {
    if (QSqlDatabase::contains(alias)) {
        QSqlDatabase db = QSqlDatabase::database(alias, false);
        if (db.isOpen())
            return db;
        openOrThrow(db, alias, aliasTimeouts().value(alias));
        return db;
    }

    QSettings settings(configFile(), QSettings::IniFormat);
    const bool configured = settings.childGroups().contains(alias, Qt::CaseInsensitive);
    if (configured) {
        for (const QString &group : settings.childGroups())
            if (group.compare(alias, Qt::CaseInsensitive) == 0)
                settings.beginGroup(group);
        const QString driver = qtDriverName(settings.value(QStringLiteral("Driver")).toString());
        QSqlDatabase db = addConnection(alias, driver);
        if (driver == QLatin1String("QSQLITE")) {
            const QString path = settings.value(QStringLiteral("Path")).toString();
            if (path.isEmpty() || !QFileInfo::exists(path)) {
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(alias);
                throw DatabaseError(
                    QStringLiteral("The database file '%1' of alias '%2' does not exist")
                        .arg(path, alias));
            }
            db.setDatabaseName(path);
        } else {
            db.setHostName(settings.value(QStringLiteral("Host")).toString());
            db.setPort(settings.value(QStringLiteral("Port"), -1).toInt());
            db.setDatabaseName(settings.value(QStringLiteral("Database")).toString());
            db.setUserName(settings.value(QStringLiteral("User")).toString());
            db.setPassword(settings.value(QStringLiteral("Password")).toString());
        }
        openOrThrow(db, alias, timeoutsOf(settings));
        return db;
    }

    // The embedded default: <alias>.sqlite in the working directory. An empty file (a
    // first start that was cut short) is given the schema like a missing one.
    const QString path = alias + QStringLiteral(".sqlite");
    const QFileInfo file(path);
    const bool existed = file.exists() && file.size() > 0;
    QSqlDatabase db = addConnection(alias, QStringLiteral("QSQLITE"));
    db.setDatabaseName(path);
    openOrThrow(db, alias, ConnectionTimeouts());
    if (!existed) {
        const SchemaScript schema = defaultSchemas().value(alias.toLower());
        try {
            if (schema)
                runScript(db, schema(Dialect::of(db)));
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(alias);
            QFile::remove(path);
            throw;
        }
    }
    return db;
}

void AliasRegistry::closeAll() {
    for (const QString &name : QSqlDatabase::connectionNames()) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
}

void AliasRegistry::runScript(QSqlDatabase &db, const QString &script) {
    const bool transaction = db.transaction();
    for (const QString &statement : statements(script)) {
        QSqlQuery query(db);
        if (!query.exec(statement)) {
            const QString reason = query.lastError().text().trimmed();
            if (transaction)
                db.rollback();
            throw DatabaseError(QStringLiteral("The statement failed: %1").arg(reason));
        }
    }
    if (transaction && !db.commit()) {
        const QString reason = db.lastError().text().trimmed();
        db.rollback();
        throw DatabaseError(QStringLiteral("The script could not be committed: %1").arg(reason));
    }
}

} // namespace db

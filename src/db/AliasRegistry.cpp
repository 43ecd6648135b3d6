#include "db/AliasRegistry.h"

#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/ServerDeadline.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <cmath>

namespace db {

namespace {

// Error numbers reported when the engine cannot start.
constexpr int unknownDriverError = 0x2101;
constexpr int driverNotLoadedError = 0x2102;

struct DefaultSchema {
    AliasRegistry::SchemaScript script;
    QString table; // the table the script makes; empty: only for new embedded files
};

QHash<QString, DefaultSchema> &defaultSchemas() {
    static QHash<QString, DefaultSchema> schemas;
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

const Dialect &configuredEngine(const QString &name) {
    if (const Dialect *engine = Dialect::configured(name))
        return *engine;
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

// While a server connection holds a transaction (an edit's row lock), a trivial statement
// now and then shows the server that this editor is alive.
void keepSessionsBusy() {
    for (const QString &name : QSqlDatabase::connectionNames()) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (!db.isOpen() || !Transaction::isOpen(db) ||
            Dialect::of(db).heartbeatSeconds(aliasTimeouts().value(name)) <= 0)
            continue;
        const ServerDeadline deadline(db);
        QSqlQuery(db).exec(QStringLiteral("SELECT 1"));
    }
}

// Runs keepSessionsBusy at least this often, on the application's thread.
void startHeartbeat(int seconds) {
    QCoreApplication *application = QCoreApplication::instance();
    if (seconds <= 0 || !application || QThread::currentThread() != application->thread())
        return;
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(application);
        QObject::connect(timer, &QTimer::timeout, keepSessionsBusy);
        timer->start(seconds * 1000);
    } else if (timer->interval() > seconds * 1000) {
        timer->setInterval(seconds * 1000);
    }
}

// Opens the connection and starts its session; false with the reason when it cannot.
bool openSession(QSqlDatabase &db, const ConnectionTimeouts &timeouts, QString *reason) {
    const Dialect &dialect = Dialect::of(db);
    db.setConnectOptions(dialect.connectOptions(timeouts));
    if (!db.open()) {
        *reason = db.lastError().text().trimmed();
        return false;
    }
    try {
        dialect.startSession(db, timeouts);
    } catch (const DatabaseError &error) {
        db.close();
        *reason = error.message();
        return false;
    }
    startHeartbeat(dialect.heartbeatSeconds(timeouts));
    return true;
}

void forget(QSqlDatabase &db, const QString &alias) {
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(alias);
}

[[noreturn]] void cannotOpen(QSqlDatabase &db, const QString &alias, const QString &reason) {
    forget(db, alias);
    throw DatabaseError(QStringLiteral("Cannot open database '%1': %2").arg(alias, reason));
}

void openOrThrow(QSqlDatabase &db, const QString &alias, const ConnectionTimeouts &timeouts) {
    aliasTimeouts().insert(alias, timeouts);
    QString reason;
    if (!openSession(db, timeouts, &reason))
        cannotOpen(db, alias, reason);
}

AliasRegistry::LoginPrompt &loginPrompt() {
    static AliasRegistry::LoginPrompt prompt;
    return prompt;
}

// The server wants a password that neither the alias nor libpq's password file gave.
bool wantsPassword(const QString &reason) {
    return reason.contains(QLatin1String("no password supplied")) ||
           reason.contains(QLatin1String("password authentication failed"));
}

// Opens a server connection; when the alias names no password and the server asks for
// one, the login prompt asks the user (again after a refused password). Cancel, or no
// prompt at all, fails the open.
void openWithLogin(QSqlDatabase &db, const QString &alias, const ConnectionTimeouts &timeouts,
                   bool passwordConfigured) {
    aliasTimeouts().insert(alias, timeouts);
    QString reason;
    constexpr int attempts = 3;
    for (int attempt = 0; !openSession(db, timeouts, &reason); ++attempt) {
        if (passwordConfigured || !wantsPassword(reason) || !loginPrompt() || attempt == attempts)
            cannotOpen(db, alias, reason);
        const std::optional<AliasRegistry::Login> login =
            loginPrompt()({db.databaseName(), db.userName(), attempt > 0 ? reason : QString()});
        if (!login) {
            forget(db, alias);
            throw DatabaseError(
                QStringLiteral("Cannot open database '%1': the login was cancelled").arg(alias));
        }
        db.setUserName(login->user);
        db.setPassword(login->password);
    }
}

AliasRegistry::WarningNotice &warningNotice() {
    static AliasRegistry::WarningNotice notice;
    return notice;
}

void warn(const QString &text) {
    if (warningNotice())
        warningNotice()(text);
    else
        qWarning("%s", qPrintable(text));
}

// A number of seconds as the file gives it ("5", "0.5"); nothing for any other text.
std::optional<double> secondsOf(const QVariant &value) {
    bool ok = false;
    const double seconds = value.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    return seconds;
}

// One timeout of an alias in seconds; a value that is not a number of seconds is reported
// and the default used.
double timeoutOf(const QSettings &settings, const QString &alias, const QString &key,
                 double fallback) {
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return fallback;
    if (const std::optional<double> seconds = secondsOf(value))
        return *seconds;
    warn(QStringLiteral("%1=%2 of database alias '%3' is not a number of seconds; %4 seconds "
                        "are used")
             .arg(key, value.toString(), alias)
             .arg(fallback));
    return fallback;
}

// Timeouts of a configured alias, in seconds in the file.
ConnectionTimeouts timeoutsOf(const QSettings &settings, const QString &alias) {
    ConnectionTimeouts timeouts;
    // libpq counts whole seconds, and a connect timeout of 0 would mean "wait for ever".
    timeouts.connectSeconds =
        std::max(1, int(std::ceil(timeoutOf(settings, alias, QStringLiteral("ConnectTimeout"),
                                            timeouts.connectSeconds))));
    timeouts.lockMilliseconds =
        int(std::lround(timeoutOf(settings, alias, QStringLiteral("LockTimeout"),
                                  timeouts.lockMilliseconds / 1000.0) *
                        1000));
    timeouts.deadServerSeconds =
        std::max(1, int(std::ceil(timeoutOf(settings, alias, QStringLiteral("DeadServerTimeout"),
                                            timeouts.deadServerSeconds))));
    return timeouts;
}

// libpq refuses a password file that others can read; a configuration holding passwords
// is told about once.
void checkPasswordFile(const QSettings &settings) {
    static QSet<QString> warned;
    const QString path = settings.fileName();
    const QFileInfo file(path);
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!(file.permissions() & others) || warned.contains(path))
        return;
    for (const QString &key : settings.allKeys())
        if (key.section(QLatin1Char('/'), -1)
                .compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0) {
            warned.insert(path);
            warn(QStringLiteral("The database settings file %1 holds a password and other users "
                                "can read it; make it readable only by you (chmod 600 %1)")
                     .arg(QDir::toNativeSeparators(path)));
            return;
        }
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

void AliasRegistry::setDefaultSchema(const QString &alias, const SchemaScript &script,
                                     const QString &table) {
    defaultSchemas().insert(alias.toLower(), {script, table});
}

void AliasRegistry::setLoginPrompt(const LoginPrompt &prompt) {
    loginPrompt() = prompt;
}

void AliasRegistry::setWarningNotice(const WarningNotice &notice) {
    warningNotice() = notice;
}

QStringList AliasRegistry::splitScript(const QString &script) {
    return statements(script);
}

ConnectionTimeouts AliasRegistry::timeouts(const QSqlDatabase &db) {
    return aliasTimeouts().value(db.connectionName());
}

void AliasRegistry::reopen(QSqlDatabase &db) {
    Transaction::connectionReset(db);
    db.close();
    QString reason;
    if (!openSession(db, aliasTimeouts().value(db.connectionName()), &reason))
        throw DatabaseError(
            QStringLiteral("The connection to the database was lost and cannot be opened again: %1")
                .arg(reason));
}

void AliasRegistry::setDefaultSchema(const QString &alias, const QString &script) {
    setDefaultSchema(alias, [script](const Dialect &) { return script; });
}

QSqlDatabase AliasRegistry::database(const QString &alias) {
    if (QSqlDatabase::contains(alias)) {
        QSqlDatabase db = QSqlDatabase::database(alias, false);
        if (!db.isOpen()) {
            openOrThrow(db, alias, aliasTimeouts().value(alias));
            return db;
        }
        // A server that restarted or ended the session leaves the connection open on this
        // side: every open begins on a connection that reaches its database.
        if (!Dialect::of(db).isAlive(db))
            reopen(db);
        return db;
    }

    QSettings settings(configFile(), QSettings::IniFormat);
    checkPasswordFile(settings);
    const bool configured = settings.childGroups().contains(alias, Qt::CaseInsensitive);
    if (configured) {
        for (const QString &group : settings.childGroups())
            if (group.compare(alias, Qt::CaseInsensitive) == 0)
                settings.beginGroup(group);
        const Dialect &engine =
            configuredEngine(settings.value(QStringLiteral("Driver")).toString());
        QSqlDatabase db = addConnection(alias, engine.qtDriver());
        if (engine.isEmbedded()) {
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
        const bool passwordGiven = !db.password().isEmpty() || engine.isEmbedded();
        openWithLogin(db, alias, timeoutsOf(settings, alias), passwordGiven);
        // A server database is shared and made once: it gets the schema the first time any
        // editor reaches it, in one transaction.
        const DefaultSchema schema = defaultSchemas().value(alias.toLower());
        if (!engine.isEmbedded() && schema.script && !schema.table.isEmpty()) {
            try {
                const Dialect &dialect = Dialect::of(db);
                dialect.createTable(db, schema.table, schema.script(dialect));
            } catch (...) {
                forget(db, alias);
                throw;
            }
        }
        return db;
    }

    // The embedded default: <alias>.sqlite in the working directory. An empty file (a
    // first start that was cut short) is given the schema like a missing one.
    const QString path = alias + QStringLiteral(".sqlite");
    const QFileInfo file(path);
    const bool existed = file.exists() && file.size() > 0;
    QSqlDatabase db = addConnection(alias, Dialect::sqlite().qtDriver());
    db.setDatabaseName(path);
    openOrThrow(db, alias, ConnectionTimeouts());
    if (!existed) {
        const SchemaScript schema = defaultSchemas().value(alias.toLower()).script;
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
            Transaction::connectionReset(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
}

void AliasRegistry::runScript(QSqlDatabase &db, const QString &script) {
    Transaction transaction(db, QStringLiteral("The script could not be run"));
    for (const QString &statement : statements(script)) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw DatabaseError(
                QStringLiteral("The statement failed: %1").arg(query.lastError().text().trimmed()));
    }
    transaction.commit();
}

} // namespace db

#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <optional>

namespace db {

class Dialect;
struct ConnectionTimeouts;

// Resolves a database alias to a Qt SQL connection.
//
// Aliases are configured in the engine's own file, databases.ini in the user's
// configuration folder (XDG: ~/.config/korvandel/databases.ini), one section per alias:
//   [VantrelDB]
//   Driver=SQLITE            ; or PSQL
//   Path=catalogue.sqlite    ; SQLite file, relative to the working directory
//   Host=..., Port=..., Database=..., User=..., Password=...   ; PSQL
//   ConnectTimeout=10        ; seconds to reach a server
//   LockTimeout=5            ; seconds to wait for a row or file another program holds
//                            ; (0: do not wait; fractions allowed)
//   DeadServerTimeout=15     ; seconds after which a server that stopped answering is
//                            ; taken as gone
// A value that is not a number is reported once, when the alias opens, and its default used.
// An alias without configuration resolves to the embedded default: the SQLite file
// "<alias>.sqlite" in the working directory, created with the alias's default schema
// when it does not exist yet.
class AliasRegistry {
public:
    // The open connection for the alias (opened on first use). Throws DatabaseError.
    static QSqlDatabase database(const QString &alias);
    // Closes and forgets every connection (tests, end of program).
    static void closeAll();

    // SQL script that creates an embedded default database for the alias, written for the
    // engine of the connection it will run on.
    // A configured server database that lacks the table given here gets it the first time it
    // is reached (the embedded file gets it when the file is made).
    using SchemaScript = std::function<QString(const Dialect &)>;
    static void setDefaultSchema(const QString &alias, const SchemaScript &script,
                                 const QString &table = QString());
    static void setDefaultSchema(const QString &alias, const QString &script);
    // Overrides the configuration file (tests); empty restores the user's file.
    static void setConfigFile(const QString &path);
    static QString configFile();

    // Runs a script of ';'-separated statements in one transaction. Throws DatabaseError.
    static void runScript(QSqlDatabase &db, const QString &script);
    // The statements of such a script.
    static QStringList splitScript(const QString &script);

    // The timeouts a connection was opened with.
    static ConnectionTimeouts timeouts(const QSqlDatabase &db);

    // Opens a connection again whose server dropped it (same settings and login). Throws
    // DatabaseError; the connection stays registered, closed, for a later try.
    static void reopen(QSqlDatabase &db);

    // Asks the user for a login when a server wants a password that the alias does not give
    // and libpq finds none (~/.pgpass). Returns nothing when the user cancels. The editor
    // installs a dialog; without a prompt such an open fails with the server's reason.
    struct LoginRequest {
        QString database;
        QString user;   // as configured, may be empty
        QString reason; // why the previous attempt failed; empty on the first
    };
    struct Login {
        QString user;
        QString password;
    };
    using LoginPrompt = std::function<std::optional<Login>(const LoginRequest &)>;
    static void setLoginPrompt(const LoginPrompt &prompt);

    // Shows a warning about the configuration (a setting that is not understood, a password
    // others can read); the open goes on. Without a notice the warning is logged.
    using WarningNotice = std::function<void(const QString &text)>;
    static void setWarningNotice(const WarningNotice &notice);
};

} // namespace db

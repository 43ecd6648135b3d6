#pragma once

#include <QSqlDatabase>
#include <QString>

namespace db {

// One transaction on one connection, as a scope: begun by the constructor, committed only
// by commit(), rolled back by the destructor otherwise. The connection is shared by every
// dataset and tool of its alias, so the guard knows whether the connection already has a
// transaction: the first guard on a connection owns the transaction (BEGIN ... COMMIT or
// ROLLBACK); a guard opened inside it is a savepoint, so that its failure or probe undoes
// only its own statements and never ends the outer owner's transaction (a row lock held
// by an edit, for instance).
class Transaction {
public:
    enum class Mode {
        Write, // takes the engine's write lock at once where it would otherwise upgrade later
        Read,  // an ordinary transaction
    };
    // Throws EngineError("<what>: <engine's reason>") when the engine refuses to begin.
    Transaction(QSqlDatabase db, const QString &what, Mode mode = Mode::Write);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Makes the guarded statements permanent (or, for a savepoint, part of the outer
    // transaction). A transaction the engine aborted on its own (a failed statement inside
    // it) is not committed but reported: a server turns such a COMMIT silently into a
    // ROLLBACK. Throws DatabaseError; the transaction is rolled back then.
    void commit();

    // Whether this guard began the connection's transaction (false: a savepoint in it).
    bool ownsTransaction() const { return m_level == 0; }
    // Neither committed nor rolled back, and its connection not reset since it began.
    bool isActive() const;
    QSqlDatabase database() const { return m_db; }

    // Whether the connection has a transaction begun by a guard.
    static bool isOpen(const QSqlDatabase &db);
    // The server dropped the connection, and every transaction on it with it: guards still
    // alive end without touching the reopened connection.
    static void connectionReset(const QSqlDatabase &db);

private:
    // Rolls back what the guard began (the transaction, or its savepoint).
    void abandon();

    QSqlDatabase m_db;
    QString m_what;
    int m_level = 0;
    quint64 m_generation = 0;
    bool m_done = false;
};

} // namespace db

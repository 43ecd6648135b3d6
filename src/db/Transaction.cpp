#include "db/Transaction.h"

#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/ServerDeadline.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace db {

namespace {

// What the guards know of each connection, by connection name. Connections live on the
// GUI thread (the tool has only one thread), so this needs no lock.
struct ConnectionState {
    int depth = 0;          // guards alive on the connection
    quint64 generation = 0; // increases each time the connection is reset
};

QHash<QString, ConnectionState> &states() {
    static QHash<QString, ConnectionState> map;
    return map;
}

QString savepointName(int level) {
    return QStringLiteral("korvandel_%1").arg(level);
}

} // namespace

Transaction::Transaction(QSqlDatabase db, const QString &what, Mode mode)
    : m_db(std::move(db)), m_what(what) {
    ConnectionState &state = states()[m_db.connectionName()];
    m_level = state.depth;
    m_generation = state.generation;
    QString begin;
    if (m_level > 0)
        begin = QStringLiteral("SAVEPOINT ") + savepointName(m_level);
    else if (mode == Mode::Write)
        begin = Dialect::of(m_db).beginWriteStatement();
    else
        begin = QStringLiteral("BEGIN");
    const ServerDeadline deadline(m_db);
    QSqlQuery query(m_db);
    if (!query.exec(begin))
        throw EngineError(
            m_what + QStringLiteral(": ") +
                (deadline.expired() ? deadline.silenceText() : errorText(query.lastError())),
            query.lastError());
    ++state.depth;
}

Transaction::~Transaction() {
    if (!m_done)
        abandon();
}

bool Transaction::isActive() const {
    return !m_done && states().value(m_db.connectionName()).generation == m_generation;
}

bool Transaction::isOpen(const QSqlDatabase &db) {
    return states().value(db.connectionName()).depth > 0;
}

void Transaction::connectionReset(const QSqlDatabase &db) {
    ConnectionState &state = states()[db.connectionName()];
    state.depth = 0;
    ++state.generation;
}

void Transaction::commit() {
    if (m_done)
        return;
    const Dialect &dialect = Dialect::of(m_db);
    const ServerDeadline deadline(m_db);
    if (dialect.transactionAborted(m_db)) {
        abandon();
        throw DatabaseError(m_what +
                            QStringLiteral(": the database cancelled the transaction after "
                                           "an earlier statement failed; nothing was stored"));
    }
    QSqlQuery query(m_db);
    const QString statement = m_level > 0
                                  ? QStringLiteral("RELEASE SAVEPOINT ") + savepointName(m_level)
                                  : QStringLiteral("COMMIT");
    if (!query.exec(statement)) {
        const QSqlError error = query.lastError();
        abandon();
        throw EngineError(m_what + QStringLiteral(": ") +
                              (deadline.expired() ? deadline.silenceText() : errorText(error)),
                          error);
    }
    m_done = true;
    states()[m_db.connectionName()].depth = m_level;
}

void Transaction::abandon() {
    m_done = true;
    ConnectionState &state = states()[m_db.connectionName()];
    // A reset connection lost the transaction already; its new session has none of ours.
    if (state.generation != m_generation)
        return;
    const ServerDeadline deadline(m_db);
    QSqlQuery query(m_db);
    if (m_level > 0) {
        query.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepointName(m_level));
        query.exec(QStringLiteral("RELEASE SAVEPOINT ") + savepointName(m_level));
    } else {
        query.exec(QStringLiteral("ROLLBACK"));
    }
    state.depth = m_level;
}

} // namespace db

#pragma once

#include <QSqlDatabase>
#include <QtGlobal>

namespace db {

// Bounds one exchange with a database server on the calling thread. When the server has
// not answered by the deadline (a stopped server, a network gone without a word), the
// connection's socket is shut down, so that the waiting statement fails at once as a lost
// connection instead of waiting for ever; the next operation opens the connection again.
// The deadline is the connection's statement bound (reaching the server plus waiting for a
// lock) and a few seconds of grace, so the server's own statement timeout speaks first
// whenever the server still answers. Connections without a server socket are not bounded
// here (an embedded engine's waits are its busy timeout).
class ServerDeadline {
public:
    explicit ServerDeadline(const QSqlDatabase &db);
    ~ServerDeadline();
    ServerDeadline(const ServerDeadline &) = delete;
    ServerDeadline &operator=(const ServerDeadline &) = delete;

    // Whether the deadline passed and the connection was cut.
    bool expired() const;
    // The message for a statement the deadline cut.
    QString silenceText() const;

private:
    quint64 m_ticket = 0;
    int m_milliseconds = 0;
};

} // namespace db

#include "db/ServerDeadline.h"

#include "db/AliasRegistry.h"
#include "db/Dialect.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <thread>

namespace db {

namespace {

// Grace beyond the statement bound, for the server's own timeout to arrive first.
constexpr int graceMilliseconds = 3000;

using Clock = std::chrono::steady_clock;

// One thread for the process that cuts the sockets of exchanges past their deadline.
class Watchdog {
public:
    static Watchdog &instance() {
        static Watchdog watchdog;
        return watchdog;
    }
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    quint64 arm(int socket, int milliseconds) {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        const quint64 ticket = ++m_lastTicket;
        m_armed.emplace(ticket,
                        Entry{Clock::now() + std::chrono::milliseconds(milliseconds), socket});
        m_wake.notify_all();
        return ticket;
    }
    // Ends the watch; true when the deadline had passed and the socket was cut.
    bool disarm(quint64 ticket) {
        std::lock_guard lock(m_mutex);
        const auto it = m_armed.find(ticket);
        if (it == m_armed.end())
            return false;
        const bool cut = it->second.cut;
        m_armed.erase(it);
        return cut;
    }
    bool isCut(quint64 ticket) {
        std::lock_guard lock(m_mutex);
        const auto it = m_armed.find(ticket);
        return it != m_armed.end() && it->second.cut;
    }

private:
    struct Entry {
        Clock::time_point deadline;
        int socket;
        bool cut = false;
    };

    void run() {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            auto next = Clock::time_point::max();
            const auto now = Clock::now();
            for (auto &[ticket, entry] : m_armed) {
                if (entry.cut)
                    continue;
                if (entry.deadline <= now) {
                    // The owner is blocked in the exchange and the socket stays its own until
                    // it disarms (under this lock): shutting it down wakes the owner with an
                    // end of connection.
                    ::shutdown(entry.socket, SHUT_RDWR);
                    entry.cut = true;
                } else {
                    next = std::min(next, entry.deadline);
                }
            }
            if (next == Clock::time_point::max())
                m_wake.wait(lock);
            else
                m_wake.wait_until(lock, next);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    std::map<quint64, Entry> m_armed;
    quint64 m_lastTicket = 0;
    bool m_stopping = false;
};

} // namespace

ServerDeadline::ServerDeadline(const QSqlDatabase &db) {
    const int socket = Dialect::of(db).serverSocket(db);
    if (socket < 0)
        return;
    const ConnectionTimeouts timeouts = AliasRegistry::timeouts(db);
    m_milliseconds = Dialect::of(db).statementMilliseconds(timeouts) + graceMilliseconds;
    m_ticket = Watchdog::instance().arm(socket, m_milliseconds);
}

ServerDeadline::~ServerDeadline() {
    if (m_ticket)
        Watchdog::instance().disarm(m_ticket);
}

bool ServerDeadline::expired() const {
    return m_ticket && Watchdog::instance().isCut(m_ticket);
}

QString ServerDeadline::silenceText() const {
    return QStringLiteral("the database server did not answer within %1 seconds")
        .arg((m_milliseconds + 999) / 1000);
}

} // namespace db

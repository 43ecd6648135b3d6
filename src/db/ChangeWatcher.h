#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QThread;

namespace db {

class KeyedTable;

// The rows that other sessions wrote: their keys, or every row when the engine does not
// say which.
struct TableChanges {
    bool all = false;
    std::set<qint64> keys;

    bool none() const { return !all && keys.empty(); }
    bool touches(qint64 key) const { return all || keys.count(key) > 0; }
    void merge(const TableChanges &more);
};

// Learns, on the GUI thread and while it is idle, that other sessions wrote a table.
// Where the table announces its writes (a server's notices), the announced keys arrive on a
// listening connection of the watcher's own, which is opened again when the server drops
// it. Otherwise a cheap counter is read every tick (the embedded engine's data version, on
// the result's own connection) or every fourth tick (a server table without announcements,
// on the watcher's connection), and the client is told once that changes are looked for.
// Changes that arrive close together are handed over together.
class ChangeWatcher : public QObject {
    Q_OBJECT
public:
    struct Client {
        std::function<void(const TableChanges &)> changed;
        // The result's whole key list, read again (see readKeys).
        std::function<void(std::vector<qint64>)> keysRead;
        // Called every tick: changes the client put off can be taken now.
        std::function<void()> idle;
        std::function<void(const QString &)> notice;
    };
    static constexpr int tickMilliseconds = 250;

    ChangeWatcher(std::shared_ptr<const KeyedTable> table, Client client);
    ~ChangeWatcher() override;

    // Reads the result's key list again on a connection of its own in another thread, so
    // that a long list never holds up the GUI thread. Asked again while a read runs, it
    // reads once more after that read.
    void readKeys();
    // Whether the table's writes arrive as announcements (else they are polled).
    bool listening() const { return m_listening; }

private:
    void tick();
    void connectOwn();
    void poll();
    void notified(const QString &name, QSqlDriver::NotificationSource source,
                  const QVariant &payload);
    void keysArrived(std::optional<std::vector<qint64>> keys);
    void hand();

    std::shared_ptr<const KeyedTable> m_table;
    Client m_client;
    QTimer m_ticker;
    QTimer m_soon; // gathers announcements that arrive close together
    bool m_ownConnection = false;
    QSqlDatabase m_db; // the counter's or the listener's connection
    bool m_listening = false;
    bool m_pollNoticeGiven = false;
    std::optional<QVariant> m_counter;
    int m_ticks = 0;
    TableChanges m_changes;
    QThread *m_reader = nullptr;
    bool m_readAgain = false;
};

} // namespace db

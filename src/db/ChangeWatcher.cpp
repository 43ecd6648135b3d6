#include "db/ChangeWatcher.h"

#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/KeyedTable.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <atomic>
#include <utility>

namespace db {

namespace {

// Above this many announced rows, the whole key list is read again instead.
constexpr size_t mostKeys = 1000;
// Announcements that arrive within this time are handed over together.
constexpr int gatherMilliseconds = 100;
// A server connection is checked, or its counter read, every this many ticks.
constexpr int serverTicks = 4;

QString connectionName(const QSqlDatabase &of, const QString &what) {
    static std::atomic<int> serial{0};
    return QStringLiteral("%1#%2%3").arg(of.connectionName(), what).arg(++serial);
}

} // namespace

void TableChanges::merge(const TableChanges &more) {
    all = all || more.all;
    if (all)
        keys.clear();
    else
        keys.insert(more.keys.begin(), more.keys.end());
}

ChangeWatcher::ChangeWatcher(std::shared_ptr<const KeyedTable> table, Client client)
    : m_table(std::move(table)), m_client(std::move(client)) {
    const KeyedTable::Source &source = m_table->source();
    m_ownConnection =
        !m_table->dialect().changeNoticeStatements(source.table, source.keyColumn).isEmpty();
    m_soon.setSingleShot(true);
    m_soon.setInterval(gatherMilliseconds);
    connect(&m_soon, &QTimer::timeout, this, &ChangeWatcher::hand);
    m_ticker.setInterval(tickMilliseconds);
    connect(&m_ticker, &QTimer::timeout, this, &ChangeWatcher::tick);
    m_ticker.start();
    // The starting point is taken now: a write right after the open counts.
    try {
        if (m_ownConnection) {
            connectOwn();
        } else {
            m_db = m_table->database();
            poll();
        }
    } catch (const DatabaseError &) {
        // The ticks try again.
    }
}

ChangeWatcher::~ChangeWatcher() {
    if (m_reader) {
        m_reader->wait();
        delete m_reader;
    }
    if (m_ownConnection && m_db.isValid()) {
        const QString name = m_db.connectionName();
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
}

void ChangeWatcher::tick() {
    ++m_ticks;
    try {
        if (!m_ownConnection)
            poll();
        else if (!m_db.isOpen())
            connectOwn();
        else if (m_ticks % serverTicks == 0 && !m_listening)
            poll();
        else if (m_ticks % serverTicks == 0 && !m_table->dialect().isAlive(m_db))
            connectOwn();
    } catch (const DatabaseError &) {
        // The server is away: the next ticks try again.
    }
    hand();
    if (m_client.idle)
        m_client.idle();
}

void ChangeWatcher::connectOwn() {
    // A connection that was open before missed what was written while it was away.
    const bool again = m_db.isValid();
    if (!again)
        m_db = QSqlDatabase::cloneDatabase(m_table->database(),
                                           connectionName(m_table->database(), "changes"));
    m_db.close();
    if (!m_db.open())
        throw EngineError(errorText(m_db.lastError()), m_db.lastError());
    const Dialect &dialect = m_table->dialect();
    dialect.startSession(m_db, {});
    m_listening = dialect.announcesChanges(m_db, m_table->source().table);
    if (m_listening) {
        QSqlDriver *driver = m_db.driver();
        connect(driver, &QSqlDriver::notification, this, &ChangeWatcher::notified,
                Qt::UniqueConnection);
        m_listening = driver->subscribeToNotification(QLatin1String(changeChannel));
    }
    m_counter.reset();
    if (!m_listening) {
        poll();
        if (!m_pollNoticeGiven && m_client.notice)
            m_client.notice(QStringLiteral("This catalogue does not announce changes: other "
                                           "programs' changes are looked for every second"));
        m_pollNoticeGiven = true;
    }
    if (again)
        m_changes.all = true;
}

void ChangeWatcher::poll() {
    if (!m_db.isOpen())
        return;
    QSqlQuery query(m_db);
    if (!query.exec(m_table->dialect().changeCounterStatement(m_table->source().table)) ||
        !query.next()) {
        if (m_ownConnection && m_table->dialect().isConnectionLost(query.lastError()))
            m_db.close();
        return;
    }
    const QVariant counter = query.value(0);
    if (m_counter && *m_counter != counter)
        m_changes.all = true;
    m_counter = counter;
}

void ChangeWatcher::notified(const QString &name, QSqlDriver::NotificationSource,
                             const QVariant &payload) {
    if (name != QLatin1String(changeChannel))
        return;
    // "<table> <kind> <key>"
    const QStringList parts = payload.toString().split(QLatin1Char(' '));
    const QString table = m_table->dialect().storedName(m_table->source().table);
    if (parts.size() != 3 || parts.front() != table)
        return;
    bool ok = false;
    const qint64 key = parts.back().toLongLong(&ok);
    TableChanges written;
    written.all = !ok;
    if (ok)
        written.keys.insert(key);
    m_changes.merge(written);
    if (m_changes.keys.size() > mostKeys)
        m_changes.merge({true, {}});
    if (!m_soon.isActive())
        m_soon.start();
}

void ChangeWatcher::hand() {
    if (m_changes.none())
        return;
    const TableChanges changes = std::exchange(m_changes, {});
    m_client.changed(changes);
}

void ChangeWatcher::readKeys() {
    if (m_reader) {
        m_readAgain = true;
        return;
    }
    const std::shared_ptr<const KeyedTable> table = m_table;
    const QString source = m_table->database().connectionName();
    const QString name = connectionName(m_table->database(), QStringLiteral("keys"));
    m_reader = QThread::create([this, table, source, name] {
        std::optional<std::vector<qint64>> keys;
        {
            QSqlDatabase db = QSqlDatabase::cloneDatabase(source, name);
            try {
                if (db.open()) {
                    table->dialect().startSession(db, {});
                    keys = table->readKeys(db, KeyedTable::KeyOrder::Here);
                }
            } catch (const DatabaseError &) {
                // Asked for again below.
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        // Queued to the GUI thread; the watcher waits for this thread before it goes.
        QMetaObject::invokeMethod(
            this, [this, keys = std::move(keys)]() mutable { keysArrived(std::move(keys)); },
            Qt::QueuedConnection);
    });
    m_reader->start();
}

void ChangeWatcher::keysArrived(std::optional<std::vector<qint64>> keys) {
    m_reader->wait();
    delete m_reader;
    m_reader = nullptr;
    if (!keys) {
        // The list could not be read (a server away): asked for again at the next tick.
        m_changes.merge({true, {}});
        return;
    }
    m_client.keysRead(std::move(*keys));
    if (std::exchange(m_readAgain, false))
        readKeys();
}

} // namespace db

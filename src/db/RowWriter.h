#pragma once

#include "db/ChangeRecorder.h"
#include "db/DatabaseError.h"
#include "db/KeyedTable.h"
#include "db/Transaction.h"

#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace db {

// A row as the engine stores it: its values, and where the engine can give it, each value's
// exact stored form (the bytes of a text as stored), so that two different stored texts
// that read as the same characters are still told apart.
struct StoredRow {
    QVariantList values;
    QVariantList exact; // empty when the values are exact already
};

// What Post hands to the store: the row as the user left it and what the edit started from.
struct RowWrite {
    const QVariantList &values;       // the row as the user left it
    const std::vector<bool> &changed; // the columns the user changed
    const StoredRow *read = nullptr;  // the stored row as the edit read it (updates)
    bool asNewRow = false;            // insert the values although the row had a key
};

// A Post or Delete that found the stored row no longer as the user read it. Nothing was
// written.
class RowConflict : public DatabaseError {
public:
    enum class Kind {
        Changed,  // someone else changed a column the user changed (Delete: any column)
        Deleted,  // the row is gone
        Replaced, // the row now describes another item (its identifying columns changed)
    };
    RowConflict(Kind kind, const QString &message, std::optional<StoredRow> stored)
        : DatabaseError(message), m_kind(kind), m_stored(std::move(stored)) {}
    Kind kind() const { return m_kind; }
    // The row as it is stored now; none when it was deleted.
    const std::optional<StoredRow> &stored() const { return m_stored; }

private:
    Kind m_kind;
    std::optional<StoredRow> m_stored;
};

// The write protocol of one keyed table: the row lock an edit holds where the engine has
// row locks, and Post and Delete, each one transaction that first checks the stored row
// against what the user read.
class RowWriter {
public:
    explicit RowWriter(std::shared_ptr<const KeyedTable> table) : m_table(std::move(table)) {}

    // The row as stored now, with its exact values; none when it is gone.
    std::optional<StoredRow> read(qint64 key) const {
        return m_table->readExact(key, KeyedTable::Connection::MayReopen);
    }
    // Takes the row lock (where the engine has one) in a transaction that lasts until
    // write() or release(). Throws when another session holds the row.
    void lock(qint64 key);
    void release() {
        m_edit.reset();
        m_lockedKey.reset();
    }
    // The server ended the session that held the edit's row lock (an idle timeout, a
    // restart): takes the lock again on the reopened connection. Throws, once, when another
    // designer has taken the row meanwhile; the edit goes on and Post still checks the row.
    void relockIfLost();

    struct Written {
        qint64 key;       // the row's key (a new row's key as the engine gave it)
        QVariantList row; // the row as stored afterwards
    };
    // Writes the changed columns of the row with this key, or inserts them (no key). Throws
    // RowConflict (nothing written) or DatabaseError.
    Written write(std::optional<qint64> key, const RowWrite &write);
    // Deletes the row after checking it is stored as the user saw it. Throws RowConflict or
    // DatabaseError.
    void remove(qint64 key, const QVariantList &seen);

private:
    bool holdsLock() const { return m_edit && m_edit->isActive(); }
    // Takes the row lock inside the current transaction; throws when another session holds it.
    void lockInTransaction(qint64 key) const;
    // Runs a statement that must change exactly one row, inside the caller's transaction.
    QSqlQuery execWrite(const QString &text, const QVariantList &bound, const QString &what,
                        const char *noRowMessage) const;
    // Hands the row written to the table's change recorder, inside the write's transaction.
    void record(RowChange::Action action, qint64 key, QVariantList before,
                const RowWrite *write) const;
    // "Heat is now "9", Note is now empty" for these columns of the stored row.
    QString describe(const std::vector<int> &columns, const QVariantList &stored) const;

    std::shared_ptr<const KeyedTable> m_table;
    // The transaction that holds the edit's row lock, from Edit to Post or Cancel.
    std::unique_ptr<Transaction> m_edit;
    std::optional<qint64> m_lockedKey; // the row the edit locked, while the edit lasts
};

namespace msg {
inline const char *rowDeleted =
    "Another program deleted this row while you edited it. Post again to store your values "
    "as a new row, or Cancel to drop them";
inline const char *rowChanged =
    "Another program changed this row while you edited it: %1. Post again to store your "
    "values over these, or Cancel to see the row as it is now";
inline const char *rowReplaced =
    "This row now describes another item: another program replaced it while you edited it "
    "(%1). Post again to store your values as a new row, or Cancel to see that item";
inline const char *rowGone =
    "Another program deleted this row. Refresh to see the rows as they are now";
inline const char *rowChangedBeforeDelete =
    "Another program changed this row since you saw it: %1. The row now shows what is "
    "stored; Delete again to delete it as it is now";
inline const char *rowReplacedBeforeDelete =
    "This row now describes another item: another program replaced it (%1). The row now "
    "shows that item; Delete again to delete it";
inline const char *rowLocked = "Another designer is editing this row";
inline const char *rowLockedBy = "Another designer is editing this row: it is being edited by %1";
inline const char *nothingWritten = "The row could not be written: no row was changed";
} // namespace msg

} // namespace db

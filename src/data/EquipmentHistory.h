#pragma once

#include "db/ChangeRecorder.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <memory>
#include <optional>
#include <vector>

namespace db {
class DataSet;
class Dialect;
} // namespace db

namespace data {

// The history of the Equipment table: one row in EquipmentHistory for every insert, update
// and delete of an Equipment row, with when (UTC), who, the row's key and Code, and the old
// and new value of every column the change touched. A server records every writer by a
// trigger; an embedded file has no trigger (other programs' writes are not recorded), the
// editor and the catalogue tool write the history row in the same transaction as the change.

// The statements that create the history table, its indexes and, on a server, the trigger.
QString historySchemaSql(const db::Dialect &dialect);
// The Equipment table and its history, as a new catalogue gets them.
QString catalogueSchemaSql(const db::Dialect &dialect);
// Whether the catalogue keeps a history (the table exists).
bool historyExists(QSqlDatabase &db);
// Adds the history (table, indexes, trigger) to a catalogue that has none, in one
// transaction. Returns false when it was there already. Throws DatabaseError.
bool addHistory(QSqlDatabase &db);

// Writes the history rows on an engine without the trigger; does nothing on a server,
// whose trigger records the change itself.
std::shared_ptr<const db::ChangeRecorder> historyRecorder();

// Records, inside the caller's transaction, the insert of every Equipment row with a key
// above `keysAbove`: for writers that add rows in bulk (the catalogue tool), called before
// they commit. Does nothing on a server, whose trigger recorded them. Returns the rows
// recorded. Throws DatabaseError.
qint64 recordInsertedRows(QSqlDatabase &db, qint64 keysAbove);

struct ColumnChange {
    QString column; // the Equipment column's name as the editor writes it
    QVariant before;
    QVariant after;
};

struct HistoryEntry {
    enum class Kind { Insert, Update, Delete };
    qint64 id = 0;
    QString when; // UTC, "2026-01-31T12:00:00.000Z"
    QString who;
    Kind kind = Kind::Update;
    qint64 key = 0;
    QString code;
    std::vector<ColumnChange> changes;

    QString kindText() const;
    const ColumnChange *change(const QString &column) const;
};

// The changes of one row, newest first: all, or at most `limit` older than the change
// `olderThan` (0: from the newest). Throws DatabaseError.
std::vector<HistoryEntry> rowHistory(QSqlDatabase &db, qint64 key, int limit = 0,
                                     qint64 olderThan = 0);
// Every change (of the items with this code, when one is given), oldest first.
std::vector<HistoryEntry> catalogueHistory(QSqlDatabase &db, const QString &code = QString());
// The deletes of rows that are not back in the table, newest first.
std::vector<HistoryEntry> deletedRows(QSqlDatabase &db, int limit = 1000);
// The last change this connection wrote (a committed one); none when there is none.
std::optional<HistoryEntry> lastOwnChange(QSqlDatabase &db);
// Removes the history older than the date (UTC, "2026-01-31" or a full time) in one
// transaction; returns the rows removed. Throws DatabaseError.
int pruneHistory(QSqlDatabase &db, const QString &before);

// The values the row had before the change at `index` of a newest-first history (every
// column that change or a later one touched).
QVariantMap valuesBefore(const std::vector<HistoryEntry> &newestFirst, size_t index);
// Stores the values in the current row through Edit and Post, so the conflict check of a
// Post applies. On failure the dataset stays in Edit with the values, as after any Post
// that failed. Throws DatabaseError.
void restoreValues(db::DataSet &dataSet, const QVariantMap &values);
// Inserts a deleted row again as it was, under its old key when no row holds that key now,
// else under a new one, and records the insert. Returns the row's key. Throws DatabaseError.
qint64 restoreDeletedRow(QSqlDatabase &db, const HistoryEntry &deleted);

} // namespace data

#pragma once

#include "db/Dialect.h"

#include <QSqlDatabase>
#include <QVariantList>
#include <vector>

namespace db {

// One row written by the dataset, as a recorder sees it inside the write's transaction.
struct RowChange {
    enum class Action { Insert, Update, Delete };
    Action action;
    qint64 key;
    const std::vector<ColumnInfo> &columns;
    QVariantList before; // the stored row before the write (all null for an insert)
    QVariantList after;  // the row as written (all null for a delete)
};

// Keeps a record of every row the dataset writes, in the same transaction as the write:
// when the write is rolled back, so is its record. Throws DatabaseError (the write fails).
class ChangeRecorder {
public:
    virtual ~ChangeRecorder() = default;
    virtual void record(QSqlDatabase &db, const RowChange &change) const = 0;
};

} // namespace db

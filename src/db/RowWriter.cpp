#include "db/RowWriter.h"

#include "db/ChangeRecorder.h"
#include "db/Field.h"
#include "db/Statement.h"
#include "db/Values.h"

#include <QSqlError>

namespace db {

namespace {

// Whether a column of the stored row is still what was read: equal values, and equal exact
// forms where the engine gives them.
bool unchanged(const StoredRow &now, const StoredRow &then, int column) {
    if (!sameValue(now.values.at(column), then.values.at(column)))
        return false;
    if (now.exact.isEmpty() || then.exact.isEmpty())
        return true;
    return sameValue(now.exact.at(column), then.exact.at(column));
}

// A row lock another session holds; told to the user once the refused transaction ended.
struct RowLockRefused {};

// Refuses the row, naming who holds it where the engine can tell (asked outside the
// refused transaction, which the engine aborted).
[[noreturn]] void refuseLockedRow(const KeyedTable &table, qint64 key) {
    QSqlDatabase db = table.database();
    const QString holder =
        table.dialect().rowHolder(db, table.source().table, table.source().keyColumn, key);
    throw DatabaseError(holder.isEmpty() ? QString::fromLatin1(msg::rowLocked)
                                         : QString::fromLatin1(msg::rowLockedBy).arg(holder));
}

} // namespace

void RowWriter::lockInTransaction(qint64 key) const {
    const QString lock =
        m_table->dialect().rowLockStatement(m_table->source().table, m_table->source().keyColumn);
    if (lock.isEmpty())
        return;
    try {
        runStatement(m_table->database(), lock, {key},
                     QStringLiteral("The row could not be locked"));
    } catch (const EngineError &error) {
        if (m_table->dialect().isRowLocked(error.error()))
            throw RowLockRefused();
        throw;
    }
}

void RowWriter::lock(qint64 key) {
    if (holdsLock() || m_table->dialect()
                           .rowLockStatement(m_table->source().table, m_table->source().keyColumn)
                           .isEmpty())
        return;
    m_table->ensureConnected();
    auto transaction = std::make_unique<Transaction>(m_table->database(),
                                                     QStringLiteral("The row could not be locked"));
    try {
        lockInTransaction(key);
    } catch (const RowLockRefused &) {
        transaction.reset();
        refuseLockedRow(*m_table, key);
    }
    m_edit = std::move(transaction);
    m_lockedKey = key;
}

void RowWriter::relockIfLost() {
    if (!m_lockedKey || holdsLock())
        return;
    const qint64 key = *m_lockedKey;
    m_lockedKey.reset();
    try {
        lock(key);
    } catch (const DatabaseError &error) {
        throw DatabaseError(QStringLiteral("The server ended the session that held this row for "
                                           "your edit, and the row could not be held again: %1. "
                                           "Your values are kept; Post checks the row as usual")
                                .arg(error.message()));
    }
}

QSqlQuery RowWriter::execWrite(const QString &text, const QVariantList &bound, const QString &what,
                               const char *noRowMessage) const {
    QSqlQuery query = runStatement(m_table->database(), text, bound, what);
    // A statement that changed no row did not do what the user asked for.
    if (query.numRowsAffected() != 1)
        throw DatabaseError(QString::fromLatin1(noRowMessage));
    return query;
}

QString RowWriter::describe(const std::vector<int> &columns, const QVariantList &stored) const {
    QStringList parts;
    for (int c : columns) {
        const ColumnInfo &column = m_table->columns()[size_t(c)];
        const QVariant value = stored.at(c);
        const QString text =
            isEmptyValue(value)
                ? QStringLiteral("empty")
                : QLatin1Char('"') + Field::displayText(value, column.type) + QLatin1Char('"');
        parts << QStringLiteral("%1 is now %2").arg(column.name, text);
    }
    return parts.join(QStringLiteral(", "));
}

void RowWriter::record(RowChange::Action action, qint64 key, QVariantList before,
                       const RowWrite *write) const {
    const std::shared_ptr<const ChangeRecorder> &recorder = m_table->source().recorder;
    if (!recorder)
        return;
    const std::vector<ColumnInfo> &columns = m_table->columns();
    if (before.isEmpty())
        before = QVariantList(qsizetype(columns.size()));
    QVariantList after(qsizetype(columns.size()));
    if (write) {
        if (action == RowChange::Action::Update)
            after = before;
        for (size_t c = 0; c < columns.size(); ++c)
            if (write->changed[c])
                after[qsizetype(c)] = write->values.at(qsizetype(c));
        if (m_table->keyField() >= 0)
            after[m_table->keyField()] = key;
    }
    QSqlDatabase db = m_table->database();
    recorder->record(db, {action, key, columns, std::move(before), std::move(after)});
}

RowWriter::Written RowWriter::write(std::optional<qint64> key, const RowWrite &write) {
    const bool inserting = !key || write.asNewRow;
    const std::vector<ColumnInfo> &columns = m_table->columns();
    const int keyField = m_table->keyField();
    QStringList names;
    QVariantList bound;
    for (size_t c = 0; c < columns.size(); ++c) {
        // A new row gets a new key from the engine, never the one of a row that is gone.
        if (!write.changed[c] || (inserting && int(c) == keyField))
            continue;
        names << m_table->quoted(columns[c].name);
        bound << write.values.at(qsizetype(c));
    }
    m_table->ensureConnected();
    // The lock of the edit is gone when the connection was lost meanwhile: take it again.
    if (!inserting)
        lock(*key);
    const QString what = QStringLiteral("The row could not be written");
    // The edit's own transaction (holding its row lock) when it has one, else a new one.
    std::unique_ptr<Transaction> transaction =
        holdsLock() ? std::move(m_edit) : std::make_unique<Transaction>(m_table->database(), what);
    m_edit.reset();
    m_lockedKey.reset();
    std::optional<StoredRow> before;
    if (!inserting) {
        // The stored row against the row the edit started from, inside the write lock.
        before = m_table->readExact(*key, KeyedTable::Connection::AsItIs);
        if (!before)
            throw RowConflict(RowConflict::Kind::Deleted, QString::fromLatin1(msg::rowDeleted),
                              std::nullopt);
        if (write.read) {
            std::vector<int> replaced;
            std::vector<int> conflicts;
            for (int c = 0; c < int(columns.size()); ++c) {
                if (unchanged(*before, *write.read, c))
                    continue;
                if (!write.changed[size_t(c)] && m_table->isIdentityColumn(c))
                    replaced.push_back(c);
                // A value the other program set to exactly what the user typed is agreement.
                else if (write.changed[size_t(c)] &&
                         !sameValue(before->values.at(c), write.values.at(c)))
                    conflicts.push_back(c);
            }
            if (!replaced.empty())
                throw RowConflict(
                    RowConflict::Kind::Replaced,
                    QString::fromLatin1(msg::rowReplaced).arg(describe(replaced, before->values)),
                    before);
            if (!conflicts.empty())
                throw RowConflict(
                    RowConflict::Kind::Changed,
                    QString::fromLatin1(msg::rowChanged).arg(describe(conflicts, before->values)),
                    before);
        }
        if (names.isEmpty()) {
            transaction->commit();
            return {*key, before->values};
        }
    }

    const QString table = m_table->quoted(m_table->source().table);
    const QString keyName = m_table->quoted(m_table->source().keyColumn);
    QString text;
    if (inserting) {
        QStringList marks;
        for (int i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        // The key comes back from the statement itself: a session-wide "last id" may name
        // a row a trigger inserted elsewhere, or be refused to a role without sequence rights.
        text = names.isEmpty()
                   ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                   : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        text += QStringLiteral(" RETURNING ") + keyName;
    } else {
        for (QString &name : names)
            name += QStringLiteral(" = ?");
        text = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                   .arg(table, names.join(QStringLiteral(", ")), keyName);
        bound << *key;
    }
    qint64 newKey = key.value_or(0);
    if (inserting) {
        // The inserted row is the one row the statement returns (an engine counts the rows
        // it changed only once every returned row was read).
        QSqlQuery query = runStatement(m_table->database(), text, bound, what);
        bool ok = query.next();
        newKey = ok ? query.value(0).toLongLong(&ok) : 0;
        checkFinished(query, what);
        if (!ok)
            throw DatabaseError(QString::fromLatin1(msg::nothingWritten));
        query.finish();
    } else {
        execWrite(text, bound, what, msg::nothingWritten).finish();
    }
    record(inserting ? RowChange::Action::Insert : RowChange::Action::Update, newKey,
           before ? before->values : QVariantList(), &write);
    transaction->commit();

    // The row as stored now: read again; should that fail, the row the write made is known.
    QVariantList after = before ? before->values : QVariantList(qsizetype(columns.size()));
    for (size_t c = 0; c < columns.size(); ++c)
        if (write.changed[c] && !(inserting && int(c) == keyField))
            after[qsizetype(c)] = write.values.at(qsizetype(c));
    if (keyField >= 0)
        after[keyField] = newKey;
    try {
        if (std::optional<StoredRow> reread = read(newKey))
            after = std::move(reread->values);
    } catch (const DatabaseError &) {
    }
    return {newKey, after};
}

void RowWriter::remove(qint64 key, const QVariantList &seen) {
    m_table->ensureConnected();
    const QString what = QStringLiteral("The row could not be deleted");
    std::optional<Transaction> guard(std::in_place, m_table->database(), what);
    Transaction &transaction = *guard;
    // Another designer editing the row is told at once, not after a lock wait.
    try {
        lockInTransaction(key);
    } catch (const RowLockRefused &) {
        guard.reset();
        refuseLockedRow(*m_table, key);
    }
    std::optional<StoredRow> before = m_table->readExact(key, KeyedTable::Connection::AsItIs);
    if (!before)
        throw RowConflict(RowConflict::Kind::Deleted, QString::fromLatin1(msg::rowGone),
                          std::nullopt);
    std::vector<int> replaced;
    std::vector<int> changed;
    for (int c = 0; c < m_table->columnCount(); ++c)
        if (!sameValue(before->values.at(c), seen.value(c)))
            (m_table->isIdentityColumn(c) ? replaced : changed).push_back(c);
    if (!replaced.empty())
        throw RowConflict(RowConflict::Kind::Replaced,
                          QString::fromLatin1(msg::rowReplacedBeforeDelete)
                              .arg(describe(replaced, before->values)),
                          before);
    if (!changed.empty())
        throw RowConflict(
            RowConflict::Kind::Changed,
            QString::fromLatin1(msg::rowChangedBeforeDelete).arg(describe(changed, before->values)),
            before);
    execWrite(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                  .arg(m_table->quoted(m_table->source().table),
                       m_table->quoted(m_table->source().keyColumn)),
              {key}, what, msg::rowGone)
        .finish();
    record(RowChange::Action::Delete, key, before->values, nullptr);
    transaction.commit();
}

} // namespace db

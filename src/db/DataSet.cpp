#include "db/DataSet.h"

#include "db/AliasRegistry.h"
#include "db/ChangeWatcher.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/RowStore.h"
#include "db/SimpleSelect.h"

#include <algorithm>

namespace db {

DataSet::DataSet(const QString &databaseName) : m_databaseName(databaseName) {}

DataSet::~DataSet() {
    close();
    for (DataSource *source : std::vector<DataSource *>(m_sources))
        source->setDataSet(nullptr);
}

void DataSet::setSql(const QStringList &lines) {
    close();
    m_sql = lines;
}

void DataSet::setCacheRows(int rows) {
    m_cacheRows = std::max(rows, 1);
}

void DataSet::attach(DataSource *source) {
    m_sources.push_back(source);
}

void DataSet::detach(DataSource *source) {
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
}

void DataSet::announce(Notice notice, int distance, Field *field) {
    // Copies: a handler may attach or detach links while it runs.
    for (DataSource *source : std::vector<DataSource *>(m_sources)) {
        for (DataLink *link : std::vector<DataLink *>(source->links())) {
            switch (notice) {
            case Notice::Active:
                link->activeChanged();
                break;
            case Notice::Changed:
                link->dataSetChanged();
                break;
            case Notice::Scrolled:
                link->dataSetScrolled(distance);
                break;
            case Notice::Record:
                link->recordChanged(field);
                break;
            case Notice::Editing:
                link->editingChanged();
                break;
            }
        }
    }
}

// --- open and close ----------------------------------------------------------------------

std::unique_ptr<RowStore> DataSet::openStore(const QStringList &lines,
                                             const QVariantList &parameters) const {
    QSqlDatabase db = AliasRegistry::database(m_databaseName);
    // The engine receives the lines joined with a line break after each.
    const QString text = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    QString table;
    QString where;
    QString key;
    const Dialect &dialect = Dialect::of(db);
    if (parseSimpleSelect(text, &table, &where)) {
        if (!dialect.tableExists(db, table))
            throw DatabaseError(QStringLiteral("Table does not exist: ") + table);
        key = dialect.keyColumn(db, table);
    }
    std::unique_ptr<RowStore> store;
    if (!key.isEmpty()) {
        KeyedRowStore::Source source{db,
                                     &dialect,
                                     table,
                                     key,
                                     where,
                                     parameters,
                                     m_requestLive,
                                     m_cacheRows,
                                     m_identityFields,
                                     programFieldNames(),
                                     m_recorder};
        store = std::make_unique<KeyedRowStore>(std::move(source));
    } else {
        store = std::make_unique<MaterializedRowStore>(db, text, parameters);
    }
    checkRequiredFields(store->columns());
    return store;
}

QStringList DataSet::programFieldNames() const {
    QStringList names = m_optionalFields + m_identityFields;
    for (DataSource *source : m_sources)
        for (DataLink *link : source->links())
            if (!link->fieldName().isEmpty())
                names << link->fieldName();
    return names;
}

void DataSet::adopt(std::unique_ptr<RowStore> store) {
    // The first row is read before anything changes: an open that fails stays closed.
    const QVariantList first = store->count() > 0 ? store->row(0) : QVariantList();
    m_rows = std::move(store);
    m_live = m_requestLive && m_rows->canModify();
    int index = 0;
    for (const ColumnInfo &column : m_rows->columns())
        m_fields.push_back(
            std::make_unique<Field>(this, index++, column.name, column.type, column.size));
    m_state = DataSetState::Browse;
    m_modified = false;
    m_pending = Pending::None;
    m_current = isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = isEmpty();
    m_buffer = isEmpty() ? QVariantList(fieldCount()) : first;
    announce(Notice::Active);
    announce(Notice::Changed);
    watch();
}

QString DataSet::readOnlyReason() const {
    return active() && m_requestLive && !m_live ? m_rows->readOnlyReason() : QString();
}

void DataSet::open() {
    if (active())
        return;
    adopt(openStore(m_sql, m_parameters));
}

void DataSet::requery(const QStringList &lines, const QVariantList &parameters) {
    if (active())
        settleRefusedEdit();
    std::unique_ptr<RowStore> store = openStore(lines, parameters);
    close();
    m_sql = lines;
    m_parameters = parameters;
    adopt(std::move(store));
}

void DataSet::checkRequiredFields(const std::vector<ColumnInfo> &columns) const {
    for (DataSource *source : m_sources)
        for (DataLink *link : source->links()) {
            const QString name = link->fieldName();
            if (name.isEmpty() || m_optionalFields.contains(name, Qt::CaseInsensitive))
                continue;
            const bool present =
                std::any_of(columns.begin(), columns.end(), [&name](const ColumnInfo &column) {
                    return column.name.compare(name, Qt::CaseInsensitive) == 0;
                });
            if (!present)
                throw DatabaseError(QString::fromLatin1(msg::fieldNotFound).arg(name));
        }
}

void DataSet::close() {
    if (!active())
        return;
    dropPending();
    m_watcher.reset();
    m_putOff.reset();
    m_state = DataSetState::Inactive;
    m_current = -1;
    m_bof = m_eof = true;
    m_live = false;
    announce(Notice::Active);
    // Fields outlive the notice so that links may still look at them while they let go.
    m_fields.clear();
    m_rows.reset();
    m_buffer.clear();
}

void DataSet::dropPending() {
    if (!isEditing(m_state))
        return;
    m_rows->releaseRow();
    // A row being inserted, or one that another program deleted during the edit, leaves.
    if (m_state == DataSetState::Insert || m_pending == Pending::RowGone)
        m_rows->removeAt(m_current);
    m_current = std::min(m_current, recordCount() - 1);
    m_state = DataSetState::Browse;
    m_modified = false;
    m_pending = Pending::None;
    m_refusal.clear();
}

void DataSet::checkActive() const {
    if (!active())
        throw DatabaseError(QString::fromLatin1(msg::closed));
}

// --- moving ------------------------------------------------------------------------------

int DataSet::recordCount() const {
    return m_rows ? m_rows->count() : 0;
}

QVariantList DataSet::readRow(int row) const {
    if (row >= 0 && row < recordCount())
        return m_rows->row(row);
    return QVariantList(fieldCount());
}

void DataSet::loadCurrentRow() {
    m_buffer = readRow(m_current);
}

void DataSet::moveTo(int row, bool bof, bool eof) {
    // The row is read first: a read that fails leaves position and flags as they were.
    QVariantList values = readRow(row);
    const int distance = row - m_current;
    m_current = row;
    m_bof = bof;
    m_eof = eof;
    m_buffer = std::move(values);
    announce(Notice::Scrolled, distance);
}

void DataSet::first() {
    checkActive();
    settle();
    moveTo(isEmpty() ? -1 : 0, true, isEmpty());
}

void DataSet::last() {
    checkActive();
    settle();
    moveTo(recordCount() - 1, isEmpty(), true);
}

void DataSet::next() {
    moveBy(1);
}

void DataSet::prior() {
    moveBy(-1);
}

int DataSet::moveBy(int n) {
    checkActive();
    settle();
    if (isEmpty()) {
        moveTo(-1, true, true);
        return 0;
    }
    const int target = std::clamp(m_current + n, 0, recordCount() - 1);
    const int moved = target - m_current;
    moveTo(target, n < 0 && moved != n, n > 0 && moved != n);
    return moved;
}

void DataSet::setRecNo(int row) {
    checkActive();
    if (row == m_current && !isEditing(m_state))
        return;
    // Settling may drop an untouched new row above the target, moving the target up.
    const int pendingAt = m_current;
    const int countBefore = recordCount();
    settle();
    if (recordCount() < countBefore && row > pendingAt)
        --row;
    if (row >= 0 && row < recordCount())
        moveBy(row - m_current);
}

// --- editing -----------------------------------------------------------------------------

void DataSet::takeEditorValues() {
    for (DataSource *source : std::vector<DataSource *>(m_sources))
        for (DataLink *link : std::vector<DataLink *>(source->links()))
            link->updateData();
}

void DataSet::settle() {
    if (!isEditing(m_state))
        return;
    takeEditorValues();
    if (hasRefusedEdit()) {
        settleRefusedEdit();
        return;
    }
    if (m_modified || m_pending != Pending::None)
        post();
    else
        cancel();
}

void DataSet::settleRefusedEdit() {
    if (!isEditing(m_state) || !hasRefusedEdit())
        return;
    if (!m_refusedEditQuestion)
        throw DatabaseError(m_refusal);
    switch (m_refusedEditQuestion(m_refusal)) {
    case RefusedEditChoice::Post:
        post();
        return;
    case RefusedEditChoice::Discard:
        cancel();
        return;
    case RefusedEditChoice::Stay:
        throw OperationAbandoned();
    }
}

void DataSet::beginEditState(DataSetState state) {
    m_state = state;
    m_modified = false;
    m_pending = Pending::None;
    m_refusal.clear();
    m_changed.assign(size_t(fieldCount()), false);
    announce(Notice::Editing);
}

void DataSet::insert() {
    checkActive();
    settle();
    if (!canModify())
        throw DatabaseError(QString::fromLatin1(msg::readOnly));
    const int at = std::max(m_current, 0);
    m_rows->insertPlaceholder(at);
    m_current = at;
    m_bof = m_eof = false;
    m_beforeInsert = std::move(m_buffer);
    m_buffer = QVariantList(fieldCount());
    m_read = {};
    beginEditState(DataSetState::Insert);
    announce(Notice::Changed);
}

void DataSet::edit() {
    checkActive();
    if (isEditing(m_state))
        return;
    if (isEmpty()) {
        insert();
        return;
    }
    if (!canModify())
        throw DatabaseError(QString::fromLatin1(msg::readOnly));
    // Start from the row as the table holds it now, locked where the engine can; the
    // values read are what Post checks the stored row against.
    m_rows->lockRow(m_current);
    std::optional<StoredRow> stored;
    try {
        stored = m_rows->stored(m_current);
    } catch (...) {
        m_rows->releaseRow();
        throw;
    }
    if (!stored) {
        m_rows->releaseRow();
        throw DatabaseError(QString::fromLatin1(msg::rowGone));
    }
    m_buffer = stored->values;
    m_read = std::move(*stored);
    beginEditState(DataSetState::Edit);
    announce(Notice::Record);
}

std::vector<bool> DataSet::columnsToWrite() const {
    if (m_pending == Pending::None)
        return m_changed;
    // The row is stored anew: every value it holds.
    std::vector<bool> columns(m_changed.size());
    for (size_t c = 0; c < columns.size(); ++c)
        columns[c] = !m_buffer.at(qsizetype(c)).isNull();
    return columns;
}

void DataSet::post() {
    if (!isEditing(m_state))
        throw DatabaseError(QString::fromLatin1(msg::notEditing));
    takeEditorValues();
    QVariantList stored;
    if (m_state == DataSetState::Insert || m_modified || m_pending != Pending::None) {
        const std::vector<bool> columns = columnsToWrite();
        const bool asNewRow = m_pending != Pending::None;
        const RowWrite write{m_buffer, columns,
                             m_state == DataSetState::Edit && !asNewRow ? &m_read : nullptr,
                             asNewRow};
        try {
            stored = m_rows->write(m_current, write);
        } catch (const RowConflict &conflict) {
            // The edit goes on with the user's values. A changed row becomes what the next
            // Post is checked against, so that Post stores the user's values knowingly; a
            // row that is gone or now holds another item gets them as a new row.
            if (conflict.stored())
                m_read = *conflict.stored();
            if (conflict.kind() == RowConflict::Kind::Deleted)
                m_pending = Pending::RowGone;
            else if (conflict.kind() == RowConflict::Kind::Replaced)
                m_pending = Pending::RowReplaced;
            m_refusal = conflict.message();
            relockAfterFailedWrite();
            throw;
        } catch (const DatabaseError &) {
            relockAfterFailedWrite();
            throw;
        }
    } else {
        m_rows->releaseRow();
        stored = readRow(m_current);
    }
    m_state = DataSetState::Browse;
    m_modified = false;
    m_pending = Pending::None;
    m_refusal.clear();
    m_buffer = std::move(stored);
    announce(Notice::Editing);
    announce(Notice::Changed);
}

void DataSet::relockAfterFailedWrite() {
    // The failed write ended the edit's transaction and with it any row lock; the edit
    // goes on, so it takes the lock again where it can.
    if (m_state != DataSetState::Edit || m_pending != Pending::None)
        return;
    try {
        m_rows->lockRow(m_current);
    } catch (const DatabaseError &) {
        // Post checks the stored row anyway.
    }
}

void DataSet::cancel() {
    if (!isEditing(m_state))
        return;
    const bool wasInsert = m_state == DataSetState::Insert;
    dropPending();
    if (isEmpty()) {
        m_current = -1;
        m_bof = m_eof = true;
    }
    // The row a new row was inserted above is current again as it was: no read needed.
    if (wasInsert && m_current >= 0 && m_beforeInsert.size() == fieldCount()) {
        m_buffer = std::move(m_beforeInsert);
        announce(Notice::Editing);
        announce(Notice::Changed);
        return;
    }
    showCurrentRow();
}

void DataSet::showCurrentRow() {
    try {
        loadCurrentRow();
    } catch (const DatabaseError &) {
        // The edit has ended all the same; a row that cannot be read now shows empty.
        m_buffer = QVariantList(fieldCount());
        announce(Notice::Editing);
        announce(Notice::Changed);
        throw;
    }
    announce(Notice::Editing);
    announce(Notice::Changed);
}

void DataSet::deleteRecord() {
    checkActive();
    if (m_state == DataSetState::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw DatabaseError(QString::fromLatin1(msg::empty));
    if (!canModify())
        throw DatabaseError(QString::fromLatin1(msg::readOnly));
    m_rows->releaseRow();
    // What the user saw is what may be deleted: a row another program changed meanwhile is
    // shown as it is now instead, and deleted only by a second Delete.
    const QVariantList seen = m_state == DataSetState::Edit ? m_read.values : m_buffer;
    try {
        m_rows->deleteRow(m_current, seen);
    } catch (const RowConflict &conflict) {
        if (conflict.stored() && !isEditing(m_state)) {
            m_buffer = conflict.stored()->values;
            announce(Notice::Changed);
        }
        throw;
    }
    m_state = DataSetState::Browse;
    m_modified = false;
    m_pending = Pending::None;
    m_current = std::min(m_current, recordCount() - 1);
    m_bof = m_eof = isEmpty();
    showCurrentRow();
}

void DataSet::refresh() {
    checkActive();
    settle();
    if (m_watcher && !isEditing(m_state)) {
        // The values now, the key list off this thread: a long list holds nothing up.
        m_putOff->merge({true, {}});
        applyChanges();
        return;
    }
    if (const std::shared_ptr<const KeyedTable> table = m_rows->keyedTable()) {
        // Only the keys are read again; the rows follow as they are looked at.
        std::vector<qint64> keys = table->readKeys();
        follow([&] { m_rows->replaceKeys(std::move(keys)); });
        return;
    }
    // The new result and its current row are read before anything changes.
    std::unique_ptr<RowStore> store = m_rows->reloaded();
    const QVariant key = bookmark();
    const int found = key.isNull() ? -1 : store->indexOfKey(key);
    const int current = found >= 0 ? found : std::min(std::max(m_current, 0), store->count() - 1);
    QVariantList values = current >= 0 ? store->row(current) : QVariantList(fieldCount());
    m_rows = std::move(store);
    m_current = current;
    m_bof = m_current <= 0;
    m_eof = isEmpty();
    m_buffer = std::move(values);
    announce(Notice::Changed);
}

// --- other programs' writes --------------------------------------------------------------

void DataSet::watch() {
    const std::shared_ptr<const KeyedTable> table = m_rows->keyedTable();
    if (!m_followChanges || !table)
        return;
    m_putOff = std::make_unique<TableChanges>();
    m_watcher = std::make_unique<ChangeWatcher>(
        table, ChangeWatcher::Client{
                   [this](const TableChanges &changes) { changesArrived(changes); },
                   [this](std::vector<qint64> keys) { keysArrived(std::move(keys)); },
                   [this] { applyChanges(); }, [this](const QString &text) { tell(text); }});
}

void DataSet::tell(const QString &text) const {
    if (m_noticeHandler)
        m_noticeHandler(text);
}

void DataSet::changesArrived(const TableChanges &changes) {
    m_putOff->merge(changes);
    if (isEditing(m_state))
        warnAboutEditedRow(changes);
    else
        applyChanges();
}

void DataSet::applyChanges() {
    if (!active() || isEditing(m_state) || !m_putOff || m_putOff->none())
        return;
    const TableChanges changes = std::exchange(*m_putOff, {});
    m_editWarning.clear();
    try {
        if (changes.all) {
            // Which rows came and went is read off this thread; the values shown now.
            m_watcher->readKeys();
            follow([] {});
        } else {
            const std::vector<qint64> written(changes.keys.begin(), changes.keys.end());
            follow([&] { m_rows->updateKeys(written); });
        }
    } catch (const DatabaseError &) {
        // Tried again at the next tick.
        m_putOff->merge(changes);
    }
}

void DataSet::keysArrived(std::vector<qint64> keys) {
    if (!active())
        return;
    if (isEditing(m_state)) {
        m_putOff->merge({true, {}});
        return;
    }
    try {
        follow([&] { m_rows->replaceKeys(std::move(keys)); });
    } catch (const DatabaseError &) {
        m_putOff->merge({true, {}});
    }
}

void DataSet::follow(const std::function<void()> &changeKeys) {
    const QVariant key = bookmark();
    const int before = m_current;
    changeKeys();
    m_rows->forgetValues();
    int row = key.isNull() ? -1 : m_rows->indexOfKey(key);
    if (!key.isNull() && row < 0) {
        row = rowAfterKey(key.toLongLong());
        tell(QStringLiteral("Another program deleted the row %1").arg(rowName(m_buffer)));
    } else if (key.isNull()) {
        row = std::max(before, 0);
    }
    row = std::min(row, recordCount() - 1);
    const bool sameRow = row == before && !key.isNull() && m_rows->key(row) == key;
    m_current = row;
    m_bof = m_current <= 0;
    m_eof = isEmpty() || (m_eof && m_current == recordCount() - 1);
    QVariantList values;
    try {
        values = readRow(row);
    } catch (const DatabaseError &) {
        // The keys have changed all the same; the row is read again at the next try.
        if (!sameRow)
            m_buffer = QVariantList(fieldCount());
        announce(Notice::Changed);
        throw;
    }
    // A row gone before the key list says so keeps what it showed until it does.
    if (!(sameRow && values == QVariantList(fieldCount())))
        m_buffer = std::move(values);
    announce(Notice::Changed);
}

int DataSet::rowAfterKey(qint64 key) const {
    // The keys are in key order after they were read or updated.
    int low = 0;
    int high = recordCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (m_rows->key(middle).toLongLong() < key)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

QString DataSet::rowName(const QVariantList &values) const {
    // The column that names the item (its code), else the key.
    QStringList names = m_identityFields;
    if (m_rows->keyField() >= 0)
        names << m_fields[size_t(m_rows->keyField())]->fieldName();
    // Named as the program names it (a server may store the name in another case).
    for (const QString &name : names)
        if (const Field *field = findField(name))
            return QStringLiteral("with %1 %2").arg(name, values.value(field->index()).toString());
    return QString();
}

void DataSet::warnAboutEditedRow(const TableChanges &changes) {
    if (m_state != DataSetState::Edit || m_pending != Pending::None)
        return;
    const QVariant key = m_rows->key(m_current);
    if (key.isNull() || !changes.touches(key.toLongLong()))
        return;
    std::optional<StoredRow> now;
    try {
        now = m_rows->stored(m_current);
    } catch (const DatabaseError &) {
        return; // Post checks the stored row anyway.
    }
    QString warning;
    if (!now) {
        warning = QStringLiteral("Another program deleted this row while you edit it");
    } else {
        QStringList columns;
        for (int c = 0; c < fieldCount(); ++c)
            if (now->values.value(c) != m_read.values.value(c))
                columns << m_fields[size_t(c)]->fieldName();
        if (!columns.isEmpty())
            warning = QStringLiteral("Another program changed this row while you edit it: %1")
                          .arg(columns.join(QStringLiteral(", ")));
    }
    if (!warning.isEmpty() && warning != m_editWarning)
        tell(warning);
    m_editWarning = warning;
}

// --- bookmarks and fields ----------------------------------------------------------------

QVariant DataSet::bookmark() const {
    if (!active() || m_state == DataSetState::Insert || m_current < 0)
        return {};
    return m_rows->key(m_current);
}

void DataSet::gotoBookmark(const QVariant &bookmark) {
    if (bookmark.isNull())
        return;
    checkActive();
    settle();
    const int index = m_rows->indexOfKey(bookmark);
    if (index < 0)
        throw DatabaseError(QStringLiteral("The bookmarked row is not in the current result"));
    moveTo(index, false, false);
}

Field *DataSet::findField(const QString &name) const {
    for (const auto &field : m_fields)
        if (field->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

Field *DataSet::fieldByName(const QString &name) const {
    if (Field *field = findField(name))
        return field;
    throw DatabaseError(QString::fromLatin1(msg::fieldNotFound).arg(name));
}

QVariant DataSet::currentValue(int fieldIndex) const {
    return m_buffer.value(fieldIndex);
}

void DataSet::setCurrentValue(int fieldIndex, const QVariant &value) {
    if (!isEditing(m_state))
        throw DatabaseError(QString::fromLatin1(msg::notEditing));
    m_buffer[fieldIndex] = value;
    m_changed[size_t(fieldIndex)] = true;
    m_modified = true;
    announce(Notice::Record, 0, m_fields[size_t(fieldIndex)].get());
}

QVariant DataSet::valueAt(int row, int fieldIndex) const {
    if (row == m_current)
        return m_buffer.value(fieldIndex);
    if (!m_rows || row < 0 || row >= recordCount())
        return {};
    return m_rows->row(row).value(fieldIndex);
}

QString DataSet::textAt(int row, int fieldIndex) const {
    if (fieldIndex < 0 || fieldIndex >= fieldCount())
        return {};
    return Field::displayText(valueAt(row, fieldIndex), m_fields[size_t(fieldIndex)]->dataType());
}

} // namespace db

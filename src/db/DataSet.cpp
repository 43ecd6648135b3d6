#include "db/DataSet.h"

#include "db/AliasRegistry.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "db/RowStore.h"

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

void DataSet::open() {
    if (active())
        return;
    QSqlDatabase db = AliasRegistry::database(m_databaseName);
    // The engine receives the lines joined with a line break after each.
    const QString text = m_sql.join(QLatin1Char('\n')) + QLatin1Char('\n');
    QString table;
    QString where;
    QString key;
    if (parseSimpleSelect(text, &table, &where))
        key = findKeyColumn(db, table);
    if (!key.isEmpty()) {
        KeyedRowStore::Source source{db,           table,         key,        where,
                                     m_parameters, m_requestLive, m_cacheRows};
        m_rows = std::make_unique<KeyedRowStore>(std::move(source));
    } else {
        m_rows = std::make_unique<MaterializedRowStore>(db, text, m_parameters);
    }
    m_live = m_requestLive && m_rows->canModify();
    int index = 0;
    for (const ColumnInfo &column : m_rows->columns())
        m_fields.push_back(
            std::make_unique<Field>(this, index++, column.name, column.type, column.size));
    try {
        checkRequiredFields();
    } catch (...) {
        m_fields.clear();
        m_rows.reset();
        throw;
    }
    m_state = DataSetState::Browse;
    m_modified = false;
    m_current = isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = isEmpty();
    loadCurrentRow();
    announce(Notice::Active);
    announce(Notice::Changed);
}

void DataSet::checkRequiredFields() {
    for (DataSource *source : m_sources)
        for (DataLink *link : source->links()) {
            const QString name = link->fieldName();
            if (!name.isEmpty() && !findField(name))
                throw DatabaseError(QString::fromLatin1(msg::fieldNotFound).arg(name));
        }
}

void DataSet::close() {
    if (!active())
        return;
    dropPending();
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
    if (m_state == DataSetState::Insert)
        m_rows->removeAt(m_current);
    if (isEditing(m_state)) {
        m_current = std::min(m_current, recordCount() - 1);
        m_state = DataSetState::Browse;
        m_modified = false;
    }
}

void DataSet::checkActive() const {
    if (!active())
        throw DatabaseError(QString::fromLatin1(msg::closed));
}

// --- moving ------------------------------------------------------------------------------

int DataSet::recordCount() const {
    return m_rows ? m_rows->count() : 0;
}

void DataSet::loadCurrentRow() {
    if (m_current >= 0 && m_current < recordCount())
        m_buffer = m_rows->row(m_current);
    else
        m_buffer = QVariantList(fieldCount());
}

void DataSet::moveTo(int row) {
    const int distance = row - m_current;
    m_current = row;
    loadCurrentRow();
    announce(Notice::Scrolled, distance);
}

void DataSet::first() {
    checkActive();
    settle();
    m_bof = true;
    m_eof = isEmpty();
    moveTo(isEmpty() ? -1 : 0);
}

void DataSet::last() {
    checkActive();
    settle();
    m_eof = true;
    m_bof = isEmpty();
    moveTo(recordCount() - 1);
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
        m_bof = m_eof = true;
        moveTo(-1);
        return 0;
    }
    const int target = std::clamp(m_current + n, 0, recordCount() - 1);
    const int moved = target - m_current;
    m_bof = n < 0 && moved != n;
    m_eof = n > 0 && moved != n;
    moveTo(target);
    return moved;
}

void DataSet::setRecNo(int row) {
    checkActive();
    if (row == m_current && !isEditing(m_state))
        return;
    settle();
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
    if (m_modified)
        post();
    else
        cancel();
}

void DataSet::beginEditState(DataSetState state) {
    m_state = state;
    m_modified = false;
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
    m_buffer = QVariantList(fieldCount());
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
    // Start from the row as the table holds it now.
    m_buffer = m_rows->reread(m_current);
    beginEditState(DataSetState::Edit);
    announce(Notice::Record);
}

void DataSet::post() {
    if (!isEditing(m_state))
        throw DatabaseError(QString::fromLatin1(msg::notEditing));
    takeEditorValues();
    if (m_state == DataSetState::Insert || m_modified)
        m_rows->write(m_current, m_buffer, m_changed);
    m_state = DataSetState::Browse;
    m_modified = false;
    m_buffer = m_rows->reread(m_current);
    announce(Notice::Editing);
    announce(Notice::Changed);
}

void DataSet::cancel() {
    if (!isEditing(m_state))
        return;
    dropPending();
    if (isEmpty()) {
        m_current = -1;
        m_bof = m_eof = true;
    }
    loadCurrentRow();
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
    m_rows->deleteRow(m_current);
    m_state = DataSetState::Browse;
    m_modified = false;
    m_current = std::min(m_current, recordCount() - 1);
    m_bof = m_eof = isEmpty();
    loadCurrentRow();
    announce(Notice::Editing);
    announce(Notice::Changed);
}

void DataSet::refresh() {
    checkActive();
    settle();
    const QVariant key = bookmark();
    m_rows->reload();
    const int found = key.isNull() ? -1 : m_rows->indexOfKey(key);
    m_current = found >= 0 ? found : std::min(std::max(m_current, 0), recordCount() - 1);
    m_bof = m_current <= 0;
    m_eof = isEmpty();
    loadCurrentRow();
    announce(Notice::Changed);
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
    m_bof = m_eof = false;
    moveTo(index);
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

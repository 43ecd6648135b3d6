#include "controls/DBGrid.h"

#include "controls/Confirm.h"
#include "controls/ErrorReport.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace controls {

namespace {
constexpr int gridRowHeight = 17;

// Draws its cells' text with an ellipsis where it does not fit.
class ElidingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideRight;
    }
};
} // namespace

// ---------------------------------------------------------------------------------------
// TDataSetModel

TDataSetModel::TDataSetModel(QObject *parent) : QAbstractTableModel(parent) {}

void TDataSetModel::setColumns(const std::vector<TColumn> &columns) {
    beginResetModel();
    m_columns = columns;
    resolveFields();
    m_rows = countRows();
    endResetModel();
}

void TDataSetModel::resolveFields() {
    m_fieldIndex.assign(m_columns.size(), -1);
    db::DataSet *set = dataSet();
    if (!set || !active())
        return;
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (const db::Field *field = set->findField(m_columns[i].FieldName))
            m_fieldIndex[i] = field->index();
}

int TDataSetModel::countRows() const {
    db::DataSet *set = dataSet();
    return set && active() ? set->recordCount() : 0;
}

int TDataSetModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TDataSetModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TDataSetModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows)
        return {};
    const int field = m_fieldIndex[std::size_t(index.column())];
    if (field < 0 || m_readsSuspended)
        return {};
    // Painting must not throw: a row the engine cannot give now shows empty cells.
    try {
        return dataSet()->textAt(index.row(), field);
    } catch (const db::DatabaseError &error) {
        reportReadFailure(error.message());
        return {};
    }
}

void TDataSetModel::reportReadFailure(const QString &message) const {
    m_readsSuspended = true;
    QTimer::singleShot(0, this, [this] { m_readsSuspended = false; });
    if (m_readFailureReported)
        return;
    m_readFailureReported = true;
    QTimer::singleShot(0, this, [message] { showErrorReport(message); });
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < int(m_columns.size()))
        return m_columns[std::size_t(section)].Title;
    return {};
}

void TDataSetModel::activeChanged() {
    m_readFailureReported = false;
    beginResetModel();
    resolveFields();
    m_rows = countRows();
    endResetModel();
    emit currentChanged();
}

void TDataSetModel::dataSetChanged() {
    m_readFailureReported = false;
    const int rows = countRows();
    if (rows != m_rows) {
        // Insert and delete change the row count at an unknown place; a reset costs the
        // view no per-row work with uniform row heights.
        beginResetModel();
        m_rows = rows;
        endResetModel();
    } else if (rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
    }
    emit currentChanged();
}

void TDataSetModel::dataSetScrolled(int) {
    emit currentChanged();
}

void TDataSetModel::recordChanged(db::Field *) {
    const db::DataSet *set = dataSet();
    if (set && active() && set->recNo() >= 0 && set->recNo() < m_rows)
        emit dataChanged(index(set->recNo(), 0), index(set->recNo(), columnCount() - 1));
}

void TDataSetModel::editingChanged() {
    emit currentChanged();
}

// ---------------------------------------------------------------------------------------
// TRowIndicator

TRowIndicator::TRowIndicator(TDBGrid *grid) : QHeaderView(Qt::Vertical, grid), m_grid(grid) {
    setSectionResizeMode(QHeaderView::Fixed);
    setDefaultSectionSize(gridRowHeight);
    setMinimumSectionSize(gridRowHeight);
    setSectionsClickable(false);
    setHighlightSections(false);
}

void TRowIndicator::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const {
    // The style's header drawing leaves an empty clip region behind when the painter had
    // no clipping, which would hide the mark: the painter's state is restored after it.
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    const db::DataSource *source = m_grid->DataSource();
    const db::DataSet *set = source ? source->dataSet() : nullptr;
    if (!set || !set->active() || set->recNo() != logicalIndex)
        return;
    painter->save();
    painter->setPen(Qt::black);
    painter->setBrush(Qt::black);
    const QPoint c = rect.center();
    switch (set->state()) {
    case db::DataSetState::Edit: // an I-beam
        painter->drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        painter->drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
        painter->drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
        break;
    case db::DataSetState::Insert: // a star
        painter->drawLine(c.x() - 3, c.y(), c.x() + 3, c.y());
        painter->drawLine(c.x(), c.y() - 3, c.x(), c.y() + 3);
        painter->drawLine(c.x() - 2, c.y() - 2, c.x() + 2, c.y() + 2);
        painter->drawLine(c.x() - 2, c.y() + 2, c.x() + 2, c.y() - 2);
        break;
    default: // a right-pointing arrow
        painter->drawPolygon(QPolygon({QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()),
                                       QPoint(c.x() - 2, c.y() + 4)}));
        break;
    }
    painter->restore();
}

// ---------------------------------------------------------------------------------------
// TDBGrid

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent), m_model(new TDataSetModel(this)) {
    setVerticalHeader(new TRowIndicator(this));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone); // a cell clips its text at the column edge
    setCornerButtonEnabled(false);
    setShowGrid(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setMinimumSectionSize(4);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setFixedHeight(gridRowHeight + 2);

    // The selected row stays as visible when another control has the focus.
    QPalette pal = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);

    connect(m_model, &TDataSetModel::currentChanged, this, &TDBGrid::followCurrentRow);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TDBGrid::followCurrentRow);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TDBGrid::fitKeyColumn);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &TDBGrid::fitKeyColumn);
}

void TDBGrid::setKeyColumn(int column) {
    if (m_keyColumn >= 0)
        setItemDelegateForColumn(m_keyColumn, nullptr);
    m_keyColumn = column;
    if (column >= 0)
        setItemDelegateForColumn(column, new ElidingDelegate(this));
    fitKeyColumn();
}

void TDBGrid::fitKeyColumn() {
    const int rows = m_model->rowCount();
    if (m_keyColumn < 0 || m_keyColumn >= m_model->columnCount() || rows == 0)
        return;
    const QString largest = m_model->index(rows - 1, m_keyColumn).data().toString();
    // The text plus the margins the style leaves on both sides of a cell's text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int needed = fontMetrics().horizontalAdvance(largest) + 2 * margin + 1;
    if (columnWidth(m_keyColumn) < needed)
        setColumnWidth(m_keyColumn, needed);
}

void TDBGrid::setDataSource(db::DataSource *source) {
    m_model->setDataSource(source);
    m_model->activeChanged();
}

void TDBGrid::setColumns(const std::vector<TColumn> &columns) {
    m_model->setColumns(columns);
    for (int i = 0; i < int(columns.size()); ++i)
        horizontalHeader()->resizeSection(i, columns[std::size_t(i)].Width);
}

db::DataSet *TDBGrid::activeDataSet() const {
    db::DataSource *source = DataSource();
    db::DataSet *set = source ? source->dataSet() : nullptr;
    return set && set->active() ? set : nullptr;
}

int TDBGrid::visibleRowCount() const {
    return std::max(1, viewport()->height() / verticalHeader()->defaultSectionSize());
}

void TDBGrid::followCurrentRow() {
    const db::DataSet *set = activeDataSet();
    const int row = set ? set->recNo() : -1;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clearSelection();
    } else {
        const int column = std::max(0, currentIndex().column());
        const QModelIndex target = m_model->index(row, column);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
        scrollTo(target);
    }
    verticalHeader()->viewport()->update();
}

void TDBGrid::keyPressEvent(QKeyEvent *event) {
    db::DataSet *set = activeDataSet();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    std::function<void()> action;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        action = [set] { set->prior(); };
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        action = [set] { set->next(); };
        break;
    case Qt::Key_PageUp:
        action = [this, set] { set->moveBy(-visibleRowCount()); };
        break;
    case Qt::Key_PageDown:
        action = [this, set] { set->moveBy(visibleRowCount()); };
        break;
    case Qt::Key_Home:
        action = [set] { set->first(); };
        break;
    case Qt::Key_End:
        action = [set] { set->last(); };
        break;
    case Qt::Key_Delete:
        if (ctrl)
            action = [this, set] {
                if (askConfirmation(QStringLiteral("Delete record?"), window()))
                    set->deleteRecord();
            };
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        // Ctrl+Tab and Ctrl+Shift+Tab leave the grid for the next or previous control.
        if (ctrl) {
            event->accept();
            QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab);
            return;
        }
        // Tab stays in the grid and steps through the columns of the current row.
        const int step = event->key() == Qt::Key_Tab ? 1 : -1;
        const QModelIndex current = currentIndex();
        const int column = std::clamp(current.column() + step, 0, m_model->columnCount() - 1);
        if (current.isValid())
            scrollTo(m_model->index(current.row(), column));
        selectionModel()->setCurrentIndex(m_model->index(current.row(), column),
                                          QItemSelectionModel::NoUpdate);
        event->accept();
        return;
    }
    default:
        // Insert, F2 and typing start nothing: the grid does not edit.
        event->accept();
        return;
    }
    event->accept();
    if (set && action)
        guarded(action, window());
}

bool TDBGrid::event(QEvent *event) {
    // Insert and F2 belong to the grid, which does nothing with them: a window shortcut on
    // the same key does not fire while the grid has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_F2 || key->key() == Qt::Key_Insert)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void TDBGrid::mousePressEvent(QMouseEvent *event) {
    // A control that refused to be left (its value could not be stored) kept the focus:
    // the click then selects nothing. In a window that is not active the grid has the
    // focus only within its window, and the click that activates the window counts.
    if (window()->focusWidget() != this)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    db::DataSet *set = activeDataSet();
    if (!index.isValid() || !set)
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    // A click on the row that is already current is no move: a pending edit stays as it is.
    if (index.row() != set->recNo())
        guarded([set, row = index.row()] { set->setRecNo(row); }, window());
    followCurrentRow();
}

void TDBGrid::mouseMoveEvent(QMouseEvent *) {}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *) {}

void TDBGrid::focusOutEvent(QFocusEvent *event) {
    QTableView::focusOutEvent(event);
    if (!m_cancelOnExit || event->reason() == Qt::ActiveWindowFocusReason ||
        event->reason() == Qt::PopupFocusReason)
        return;
    db::DataSet *set = activeDataSet();
    if (set && set->state() == db::DataSetState::Insert && !set->modified())
        guarded([set] { set->cancel(); }, window());
}

} // namespace controls

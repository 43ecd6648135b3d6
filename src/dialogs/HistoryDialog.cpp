#include "dialogs/HistoryDialog.h"

#include "controls/ErrorReport.h"
#include "data/EquipmentColumns.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dialogs {

namespace {

QSqlDatabase databaseOf(const db::DataSet &dataSet) {
    return db::AliasRegistry::database(dataSet.databaseName());
}

// The label the editor shows for a column, else its name.
QString caption(const QString &column) {
    static QHash<QString, QString> captions;
    const auto known = captions.constFind(column);
    if (known != captions.cend())
        return *known;
    QString text = column;
    if (const data::EquipmentColumn *found = data::findEquipmentColumn(column);
        found && *found->caption) {
        text = QString::fromUtf8(found->caption);
        const QString group = QString::fromUtf8(found->group).section(QLatin1Char('/'), -1);
        // "Heat" appears under "To User" and "To Target": the group tells them apart.
        if (!group.isEmpty() && group != text)
            text = group + QStringLiteral(": ") + text;
    }
    captions.insert(column, text);
    return text;
}

QString valueText(const QVariant &value) {
    return value.isNull() || !value.isValid() ? QStringLiteral("(empty)") : value.toString();
}

QString summary(const data::HistoryEntry &entry) {
    QStringList names;
    for (const data::ColumnChange &change : entry.changes)
        names << caption(change.column);
    return entry.kindText() + QStringLiteral(": ") + names.join(QStringLiteral(", "));
}

QTreeWidget *makeList(const QStringList &headers, QWidget *parent) {
    auto *list = new QTreeWidget(parent);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    return list;
}

void requireHistory(QSqlDatabase &db) {
    if (!data::historyExists(db))
        throw db::DatabaseError(QStringLiteral(
            "This catalogue keeps no history of its rows yet; its owner can add it with the "
            "catalogue tool"));
}

// Makes the row with this key current, reading the table again when it is not in the result.
void showRow(db::DataSet &dataSet, qint64 key) {
    try {
        dataSet.gotoBookmark(key);
    } catch (const db::DatabaseError &) {
        dataSet.refresh();
        dataSet.gotoBookmark(key);
    }
}

} // namespace

// --- the history of one row -------------------------------------------------------------

THistoryDialog::THistoryDialog(db::DataSet &dataSet, QWidget *parent)
    : QDialog(parent), m_dataSet(dataSet) {
    setObjectName(QStringLiteral("frmHistory"));
    resize(640, 480);
    m_changes = makeList(
        {QStringLiteral("When (UTC)"), QStringLiteral("Who"), QStringLiteral("Change")}, this);
    m_changes->setObjectName(QStringLiteral("lstChanges"));
    m_columns = makeList(
        {QStringLiteral("Column"), QStringLiteral("Old value"), QStringLiteral("New value")}, this);
    m_columns->setObjectName(QStringLiteral("lstColumns"));
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_changes);
    splitter->addWidget(m_columns);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_restoreColumn =
        buttons->addButton(QStringLiteral("Restore &column"), QDialogButtonBox::ActionRole);
    m_restoreColumn->setObjectName(QStringLiteral("cmdRestoreColumn"));
    m_restoreRow = buttons->addButton(QStringLiteral("Restore &row as before this change"),
                                      QDialogButtonBox::ActionRole);
    m_restoreRow->setObjectName(QStringLiteral("cmdRestoreRow"));
    m_older = buttons->addButton(QStringLiteral("&Older changes"), QDialogButtonBox::ActionRole);
    m_older->setObjectName(QStringLiteral("cmdOlder"));
    connect(m_older, &QPushButton::clicked, this,
            [this] { controls::guarded([this] { showOlder(); }, this); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_restoreColumn, &QPushButton::clicked, this,
            [this] { controls::guarded([this] { restoreColumn(); }, this); });
    connect(m_restoreRow, &QPushButton::clicked, this,
            [this] { controls::guarded([this] { restoreRow(); }, this); });
    connect(m_changes, &QTreeWidget::currentItemChanged, this, [this] { showChange(); });
    connect(m_columns, &QTreeWidget::currentItemChanged, this,
            [this] { m_restoreColumn->setEnabled(m_columns->currentItem() != nullptr); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    layout->addWidget(buttons);
    reload();
}

void THistoryDialog::reload() {
    m_changes->clear();
    m_history.clear();
    const QVariant key = m_dataSet.bookmark();
    if (key.isNull())
        throw db::DatabaseError(QStringLiteral("There is no stored row to show the history of"));
    QSqlDatabase db = databaseOf(m_dataSet);
    requireHistory(db);
    setWindowTitle(QStringLiteral("History of %1")
                       .arg(m_dataSet.fieldByName(QStringLiteral("Code"))->asString()));
    showOlder();
    if (QTreeWidgetItem *newest = m_changes->topLevelItem(0))
        m_changes->setCurrentItem(newest);
    showChange();
}

void THistoryDialog::showOlder() {
    QSqlDatabase db = databaseOf(m_dataSet);
    const std::vector<data::HistoryEntry> page =
        data::rowHistory(db, m_dataSet.bookmark().toLongLong(), pageSize,
                         m_history.empty() ? 0 : m_history.back().id);
    QList<QTreeWidgetItem *> items;
    items.reserve(qsizetype(page.size()));
    for (const data::HistoryEntry &entry : page)
        items << new QTreeWidgetItem({entry.when, entry.who, summary(entry)});
    m_changes->addTopLevelItems(items);
    m_history.insert(m_history.end(), page.begin(), page.end());
    m_older->setEnabled(int(page.size()) == pageSize);
}

int THistoryDialog::currentChange() const {
    QTreeWidgetItem *item = m_changes->currentItem();
    return item ? m_changes->indexOfTopLevelItem(item) : -1;
}

void THistoryDialog::showChange() {
    m_columns->clear();
    const int index = currentChange();
    m_restoreRow->setEnabled(index >= 0);
    m_restoreColumn->setEnabled(false);
    if (index < 0)
        return;
    for (const data::ColumnChange &change : m_history[size_t(index)].changes) {
        auto *item = new QTreeWidgetItem(
            m_columns, {caption(change.column), valueText(change.before), valueText(change.after)});
        item->setData(0, Qt::UserRole, change.column);
    }
}

void THistoryDialog::restore(const QVariantMap &values) {
    data::restoreValues(m_dataSet, values);
    reload();
}

void THistoryDialog::restoreColumn() {
    const int index = currentChange();
    QTreeWidgetItem *item = m_columns->currentItem();
    if (index < 0 || !item)
        return;
    const QString column = item->data(0, Qt::UserRole).toString();
    restore({{column, m_history[size_t(index)].change(column)->before}});
}

void THistoryDialog::restoreRow() {
    const int index = currentChange();
    if (index >= 0)
        restore(data::valuesBefore(m_history, size_t(index)));
}

// --- deleted rows -----------------------------------------------------------------------

TDeletedRowsDialog::TDeletedRowsDialog(db::DataSet &dataSet, QWidget *parent)
    : QDialog(parent), m_dataSet(dataSet) {
    setObjectName(QStringLiteral("frmDeletedRows"));
    setWindowTitle(QStringLiteral("Deleted rows"));
    resize(560, 360);
    m_rows = makeList({QStringLiteral("Deleted (UTC)"), QStringLiteral("Who"),
                       QStringLiteral("Code"), QStringLiteral("Name")},
                      this);
    m_rows->setObjectName(QStringLiteral("lstDeleted"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_restore = buttons->addButton(QStringLiteral("&Restore"), QDialogButtonBox::ActionRole);
    m_restore->setObjectName(QStringLiteral("cmdRestore"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_restore, &QPushButton::clicked, this,
            [this] { controls::guarded([this] { restoreRow(); }, this); });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_rows);
    layout->addWidget(buttons);

    QSqlDatabase db = databaseOf(m_dataSet);
    requireHistory(db);
    m_deleted = data::deletedRows(db);
    for (const data::HistoryEntry &entry : m_deleted) {
        const data::ColumnChange *name = entry.change(QStringLiteral("Name"));
        new QTreeWidgetItem(m_rows, {entry.when, entry.who, entry.code,
                                     name ? name->before.toString() : QString()});
    }
    if (QTreeWidgetItem *first = m_rows->topLevelItem(0))
        m_rows->setCurrentItem(first);
    m_restore->setEnabled(!m_deleted.empty());
}

void TDeletedRowsDialog::restoreRow() {
    const int index = m_rows->indexOfTopLevelItem(m_rows->currentItem());
    if (index < 0)
        return;
    QSqlDatabase db = databaseOf(m_dataSet);
    const qint64 key = data::restoreDeletedRow(db, m_deleted[size_t(index)]);
    accept();
    showRow(m_dataSet, key);
}

// --- undo and the menu ------------------------------------------------------------------

void undoLastChange(db::DataSet &dataSet, QWidget *parent) {
    if (dataSet.state() != db::DataSetState::Browse)
        return;
    QSqlDatabase db = databaseOf(dataSet);
    requireHistory(db);
    const std::optional<data::HistoryEntry> last = data::lastOwnChange(db);
    if (!last) {
        QMessageBox::information(parent, QStringLiteral("Undo"),
                                 QStringLiteral("There is no change of yours to undo"));
        return;
    }
    switch (last->kind) {
    case data::HistoryEntry::Kind::Update:
        showRow(dataSet, last->key);
        data::restoreValues(dataSet, data::valuesBefore({*last}, 0));
        break;
    case data::HistoryEntry::Kind::Insert:
        showRow(dataSet, last->key);
        dataSet.deleteRecord();
        break;
    case data::HistoryEntry::Kind::Delete:
        showRow(dataSet, data::restoreDeletedRow(db, *last));
        break;
    }
}

namespace {

// Lets the undo key reach the window's action while the user browses: a text box would
// otherwise take it for its own typing undo.
class BrowseUndoKey : public QObject {
public:
    BrowseUndoKey(QWidget *window, QAction *undo, db::DataSet &dataSet)
        : QObject(undo), m_window(window), m_undo(undo), m_dataSet(dataSet) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::ShortcutOverride &&
            m_dataSet.state() == db::DataSetState::Browse &&
            static_cast<QKeyEvent *>(event)->keyCombination() == m_undo->shortcut()[0] &&
            m_window->isAncestorOf(qobject_cast<QWidget *>(watched))) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    QWidget *m_window;
    QAction *m_undo;
    db::DataSet &m_dataSet;
};

} // namespace

void addHistoryMenu(QMenuBar *menuBar, db::DataSet &dataSet) {
    QWidget *window = menuBar->window();
    QMenu *menu = menuBar->addMenu(QStringLiteral("H&istory"));
    QAction *history = menu->addAction(QStringLiteral("Row &history..."));
    history->setObjectName(QStringLiteral("RowHistory1"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    QAction *deleted = menu->addAction(QStringLiteral("&Deleted rows..."));
    deleted->setObjectName(QStringLiteral("DeletedRows1"));
    QAction *undo = menu->addAction(QStringLiteral("&Undo my last change"));
    undo->setObjectName(QStringLiteral("Undo1"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    // The shortcuts work wherever the focus is in the window, also with the menu closed.
    window->addAction(history);
    window->addAction(undo);
    new BrowseUndoKey(window, undo, dataSet);

    QObject::connect(history, &QAction::triggered, window, [window, &dataSet] {
        controls::guarded([&] { THistoryDialog(dataSet, window).exec(); }, window);
    });
    QObject::connect(deleted, &QAction::triggered, window, [window, &dataSet] {
        controls::guarded([&] { TDeletedRowsDialog(dataSet, window).exec(); }, window);
    });
    QObject::connect(undo, &QAction::triggered, window, [window, &dataSet] {
        controls::guarded([&] { undoLastChange(dataSet, window); }, window);
    });
}

} // namespace dialogs

#pragma once

#include "data/EquipmentHistory.h"

#include <QDialog>
#include <vector>

class QMenuBar;
class QPushButton;
class QTreeWidget;

namespace db {
class DataSet;
}

namespace dialogs {

// The history of the current row: its changes newest first (when, who, what), and for the
// chosen change each column's old and new value under the editor's captions. A column's
// old value, or the whole row as it was before the chosen change, is stored again through
// the dataset's Edit and Post.
class THistoryDialog : public QDialog {
    Q_OBJECT
public:
    THistoryDialog(db::DataSet &dataSet, QWidget *parent = nullptr);

    QTreeWidget *changes() const { return m_changes; }
    QTreeWidget *columns() const { return m_columns; }
    QPushButton *restoreColumnButton() const { return m_restoreColumn; }
    QPushButton *restoreRowButton() const { return m_restoreRow; }
    QPushButton *olderButton() const { return m_older; }
    // Changes read at a time: a row with a long history opens at once.
    static constexpr int pageSize = 500;
    // Reads the current row's history again. Throws DatabaseError.
    void reload();
    void restoreColumn();
    void restoreRow();
    // Reads the next older changes. Throws DatabaseError.
    void showOlder();

private:
    void showChange();
    int currentChange() const;
    // Stores the values through Edit and Post, then shows the history with the new change.
    void restore(const QVariantMap &values);

    db::DataSet &m_dataSet;
    std::vector<data::HistoryEntry> m_history;
    QTreeWidget *m_changes;
    QTreeWidget *m_columns;
    QPushButton *m_restoreColumn;
    QPushButton *m_restoreRow;
    QPushButton *m_older;
};

// The rows deleted from the catalogue that are not back, newest first; the chosen one is
// inserted again (under its old key when that is free) and made the current row.
class TDeletedRowsDialog : public QDialog {
    Q_OBJECT
public:
    TDeletedRowsDialog(db::DataSet &dataSet, QWidget *parent = nullptr);

    QTreeWidget *rows() const { return m_rows; }
    void restoreRow();

private:
    db::DataSet &m_dataSet;
    std::vector<data::HistoryEntry> m_deleted;
    QTreeWidget *m_rows;
    QPushButton *m_restore;
};

// Undoes the connection's own last change of the catalogue: a changed row gets its values
// from before it back, an inserted row is deleted, a deleted row is inserted again; each
// through the dataset, so its checks apply. Does nothing while a row is being edited.
// Throws DatabaseError.
void undoLastChange(db::DataSet &dataSet, QWidget *parent);

// The History menu of the main window: the current row's history (Ctrl+H), the deleted rows,
// and undo of the own last change (Ctrl+Z while browsing).
void addHistoryMenu(QMenuBar *menuBar, db::DataSet &dataSet);

} // namespace dialogs

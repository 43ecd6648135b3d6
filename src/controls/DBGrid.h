#pragma once

#include "db/DataSource.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>
#include <vector>

namespace controls {

// One column of a data grid: the dataset column it shows, its title and its width.
struct TColumn {
    QString FieldName;
    QString Title;
    int Width = 64;
};

class TDBGrid;

// The rows of the grid's dataset as a table model. It owns no copy of the rows: every
// cell is read through the dataset's row cache when the view paints it, so only the
// visible rows are ever fetched.
class TDataSetModel : public QAbstractTableModel, public db::DataLink {
    Q_OBJECT
public:
    explicit TDataSetModel(QObject *parent = nullptr);

    void setColumns(const std::vector<TColumn> &columns);
    const std::vector<TColumn> &columns() const { return m_columns; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void activeChanged() override;
    void dataSetChanged() override;
    void dataSetScrolled(int distance) override;
    void recordChanged(db::Field *field) override;
    void editingChanged() override;

signals:
    // The dataset's current row or state changed: the view follows it.
    void currentChanged();

private:
    void resolveFields();
    int countRows() const;

    std::vector<TColumn> m_columns;
    std::vector<int> m_fieldIndex; // dataset column per grid column, -1 when missing
    int m_rows = 0;
    // A row that could not be read while the grid painted: reported once, after the paint,
    // and not again until the dataset's rows change. The rest of that paint reads no rows:
    // each read would wait for the engine's lock again.
    mutable bool m_readFailureReported = false;
    mutable bool m_readsSuspended = false;
    void reportReadFailure(const QString &message) const;
};

// The narrow header at the left of the grid: marks the current row (an arrow while
// browsing, an I-beam while editing, a star for a new row).
class TRowIndicator : public QHeaderView {
    Q_OBJECT
public:
    TRowIndicator(TDBGrid *grid);
    QSize sizeHint() const override { return {11, 0}; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    TDBGrid *m_grid;
};

// A read-only grid of the rows of a data source. A click makes a row current; the keys
// move through the dataset; Ctrl+Delete deletes the current row after a confirmation.
// It edits no value. An untouched new row is dropped when the grid loses the focus.
// Ctrl+Tab and Ctrl+Shift+Tab leave it; plain Tab steps through the columns.
class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    db::DataSource *DataSource() const { return m_model->dataSource(); }
    void setDataSource(db::DataSource *source);
    void setColumns(const std::vector<TColumn> &columns);
    TDataSetModel *dataModel() const { return m_model; }
    // Rows that fit in the visible area (the page keys move by this many).
    int visibleRowCount() const;
    // Whether an untouched new row is dropped when the grid loses the focus (on by
    // default). A window that shows the row in other controls too turns it off and
    // decides itself when the row is left.
    bool cancelOnExit() const { return m_cancelOnExit; }
    void setCancelOnExit(bool on) { m_cancelOnExit = on; }
    // The column of the result's key, whose rows come in key order: whenever the rows
    // change it widens to show the last (largest) key whole, and a key that the user
    // narrows it below ends in an ellipsis instead of losing digits unseen. -1: none.
    void setKeyColumn(int column);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void followCurrentRow();
    void fitKeyColumn();
    db::DataSet *activeDataSet() const;

    TDataSetModel *m_model;
    bool m_cancelOnExit = true;
    int m_keyColumn = -1;
};

} // namespace controls

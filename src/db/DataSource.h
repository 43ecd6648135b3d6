#pragma once

#include "db/DataSetState.h"

#include <QString>
#include <vector>

namespace db {

class DataSet;
class DataSource;
class Field;

// How a control follows a data source. Every change of row, value or state of the
// dataset is announced to every link of every source attached to it.
class DataLink {
public:
    DataLink() = default;
    virtual ~DataLink();
    DataLink(const DataLink &) = delete;
    DataLink &operator=(const DataLink &) = delete;

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    DataSet *dataSet() const;

    // Active while the source exists and its dataset is not inactive.
    bool active() const;
    // Editing while the source is in edit or insert state.
    bool editing() const;

    // The column this link shows, if any. Opening a dataset fails with
    // "Field '%s' not found" when a link's column is missing from the result.
    virtual QString fieldName() const { return {}; }

    // Notifications, called on the GUI thread by the dataset.
    virtual void activeChanged() {}
    // The whole result changed (open, refresh, insert, delete, post, cancel).
    virtual void dataSetChanged() { recordChanged(nullptr); }
    // The current row moved by the given number of rows.
    virtual void dataSetScrolled(int distance);
    // A value of the current row changed (field), or the whole row (nullptr).
    virtual void recordChanged(Field *field);
    virtual void editingChanged() {}
    // Before a post: the control takes its pending text into the row (it may throw).
    virtual void updateData() {}

private:
    friend class DataSource;
    DataSource *m_source = nullptr;
};

// Connects data-aware controls to one dataset.
class DataSource {
public:
    explicit DataSource(DataSet *dataSet = nullptr);
    ~DataSource();
    DataSource(const DataSource &) = delete;
    DataSource &operator=(const DataSource &) = delete;

    DataSet *dataSet() const { return m_dataSet; }
    void setDataSet(DataSet *dataSet);
    DataSetState state() const;

    // Automatic editing: when on, a control may put the dataset into edit state when the
    // user types. This program keeps it off: only the navigator starts editing.
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }

    const std::vector<DataLink *> &links() const { return m_links; }

private:
    friend class DataLink;
    friend class DataSet;
    void addLink(DataLink *link);
    void removeLink(DataLink *link);

    DataSet *m_dataSet = nullptr;
    bool m_autoEdit = true;
    std::vector<DataLink *> m_links;
};

} // namespace db

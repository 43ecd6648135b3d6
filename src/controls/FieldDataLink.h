#pragma once

#include "db/DataSource.h"

#include <QString>
#include <functional>

class QFocusEvent;
class QWidget;

namespace db {
class Field;
}

namespace controls {

class FieldControl;

// The link between one data-aware control and the column it shows. The field is looked
// up by name whenever it is needed, because a dataset rebuilds its fields at every open.
class FieldDataLink : public db::DataLink {
public:
    explicit FieldDataLink(FieldControl *control) : m_control(control) {}

    void setFieldName(const QString &name);
    QString fieldName() const override { return m_fieldName; }
    // The caption that messages about the column name it by; handed to the field of every
    // result, since a dataset rebuilds its fields at each open.
    void setDisplayLabel(const QString &label);
    // The bound column of the current result; nullptr when inactive or absent.
    db::Field *field() const;
    // The user may change the value: editing, and the result can be modified.
    bool canModify() const;

    // The control's shown value differs from the row's.
    bool isModified() const { return m_modified; }
    void setModified() { m_modified = true; }
    // Shows the stored value again, dropping what the user typed.
    void reset();
    // Esc with nothing left to restore in the control: cancels the row's edit or insert
    // (errors reported over the given window). False when the row is not being edited.
    bool cancelEdit(QWidget *window);

    void activeChanged() override;
    void recordChanged(db::Field *field) override;
    void editingChanged() override;
    void updateData() override;

private:
    void labelField() const;

    FieldControl *m_control;
    QString m_fieldName;
    QString m_label;
    bool m_modified = false;
};

// What every data-aware control shares: the link to its column, the DataSource and
// DataField properties, and what it does when the column's value or the dataset's state
// changes.
class FieldControl {
public:
    virtual ~FieldControl() = default;

    db::DataSource *DataSource() const { return m_link.dataSource(); }
    // Binds the control and shows the current row's value in the current state.
    void setDataSource(db::DataSource *source);
    QString DataField() const { return m_link.fieldName(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }
    void setDisplayLabel(const QString &label) { m_link.setDisplayLabel(label); }
    db::Field *field() const { return m_link.field(); }

protected:
    friend class FieldDataLink;
    // Show the column's value of the current row (or nothing without a row).
    virtual void dataChange() = 0;
    // The dataset entered or left edit/insert state, or became (in)active.
    virtual void editingChange() = 0;
    // Take the control's pending value into the row (may throw).
    virtual void updateData() = 0;

    FieldDataLink m_link{this};
};

// Leaving a control takes its pending value into the row. When the row refuses it (a
// conversion error, or no edit state), the control takes the focus back before the next
// control gets it, its whole text is selected, and the error is reported. Losing the focus
// to another window or to the control's own pop-up list is not leaving it.
void exitControl(QWidget *control, FieldDataLink &link, const QFocusEvent *event,
                 const std::function<void()> &selectAll);

} // namespace controls

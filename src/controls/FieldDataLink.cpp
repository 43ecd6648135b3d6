#include "controls/FieldDataLink.h"

#include "controls/ErrorReport.h"
#include "db/DataSet.h"
#include "db/Field.h"

#include <QFocusEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace controls {

void FieldControl::setDataSource(db::DataSource *source) {
    m_link.setDataSource(source);
    m_link.reset();
    editingChange();
}

void FieldDataLink::setFieldName(const QString &name) {
    m_fieldName = name;
    reset();
}

void FieldDataLink::setDisplayLabel(const QString &label) {
    m_label = label;
    labelField();
}

void FieldDataLink::labelField() const {
    if (db::Field *f = field(); f && !m_label.isEmpty())
        f->setDisplayLabel(m_label);
}

db::Field *FieldDataLink::field() const {
    db::DataSet *set = dataSet();
    if (!set || !active() || m_fieldName.isEmpty())
        return nullptr;
    return set->findField(m_fieldName);
}

bool FieldDataLink::canModify() const {
    return editing() && field() && dataSet()->canModify();
}

void FieldDataLink::reset() {
    m_modified = false;
    m_control->dataChange();
}

bool FieldDataLink::cancelEdit(QWidget *window) {
    if (!editing())
        return false;
    guarded([this] { dataSet()->cancel(); }, window);
    return true;
}

void FieldDataLink::activeChanged() {
    labelField();
    reset();
    m_control->editingChange();
}

void FieldDataLink::recordChanged(db::Field *changed) {
    if (!changed || changed == field())
        reset();
}

void FieldDataLink::editingChanged() {
    // Entering or leaving edit state shows the stored value: a pick left over from
    // browsing is dropped, and after a post or cancel the row's value is what counts.
    reset();
    m_control->editingChange();
}

void FieldDataLink::updateData() {
    if (!m_modified)
        return;
    labelField();
    m_control->updateData();
    m_modified = false;
}

void exitControl(QWidget *control, FieldDataLink &link, const QFocusEvent *event,
                 const std::function<void()> &selectAll) {
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    try {
        link.updateData();
    } catch (const std::exception &error) {
        // Taking the focus back while the focus change is still being delivered keeps the
        // next control from receiving it. The report waits for the change to finish.
        control->setFocus(Qt::OtherFocusReason);
        selectAll();
        const QString message = errorMessage(error);
        QPointer<QWidget> guard(control);
        QTimer::singleShot(0, control, [guard, message] {
            if (guard)
                showErrorReport(message, guard->window());
        });
    }
}

} // namespace controls

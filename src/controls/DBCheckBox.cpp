#include "controls/DBCheckBox.h"

#include "controls/ErrorReport.h"
#include "db/Field.h"

#include <QKeyEvent>

namespace controls {

TDBCheckBox::TDBCheckBox(QWidget *parent) : QCheckBox(parent) {
    setTristate(true);
}

void TDBCheckBox::dataChange() {
    const db::Field *f = m_link.field();
    if (!f) {
        setCheckState(Qt::Unchecked);
        return;
    }
    switch (f->yesNo()) {
    case db::YesNo::Yes:
        setCheckState(Qt::Checked);
        break;
    case db::YesNo::No:
        setCheckState(Qt::Unchecked);
        break;
    case db::YesNo::Grey:
        setCheckState(Qt::PartiallyChecked);
        break;
    }
}

void TDBCheckBox::keyPressEvent(QKeyEvent *event) {
    // A tick is stored at once: Esc has no field text to restore and cancels the row's edit.
    if (event->key() == Qt::Key_Escape && m_link.cancelEdit(window()))
        return;
    QCheckBox::keyPressEvent(event);
}

void TDBCheckBox::nextCheckState() {
    if (!m_link.canModify())
        return;
    const bool ticked = checkState() != Qt::Checked;
    // The row takes the value at once; its change notice then sets the box.
    guarded([this, ticked] { m_link.field()->setYesNo(ticked); }, window());
}

} // namespace controls

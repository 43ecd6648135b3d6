#include "controls/DBEdit.h"

#include "db/Field.h"

#include <QKeyEvent>

namespace controls {

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent) {
    setReadOnly(true);
    connect(this, &QLineEdit::textEdited, this, [this] { m_link.setModified(); });
}

void TDBEdit::dataChange() {
    const db::Field *f = m_link.field();
    setText(f ? f->asString() : QString());
    setCursorPosition(0);
}

void TDBEdit::editingChange() {
    setReadOnly(!m_link.canModify());
}

void TDBEdit::updateData() {
    if (db::Field *f = m_link.field())
        f->setAsString(text());
}

void TDBEdit::mouseDoubleClickEvent(QMouseEvent *event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void TDBEdit::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        // The first Esc restores the field, the next one cancels the row's edit.
        if (m_link.isModified()) {
            m_link.reset();
            selectAll();
            return;
        }
        if (m_link.cancelEdit(window()))
            return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    exitControl(this, m_link, event, [this] { selectAll(); });
}

} // namespace controls

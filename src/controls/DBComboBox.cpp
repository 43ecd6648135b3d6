#include "controls/DBComboBox.h"

#include "db/DatabaseError.h"
#include "db/Field.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

namespace controls {

TDBComboBox::TDBComboBox(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    lineEdit()->setReadOnly(true);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_link.setModified(); });
    connect(this, &QComboBox::activated, this, [this](int index) {
        setEditText(itemText(index));
        m_link.setModified();
    });
}

void TDBComboBox::setItems(const QStringList &values) {
    const QString text = currentText();
    clear();
    addItems(values);
    showText(text);
}

void TDBComboBox::showText(const QString &text) {
    // The list position follows the text: a position left on another entry would make the
    // box report a pick of the shown text when it is left.
    setCurrentIndex(findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    setEditText(text);
}

void TDBComboBox::dataChange() {
    const db::Field *f = m_link.field();
    showText(f ? f->asString() : QString());
    lineEdit()->setCursorPosition(0);
}

void TDBComboBox::editingChange() {
    lineEdit()->setReadOnly(!m_link.canModify());
}

void TDBComboBox::updateData() {
    db::Field *f = m_link.field();
    // Picking or typing the value the row already holds changes nothing: it is no error
    // while browsing, and no reason to write the row while editing.
    if (!f || currentText() == f->asString())
        return;
    if (!m_link.editing())
        throw db::DatabaseError(QString::fromLatin1(db::msg::notEditing));
    f->setAsString(currentText());
}

void TDBComboBox::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_link.isModified()) {
            m_link.reset();
            lineEdit()->selectAll();
            return;
        }
        if (m_link.cancelEdit(window()))
            return;
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // Stepping through the list would change the value without opening it; Alt+Down
        // (open the list) stays available.
        if (!m_link.canModify() && !(event->modifiers() & Qt::AltModifier))
            return;
        break;
    default:
        break;
    }
    QComboBox::keyPressEvent(event);
}

void TDBComboBox::wheelEvent(QWheelEvent *event) {
    if (m_link.canModify())
        QComboBox::wheelEvent(event);
    else
        event->ignore(); // the scroll area around the box scrolls instead
}

void TDBComboBox::focusOutEvent(QFocusEvent *event) {
    QComboBox::focusOutEvent(event);
    exitControl(this, m_link, event, [this] { lineEdit()->selectAll(); });
}

} // namespace controls

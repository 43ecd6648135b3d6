#include "controls/Confirm.h"

#include <QMessageBox>
#include <QPushButton>

namespace controls {

bool askConfirmation(const QString &text, QWidget *parent) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

db::DataSet::RefusedEditChoice askRefusedEdit(const QString &refusal, QWidget *parent) {
    using Choice = db::DataSet::RefusedEditChoice;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                    refusal + QStringLiteral(".\n\nStore your values anyway, drop them, or stay "
                                             "on this row?"),
                    QMessageBox::NoButton, parent);
    QPushButton *post = box.addButton(QStringLiteral("&Post"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("&Discard"), QMessageBox::DestructiveRole);
    QPushButton *stay = box.addButton(QStringLiteral("&Stay"), QMessageBox::RejectRole);
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    box.exec();
    if (box.clickedButton() == post)
        return Choice::Post;
    if (box.clickedButton() == discard)
        return Choice::Discard;
    return Choice::Stay;
}

} // namespace controls

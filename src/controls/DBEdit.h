#pragma once

#include "controls/FieldDataLink.h"

#include <QLineEdit>

namespace controls {

// A one-line edit bound to a column of the data source's current row. It accepts input
// only while the row is being edited or inserted; its text goes into the row when the
// edit is left or the row is posted.
class TDBEdit : public QLineEdit, public FieldControl {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr);

signals:
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void dataChange() override;
    void editingChange() override;
    void updateData() override;
};

} // namespace controls

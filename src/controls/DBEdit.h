#pragma once

#include "controls/FieldDataLink.h"

#include <QLineEdit>

namespace controls {

// A one-line edit bound to a column of the data source's current row. It accepts input
// only while the row is being edited or inserted; its text goes into the row when the
// edit is left or the row is posted.
class TDBEdit : public QLineEdit, private FieldControl {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr);

    db::DataSource *DataSource() const { return m_link.dataSource(); }
    void setDataSource(db::DataSource *source);
    QString DataField() const { return m_link.fieldName(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }
    db::Field *field() const { return m_link.field(); }

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

    FieldDataLink m_link{this};
};

} // namespace controls

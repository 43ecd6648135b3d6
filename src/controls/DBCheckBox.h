#pragma once

#include "controls/FieldDataLink.h"

#include <QCheckBox>

namespace controls {

// A check box bound to a yes/no column: ticked, clear, or grey for an empty or unknown
// value. A click changes the row only while it is being edited or inserted: grey and
// clear become ticked, ticked becomes clear.
class TDBCheckBox : public QCheckBox, private FieldControl {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget *parent = nullptr);
    TDBCheckBox(const QString &text, QWidget *parent) : TDBCheckBox(parent) { setText(text); }

    db::DataSource *DataSource() const { return m_link.dataSource(); }
    void setDataSource(db::DataSource *source);
    QString DataField() const { return m_link.fieldName(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }

protected:
    void nextCheckState() override;

private:
    void dataChange() override;
    void editingChange() override {}
    void updateData() override {}

    FieldDataLink m_link{this};
};

} // namespace controls

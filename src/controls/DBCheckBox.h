#pragma once

#include "controls/FieldDataLink.h"

#include <QCheckBox>

namespace controls {

// A check box bound to a yes/no column: ticked, clear, or grey for an empty or unknown
// value. A click changes the row only while it is being edited or inserted: grey and
// clear become ticked, ticked becomes clear.
class TDBCheckBox : public QCheckBox, public FieldControl {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget *parent = nullptr);
    TDBCheckBox(const QString &text, QWidget *parent) : TDBCheckBox(parent) { setText(text); }

protected:
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void dataChange() override;
    void editingChange() override {}
    void updateData() override {}
};

} // namespace controls

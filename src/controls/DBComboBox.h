#pragma once

#include "controls/FieldDataLink.h"

#include <QComboBox>

namespace controls {

// A drop-down box bound to a text column: a list of values to pick from, and any other
// text may be typed while the row is being edited. While browsing the text cannot be
// typed or stepped through, but the list still opens; a pick made then is refused when
// the box is left ("Dataset not in edit or insert mode").
class TDBComboBox : public QComboBox, public FieldControl {
    Q_OBJECT
public:
    explicit TDBComboBox(QWidget *parent = nullptr);

    void setItems(const QStringList &values);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // Shows the text, with the list positioned on the entry that equals it (if any).
    void showText(const QString &text);
    void dataChange() override;
    void editingChange() override;
    void updateData() override;
};

} // namespace controls

#pragma once

#include <QString>

class QWidget;

namespace controls {

// The program's confirmation box: caption "Confirm", question icon, OK (default, Enter)
// and Cancel (Esc). True only when the user chose OK; closing the box counts as Cancel.
bool askConfirmation(const QString &text, QWidget *parent = nullptr);

} // namespace controls

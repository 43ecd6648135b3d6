#pragma once

#include "db/DataSet.h"

#include <QString>

class QWidget;

namespace controls {

// The program's confirmation box: caption "Confirm", question icon, OK (default, Enter)
// and Cancel (Esc). True only when the user chose OK; closing the box counts as Cancel.
bool askConfirmation(const QString &text, QWidget *parent = nullptr);

// Asked when the user leaves a row whose Post was refused (another program changed or
// deleted it): Post stores the values anyway, Discard drops them, Stay (Esc, closing the
// box) keeps the edit on the row.
db::DataSet::RefusedEditChoice askRefusedEdit(const QString &refusal, QWidget *parent = nullptr);

} // namespace controls

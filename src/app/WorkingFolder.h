#pragma once

#include <QString>

class QWidget;

namespace app {

// Makes the given folder, and any folder above it that is missing, the working directory
// (the menu entry starts the editor in ~/Vantrel/Editor this way). When it cannot be made
// or entered, says why on standard error and in an error box, since a program started from
// the menu has no terminal to show standard error on; returns false then.
bool enterWorkingFolder(const QString &path, QWidget *parent = nullptr);

} // namespace app

#pragma once

#include "platform/Version.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace dialogs {

using platform::versionText;

// A font as the windows are designed with it: a negative height is the character height in
// pixels.
QFont designFont(const QString &family, int height, bool bold = false);

// One label of a window's layout.
struct LabelSpec {
    const char *name;
    QRect geometry;
    QString text;
    const char *family;
    int height;
    bool bold;
    QRgb color;
    bool centred;
};

// Creates a label of fixed size whose text sits at the top, left-aligned or centred.
// It is transparent: what lies beneath shows around the letters.
QLabel *createLabel(QWidget *owner, const LabelSpec &place);

// Sets the window's client size and fixes its background colour.
void setClientArea(QWidget *window, QSize size, const QColor &background);

// Moves the window so that its frame is centred on the screen it is on.
void centreOnScreen(QWidget *window);

} // namespace dialogs

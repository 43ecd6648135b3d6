#include "app/ScreenCursor.h"

#include <QApplication>
#include <QCursor>

namespace app {

void setScreenCursor(Qt::CursorShape shape) {
    if (shape == Qt::ArrowCursor) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    } else if (QApplication::overrideCursor()) {
        QApplication::changeOverrideCursor(QCursor(shape));
    } else {
        QApplication::setOverrideCursor(QCursor(shape));
    }
}

} // namespace app

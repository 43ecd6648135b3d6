#pragma once

#include "report/emf/EmfFormat.h"

#include <QFont>
#include <QString>

namespace report {

// A font as a report control states it: the engine draws by point size.
struct TQRFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    emf::ColorRef Color = 0;

    // The font at the given pixel height, for measuring and showing text on screen.
    QFont toQFont(int pixelSize) const;

    bool operator==(const TQRFont &) const = default;
};

} // namespace report

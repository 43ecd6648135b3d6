#pragma once

#include "report/emf/EmfFormat.h"

class QRect;

namespace report {

namespace emf {
class EmfWriter;
} // namespace emf

// Lines along some sides of a band or page, drawn with a black solid pen.
struct TQRFrame {
    emf::ColorRef Color = 0;
    int Width = 1; // page units
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;

    // Draws the chosen sides on the edges of area (its right() and bottom() are the last unit
    // column and row), top, bottom, left and right in that order, each line up to but not
    // including its second point. Records nothing when no side is drawn.
    void Draw(emf::EmfWriter &canvas, const QRect &area) const;
};

} // namespace report

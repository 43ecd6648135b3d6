#pragma once

#include <QFont>
#include <QString>

namespace report::emf {

// A logical font as the picture records it: the height is in page units, negative for the
// character (em) height as a screen font of a given point size has it.
struct LogFont {
    int height = -13;
    // Average character width in page units, 0 for the face's own: a smaller width draws
    // the face condensed.
    int width = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face = QStringLiteral("Arial");

    bool operator==(const LogFont &) const = default;
};

// The largest font drawn, in page units; beyond it glyph rendering would cost far more than
// any real page needs.
constexpr int kMaxFontHeight = 2000;
// The narrowest a face is condensed to, in percent of its own width. A face is never drawn
// wider than its own: the drawing work a page may ask for is bounded with the faces' widths.
constexpr int kMinStretch = 10;

// The font a logical font is drawn with, one pixel a page unit.
QFont toQFont(const LogFont &font);

// The average character width of font's face at its height (its width left aside), in page
// units: the measure of LogFont::width.
qreal averageCharWidth(const LogFont &font);

} // namespace report::emf

#pragma once

#include "report/TextWidths.h"
#include "report/emf/LogFont.h"

#include <QFontMetricsF>
#include <QString>
#include <optional>

namespace report {

// Fits texts into the room they have on the page by condensing the face they are drawn
// with: a printed value must show whole or, where even the narrowest face does not fit,
// visibly cut at its column's edge, never run under its neighbour or off the paper.
class TextFit {
public:
    // The narrowest a face is condensed to fit, in percent of its own width.
    static constexpr int kNarrowest = 50;

    // The font to draw text in so that it is at most room page units wide: font itself when
    // the text fits, otherwise the widest condensed face that fits, or the narrowest one.
    emf::LogFont fitted(const emf::LogFont &font, const QString &text, double room);
    // The width of text drawn in font, in page units.
    double width(const emf::LogFont &font, const QString &text);

private:
    const QFontMetricsF &ownMetrics(const emf::LogFont &font);

    // The last face measured at its own width, and the widths of texts in it.
    emf::LogFont m_font;
    std::optional<QFontMetricsF> m_metrics;
    TextWidths<double> m_widths;
};

} // namespace report

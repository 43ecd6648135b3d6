#include "report/TextFit.h"

#include <cmath>

namespace report {

const QFontMetricsF &TextFit::ownMetrics(const emf::LogFont &font) {
    if (!m_metrics || !(m_font == font)) {
        m_font = font;
        m_metrics.emplace(emf::toQFont(font));
        m_widths.clear();
    }
    return *m_metrics;
}

double TextFit::width(const emf::LogFont &font, const QString &text) {
    if (font.width != 0)
        return QFontMetricsF(emf::toQFont(font)).horizontalAdvance(text);
    const QFontMetricsF &fm = ownMetrics(font);
    return m_widths.of(text, [&fm](const QString &t) { return fm.horizontalAdvance(t); });
}

emf::LogFont TextFit::fitted(const emf::LogFont &font, const QString &text, double room) {
    emf::LogFont own = font;
    own.width = 0;
    if (width(own, text) <= room)
        return own;
    // The recorded width is whole page units, so the face narrows in steps of one unit of
    // its average character width.
    const double average = ownMetrics(own).averageCharWidth();
    const int narrowest = std::max(1, int(std::ceil(average * kNarrowest / 100)));
    emf::LogFont condensed = own;
    for (condensed.width = int(std::floor(average)); condensed.width > narrowest; --condensed.width)
        if (width(condensed, text) <= room)
            return condensed;
    condensed.width = narrowest;
    return condensed;
}

} // namespace report

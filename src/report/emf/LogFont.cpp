#include "report/emf/LogFont.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace report::emf {

namespace {

QFont ownFace(const LogFont &font) {
    QFont f(font.face);
    // A negative height is the character height, a positive one the cell height, of which
    // the character takes roughly seven eighths.
    const qint64 h = font.height;
    const qint64 px = h < 0 ? -h : (h * 7 + 4) / 8;
    f.setPixelSize(int(std::clamp<qint64>(px == 0 ? 13 : px, 1, kMaxFontHeight)));
    if (font.weight > 0)
        f.setWeight(QFont::Weight(qBound(1, font.weight, 1000)));
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace

qreal averageCharWidth(const LogFont &font) {
    return QFontMetricsF(ownFace(font)).averageCharWidth();
}

QFont toQFont(const LogFont &font) {
    QFont f = ownFace(font);
    if (font.width != 0) {
        const qreal own = QFontMetricsF(f).averageCharWidth();
        if (own > 0)
            f.setStretch(std::clamp(int(std::lround(100 * std::abs(double(font.width)) / own)),
                                    kMinStretch, 100));
    }
    return f;
}

} // namespace report::emf

#include "report/QRFont.h"

namespace report {

QFont TQRFont::toQFont(int pixelSize) const {
    QFont f(Name);
    f.setPixelSize(qMax(1, pixelSize));
    f.setBold(Bold);
    f.setItalic(Italic);
    f.setUnderline(Underline);
    f.setStrikeOut(StrikeOut);
    return f;
}

} // namespace report

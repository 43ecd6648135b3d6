#include "report/emf/EmfWriter.h"

#include <QtGlobal>
#include <cmath>

namespace report::emf {

namespace {

int roundEven(double v) {
    return int(std::nearbyint(v));
}

constexpr int kLogFontFaceChars = 32;
constexpr int kLogFontSize = 92;

} // namespace

EmfWriter::EmfWriter(int pageWidth, int pageHeight, int unitsPerInch) {
    const int upi = unitsPerInch > 0 ? unitsPerInch : kRefDpi;
    m_data.reserve(64 * 1024); // a page of table rows, without growing

    // Header: the frame is the page in 0.01 mm and the bounds are the page on the 96-dpi
    // reference device, both inclusive; the counts are filled in by finish().
    const int framePx[2] = {roundEven(double(pageWidth) * kRefDpi / upi),
                            roundEven(double(pageHeight) * kRefDpi / upi)};
    beginRecord(EMR_HEADER, kHeaderSize);
    appendRect(0, 0, qMax(framePx[0], 1) - 1, qMax(framePx[1], 1) - 1);
    appendRect(0, 0, qMax(roundEven(double(pageWidth) * 2540 / upi), 1) - 1,
               qMax(roundEven(double(pageHeight) * 2540 / upi), 1) - 1);
    appendU32(m_data, kSignature);
    appendU32(m_data, kVersion);
    appendU32(m_data, 0); // nBytes
    appendU32(m_data, 0); // nRecords
    appendU16(m_data, 0); // nHandles
    appendU16(m_data, 0); // reserved
    appendU32(m_data, 0); // nDescription
    appendU32(m_data, 0); // offDescription
    appendU32(m_data, 0); // nPalEntries
    appendI32(m_data, kRefDevicePx[0]);
    appendI32(m_data, kRefDevicePx[1]);
    appendI32(m_data, kRefDeviceMm[0]);
    appendI32(m_data, kRefDeviceMm[1]);
    appendU32(m_data, 0); // cbPixelFormat
    appendU32(m_data, 0); // offPixelFormat
    appendU32(m_data, 0); // bOpenGL
    appendI32(m_data, kRefDeviceMm[0] * 1000);
    appendI32(m_data, kRefDeviceMm[1] * 1000);
    endRecord();

    // Page units map onto the reference device: one to one at 96 units per inch.
    if (upi == kRefDpi) {
        beginRecord(EMR_SETMAPMODE, 12);
        appendU32(m_data, MM_TEXT);
        endRecord();
    } else {
        beginRecord(EMR_SETMAPMODE, 12);
        appendU32(m_data, MM_ANISOTROPIC);
        endRecord();
        beginRecord(EMR_SETWINDOWEXTEX, 16);
        appendI32(m_data, upi);
        appendI32(m_data, upi);
        endRecord();
        beginRecord(EMR_SETVIEWPORTEXTEX, 16);
        appendI32(m_data, kRefDpi);
        appendI32(m_data, kRefDpi);
        endRecord();
    }
}

void EmfWriter::beginRecord(RecordType type, int size) {
    Q_ASSERT(size % 4 == 0);
    m_recordStart = int(m_data.size());
    appendU32(m_data, type);
    appendU32(m_data, std::uint32_t(size));
}

void EmfWriter::endRecord() {
    const int size = int(m_data.size()) - m_recordStart;
    Q_ASSERT(size == int(readU32(m_data.constData() + m_recordStart + 4)));
    Q_UNUSED(size);
    ++m_records;
}

void EmfWriter::appendRect(int l, int t, int r, int b) {
    appendI32(m_data, l);
    appendI32(m_data, t);
    appendI32(m_data, r);
    appendI32(m_data, b);
}

void EmfWriter::selectHandle(std::uint32_t handle, std::uint32_t &selected) {
    if (handle == selected)
        return;
    beginRecord(EMR_SELECTOBJECT, 12);
    appendU32(m_data, handle);
    endRecord();
    selected = handle;
}

void EmfWriter::setPen(ColorRef color, int width, PenStyle style) {
    m_pen = {color & 0x00FFFFFF, width, style};
}

void EmfWriter::setBrush(ColorRef color, BrushStyle style) {
    m_brush = {color & 0x00FFFFFF, style};
}

void EmfWriter::setFont(const LogFont &font) {
    m_font = font;
}

void EmfWriter::setTextColor(ColorRef color) {
    color &= 0x00FFFFFF;
    if (color == m_dc.textColor)
        return;
    beginRecord(EMR_SETTEXTCOLOR, 12);
    appendU32(m_data, color);
    endRecord();
    m_dc.textColor = color;
}

void EmfWriter::setTextAlign(std::uint32_t align) {
    if (align == m_dc.textAlign)
        return;
    beginRecord(EMR_SETTEXTALIGN, 12);
    appendU32(m_data, align);
    endRecord();
    m_dc.textAlign = align;
}

void EmfWriter::setBkMode(BkMode mode) {
    if (mode == m_dc.bkMode)
        return;
    beginRecord(EMR_SETBKMODE, 12);
    appendU32(m_data, mode);
    endRecord();
    m_dc.bkMode = mode;
}

void EmfWriter::setBkColor(ColorRef color) {
    if (color == m_dc.bkColor)
        return;
    beginRecord(EMR_SETBKCOLOR, 12);
    appendU32(m_data, color);
    endRecord();
    m_dc.bkColor = color;
}

void EmfWriter::appendPenRecord(std::uint32_t handle, const PenKey &pen) {
    beginRecord(EMR_CREATEPEN, 28);
    appendU32(m_data, handle);
    appendU32(m_data, pen.style);
    appendI32(m_data, pen.width); // width as a point: x is the width, y unused
    appendI32(m_data, 0);
    appendU32(m_data, pen.color);
    endRecord();
}

void EmfWriter::appendBrushRecord(std::uint32_t handle, const BrushKey &brush) {
    beginRecord(EMR_CREATEBRUSHINDIRECT, 24);
    appendU32(m_data, handle);
    appendU32(m_data, brush.style);
    appendU32(m_data, brush.color);
    appendU32(m_data, 0); // hatch
    endRecord();
}

void EmfWriter::appendFontRecord(std::uint32_t handle, const LogFont &font) {
    beginRecord(EMR_EXTCREATEFONTINDIRECTW, 12 + kLogFontSize);
    appendU32(m_data, handle);
    appendI32(m_data, font.height);
    appendI32(m_data, font.width);
    appendI32(m_data, 0); // escapement
    appendI32(m_data, 0); // orientation
    appendI32(m_data, font.weight);
    m_data.append(char(font.italic));
    m_data.append(char(font.underline));
    m_data.append(char(font.strikeOut));
    m_data.append(char(0)); // ANSI_CHARSET: the texts are Windows-1252 characters
    m_data.append(char(0)); // OUT_DEFAULT_PRECIS
    m_data.append(char(0)); // CLIP_DEFAULT_PRECIS
    m_data.append(char(0)); // DEFAULT_QUALITY
    // Variable pitch and the family, so that a reader without the face picks a like one.
    const bool serif = font.face.contains(QLatin1String("Times"), Qt::CaseInsensitive) ||
                       font.face.contains(QLatin1String("Serif"), Qt::CaseInsensitive);
    m_data.append(char(0x02 | (serif ? 0x10 : 0x20))); // FF_ROMAN or FF_SWISS
    const QString face = font.face.left(kLogFontFaceChars - 1);
    for (int i = 0; i < kLogFontFaceChars; ++i)
        appendU16(m_data, i < face.size() ? face.at(i).unicode() : 0);
    endRecord();
}

void EmfWriter::applyPen() {
    if (m_pen.style == PS_NULL)
        return selectHandle(kStockObject | NULL_PEN, m_dc.pen);
    for (const auto &[key, handle] : m_pens)
        if (key == m_pen)
            return selectHandle(handle, m_dc.pen);
    const std::uint32_t handle = newHandle();
    appendPenRecord(handle, m_pen);
    m_pens.emplace_back(m_pen, handle);
    selectHandle(handle, m_dc.pen);
}

void EmfWriter::applyBrush() {
    if (m_brush.style == BS_NULL)
        return selectHandle(kStockObject | NULL_BRUSH, m_dc.brush);
    for (const auto &[key, handle] : m_brushes)
        if (key == m_brush)
            return selectHandle(handle, m_dc.brush);
    const std::uint32_t handle = newHandle();
    appendBrushRecord(handle, m_brush);
    m_brushes.emplace_back(m_brush, handle);
    selectHandle(handle, m_dc.brush);
}

void EmfWriter::applyFont() {
    for (const auto &[key, handle] : m_fonts)
        if (key == m_font)
            return selectHandle(handle, m_dc.font);
    const std::uint32_t handle = newHandle();
    appendFontRecord(handle, m_font);
    m_fonts.emplace_back(m_font, handle);
    selectHandle(handle, m_dc.font);
}

void EmfWriter::fillRect(const QRect &r) {
    // A rectangle drawn without a pen covers one unit less to the right and bottom than
    // its coordinates say, so it is recorded one unit larger there.
    const PenKey pen = m_pen;
    m_pen.style = PS_NULL;
    applyPen();
    m_pen = pen;
    applyBrush();
    beginRecord(EMR_RECTANGLE, 24);
    appendRect(r.left(), r.top(), r.left() + r.width() + 1, r.top() + r.height() + 1);
    endRecord();
}

void EmfWriter::rectangle(int left, int top, int right, int bottom) {
    applyPen();
    applyBrush();
    beginRecord(EMR_RECTANGLE, 24);
    appendRect(left, top, right, bottom);
    endRecord();
}

void EmfWriter::moveTo(int x, int y) {
    if (m_penPos == QPoint(x, y))
        return;
    beginRecord(EMR_MOVETOEX, 16);
    appendI32(m_data, x);
    appendI32(m_data, y);
    endRecord();
    m_penPos = {x, y};
}

void EmfWriter::lineTo(int x, int y) {
    applyPen();
    beginRecord(EMR_LINETO, 16);
    appendI32(m_data, x);
    appendI32(m_data, y);
    endRecord();
    m_penPos = {x, y};
}

void EmfWriter::textOut(int x, int y, const QString &text, std::uint32_t align, const QRect &rect,
                        bool opaque, bool clipped) {
    applyFont();
    setTextAlign(align);
    if (opaque) {
        setBkMode(OPAQUE);
        setBkColor(m_brush.color);
    } else {
        setBkMode(TRANSPARENT);
    }
    const int chars = int(text.size());
    const int stringBytes = (chars * 2 + 3) & ~3;
    const int fixed = 76;
    beginRecord(EMR_EXTTEXTOUTW, fixed + stringBytes);
    appendRect(0, 0, -1, -1); // bounds not computed
    appendU32(m_data, GM_COMPATIBLE);
    const float scale = 0.0f; // unused in the compatible graphics mode
    m_data.append(reinterpret_cast<const char *>(&scale), 4);
    m_data.append(reinterpret_cast<const char *>(&scale), 4);
    appendI32(m_data, x);
    appendI32(m_data, y);
    appendU32(m_data, std::uint32_t(chars));
    appendU32(m_data, chars > 0 ? fixed : 0); // offString
    appendU32(m_data, (opaque ? std::uint32_t(ETO_OPAQUE) : 0u) |
                          (clipped ? std::uint32_t(ETO_CLIPPED) : 0u));
    appendRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
    appendU32(m_data, 0); // offDx: no spacing array, readers use the font's own advances
    for (QChar c : text)
        appendU16(m_data, c.unicode());
    if (chars % 2)
        appendU16(m_data, 0);
    endRecord();
}

void EmfWriter::intersectClipRect(const QRect &r) {
    beginRecord(EMR_INTERSECTCLIPRECT, 24);
    appendRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
    endRecord();
}

void EmfWriter::saveDC() {
    beginRecord(EMR_SAVEDC, 8);
    endRecord();
    m_saved.push_back(m_dc);
}

void EmfWriter::restoreDC() {
    if (m_saved.empty())
        return;
    beginRecord(EMR_RESTOREDC, 12);
    appendI32(m_data, -1);
    endRecord();
    m_dc = m_saved.back();
    m_saved.pop_back();
}

QByteArray EmfWriter::finish() {
    Q_ASSERT(!m_finished);
    m_finished = true;
    beginRecord(EMR_EOF, kEofSize);
    appendU32(m_data, 0);  // nPalEntries
    appendU32(m_data, 16); // offPalEntries
    appendU32(m_data, kEofSize);
    endRecord();
    putU32(m_data, 48, std::uint32_t(m_data.size()));
    putU32(m_data, 52, std::uint32_t(m_records));
    const std::uint16_t handles = std::uint16_t(m_handles + 1); // slot 0 is reserved
    std::memcpy(m_data.data() + 56, &handles, 2);
    QByteArray out;
    out.swap(m_data);
    out.squeeze();
    return out;
}

} // namespace report::emf

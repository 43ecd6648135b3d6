#pragma once

#include "report/emf/EmfFormat.h"
#include "report/emf/LogFont.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

namespace report::emf {

// Records one page as an Enhanced Metafile. Coordinates are page units (1/unitsPerInch
// inch), origin at the page's top-left corner. State changes that do not change anything
// write no record, and every distinct pen, brush and font is created once per page and
// selected again by its handle, which keeps a page of table rows small.
class EmfWriter {
public:
    EmfWriter(int pageWidth, int pageHeight, int unitsPerInch);

    // Drawing state, as a device context keeps it.
    void setPen(ColorRef color, int width, PenStyle style = PS_SOLID);
    void setBrush(ColorRef color, BrushStyle style = BS_SOLID);
    void setFont(const LogFont &font);
    void setTextColor(ColorRef color);
    const LogFont &font() const { return m_font; }
    ColorRef brushColor() const { return m_brush.color; }
    QPoint penPos() const { return m_penPos; }

    // Fills left..right-1, top..bottom-1 with the brush and no outline.
    void fillRect(const QRect &r);
    // Rectangle(left, top, right, bottom) outlined with the pen and filled with the brush.
    void rectangle(int left, int top, int right, int bottom);
    void moveTo(int x, int y);
    // A line from the pen position up to but not including (x, y).
    void lineTo(int x, int y);
    // Text anchored at (x, y) by align, with rect as its opaque fill (when opaque, in the
    // brush colour) and clip (when clipped) rectangle.
    void textOut(int x, int y, const QString &text, std::uint32_t align, const QRect &rect,
                 bool opaque, bool clipped);
    void intersectClipRect(const QRect &r);
    void saveDC();
    void restoreDC();

    // Ends the page: appends the end record, fills in the header's counts and returns the
    // picture. The writer is spent afterwards.
    QByteArray finish();
    int size() const { return int(m_data.size()); }

private:
    struct PenKey {
        ColorRef color;
        int width;
        PenStyle style;
        bool operator==(const PenKey &) const = default;
    };
    struct BrushKey {
        ColorRef color;
        BrushStyle style;
        bool operator==(const BrushKey &) const = default;
    };

    void beginRecord(RecordType type, int size);
    void endRecord();
    void selectHandle(std::uint32_t handle, std::uint32_t &selected);
    std::uint32_t newHandle() { return ++m_handles; }
    void setTextAlign(std::uint32_t align);
    void setBkMode(BkMode mode);
    void setBkColor(ColorRef color);
    void appendRect(int l, int t, int r, int b);
    void appendPenRecord(std::uint32_t handle, const PenKey &pen);
    void appendBrushRecord(std::uint32_t handle, const BrushKey &brush);
    void appendFontRecord(std::uint32_t handle, const LogFont &font);
    void applyPen();
    void applyBrush();
    void applyFont();

    QByteArray m_data;
    int m_recordStart = 0;
    int m_records = 0;
    std::uint32_t m_handles = 0;

    // Requested state; objects are created and selected lazily when drawing needs them.
    PenKey m_pen{0, 1, PS_SOLID};
    BrushKey m_brush{0x00FFFFFF, BS_SOLID};
    LogFont m_font;
    std::vector<std::pair<PenKey, std::uint32_t>> m_pens;
    std::vector<std::pair<BrushKey, std::uint32_t>> m_brushes;
    std::vector<std::pair<LogFont, std::uint32_t>> m_fonts;
    // What the recorded device context holds (handle 0: its default stock object). SaveDC
    // and RestoreDC push and pop it, so state records stay exact across them.
    struct DcState {
        std::uint32_t pen = 0, brush = 0, font = 0;
        std::uint32_t textAlign = TA_LEFT | TA_TOP;
        ColorRef textColor = 0;
        ColorRef bkColor = 0x00FFFFFF;
        BkMode bkMode = OPAQUE;
    };
    DcState m_dc;
    std::vector<DcState> m_saved;
    QPoint m_penPos;
    bool m_finished = false;
};

} // namespace report::emf

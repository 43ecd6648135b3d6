#include "controls/Display.h"

#include "controls/DisplayGlyphs.h"
#include "controls/NamedColors.h"

#include <QImage>
#include <QPainter>

namespace controls {

namespace {

enum Shape {
    Hexagon,
    TopTrapezoid,
    BottomTrapezoid,
    LeftTrapezoid,
    RightTrapezoid,
    Falling,
    Rising
};
// Which layout length an element extends by.
enum Extent { bySeg, byHorz, byVert };

struct SegmentSpec {
    Shape shape;
    Extent down;   // A: extent downward
    Extent across; // B: extent across
    int end;       // diagonals: index of their end point among the anchors
};

constexpr std::array<SegmentSpec, 7> sevenSegments{{
    {Hexagon, bySeg, byHorz, 0}, // top
    {Hexagon, bySeg, byHorz, 0}, // middle
    {Hexagon, bySeg, byHorz, 0}, // bottom
    {Hexagon, byVert, bySeg, 0}, // upper left
    {Hexagon, byVert, bySeg, 0}, // upper right
    {Hexagon, byVert, bySeg, 0}, // lower left
    {Hexagon, byVert, bySeg, 0}, // lower right
}};

constexpr std::array<SegmentSpec, 16> sixteenSegments{{
    {TopTrapezoid, bySeg, byHorz, 0},    // top bar, left half
    {TopTrapezoid, bySeg, byHorz, 0},    // top bar, right half
    {LeftTrapezoid, byVert, bySeg, 0},   // left side, upper
    {Falling, bySeg, bySeg, 16},         // upper-left diagonal
    {Hexagon, byVert, bySeg, 0},         // centre, upper
    {Rising, bySeg, bySeg, 17},          // upper-right diagonal
    {RightTrapezoid, byVert, bySeg, 0},  // right side, upper
    {Hexagon, bySeg, byHorz, 0},         // middle bar, left half
    {Hexagon, bySeg, byHorz, 0},         // middle bar, right half
    {LeftTrapezoid, byVert, bySeg, 0},   // left side, lower
    {Rising, bySeg, bySeg, 18},          // lower-left diagonal
    {Hexagon, byVert, bySeg, 0},         // centre, lower
    {Falling, bySeg, bySeg, 19},         // lower-right diagonal
    {RightTrapezoid, byVert, bySeg, 0},  // right side, lower
    {BottomTrapezoid, bySeg, byHorz, 0}, // bottom bar, left half
    {BottomTrapezoid, bySeg, byHorz, 0}, // bottom bar, right half
}};

// Builds one segment polygon. A segment's hexagon takes its upright form only when it is
// taller than wide, so squashed side segments come out lying down.
QPolygon segmentPolygon(Shape shape, QPoint anchor, QPoint end, int a, int b, int s, int h) {
    const int x = anchor.x();
    const int y = anchor.y();
    const int ex = end.x();
    const int ey = end.y();
    switch (shape) {
    case Hexagon:
        if (a > b)
            return QPolygon({{x, y + h},
                             {x + h, y},
                             {x + b, y + h},
                             {x + b, y + a - h},
                             {x + h, y + a},
                             {x, y + a - h}});
        return QPolygon({{x, y + h},
                         {x + h, y},
                         {x + b - h, y},
                         {x + b, y + h},
                         {x + b - h, y + a},
                         {x + h, y + a}});
    case TopTrapezoid:
        return QPolygon({{x, y}, {x + s, y + a}, {x + b - s, y + a}, {x + b, y}});
    case BottomTrapezoid:
        return QPolygon({{x, y + a}, {x + s, y}, {x + b - s, y}, {x + b, y + a}});
    case LeftTrapezoid:
        return QPolygon({{x, y}, {x + b, y + s}, {x + b, y + a - s}, {x, y + a}});
    case RightTrapezoid:
        return QPolygon({{x + b, y}, {x, y + s}, {x, y + a - s}, {x + b, y + a}});
    case Falling:
        return QPolygon({{x, y}, {x + h, y}, {ex, ey - s}, {ex, ey}, {ex - h, ey}, {x, y + s}});
    case Rising:
        return QPolygon({{x, y}, {x, y - s}, {ex - h, ey}, {ex, ey}, {ex, ey + s}, {x + h, y}});
    }
    return {};
}

} // namespace

TDisplay::TDisplay(QWidget *owner)
    : QWidget(owner), m_onColor(clRed), m_offColor(clGray), m_backColor(clBlack),
      m_penOnColor(clBlack), m_penOffColor(clBlack) {
    // The outermost pixel frame is never painted: what lies beneath must show there, so Qt
    // paints the parent first. Its double-buffered backing store keeps the change of a
    // character free of flicker without marking the widget opaque.
    resize(120, 200);
    ComputeLayout();
}

void TDisplay::changed() {
    if (m_paintsAtOnce)
        repaint();
    else
        update();
}

void TDisplay::setColor(QColor &member, const QColor &color) {
    if (member == color)
        return;
    member = color;
    changed();
}

void TDisplay::setGeometryValue(int &member, int value) {
    if (member == value)
        return;
    member = value;
    ComputeLayout();
    changed();
}

void TDisplay::setDigit(quint8 digit) {
    if (m_digit == digit)
        return;
    m_digit = digit;
    changed();
}

void TDisplay::setOnColor(const QColor &color) {
    setColor(m_onColor, color);
}
void TDisplay::setOffColor(const QColor &color) {
    setColor(m_offColor, color);
}
void TDisplay::setBackColor(const QColor &color) {
    setColor(m_backColor, color);
}
void TDisplay::setPenOnColor(const QColor &color) {
    setColor(m_penOnColor, color);
}
void TDisplay::setPenOffColor(const QColor &color) {
    setColor(m_penOffColor, color);
}
void TDisplay::setSegWidth(int width) {
    setGeometryValue(m_segWidth, width);
}
void TDisplay::setMargin(int margin) {
    setGeometryValue(m_margin, margin);
}

void TDisplay::setDigitStyle(TDigitStyle style) {
    if (m_digitStyle == style)
        return;
    m_digitStyle = style;
    ComputeLayout();
    changed();
}

void TDisplay::ComputeLayout() {
    const int w = width();
    const int h = height();
    m_layout.width = w;
    m_layout.height = h;
    const int m = m_margin;
    const int s = m_segWidth;
    const int half = s / 2;
    const int w2 = w / 2;
    const int h2 = h / 2;
    auto &p = m_layout.anchors;
    m_layout.halfSeg = half;
    switch (m_digitStyle) {
    case ds7Seg:
        m_layout.horzLength = w - 2 * m - s;
        m_layout.vertLength = h2 - s - half - m;
        p[0] = {m + half, m};
        p[1] = {m + half, h2 - half};
        p[2] = {m + half, h - m - s};
        p[3] = {m, m + s};
        p[4] = {w - m - s, m + s};
        p[5] = {m, h2 + half};
        p[6] = {w - m - s, h2 + half};
        break;
    case ds16Seg:
        m_layout.horzLength = w2 - m - s;
        m_layout.vertLength = h2 - s - m;
        p[0] = {m + half, m};
        p[1] = {w2 + half, m};
        p[2] = {m, m + half};
        p[3] = {m + s + half, m + s + half};
        p[4] = {w2 - half, m + half};
        p[5] = {w2 + s, h2 - s};
        p[6] = {w - m - s, m + half};
        p[7] = {m + half, h2 - half};
        p[8] = {w2 + half, h2 - half};
        p[9] = {m, h2 + half};
        p[10] = {m + s + half, h - m - s - half};
        p[11] = {w2 - half, h2 + half};
        p[12] = {w2 + s, h2 + s};
        p[13] = {w - m - s, h2 + half};
        p[14] = {m + half, h - m - s};
        p[15] = {w2 + half, h - m - s};
        p[16] = {w2 - s, h2 - s};
        p[17] = {w - m - s - half, m + s + half};
        p[18] = {w2 - s, h2 + s};
        p[19] = {w - m - s - half, h - m - s - half};
        break;
    case ds5x7Dot:
    case ds5x7Bulb: {
        const int hg = (w - 2 * m - 5 * s) / 4;
        const int vg = (h - 2 * m - 7 * s) / 6;
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 5; ++c)
                p[r * 5 + c] = {m + c * (s + hg), m + r * (s + vg)};
        break;
    }
    }
}

std::vector<TDisplay::Element> TDisplay::elements() const {
    std::vector<Element> result;
    const auto &p = m_layout.anchors;
    const int s = m_segWidth;
    if (m_digitStyle == ds5x7Dot || m_digitStyle == ds5x7Bulb) {
        const Element::Kind kind = m_digitStyle == ds5x7Dot ? Element::Rectangle : Element::Ellipse;
        for (const QPoint &anchor : p)
            result.push_back({kind, {}, QRect(anchor, QSize(s, s))});
        return result;
    }
    auto extent = [&](Extent e) {
        return e == bySeg ? s : e == byHorz ? m_layout.horzLength : m_layout.vertLength;
    };
    auto build = [&](const auto &specs) {
        for (std::size_t i = 0; i < specs.size(); ++i) {
            const SegmentSpec &segment = specs[i];
            result.push_back(
                {Element::Polygon,
                 segmentPolygon(segment.shape, p[i], p[segment.end], extent(segment.down),
                                extent(segment.across), s, m_layout.halfSeg),
                 {}});
        }
    };
    if (m_digitStyle == ds7Seg)
        build(sevenSegments);
    else
        build(sixteenSegments);
    return result;
}

std::uint64_t TDisplay::litElements() const {
    // Codes beyond the tables show every element unlit.
    if (m_digit >= 128)
        return 0;
    switch (m_digitStyle) {
    case ds7Seg:
        return glyphs::sevenSegment[m_digit] & 0x7F;
    case ds16Seg:
        return glyphs::sixteenSegment[m_digit];
    case ds5x7Dot:
    case ds5x7Bulb:
        break;
    }
    std::uint64_t bits = 0;
    const auto &rows = glyphs::dotMatrix[m_digit];
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 5; ++c)
            if (rows[r] & (0x10 >> c))
                bits |= std::uint64_t(1) << (r * 5 + c);
    return bits;
}

void TDisplay::DrawDigit(QImage &bitmap) const {
    QPainter painter(&bitmap);
    const std::uint64_t lit = litElements();
    const std::vector<Element> shapes = elements();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const bool on = lit & (std::uint64_t(1) << i);
        painter.setPen(QPen(on ? m_penOnColor : m_penOffColor, 1));
        painter.setBrush(on ? m_onColor : m_offColor);
        const Element &e = shapes[i];
        // A stroked QRect covers one pixel more than its size, so the outline of a
        // rectangle from (X, Y) to (X+S, Y+S) with exclusive edges is drawn on S-1.
        const QRect outline(e.bounds.topLeft(), e.bounds.size() - QSize(1, 1));
        switch (e.kind) {
        case Element::Polygon:
            painter.drawPolygon(e.points);
            break;
        case Element::Rectangle:
            painter.drawRect(outline);
            break;
        case Element::Ellipse:
            painter.drawEllipse(outline);
            break;
        }
    }
}

void TDisplay::paintEvent(QPaintEvent *) {
    // A size change alone is taken into the layout here, at the next paint.
    if (m_layout.width != width() || m_layout.height != height())
        ComputeLayout();
    if (width() <= 2 || height() <= 2)
        return;
    QImage bitmap(width() - 2, height() - 2, QImage::Format_RGB32);
    bitmap.fill(m_backColor);
    DrawDigit(bitmap);
    QPainter(this).drawImage(1, 1, bitmap);
}

} // namespace controls

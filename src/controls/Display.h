#pragma once

#include <QColor>
#include <QPolygon>
#include <QRect>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class QImage;

namespace controls {

enum TDigitStyle { ds7Seg, ds16Seg, ds5x7Dot, ds5x7Bulb };

// One character shown as a lamp readout: seven segments, sixteen segments, or a 5x7 matrix
// of square dots or round bulbs. Every element of the style is drawn at every paint, lit or
// unlit, so a blank display still shows its whole grid.
class TDisplay : public QWidget {
    Q_OBJECT

public:
    // Where the figure's elements lie, computed from the size and the properties.
    struct Layout {
        // Seven segments use the first 7; sixteen segments 16 anchors and, at 16 to 19, the
        // end points of the four diagonals; the dot styles all 35, row by row.
        std::array<QPoint, 35> anchors{};
        int horzLength = 0;
        int vertLength = 0;
        int halfSeg = 0;
        // The size the layout was computed for.
        int width = 0;
        int height = 0;
    };

    // One element of the figure, in layout coordinates.
    struct Element {
        enum Kind { Polygon, Rectangle, Ellipse };
        Kind kind = Polygon;
        QPolygon points; // Polygon
        QRect bounds;    // Rectangle and Ellipse: right and bottom edges exclusive
    };

    explicit TDisplay(QWidget *owner = nullptr);

    quint8 Digit() const { return m_digit; }
    void setDigit(quint8 digit);
    QColor OnColor() const { return m_onColor; }
    void setOnColor(const QColor &color);
    QColor OffColor() const { return m_offColor; }
    void setOffColor(const QColor &color);
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &color);
    int SegWidth() const { return m_segWidth; }
    void setSegWidth(int width);
    int Margin() const { return m_margin; }
    void setMargin(int margin);
    TDigitStyle DigitStyle() const { return m_digitStyle; }
    void setDigitStyle(TDigitStyle style);
    QColor PenOnColor() const { return m_penOnColor; }
    void setPenOnColor(const QColor &color);
    QColor PenOffColor() const { return m_penOffColor; }
    void setPenOffColor(const QColor &color);
    // Whether a change paints the display before the setter returns (the default), or
    // only schedules the paint, so that several displays changed together are painted
    // and shown in one pass of the event loop.
    bool paintsAtOnce() const { return m_paintsAtOnce; }
    void setPaintsAtOnce(bool on) { m_paintsAtOnce = on; }

    const Layout &layout() const { return m_layout; }
    // The elements of the current style in drawing order.
    std::vector<Element> elements() const;
    // Which elements the current character lights, bit n for element n.
    std::uint64_t litElements() const;

    void ComputeLayout();
    // Draws every element of the current style for Digit into the image.
    void DrawDigit(QImage &bitmap) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void changed();
    void setColor(QColor &member, const QColor &color);
    void setGeometryValue(int &member, int value);

    quint8 m_digit = 0;
    QColor m_onColor;
    QColor m_offColor;
    QColor m_backColor;
    int m_segWidth = 15;
    int m_margin = 10;
    TDigitStyle m_digitStyle = ds7Seg;
    QColor m_penOnColor;
    QColor m_penOffColor;
    Layout m_layout;
    bool m_paintsAtOnce = true;
};

} // namespace controls

#include "controls/Display.h"
#include "controls/NamedColors.h"

#include <QImage>
#include <QtTest>

using controls::TDigitStyle;
using controls::TDisplay;

Q_DECLARE_METATYPE(TDigitStyle)

namespace {

// Counts the paints that reach the display.
class CountingDisplay : public TDisplay {
public:
    using TDisplay::TDisplay;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override {
        ++paints;
        TDisplay::paintEvent(event);
    }
};

void configure(TDisplay &display, TDigitStyle style, QSize size, int segWidth, int margin) {
    display.resize(size);
    display.setDigitStyle(style);
    display.setSegWidth(segWidth);
    display.setMargin(margin);
    display.ComputeLayout();
}

} // namespace

class TestDisplay : public QObject {
    Q_OBJECT

private slots:
    void creationValues();
    void dotGaps_data();
    void dotGaps();
    void flatSideSegments_data();
    void flatSideSegments();
    void renderedGlyph_data();
    void renderedGlyph();
    void unknownCodesAreBlank_data();
    void unknownCodesAreBlank();
    void setterRepaints();
    void resizeTakesEffectAtNextPaint();
    void frameShowsWhatLiesBeneath();
};

void TestDisplay::creationValues() {
    TDisplay display;
    QCOMPARE(display.size(), QSize(120, 200));
    QCOMPARE(display.Digit(), quint8(0));
    QCOMPARE(display.OnColor(), QColor(controls::clRed));
    QCOMPARE(display.OffColor(), QColor(controls::clGray));
    QCOMPARE(display.BackColor(), QColor(controls::clBlack));
    QCOMPARE(display.SegWidth(), 15);
    QCOMPARE(display.Margin(), 10);
    QCOMPARE(display.DigitStyle(), controls::ds7Seg);
    // Code 0 lights only the middle segment.
    QCOMPARE(display.litElements(), std::uint64_t(0x02));
    display.setDigitStyle(controls::ds16Seg);
    QCOMPARE(display.litElements(), std::uint64_t(0x0180));
}

void TestDisplay::dotGaps_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("segWidth");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("horzGap");
    QTest::addColumn<int>("vertGap");
    QTest::addColumn<QPoint>("last");
    QTest::newRow("title screen") << QSize(41, 57) << 7 << 2 << 0 << 0 << QPoint(30, 44);
    QTest::newRow("creation size")
        << QSize(120, 200) << 15 << 10 << 6 << 12 << QPoint(10 + 4 * 21, 10 + 6 * 27);
    // (30 - 4 - 35) div 4 truncates toward zero: -2, so neighbouring dots overlap.
    QTest::newRow("too narrow") << QSize(30, 57) << 7 << 2 << -2 << 0 << QPoint(2 + 4 * 5, 44);
}

void TestDisplay::dotGaps() {
    QFETCH(QSize, size);
    QFETCH(int, segWidth);
    QFETCH(int, margin);
    QFETCH(int, horzGap);
    QFETCH(int, vertGap);
    QFETCH(QPoint, last);
    for (TDigitStyle style : {controls::ds5x7Dot, controls::ds5x7Bulb}) {
        TDisplay display;
        configure(display, style, size, segWidth, margin);
        const auto &anchors = display.layout().anchors;
        QCOMPARE(anchors[0], QPoint(margin, margin));
        QCOMPARE(anchors[1].x() - anchors[0].x() - segWidth, horzGap);
        QCOMPARE(anchors[5].y() - anchors[0].y() - segWidth, vertGap);
        QCOMPARE(anchors[34], last);
        const auto elements = display.elements();
        QCOMPARE(elements.size(), std::size_t(35));
        QCOMPARE(elements[34].bounds, QRect(last, QSize(segWidth, segWidth)));
    }
}

void TestDisplay::flatSideSegments_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("upright");
    // VL = H div 2 - S - h - M with S 15, h 7, M 10.
    QTest::newRow("tall: VL 68") << 200 << true;
    QTest::newRow("VL equals S") << 94 << false;
    QTest::newRow("VL negative") << 60 << false;
}

void TestDisplay::flatSideSegments() {
    QFETCH(int, height);
    QFETCH(bool, upright);
    TDisplay display;
    configure(display, controls::ds7Seg, QSize(120, height), 15, 10);
    const int vl = display.layout().vertLength;
    QCOMPARE(vl, height / 2 - 15 - 7 - 10);
    const QPoint anchor(10, 25); // upper left segment
    const QPolygon side = display.elements()[3].points;
    QCOMPARE(side.size(), 6);
    QCOMPARE(side[0], anchor + QPoint(0, 7));
    QCOMPARE(side[1], anchor + QPoint(7, 0));
    // The third corner tells the forms apart: (X+B, Y+h) upright, (X+B-h, Y) lying.
    QCOMPARE(side[2], upright ? anchor + QPoint(15, 7) : anchor + QPoint(15 - 7, 0));
    QCOMPARE(side[3], upright ? anchor + QPoint(15, vl - 7) : anchor + QPoint(15, 7));
}

void TestDisplay::renderedGlyph_data() {
    QTest::addColumn<TDigitStyle>("style");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("segWidth");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("code");
    QTest::addColumn<QPoint>("layoutPoint");
    QTest::addColumn<QRgb>("expected");
    const QRgb on = controls::clYellow;
    const QRgb off = controls::clMaroon;
    const QRgb pen = controls::clBlue;
    const QRgb back = controls::clBlack;
    const QSize title(41, 57);
    const QSize big(120, 200);
    // 'H': rows 11 11 11 1F 11 11 11. Dot (0,0) spans 2..8; its inside starts at 3.
    QTest::newRow("dot H lit corner")
        << controls::ds5x7Dot << title << 7 << 2 << 0x48 << QPoint(5, 5) << on;
    QTest::newRow("dot H unlit top")
        << controls::ds5x7Dot << title << 7 << 2 << 0x48 << QPoint(12, 5) << off;
    QTest::newRow("dot H crossbar")
        << controls::ds5x7Dot << title << 7 << 2 << 0x48 << QPoint(19, 26) << on;
    QTest::newRow("dot outline") << controls::ds5x7Dot << title << 7 << 2 << 0x48 << QPoint(2, 2)
                                 << pen;
    QTest::newRow("dot outline right edge")
        << controls::ds5x7Dot << title << 7 << 2 << 0x48 << QPoint(8, 5) << pen;
    QTest::newRow("dot next outline")
        << controls::ds5x7Dot << title << 7 << 2 << 0x48 << QPoint(9, 5) << pen;
    QTest::newRow("dot margin") << controls::ds5x7Dot << title << 7 << 2 << 0x48 << QPoint(1, 5)
                                << back;
    QTest::newRow("bulb H centre lit")
        << controls::ds5x7Bulb << big << 15 << 10 << 0x48 << QPoint(17, 17) << on;
    QTest::newRow("bulb H centre unlit")
        << controls::ds5x7Bulb << big << 15 << 10 << 0x48 << QPoint(17 + 21, 17) << off;
    QTest::newRow("bulb corner is background")
        << controls::ds5x7Bulb << big << 15 << 10 << 0x48 << QPoint(10, 10) << back;
    // '1' lights the two right-hand segments (bits 4 and 6).
    QTest::newRow("7seg 1 upper right")
        << controls::ds7Seg << big << 15 << 10 << 0x31 << QPoint(102, 59) << on;
    QTest::newRow("7seg 1 top unlit")
        << controls::ds7Seg << big << 15 << 10 << 0x31 << QPoint(59, 17) << off;
    QTest::newRow("7seg 1 lower right")
        << controls::ds7Seg << big << 15 << 10 << 0x31 << QPoint(102, 140) << on;
    QTest::newRow("7seg f like F middle")
        << controls::ds7Seg << big << 15 << 10 << 0x66 << QPoint(59, 100) << on;
    QTest::newRow("7seg f like F bottom")
        << controls::ds7Seg << big << 15 << 10 << 0x66 << QPoint(59, 182) << off;
    QTest::newRow("7seg x dash") << controls::ds7Seg << big << 15 << 10 << 0x78 << QPoint(59, 100)
                                 << on;
    // 'A' = 23C7: both top halves and the upper sides, not the centre bars.
    QTest::newRow("16seg A top left")
        << controls::ds16Seg << big << 15 << 10 << 0x41 << QPoint(34, 14) << on;
    QTest::newRow("16seg A centre upper")
        << controls::ds16Seg << big << 15 << 10 << 0x41 << QPoint(60, 54) << off;
    QTest::newRow("16seg a like A")
        << controls::ds16Seg << big << 15 << 10 << 0x61 << QPoint(34, 14) << on;
    // '\\' = 1008: the two falling diagonals (bits 3 and 12).
    QTest::newRow("16seg backslash diagonal")
        << controls::ds16Seg << big << 15 << 10 << 0x5C << QPoint(40, 55) << on;
    QTest::newRow("16seg backslash centre")
        << controls::ds16Seg << big << 15 << 10 << 0x5C << QPoint(60, 54) << off;
}

void TestDisplay::renderedGlyph() {
    QFETCH(TDigitStyle, style);
    QFETCH(QSize, size);
    QFETCH(int, segWidth);
    QFETCH(int, margin);
    QFETCH(int, code);
    QFETCH(QPoint, layoutPoint);
    QFETCH(QRgb, expected);
    TDisplay display;
    configure(display, style, size, segWidth, margin);
    display.setOnColor(QColor(controls::clYellow));
    display.setOffColor(QColor(controls::clMaroon));
    display.setPenOnColor(QColor(controls::clBlue));
    display.setPenOffColor(QColor(controls::clBlue));
    display.setDigit(quint8(code));
    const QImage image = display.grab().toImage();
    // The figure lands one pixel right of and below its layout position.
    QCOMPARE(QColor(image.pixel(layoutPoint + QPoint(1, 1))).name(), QColor(expected).name());
}

void TestDisplay::unknownCodesAreBlank_data() {
    QTest::addColumn<TDigitStyle>("style");
    QTest::addColumn<int>("code");
    for (TDigitStyle style :
         {controls::ds7Seg, controls::ds16Seg, controls::ds5x7Dot, controls::ds5x7Bulb}) {
        for (int code : {32, 128, 0xDF, 255})
            QTest::addRow("style %d code %d", int(style), code) << style << code;
    }
}

void TestDisplay::unknownCodesAreBlank() {
    QFETCH(TDigitStyle, style);
    QFETCH(int, code);
    TDisplay display;
    display.setDigitStyle(style);
    display.setDigit(quint8(code));
    QCOMPARE(display.litElements(), std::uint64_t(0));
    const QImage image = display.grab().toImage();
    for (int y = 1; y < image.height() - 1; ++y)
        for (int x = 1; x < image.width() - 1; ++x)
            QVERIFY(QColor(image.pixel(x, y)) != QColor(controls::clRed));
}

void TestDisplay::setterRepaints() {
    CountingDisplay display;
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QCoreApplication::processEvents();
    display.paints = 0;

    display.setDigit(0);
    display.setOnColor(display.OnColor());
    display.setOffColor(display.OffColor());
    display.setBackColor(display.BackColor());
    display.setPenOnColor(display.PenOnColor());
    display.setPenOffColor(display.PenOffColor());
    display.setSegWidth(display.SegWidth());
    display.setMargin(display.Margin());
    display.setDigitStyle(display.DigitStyle());
    QCOMPARE(display.paints, 0);

    // A change is painted before the setter returns, exactly once.
    display.setDigit('7');
    QCOMPARE(display.paints, 1);
    display.setMargin(3);
    QCOMPARE(display.paints, 2);
    QCOMPARE(display.layout().anchors[3], QPoint(3, 3 + 15));
    display.setOnColor(Qt::green);
    QCOMPARE(display.paints, 3);
}

void TestDisplay::resizeTakesEffectAtNextPaint() {
    TDisplay display;
    display.setDigitStyle(controls::ds5x7Dot);
    display.resize(41, 57);
    QCOMPARE(display.layout().width, 120);
    QCOMPARE(display.layout().anchors[34], QPoint(10 + 4 * 21, 10 + 6 * 27));
    display.grab();
    QCOMPARE(display.layout().width, 41);
    QCOMPARE(display.layout().height, 57);
    QCOMPARE(display.layout().anchors[1], QPoint(10 + 15 + (41 - 20 - 75) / 4, 10));
}

void TestDisplay::frameShowsWhatLiesBeneath() {
    QWidget parent;
    parent.resize(60, 80);
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::green);
    parent.setPalette(palette);
    auto *display = new TDisplay(&parent);
    display->setGeometry(5, 5, 41, 57);
    display->setDigitStyle(controls::ds7Seg);
    display->setBackColor(Qt::blue);
    const QImage image = parent.grab().toImage();
    QCOMPARE(QColor(image.pixel(5, 5)), QColor(Qt::green));
    QCOMPARE(QColor(image.pixel(5 + 40, 5 + 56)), QColor(Qt::green));
    QCOMPARE(QColor(image.pixel(6, 6)), QColor(Qt::blue));
    QCOMPARE(QColor(image.pixel(5 + 39, 5 + 55)), QColor(Qt::blue));
}

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"

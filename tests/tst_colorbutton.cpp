#include "controls/ColorButton.h"
#include "controls/Fonts.h"
#include "controls/NamedColors.h"

#include <QSignalSpy>
#include <QtTest>

using controls::TColorButton;
using State = TColorButton::State;

Q_DECLARE_METATYPE(controls::TButtonBevel)
Q_DECLARE_METATYPE(controls::TAlignment)
Q_DECLARE_METATYPE(controls::TButtonStyle)

namespace {

class CountingButton : public TColorButton {
public:
    using TColorButton::TColorButton;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override {
        ++paints;
        TColorButton::paintEvent(event);
    }
};

// A green button as the dialogs use it, shown in a window of its own.
struct Shown {
    QWidget window;
    CountingButton *button = new CountingButton(&window);
    QSignalSpy clicks{button, &TColorButton::OnClick};

    explicit Shown(const QString &caption) {
        window.resize(100, 50);
        button->setColor(QColor(controls::clGreen));
        button->setStyle(controls::bsCenter | controls::bsShowKey);
        button->setCaption(caption);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        button->setFocus();
    }
};

QColor pixel(QWidget *widget, int x, int y) {
    return widget->grab().toImage().pixelColor(x, y);
}

int countInRow(const QImage &image, int y, int fromX, int toX, const QColor &color) {
    int count = 0;
    for (int x = fromX; x <= toX; ++x)
        count += image.pixelColor(x, y) == color;
    return count;
}

} // namespace

class TestColorButton : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { controls::installFontSubstitutes(); }
    void creationValues();
    void bevelColours_data();
    void bevelColours();
    void bevelEdges_data();
    void bevelEdges();
    void mouse();
    void keys();
    void releaseWithoutItsPress_data();
    void releaseWithoutItsPress();
    void accelerator();
    void underline_data();
    void underline();
    void disabledCaptionEmbossed();
    void focusFrame();
    void setterRepaints();
    void picturePlacement_data();
    void picturePlacement();
};

void TestColorButton::creationValues() {
    TColorButton button;
    QCOMPARE(button.size(), QSize(75, 25));
    QCOMPARE(button.Alignment(), controls::alMiddleCenter);
    QCOMPARE(button.BevelStyle(), controls::bbRaised);
    QCOMPARE(button.BevelSize(), 2);
    QCOMPARE(button.Spacing(), 2);
    QCOMPARE(button.Style(), controls::bsCenter | controls::bsShowFocus | controls::bsShowKey);
    QCOMPARE(button.state(), State::Up);
    QCOMPARE(button.focusPolicy(), Qt::TabFocus);
}

void TestColorButton::bevelColours_data() {
    QTest::addColumn<QColor>("face");
    QTest::addColumn<QColor>("lighter");
    QTest::addColumn<QColor>("darker");
    QTest::newRow("dialog green") << QColor(0, 128, 0) << QColor(64, 192, 64) << QColor(0, 64, 0);
    QTest::newRow("caps at the ends")
        << QColor(250, 30, 200) << QColor(255, 94, 255) << QColor(186, 0, 136);
    QTest::newRow("black") << QColor(0, 0, 0) << QColor(64, 64, 64) << QColor(0, 0, 0);
}

void TestColorButton::bevelColours() {
    QFETCH(QColor, face);
    QFETCH(QColor, lighter);
    QFETCH(QColor, darker);
    QCOMPARE(controls::LighterColor(face), lighter);
    QCOMPARE(controls::DarkerColor(face), darker);
}

void TestColorButton::bevelEdges_data() {
    QTest::addColumn<controls::TButtonBevel>("bevel");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("raisedLook");
    QTest::newRow("raised, up") << controls::bbRaised << false << true;
    QTest::newRow("raised, down") << controls::bbRaised << true << false;
    QTest::newRow("lowered, up") << controls::bbLowered << false << false;
    QTest::newRow("lowered, down") << controls::bbLowered << true << true;
}

void TestColorButton::bevelEdges() {
    QFETCH(controls::TButtonBevel, bevel);
    QFETCH(bool, down);
    QFETCH(bool, raisedLook);
    Shown shown(QString{});
    TColorButton *button = shown.button;
    button->setBevelStyle(bevel);
    if (down)
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(30, 12));
    const QImage image = button->grab().toImage();
    const QColor light(64, 192, 64);
    const QColor dark(0, 64, 0);
    const QColor topLeft = raisedLook ? light : dark;
    const QColor bottomRight = raisedLook ? dark : light;
    // Two nested frames; the top-right and bottom-left corners take the bottom-right colour.
    for (int i : {0, 1}) {
        QCOMPARE(image.pixelColor(i, i), topLeft);
        QCOMPARE(image.pixelColor(73 - i, i), topLeft);
        QCOMPARE(image.pixelColor(74 - i, i), bottomRight);
        QCOMPARE(image.pixelColor(i, 24 - i), bottomRight);
        QCOMPARE(image.pixelColor(74 - i, 24 - i), bottomRight);
        QCOMPARE(image.pixelColor(i, 12), topLeft);
        QCOMPARE(image.pixelColor(74 - i, 12), bottomRight);
    }
    QCOMPARE(image.pixelColor(2, 2), QColor(controls::clGreen));
    if (down)
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(30, 12));
}

void TestColorButton::mouse() {
    Shown shown(QStringLiteral("Start"));
    TColorButton *button = shown.button;
    QList<State> stateAtClick;
    connect(button, &TColorButton::OnClick, [&] { stateAtClick << button->state(); });

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(button->state(), State::Down);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(button->state(), State::Up);
    QCOMPARE(stateAtClick, QList<State>{State::Down});

    // Released outside: the pressed look lasts until the release, but there is no click.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(button, QPoint(90, 40));
    QCOMPARE(button->state(), State::Down);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(90, 40));
    QCOMPARE(button->state(), State::Up);
    QCOMPARE(shown.clicks.count(), 1);

    // Any button shows the pressed look; only the left one clicks.
    QTest::mousePress(button, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(button->state(), State::Down);
    QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(button->state(), State::Up);
    QCOMPARE(shown.clicks.count(), 1);

    button->setEnabled(false);
    QCOMPARE(button->state(), State::Disabled);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(button->state(), State::Disabled);
    QCOMPARE(shown.clicks.count(), 1);
    button->setEnabled(true);
    QCOMPARE(button->state(), State::Up);
}

void TestColorButton::keys() {
    Shown shown(QStringLiteral("Start"));
    TColorButton *button = shown.button;
    QTest::keyPress(button, Qt::Key_Space);
    QCOMPARE(button->state(), State::Down);
    QCOMPARE(shown.clicks.count(), 0);
    QTest::keyRelease(button, Qt::Key_Space);
    QCOMPARE(button->state(), State::Up);
    QCOMPARE(shown.clicks.count(), 1);

    // Return clicks on its release, without the pressed look.
    QTest::keyPress(button, Qt::Key_Return);
    QCOMPARE(button->state(), State::Up);
    QCOMPARE(shown.clicks.count(), 1);
    QTest::keyRelease(button, Qt::Key_Return);
    QCOMPARE(shown.clicks.count(), 2);

    // "Start" has no accelerator.
    QTest::keyClick(button, Qt::Key_S);
    QTest::keyClick(button, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(shown.clicks.count(), 2);
}

// A key released over the button whose press went elsewhere (the Return that chose the
// menu item opening this window) is no click; the next full press is.
void TestColorButton::releaseWithoutItsPress_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("space") << int(Qt::Key_Space);
}

void TestColorButton::releaseWithoutItsPress() {
    QFETCH(int, key);
    Shown shown(QStringLiteral("&OK"));
    TColorButton *button = shown.button;
    QTest::keyRelease(button, Qt::Key(key));
    QCOMPARE(shown.clicks.count(), 0);
    QCOMPARE(button->state(), State::Up);
    QTest::keyPress(button, Qt::Key(key));
    QTest::keyRelease(button, Qt::Key(key));
    QCOMPARE(shown.clicks.count(), 1);
    QTest::keyRelease(button, Qt::Key(key)); // a second release has no press of its own
    QCOMPARE(shown.clicks.count(), 1);
}

void TestColorButton::accelerator() {
    Shown shown(QStringLiteral("&OK"));
    TColorButton *button = shown.button;
    QCOMPARE(button->accelerator(), QLatin1Char('O'));
    QTest::keyClick(&shown.window, Qt::Key_O, Qt::AltModifier);
    QCOMPARE(shown.clicks.count(), 1);
    QTest::keyClick(button, Qt::Key_O);
    QCOMPARE(shown.clicks.count(), 2);
    QTest::keyClick(button, Qt::Key_K, Qt::AltModifier);
    QCOMPARE(shown.clicks.count(), 2);
    // Without the underline the accelerator still works.
    button->setStyle(controls::bsCenter);
    QTest::keyClick(&shown.window, Qt::Key_O, Qt::AltModifier);
    QCOMPARE(shown.clicks.count(), 3);
    button->setEnabled(false);
    QTest::keyClick(&shown.window, Qt::Key_O, Qt::AltModifier);
    QCOMPARE(shown.clicks.count(), 3);
}

void TestColorButton::underline_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("showKey");
    QTest::addColumn<bool>("underlined");
    QTest::newRow("&OK shown") << QStringLiteral("&OK") << true << true;
    QTest::newRow("&OK without bsShowKey") << QStringLiteral("&OK") << false << false;
    QTest::newRow("Start") << QStringLiteral("Start") << true << false;
}

void TestColorButton::underline() {
    QFETCH(QString, caption);
    QFETCH(bool, showKey);
    QFETCH(bool, underlined);
    TColorButton button;
    button.setColor(QColor(controls::clGreen));
    button.setStyle(showKey ? controls::bsCenter | controls::bsShowKey : controls::bsCenter);
    button.setCaption(caption);
    QPalette palette = button.palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    button.setPalette(palette);
    QFont font = button.font();
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    const QString shown = QString(caption).remove(QLatin1Char('&'));
    const int x = (75 - 8 - metrics.horizontalAdvance(shown)) / 2 + 4;
    const int y = (25 - 8 - metrics.height()) / 2 + 4;
    const int lineY = y + metrics.height();
    const int keyWidth = metrics.horizontalAdvance(shown.left(1));
    const QImage image = button.grab().toImage();
    // The line runs under the first character only, its end point excluded.
    QCOMPARE(countInRow(image, lineY, x, x + keyWidth - 1, Qt::black), underlined ? keyWidth : 0);
    QCOMPARE(image.pixelColor(x + keyWidth, lineY), QColor(controls::clGreen));
}

void TestColorButton::disabledCaptionEmbossed() {
    TColorButton button;
    button.setColor(QColor(controls::clGreen));
    button.setCaption(QStringLiteral("Start"));
    const QColor light(64, 192, 64);
    const QColor dark(0, 64, 0);
    auto countInside = [&](const QColor &color) {
        const QImage image = button.grab().toImage();
        int count = 0;
        for (int y = 4; y < 21; ++y)
            count += countInRow(image, y, 4, 70, color);
        return count;
    };
    QCOMPARE(countInside(light), 0);
    button.setEnabled(false);
    QVERIFY(countInside(light) > 0);
    QVERIFY(countInside(dark) > 0);
}

void TestColorButton::focusFrame() {
    Shown shown(QStringLiteral("&OK"));
    TColorButton *button = shown.button;
    QVERIFY(button->focused());
    // Style without bsShowFocus: no frame.
    QCOMPARE(pixel(button, 3, 3), QColor(controls::clGreen));
    button->setStyle(controls::bsCenter | controls::bsShowFocus);
    // The dotted frame starts at R.left + Spacing - 1 = 3, inverting the face.
    QCOMPARE(pixel(button, 3, 3), QColor(255, 127, 255));
    QCOMPARE(pixel(button, 4, 3), QColor(controls::clGreen));
    QCOMPARE(pixel(button, 5, 3), QColor(255, 127, 255));
    button->clearFocus();
    QVERIFY(!button->focused());
    QCOMPARE(pixel(button, 3, 3), QColor(controls::clGreen));
}

void TestColorButton::setterRepaints() {
    Shown shown(QStringLiteral("&OK"));
    CountingButton *button = shown.button;
    QCoreApplication::processEvents();
    auto paintsOf = [&](auto &&change) {
        const int before = button->paints;
        change();
        return button->paints - before;
    };
    QCOMPARE(paintsOf([&] { button->setColor(button->Color()); }), 1);
    QCOMPARE(paintsOf([&] { button->setAlignment(button->Alignment()); }), 1);
    QCOMPARE(paintsOf([&] { button->setBevelStyle(button->BevelStyle()); }), 1);
    QCOMPARE(paintsOf([&] { button->setStyle(button->Style()); }), 0);
    QCOMPARE(paintsOf([&] { button->setSpacing(button->Spacing()); }), 0);
    QCOMPARE(paintsOf([&] { button->setCaption(button->Caption()); }), 0);
    QCOMPARE(paintsOf([&] { button->setSpacing(-5); }), 1);
    QCOMPARE(button->Spacing(), 0);
    QCOMPARE(paintsOf([&] { button->setSpacing(-1); }), 0);
    QCOMPARE(paintsOf([&] { button->setBevelSize(0); }), 1);
    QCOMPARE(button->BevelSize(), 1);
    button->setBevelSize(-3);
    QCOMPARE(button->BevelSize(), 1);
}

void TestColorButton::picturePlacement_data() {
    QTest::addColumn<controls::TButtonStyle>("style");
    QTest::addColumn<controls::TAlignment>("alignment");
    QTest::addColumn<QRect>("expected");
    // A 10 x 6 picture on a 75 x 25 button; bevel 2 and spacing 2 make B = 4.
    const controls::TButtonStyle plain;
    QTest::newRow("centred") << controls::TButtonStyle(controls::bsCenter) << controls::alTopLeft
                             << QRect(32, 9, 10, 6);
    QTest::newRow("stretched wins")
        << (controls::bsCenter | controls::bsStretch) << controls::alTopLeft << QRect(4, 4, 67, 17);
    QTest::newRow("caption on top") << plain << controls::alTopRight << QRect(32, 15, 10, 6);
    QTest::newRow("caption left") << plain << controls::alMiddleLeft << QRect(61, 9, 10, 6);
    QTest::newRow("caption right") << plain << controls::alMiddleRight << QRect(4, 9, 10, 6);
    QTest::newRow("caption below") << plain << controls::alBottomCenter << QRect(32, 4, 10, 6);
}

void TestColorButton::picturePlacement() {
    QFETCH(controls::TButtonStyle, style);
    QFETCH(controls::TAlignment, alignment);
    QFETCH(QRect, expected);
    QPixmap picture(10, 6);
    picture.fill(Qt::red);
    TColorButton button;
    button.setColor(QColor(controls::clGreen));
    button.setStyle(style);
    button.setAlignment(alignment);
    button.setPicture(picture);
    const QImage image = button.grab().toImage();
    QRect found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(Qt::red))
                found |= QRect(x, y, 1, 1);
    QCOMPARE(found, expected);
}

QTEST_MAIN(TestColorButton)
#include "tst_colorbutton.moc"

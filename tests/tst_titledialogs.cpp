#include "controls/ColorButton.h"
#include "controls/Display.h"
#include "controls/Fonts.h"
#include "controls/NamedColors.h"
#include "controls/SuperTimer.h"
#include "dialogs/About.h"
#include "dialogs/SysInfo.h"
#include "dialogs/Title.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace dialogs;

namespace {

// Saves what a window looks like when KORVANDEL_SHOT_DIR names a folder.
void saveShot(QWidget *window, const char *name) {
    const QString folder = qEnvironmentVariable("KORVANDEL_SHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(window->grab().save(folder + QLatin1Char('/') + QLatin1String(name)));
}

QRect geometryOf(QWidget *window, const QString &name) {
    auto *child = window->findChild<QWidget *>(name);
    return child ? child->geometry() : QRect();
}

QByteArray shownText(const TfrmTitle &title) {
    QByteArray text;
    for (controls::TDisplay *display : title.Display)
        text += char(display->Digit());
    return text;
}

// Runs the dialog modally and performs the action once it is on screen; returns whether
// the modal showing ended by itself within the time limit.
bool execUntil(QDialog &dialog, const std::function<void()> &action) {
    bool ended = false;
    QTimer::singleShot(0, &dialog, [&] {
        action();
        QTimer::singleShot(2000, &dialog, [&] {
            if (!ended)
                dialog.done(-1);
        });
    });
    const int result = dialog.exec();
    ended = true;
    return result != -1;
}

} // namespace

class TestTitleDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { controls::installFontSubstitutes(); }
    void titleLayout_data();
    void titleLayout();
    void titleDisplays();
    void marqueeFrames();
    void aTickPaintsTogether();
    void aTickShowsThePixelsOfAnImmediatePaint();
    void titleScrollsWhileShownAndStartEndsIt();
    void aboutLayout_data();
    void aboutLayout();
    void aboutVersionAndExit();
    void sysInfoRows();
};

void TestTitleDialogs::titleLayout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("imgTitle") << "imgTitle" << QRect(2, 0, 640, 480);
    QTest::newRow("lblCaution") << "lblCaution" << QRect(248, 8, 353, 45);
    QTest::newRow("Display1") << "Display1" << QRect(16, 368, 41, 57);
    QTest::newRow("Display15") << "Display15" << QRect(16 + 40 * 14, 368, 41, 57);
    QTest::newRow("lblVersion") << "lblVersion" << QRect(244, 252, 373, 85);
    QTest::newRow("ColorButton1") << "ColorButton1" << QRect(544, 440, 75, 25);
}

void TestTitleDialogs::titleLayout() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TfrmTitle title;
    QCOMPARE(geometryOf(&title, name), geometry);
    QCOMPARE(title.size(), QSize(643, 480));
    QCOMPARE(title.windowTitle(), QStringLiteral("Vantrel : Korvandel"));
}

void TestTitleDialogs::titleDisplays() {
    TfrmTitle title;
    QCOMPARE(frmTitle, &title);
    QCOMPARE(title.lblVersion->text(), QStringLiteral("v2\u00DF"));
    QCOMPARE(title.lblCaution->text(), QStringLiteral("Caution: Beta version!"));
    QCOMPARE(title.ColorButton1->Caption(), QStringLiteral("Start"));
    QCOMPARE(title.SuperTimer1->Interval(), quint16(100));
    QCOMPARE(title.SuperTimer1->Enabled(), false);
    QCOMPARE(shownText(title), QByteArray(15, ' '));
    // Every dot unlit: maroon inside, black outlines, the green window between neighbours.
    const QImage image = title.grab().toImage();
    QCOMPARE(image.pixelColor(16 + 1 + 2 + 3, 368 + 1 + 2 + 3), QColor(controls::clMaroon));
    QCOMPARE(image.pixelColor(16 + 1 + 2, 368 + 1 + 2), QColor(controls::clBlack));
    QCOMPARE(image.pixelColor(16 + 1 + 9 + 3, 368 + 1 + 2 + 3), QColor(controls::clMaroon));
    delete title.Display[3];
    title.Display[3] = nullptr;
    title.Display[3] = new controls::TDisplay(&title); // unnamed: not found by the scroll
    ScrollPos = 20;
    ScrollWelcomeText();
    QCOMPARE(title.Display[3]->Digit(), quint8(0));
}

void TestTitleDialogs::marqueeFrames() {
    TfrmTitle title;
    QCOMPARE(WelcomeText.size(), 170);
    QCOMPARE(ScrollPos, 1);
    // Characters from..to of the text, counted from 1.
    auto chars = [](int from, int to) { return WelcomeText.mid(from - 1, to - from + 1); };
    ScrollWelcomeText();
    QCOMPARE(shownText(title), chars(2, 16));
    QCOMPARE(shownText(title), QByteArray(14, ' ') + 'H');
    for (int tick = 2; tick <= 154; ++tick)
        ScrollWelcomeText();
    QCOMPARE(shownText(title), chars(155, 169));
    QCOMPARE(ScrollPos, 155);
    ScrollWelcomeText();
    QCOMPARE(shownText(title), chars(156, 170));
    QCOMPARE(ScrollPos, 1);
    ScrollWelcomeText();
    QCOMPARE(shownText(title), chars(2, 16));
    // The creation handler starts the text again.
    title.FormCreate();
    QCOMPARE(ScrollPos, 1);
}

// Counts the paints each watched widget receives.
class PaintCounter : public QObject {
public:
    QHash<QObject *, int> paints;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
};

// A tick changes the shown characters without painting on the spot: the changed displays
// are painted afterwards, each once, in one pass of the event loop.
void TestTitleDialogs::aTickPaintsTogether() {
    TfrmTitle title;
    title.show();
    QVERIFY(QTest::qWaitForWindowExposed(&title));
    title.SuperTimer1->setEnabled(false); // only the test's own ticks
    QCoreApplication::processEvents();
    PaintCounter counter;
    for (controls::TDisplay *display : title.Display)
        display->installEventFilter(&counter);
    ScrollPos = 40; // inside the text: every display changes at the next tick
    const QByteArray before = shownText(title);
    ScrollWelcomeText();
    const QByteArray after = shownText(title);
    QCOMPARE(counter.paints.size(), 0);
    QTRY_VERIFY(!counter.paints.isEmpty());
    QCoreApplication::processEvents();
    for (int n = 0; n < TfrmTitle::displayCount; ++n) {
        if (before.at(n) != after.at(n))
            QCOMPARE(counter.paints.value(title.Display[n]), 1);
    }
}

// What reaches the screen after a tick is the same whether the displays paint at once or
// later together. Under X (QT_QPA_PLATFORM=xcb) the shots are read back from the server.
void TestTitleDialogs::aTickShowsThePixelsOfAnImmediatePaint() {
    TfrmTitle title;
    title.show();
    QVERIFY(QTest::qWaitForWindowExposed(&title));
    title.SuperTimer1->setEnabled(false); // only the test's own ticks
    auto shot = [&title] {
        QTest::qWait(200);
        return title.screen()->grabWindow(title.winId()).toImage();
    };
    const QImage blank = shot();
    QImage shots[2];
    for (const bool atOnce : {true, false}) {
        for (controls::TDisplay *display : title.Display) {
            display->setPaintsAtOnce(true);
            display->setDigit(' ');
            display->setPaintsAtOnce(atOnce);
        }
        ScrollPos = 40;
        ScrollWelcomeText();
        shots[atOnce ? 0 : 1] = shot();
    }
    QVERIFY(shots[0] != blank);
    QCOMPARE(shots[1], shots[0]);
}

void TestTitleDialogs::titleScrollsWhileShownAndStartEndsIt() {
    TfrmTitle title;
    QByteArray shown;
    const bool ended = execUntil(title, [&] {
        QVERIFY(title.SuperTimer1->Enabled());
        QCOMPARE(shownText(title), QByteArray(15, ' '));
        QVERIFY(QTest::qWaitFor([&] { return ScrollPos >= 20; }, 10000));
        // The frame after the last tick starts one character after the previous position.
        shown = shownText(title);
        QCOMPARE(shown, WelcomeText.mid(ScrollPos - 1, 15));
        saveShot(&title, "title.png");
        QVERIFY(title.ColorButton1->hasFocus());
        QTest::keyClick(title.ColorButton1, Qt::Key_Space);
    });
    QVERIFY(ended);
    QVERIFY(shown.contains("Welcome"));
    QCOMPARE(title.SuperTimer1->Enabled(), false);
}

void TestTitleDialogs::aboutLayout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Label1") << "Label1" << QRect(4, 16, 261, 37);
    QTest::newRow("lblVersion") << "lblVersion" << QRect(4, 56, 261, 37);
    QTest::newRow("Label8") << "Label8" << QRect(2, 100, 263, 19);
    QTest::newRow("Label9") << "Label9" << QRect(2, 112, 263, 19);
    QTest::newRow("Label3") << "Label3" << QRect(1, 144, 268, 19);
    QTest::newRow("Label4") << "Label4" << QRect(2, 160, 263, 19);
    QTest::newRow("Label2") << "Label2" << QRect(2, 184, 263, 19);
    QTest::newRow("Label5") << "Label5" << QRect(2, 196, 267, 19);
    QTest::newRow("Label6") << "Label6" << QRect(2, 208, 263, 25);
    QTest::newRow("Label7") << "Label7" << QRect(2, 220, 263, 19);
    QTest::newRow("ColorButton1") << "ColorButton1" << QRect(96, 292, 75, 25);
}

void TestTitleDialogs::aboutLayout() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TfrmAbout about;
    QCOMPARE(geometryOf(&about, name), geometry);
    QCOMPARE(about.size(), QSize(269, 324));
}

void TestTitleDialogs::aboutVersionAndExit() {
    TfrmAbout about;
    QCOMPARE(frmAbout, &about);
    QCOMPARE(about.Label9->text(), QStringLiteral("the Brakkon\u2122 boardgame simulator"));
    QCOMPARE(about.lblVersion->text(), QStringLiteral("v1.0"));
    const bool ended = execUntil(about, [&] {
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.lblVersion->text(), QStringLiteral("v2\u00DF"));
        saveShot(&about, "about.png");
        // Escape and the close request leave the box open; Alt+O closes it.
        QTest::keyClick(&about, Qt::Key_Escape);
        about.close();
        QVERIFY(about.isVisible());
        QTest::keyClick(&about, Qt::Key_O, Qt::AltModifier);
    });
    QVERIFY(ended);
    QVERIFY(!about.isVisible());
}

void TestTitleDialogs::sysInfoRows() {
    TfrmSysInfo info;
    QCOMPARE(frmSysInfo, &info);
    QCOMPARE(info.size(), QSize(378, 374));
    QCOMPARE(geometryOf(&info, QStringLiteral("StringGrid1")), QRect(8, 8, 361, 313));
    QCOMPARE(geometryOf(&info, QStringLiteral("BitBtn1")), QRect(144, 336, 97, 33));
    const bool ended = execUntil(info, [&] {
        QVERIFY(QTest::qWaitFor([&] { return info.StringGrid1->item(15, 0) != nullptr; }));
        const QStringList labels = {"Physical RAM",
                                    "Physical RAM free",
                                    "Page file",
                                    "Page file free",
                                    "Windows directory",
                                    "System directory",
                                    "Number of CPUs",
                                    "CPU",
                                    "Time",
                                    "Time since boot",
                                    "Date",
                                    "Resolution",
                                    "Bits per Pixel",
                                    "Username",
                                    "Computername",
                                    "OS"};
        for (int row = 0; row < 16; ++row)
            QCOMPARE(info.StringGrid1->item(row, 0)->text(), labels[row]);
        // Device pixels, also when a display scale is set (the run with QT_SCALE_FACTOR).
        const QSize screen =
            (QSizeF(info.screen()->geometry().size()) * info.screen()->devicePixelRatio()).toSize();
        QCOMPARE(info.StringGrid1->item(11, 1)->text(),
                 QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()));
        QVERIFY(info.StringGrid1->item(15, 1)->text().startsWith(QStringLiteral("Linux ")));
        const int half = info.StringGrid1->viewport()->width() / 2;
        QCOMPARE(info.StringGrid1->columnWidth(0), half);
        QCOMPARE(info.StringGrid1->columnWidth(1), half);
        saveShot(&info, "sysinfo.png");
        info.BitBtn1->click();
    });
    QVERIFY(ended);
}

QTEST_MAIN(TestTitleDialogs)
#include "tst_titledialogs.moc"

#include "dialogs/Title.h"

#include "controls/ColorButton.h"
#include "controls/Display.h"
#include "controls/ErrorReport.h"
#include "controls/NamedColors.h"
#include "controls/SuperTimer.h"
#include "dialogs/Forms.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QShowEvent>

// The picture is compiled into this static library; nothing else refers to it, so its
// registration has to be pulled in by hand.
static void initTitleResources() {
    Q_INIT_RESOURCE(Title);
}

namespace dialogs {

TfrmTitle *frmTitle = nullptr;
QByteArray WelcomeText;
int ScrollPos = 1;

using namespace controls;

void InitWelcomeText() {
    WelcomeText = QByteArray(15, ' ') + "Hi! Welcome to the Beta of the Rozizazorur." +
                  QByteArray(10, ' ') + "Don't forget to read the Korvandel.Doc file!" +
                  QByteArray(15, ' ') + "Click 'Start' to continue..." + QByteArray(15, ' ');
    ScrollPos = 1;
}

void ScrollWelcomeText() {
    for (int n = 1; n <= TfrmTitle::displayCount; ++n) {
        if (frmTitle == nullptr)
            break;
        // Displays are found by name; a missing one, or one of another kind, is skipped.
        auto *display = qobject_cast<TDisplay *>(frmTitle->findChild<QObject *>(
            QStringLiteral("Display%1").arg(n), Qt::FindDirectChildrenOnly));
        const qsizetype position = ScrollPos + n; // counted from 1
        if (display != nullptr && position >= 1 && position <= WelcomeText.size())
            display->setDigit(quint8(WelcomeText.at(position - 1)));
    }
    ++ScrollPos;
    if (ScrollPos > WelcomeText.size() - TfrmTitle::displayCount)
        ScrollPos = 1;
}

TfrmTitle::TfrmTitle(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint) {
    frmTitle = this;
    setObjectName(QStringLiteral("frmTitle"));
    setWindowTitle(QStringLiteral("Vantrel : Korvandel"));
    // The frame is resizable; the client area starts at 643 x 480 (651 x 507 outside).
    resize(643, 480);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(clGreen));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(designFont(QStringLiteral("MS Sans Serif"), -11));

    // Created from the bottom of the stack to the top.
    initTitleResources();
    imgTitle = new QLabel(this);
    imgTitle->setObjectName(QStringLiteral("imgTitle"));
    const QPixmap picture(QStringLiteral(":/title/title.bmp"));
    imgTitle->setPixmap(picture);
    imgTitle->setGeometry(QRect(QPoint(2, 0), picture.isNull() ? QSize(640, 480) : picture.size()));

    lblCaution = createLabel(this, {"lblCaution",
                                    {248, 8, 353, 45},
                                    QStringLiteral("Caution: Beta version!"),
                                    "Impact",
                                    -37,
                                    true,
                                    clYellow,
                                    false});
    QPalette red = lblCaution->palette();
    red.setColor(QPalette::Window, QColor(clRed));
    lblCaution->setPalette(red);
    lblCaution->setAutoFillBackground(true);

    for (int n = 0; n < displayCount; ++n) {
        auto *display = new TDisplay(this);
        display->setObjectName(QStringLiteral("Display%1").arg(n + 1));
        display->setGeometry(16 + 40 * n, 368, 41, 57);
        display->setDigit(' ');
        display->setOnColor(QColor(clYellow));
        display->setOffColor(QColor(clMaroon));
        display->setSegWidth(7);
        display->setMargin(2);
        display->setDigitStyle(ds5x7Dot);
        display->setPenOnColor(QColor(clBlack));
        display->setPenOffColor(QColor(clBlack));
        // A tick changes up to fifteen displays: they are painted together afterwards,
        // in one paint of the window, instead of one paint and one flush each.
        display->setPaintsAtOnce(false);
        Display[n] = display;
    }

    lblVersion = createLabel(this, {"lblVersion",
                                    {244, 252, 373, 85},
                                    QStringLiteral("v2"),
                                    "Impact",
                                    -64,
                                    true,
                                    clGreen,
                                    true});

    ColorButton1 = new TColorButton(this);
    ColorButton1->setObjectName(QStringLiteral("ColorButton1"));
    ColorButton1->setGeometry(544, 440, 75, 25);
    ColorButton1->setCaption(QStringLiteral("Start"));
    ColorButton1->setColor(QColor(clGreen));
    ColorButton1->setStyle(bsCenter | bsShowKey);
    connect(ColorButton1, &TColorButton::OnClick, this,
            [this] { guarded([this] { ColorButton1Click(); }, this); });

    SuperTimer1 = new TSuperTimer(this);
    SuperTimer1->setObjectName(QStringLiteral("SuperTimer1"));
    SuperTimer1->setInterval(100);
    connect(SuperTimer1, &TSuperTimer::OnTimer, this, [this] { SuperTimer1Timer(); });

    guarded([this] { FormCreate(); }, this);
}

TfrmTitle::~TfrmTitle() {
    if (frmTitle == this)
        frmTitle = nullptr;
}

void TfrmTitle::FormCreate() {
    InitWelcomeText();
    lblVersion->setText(versionText());
}

void TfrmTitle::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen(this);
        guarded([this] { FormShow(); }, this);
    }
}

void TfrmTitle::FormShow() {
    SuperTimer1->setEnabled(true);
}

// Runs on the GUI thread; the timer's hand-off already reports errors.
void TfrmTitle::SuperTimer1Timer() {
    ScrollWelcomeText();
}

void TfrmTitle::ColorButton1Click() {
    SuperTimer1->setEnabled(false);
    accept();
}

// Escape does not close the title screen; its system menu and close box do.
void TfrmTitle::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace dialogs

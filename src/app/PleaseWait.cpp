#include "app/PleaseWait.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace app {

QPointer<TfrmPleaseWait> frmPleaseWait;

TfrmPleaseWait::TfrmPleaseWait(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmPleaseWait"));
    setWindowTitle(QStringLiteral("Vantrel"));
    setFixedSize(493, 49);

    auto *label = new QLabel(QStringLiteral("Reading Database, please wait..."), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(4, 4, 486, 43);
    QFont font(QStringLiteral("Impact"));
    font.setPixelSize(35);
    font.setBold(true);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0x00, 0x80, 0x00));
    label->setPalette(pal);

    // The raised bevel over the whole notice, drawn above the label: only its frame shows.
    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setGeometry(0, 0, 493, 49);
    bevel->setAttribute(Qt::WA_TransparentForMouseEvents);
    bevel->raise();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(493 / 2, 49 / 2));
}

} // namespace app

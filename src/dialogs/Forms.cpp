#include "dialogs/Forms.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace dialogs {

QFont designFont(const QString &family, int height, bool bold) {
    QFont font(family);
    font.setPixelSize(height < 0 ? -height : height);
    font.setBold(bold);
    return font;
}

QLabel *createLabel(QWidget *owner, const LabelSpec &place) {
    auto *label = new QLabel(place.text, owner);
    label->setObjectName(QLatin1String(place.name));
    label->setGeometry(place.geometry);
    label->setFont(designFont(QLatin1String(place.family), place.height, place.bold));
    label->setAlignment(Qt::AlignTop | (place.centred ? Qt::AlignHCenter : Qt::AlignLeft));
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(place.color));
    label->setPalette(palette);
    return label;
}

void setClientArea(QWidget *window, QSize size, const QColor &background) {
    window->setFixedSize(size);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, background);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void centreOnScreen(QWidget *window) {
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->geometry().center());
    window->move(frame.topLeft());
}

} // namespace dialogs

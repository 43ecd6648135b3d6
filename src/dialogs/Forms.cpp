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

QLabel *createLabel(QWidget *owner, const LabelSpec &spec) {
    auto *label = new QLabel(spec.text, owner);
    label->setObjectName(QLatin1String(spec.name));
    label->setGeometry(spec.geometry);
    label->setFont(designFont(QLatin1String(spec.family), spec.height, spec.bold));
    label->setAlignment(Qt::AlignTop | (spec.centred ? Qt::AlignHCenter : Qt::AlignLeft));
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(spec.color));
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

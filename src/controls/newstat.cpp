#include "controls/newstat.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>

namespace controls {

namespace {
constexpr const char *hintProperty = "hint";
constexpr const char *watchedProperty = "korvandelHintWatched";
} // namespace

void setHint(QObject *object, const QString &hint) {
    object->setProperty(hintProperty, hint);
}

QString hintOf(const QObject *object) {
    return object->property(hintProperty).toString();
}

QString longHint(const QString &hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

ApplicationHint *ApplicationHint::instance() {
    static QPointer<ApplicationHint> theInstance;
    if (!theInstance)
        theInstance = new ApplicationHint(qApp);
    return theInstance;
}

ApplicationHint::ApplicationHint(QObject *parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

void ApplicationHint::setHint(const QString &hint) {
    if (hint == m_hint)
        return;
    m_hint = hint;
    emit hintChanged();
}

QString ApplicationHint::hintFor(const QWidget *widget) {
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QString hint = hintOf(w);
        if (!hint.isEmpty())
            return longHint(hint);
    }
    return {};
}

void ApplicationHint::followPointer(QWidget *receiver, const QPoint &globalPos) {
    QWidget *window = receiver->window();
    if (qobject_cast<QMenu *>(window) || qobject_cast<QMenuBar *>(receiver))
        return; // menus report their highlighted item instead
    const QPoint local = window->mapFromGlobal(globalPos);
    if (!window->rect().contains(local)) {
        setHint(QString());
        return;
    }
    QWidget *under = window->childAt(local);
    setHint(hintFor(under ? under : window));
}

void ApplicationHint::watchMenu(QWidget *widget) {
    if (widget->property(watchedProperty).toBool())
        return;
    widget->setProperty(watchedProperty, true);
    auto showAction = [this](QAction *action) {
        setHint(action ? longHint(hintOf(action)) : QString());
    };
    if (auto *menu = qobject_cast<QMenu *>(widget)) {
        connect(menu, &QMenu::hovered, this, showAction);
        connect(menu, &QMenu::aboutToHide, this, [this] { setHint(QString()); });
    } else if (auto *bar = qobject_cast<QMenuBar *>(widget)) {
        connect(bar, &QMenuBar::hovered, this, showAction);
    }
}

bool ApplicationHint::eventFilter(QObject *watched, QEvent *event) {
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::MouseMove:
        followPointer(widget, static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        break;
    case QEvent::Enter:
        followPointer(widget, static_cast<QEnterEvent *>(event)->globalPosition().toPoint());
        break;
    case QEvent::Leave:
        if (widget->isWindow() && !qobject_cast<QMenu *>(widget))
            setHint(QString());
        break;
    case QEvent::Show:
    case QEvent::Polish:
        if (qobject_cast<QMenu *>(widget) || qobject_cast<QMenuBar *>(widget))
            watchMenu(widget);
        break;
    default:
        break;
    }
    return false;
}

TAStatusBar::TAStatusBar(QWidget *parent) : QStatusBar(parent) {
    // Other controls may be placed on the bar; Qt widgets accept children as they are.
    setFixedHeight(19);
    setSizeGripEnabled(true);
}

void TAStatusBar::addPanel(int width, const QString &text) {
    auto *label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(width);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(2, 0, 2, 0);
    addWidget(label);
    m_panels.push_back(label);
}

QString TAStatusBar::panelText(int index) const {
    return m_panels.at(index)->text();
}

void TAStatusBar::setPanelText(int index, const QString &text) {
    m_panels.at(index)->setText(text);
}

} // namespace controls

#pragma once

#include <QLabel>
#include <QObject>
#include <QStatusBar>
#include <QString>
#include <vector>

class QAction;

namespace controls {

// The hint of a control or menu item: the text the status bar shows while the pointer
// rests on it. Kept apart from the tooltip, so that only controls that ask for pop-up
// tips (the navigators) show one.
void setHint(QObject *object, const QString &hint);
QString hintOf(const QObject *object);
// The long form of a hint: the text after the first "|", or the whole hint.
QString longHint(const QString &hint);

// The application's current hint. It follows the pointer (the hint of the control under
// it, else of its nearest parent that has one, else empty) and, while a menu is open, the
// highlighted item. hintChanged is raised only when the text really changes.
class ApplicationHint : public QObject {
    Q_OBJECT
public:
    // The one instance; watches the whole application from its first use on.
    static ApplicationHint *instance();

    QString hint() const { return m_hint; }
    void setHint(const QString &hint);
    // The long hint that applies to a widget: its own, else its nearest parent's.
    static QString hintFor(const QWidget *widget);

signals:
    void hintChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit ApplicationHint(QObject *parent);
    void followPointer(QWidget *receiver, const QPoint &globalPos);
    void watchMenu(QWidget *menu);

    QString m_hint;
};

// A status bar whose panels are fixed-width boxes of text from the left edge; the rest of
// the bar stays empty up to the size grip.
class TAStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TAStatusBar(QWidget *parent = nullptr);

    void addPanel(int width, const QString &text);
    int panelCount() const { return int(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);
    QLabel *panel(int index) const { return m_panels.at(index); }

private:
    std::vector<QLabel *> m_panels;
};

} // namespace controls

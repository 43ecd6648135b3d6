#pragma once

#include "dialogs/Title.h"

#include <QCoreApplication>
#include <QTimer>
#include <functional>

// How a test dismisses the title screen: its Start button, or the window's close box.
enum class TitleExit { Start, CloseBox };

// The main window shows the title screen modally when it is first shown. Tests of the main
// window dismiss it as soon as it is up, as a user would. dismissing, when given, sees the
// title screen just before it is dismissed.
inline void
pressStartWhenTitleShows(TitleExit exit = TitleExit::Start,
                         std::function<void(dialogs::TfrmTitle *)> dismissing = nullptr) {
    auto *poll = new QTimer(QCoreApplication::instance());
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, exit, dismissing] {
        if (dialogs::frmTitle && dialogs::frmTitle->isVisible()) {
            if (dismissing)
                dismissing(dialogs::frmTitle);
            if (exit == TitleExit::Start)
                dialogs::frmTitle->ColorButton1Click();
            else
                dialogs::frmTitle->close();
            poll->deleteLater();
        }
    });
    poll->start();
}

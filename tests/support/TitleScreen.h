#pragma once

#include "dialogs/Title.h"

#include <QCoreApplication>
#include <QTimer>

// The main window shows the title screen modally when it is first shown. Tests of the main
// window press its Start button as soon as it is up, as a user would.
inline void pressStartWhenTitleShows() {
    auto *poll = new QTimer(QCoreApplication::instance());
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        if (dialogs::frmTitle && dialogs::frmTitle->isVisible()) {
            dialogs::frmTitle->ColorButton1Click();
            poll->deleteLater();
        }
    });
    poll->start();
}

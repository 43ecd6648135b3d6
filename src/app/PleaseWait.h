#pragma once

#include <QPointer>
#include <QWidget>

namespace app {

// The loading notice shown while the catalogue opens: a borderless box at the centre of
// the screen reading "Reading Database, please wait...".
class TfrmPleaseWait : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPleaseWait(QWidget *parent = nullptr);
};

// The notice while it exists (created and released by the main window's show handler).
extern QPointer<TfrmPleaseWait> frmPleaseWait;

} // namespace app

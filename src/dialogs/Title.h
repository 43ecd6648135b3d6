#pragma once

#include <QByteArray>
#include <QDialog>

class QLabel;

namespace controls {
class TColorButton;
class TDisplay;
class TSuperTimer;
} // namespace controls

namespace dialogs {

// The first window of every start: the title picture, a beta banner, the version, a row of
// fifteen dot-matrix displays through which a welcome text scrolls, and a Start button that
// ends the window's modal showing.
class TfrmTitle : public QDialog {
    Q_OBJECT

public:
    explicit TfrmTitle(QWidget *owner = nullptr);
    ~TfrmTitle() override;

    static constexpr int displayCount = 15;

    QLabel *imgTitle;
    QLabel *lblCaution;
    controls::TDisplay *Display[displayCount];
    QLabel *lblVersion;
    controls::TColorButton *ColorButton1;
    controls::TSuperTimer *SuperTimer1;

    void FormCreate();
    void FormShow();
    void SuperTimer1Timer();
    void ColorButton1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// The title screen while it exists.
extern TfrmTitle *frmTitle;

// The scrolling text (single-byte characters) and the position just before the first
// character shown, counted from 1. They belong to the module, not to the window.
extern QByteArray WelcomeText;
extern int ScrollPos;

void InitWelcomeText();
// Shows the next frame of the text on frmTitle's displays and moves the position on.
void ScrollWelcomeText();

} // namespace dialogs

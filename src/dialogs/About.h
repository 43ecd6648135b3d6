#pragma once

#include <QDialog>

class QLabel;

namespace controls {
class TColorButton;
}

namespace dialogs {

// The About box: the program's name and version in large green letters on black, a short
// description, a notice, the author and contact lines, and an OK colour button, the only
// way out.
class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget *owner = nullptr);
    ~TfrmAbout() override;

    QLabel *Label1;
    QLabel *lblVersion;
    QLabel *Label8;
    QLabel *Label9;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label2;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
    controls::TColorButton *ColorButton1;

    void FormShow();
    void ColorButton1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_closing = false;
};

// The About box while it exists.
extern TfrmAbout *frmAbout;

} // namespace dialogs

#pragma once

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace dialogs {

// A summary of the computer and its user in a two-column grid, refilled every time the
// dialog becomes the active window.
class TfrmSysInfo : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSysInfo(QWidget *owner = nullptr);
    ~TfrmSysInfo() override;

    QTableWidget *StringGrid1;
    QPushButton *BitBtn1;

    void FormActivate();
    void BitBtn1Click();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
};

// The system information dialog while it exists.
extern TfrmSysInfo *frmSysInfo;

} // namespace dialogs

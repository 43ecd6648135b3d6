#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace report {

class TQRPrinter;

// The small window every long operation of printing shows: a message, a bar that moves in
// about twenty steps, and Cancel, which sets the page store's Cancelled flag.
class TQRProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TQRProgressForm(TQRPrinter *store, QWidget *parent = nullptr);

    void SetMax(int n);
    void SetProgress(int i);
    void SetMessage(const QString &text);
    void ShowWindow();

    int Max() const { return m_max; }
    int Step() const { return m_step; }
    int Position() const;
    QString Message() const;
    QPushButton *CancelButton() const { return m_cancel; }

    // Esc presses Cancel rather than closing the window under the running operation.
    void reject() override;

private:
    QLabel *m_message;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    int m_max = 0;
    int m_step = 1;
    int m_lastShown = 0;
};

} // namespace report

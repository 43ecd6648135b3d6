#include "report/QRProgressForm.h"

#include "report/QRPrinter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace report {

TQRProgressForm::TQRProgressForm(TQRPrinter *store, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("QRProgressForm"));
    setWindowTitle(store ? store->ProgressCaption : QString());
    setFixedSize(400, 140);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setGeometry(170, 75, 60, 26);
    m_cancel->setDefault(true);
    m_cancel->setAutoDefault(true);
    m_message = new QLabel(this);
    m_message->move(20, 10);
    m_bar = new QProgressBar(this);
    m_bar->setGeometry(20, 40, 360, 20);
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 0);
    m_bar->setValue(0);
    m_cancel->setFocus();
    connect(m_cancel, &QPushButton::clicked, this, [store] {
        if (store)
            store->Cancel();
    });
}

void TQRProgressForm::SetMax(int n) {
    m_max = n;
    m_bar->setRange(0, qMax(n, 0));
    m_step = n / 20;
    if (m_step <= 0)
        m_step = 1;
}

void TQRProgressForm::SetProgress(int i) {
    if (m_max == 0 || i / m_step <= m_lastShown)
        return;
    m_bar->setValue(qMin(i, m_bar->maximum()));
    m_lastShown = i / m_step;
}

int TQRProgressForm::Position() const {
    return m_bar->value();
}

QString TQRProgressForm::Message() const {
    return m_message->text();
}

void TQRProgressForm::SetMessage(const QString &text) {
    m_message->setText(text);
    m_message->adjustSize();
    QCoreApplication::processEvents();
}

void TQRProgressForm::ShowWindow() {
    show();
    setCursor(Qt::WaitCursor);
}

void TQRProgressForm::reject() {
    m_cancel->click();
}

} // namespace report

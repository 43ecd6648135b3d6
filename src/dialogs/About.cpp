#include "dialogs/About.h"

#include "controls/ColorButton.h"
#include "controls/ErrorReport.h"
#include "controls/NamedColors.h"
#include "dialogs/Forms.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>

namespace dialogs {

TfrmAbout *frmAbout = nullptr;

namespace {

using namespace controls;

const LabelSpec aboutLabels[] = {
    {"Label1", {4, 16, 261, 37}, QStringLiteral("Korvandel"), "Impact", -32, true, clGreen, true},
    {"lblVersion", {4, 56, 261, 37}, QStringLiteral("v1.0"), "Impact", -32, true, clGreen, true},
    {"Label8",
     {2, 100, 263, 19},
     QStringLiteral("Design weapons for Vantrel,"),
     "Arial",
     -13,
     true,
     clGreen,
     true},
    {"Label9",
     {2, 112, 263, 19},
     QStringLiteral("the Brakkon\u2122 boardgame simulator"),
     "Arial",
     -13,
     true,
     clGreen,
     true},
    {"Label3",
     {1, 144, 268, 19},
     QStringLiteral("Beta release - please report every fault"),
     "Arial",
     -13,
     true,
     clWhite,
     true},
    {"Label4",
     {2, 160, 263, 19},
     QStringLiteral("Written by the Korvandel team"),
     "Arial",
     -13,
     true,
     clWhite,
     true},
    {"Label2",
     {2, 184, 263, 19},
     QStringLiteral("Comments and suggestions to:"),
     "Arial",
     -12,
     true,
     clSilver,
     true},
    {"Label5",
     {2, 196, 267, 19},
     QStringLiteral("Korvandel workshop"),
     "Arial",
     -12,
     true,
     clSilver,
     true},
    {"Label6",
     {2, 208, 263, 25},
     QStringLiteral("korvandel@example.org"),
     "Arial",
     -12,
     true,
     clSilver,
     true},
    {"Label7",
     {2, 220, 263, 19},
     QStringLiteral("https://korvandel.example.org"),
     "Arial",
     -12,
     true,
     clSilver,
     true},
};

} // namespace

TfrmAbout::TfrmAbout(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    frmAbout = this;
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Korvandel"));
    setClientArea(this, QSize(269, 324), QColor(clBlack));
    setFont(designFont(QStringLiteral("MS Sans Serif"), -11));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);

    QLabel **labels[] = {&Label1, &lblVersion, &Label8, &Label9, &Label3,
                         &Label4, &Label2,     &Label5, &Label6, &Label7};
    for (std::size_t i = 0; i < std::size(labels); ++i)
        *labels[i] = createLabel(this, aboutLabels[i]);

    ColorButton1 = new TColorButton(this);
    ColorButton1->setObjectName(QStringLiteral("ColorButton1"));
    ColorButton1->setGeometry(96, 292, 75, 25);
    ColorButton1->setCaption(QStringLiteral("&OK"));
    ColorButton1->setColor(QColor(clGreen));
    ColorButton1->setStyle(bsCenter | bsShowKey);
    connect(ColorButton1, &TColorButton::OnClick, this,
            [this] { guarded([this] { ColorButton1Click(); }, this); });
}

TfrmAbout::~TfrmAbout() {
    if (frmAbout == this)
        frmAbout = nullptr;
}

void TfrmAbout::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        m_closing = false;
        centreOnScreen(this);
        guarded([this] { FormShow(); }, this);
    }
}

void TfrmAbout::FormShow() {
    lblVersion->setText(versionText());
}

void TfrmAbout::ColorButton1Click() {
    m_closing = true;
    accept();
}

// The OK button is the only way out: Escape does not close the box.
void TfrmAbout::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmAbout::closeEvent(QCloseEvent *event) {
    if (!m_closing)
        event->ignore();
}

} // namespace dialogs

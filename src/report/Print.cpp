// The equipment list: one line per row of the table under a title and column headings.
#include "report/Print.h"

#include "db/DataSet.h"
#include "db/DataSource.h"
#include "report/QRProgressForm.h"

#include <QApplication>
#include <QScopeGuard>

namespace report {

TfrmPrint *frmPrint = nullptr;

namespace {

constexpr emf::ColorRef kLightYellow = 0x0080FFFF; // red FF, green FF, blue 80
constexpr emf::ColorRef kWhite = 0x00FFFFFF;

TQRFont impact(int points, bool bold) {
    TQRFont f;
    f.Name = QStringLiteral("Impact");
    f.Size = points;
    f.Bold = bold;
    return f;
}

TQRFont times(int points, bool bold = false, bool italic = false) {
    TQRFont f;
    f.Name = QStringLiteral("Times New Roman");
    f.Size = points;
    f.Bold = bold;
    f.Italic = italic;
    return f;
}

struct Placement {
    const char *name;
    int left, top, width, height;
    TAlignment alignment;
    bool alignToBand;
    bool autoSize;
    bool transparent;
};

template <typename Control>
Control *place(Control *control, const Placement &p, const TQRFont &font) {
    control->setObjectName(QString::fromLatin1(p.name));
    control->Left = p.left;
    control->Top = p.top;
    control->Width = p.width;
    control->Height = p.height;
    control->Alignment = p.alignment;
    control->AlignToBand = p.alignToBand;
    control->AutoSize = p.autoSize;
    control->Transparent = p.transparent;
    control->Font = font;
    return control;
}

TQRBand *band(QObject *owner, const char *name, TQRBandType type, int height) {
    auto *b = new TQRBand(owner, type, height);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

TfrmPrint::TfrmPrint(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmPrint"));
    sqlEquipment = std::make_unique<db::DataSet>(QStringLiteral("VantrelDB"));
    sqlEquipment->setSql({QStringLiteral("SELECT * FROM Equipment")});
    sqlEquipment->setRequestLive(false);
    DataSource1 = std::make_unique<db::DataSource>(sqlEquipment.get());

    // Title band: four texts centred on the page.
    QRBand1 = band(this, "QRBand1", rbTitle, 137);
    QRBand1->Frame.DrawTop = QRBand1->Frame.DrawBottom = true;
    QRBand1->Frame.DrawLeft = QRBand1->Frame.DrawRight = true;
    QRLabel1 = place(new TQRLabel(QRBand1, QStringLiteral("Vantrel")),
                     {"QRLabel1", 132, 8, 152, 45, taCenter, true, true, false}, impact(28, true));
    QRLabel2 = place(new TQRLabel(QRBand1, QStringLiteral("Equipment List")),
                     {"QRLabel2", 100, 40, 206, 39, taCenter, true, true, true}, impact(24, true));
    QRSysData1 = place(new TQRSysData(QRBand1, qrsDateTime),
                       {"QRSysData1", 164, 104, 118, 19, taCenter, true, true, false},
                       times(12, false, true));
    QRLabel3 =
        place(new TQRLabel(QRBand1, QStringLiteral("Printed")),
              {"QRLabel3", 180, 84, 48, 19, taCenter, true, true, true}, times(12, false, true));

    // Column headings.
    QRBand2 = band(this, "QRBand2", rbColumnHeader, 32);
    QRBand2->Frame.DrawBottom = true;
    const struct {
        TQRLabel **label;
        const char *name;
        const char *text;
        int left, top, width;
    } headings[] = {
        {&QRLabel4, "QRLabel4", "Name", 56, 12, 40},
        {&QRLabel5, "QRLabel5", "Heat", 260, 10, 33},
        {&QRLabel6, "QRLabel6", "Damage", 300, 10, 56},
        {&QRLabel7, "QRLabel7", "Minimum", 364, 10, 64},
        {&QRLabel8, "QRLabel8", "Short", 436, 10, 36},
        {&QRLabel9, "QRLabel9", "Medium", 480, 10, 56},
        {&QRLabel10, "QRLabel10", "Long", 540, 10, 34},
        {&QRLabel11, "QRLabel11", "Tonnage", 580, 10, 58},
        {&QRLabel12, "QRLabel12", "Critical", 644, 10, 49},
        {&QRLabel13, "QRLabel13", "Ammo", 700, 10, 43},
        {&QRLabel14, "QRLabel14", "Code", 8, 12, 35},
    };
    for (const auto &h : headings)
        *h.label = place(new TQRLabel(QRBand2, QString::fromLatin1(h.text)),
                         {h.name, h.left, h.top, h.width, 19, taLeftJustify, false, true, false},
                         times(12, true));

    // Detail band: one line per record. Each value stays in its column, so that no value
    // prints over its neighbour or off the paper: a number's column reaches from the right
    // edge of the column before it to its own, the heat's from its heading; the name's
    // reaches up to the heat's, the code's from the paper's edge.
    QRBand3 = band(this, "QRBand3", rbDetail, 16);
    QRBand3->BeforePrint = [this](TQRBand *sender, bool &printBand) {
        QRBand3BeforePrint(sender, printBand);
    };
    const struct {
        TQRDBText **text;
        const char *name;
        const char *field;
        int left, width, height, points;
        TAlignment alignment;
        int column;
    } fields[] = {
        {&QRDBText1, "QRDBText1", "Name", 56, 63, 15, 10, taLeftJustify, 204},
        {&QRDBText2, "QRDBText2", "HeatToUser", 214, 78, 19, 12, taRightJustify, 32},
        {&QRDBText3, "QRDBText3", "DamageToTarget", 278, 78, 19, 12, taRightJustify, 64},
        {&QRDBText4, "QRDBText4", "RangeMin", 350, 78, 19, 12, taRightJustify, 72},
        {&QRDBText5, "QRDBText5", "RangeS", 394, 78, 19, 12, taRightJustify, 44},
        {&QRDBText6, "QRDBText6", "RangeM", 458, 78, 19, 12, taRightJustify, 64},
        {&QRDBText7, "QRDBText7", "RangeL", 498, 78, 19, 12, taRightJustify, 40},
        {&QRDBText8, "QRDBText8", "Weight", 562, 78, 19, 12, taRightJustify, 64},
        {&QRDBText9, "QRDBText9", "Crits", 614, 78, 19, 12, taRightJustify, 52},
        {&QRDBText10, "QRDBText10", "Ammo", 654, 86, 19, 12, taRightJustify, 48},
        {&QRDBText11, "QRDBText11", "Code", -25, 69, 15, 10, taRightJustify, 0},
    };
    for (const auto &f : fields) {
        TQRDBText *text =
            place(new TQRDBText(QRBand3),
                  {f.name, f.left, 0, f.width, f.height, f.alignment, false, true, false},
                  times(f.points));
        text->DataSource = DataSource1.get();
        text->DataField = QString::fromLatin1(f.field);
        text->MaxWidth = f.column;
        *f.text = text;
    }

    // Page footer: the page number centred.
    QRBand4 = band(this, "QRBand4", rbPageFooter, 24);
    QRSysData2 =
        place(new TQRSysData(QRBand4, qrsPageNumber),
              {"QRSysData2", 588, 1, 8, 19, taCenter, true, true, false}, times(12, false, true));

    // Page header, from page 2 on.
    QRBand5 = band(this, "QRBand5", rbPageHeader, 41);
    QRBand5->Frame.DrawBottom = true;
    QRBand5->BeforePrint = [this](TQRBand *sender, bool &printBand) {
        QRBand5BeforePrint(sender, printBand);
    };
    QRLabel15 =
        place(new TQRLabel(QRBand5, QStringLiteral("Vantrel Equipment List")),
              {"QRLabel15", 312, -4, 271, 34, taCenter, true, true, false}, impact(20, false));

    QRReport1 = new TQRReport(this);
    QRReport1->setObjectName(QStringLiteral("QRReport1"));
    QRReport1->DataSource = DataSource1.get();
    QRReport1->ReportTitle = QStringLiteral("Vantrel Equipment List ");
    QRReport1->HostPixelsPerInch = 96;
}

TfrmPrint::~TfrmPrint() {
    if (frmPrint == this)
        frmPrint = nullptr;
    // The data source goes before the query it watches.
    DataSource1.reset();
    sqlEquipment.reset();
}

void TfrmPrint::QRBand3BeforePrint(TQRBand *, bool &) {
    QRBand3->SetColor(QRBand3->Color() == kLightYellow ? kWhite : kLightYellow);
}

void TfrmPrint::QRBand5BeforePrint(TQRBand *, bool &printBand) {
    if (QRReport1->PageNo == 1)
        printBand = false;
}

namespace {

// The progress window of the run in hand, raised so that the user sees the list is coming.
void bringRunningReportForward() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<TQRProgressForm *>(w) && w->isVisible()) {
            w->raise();
            w->activateWindow();
        }
}

} // namespace

void PrintEquipmentList() {
    // While the list is being prepared the progress window is not modal, so the command can
    // be chosen again. A second run would preview the pages still being recorded and replace
    // frmPrint under the first; it only brings the running one forward.
    static bool running = false;
    if (running) {
        bringRunningReportForward();
        return;
    }
    running = true;
    const auto finished = qScopeGuard([] { running = false; });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto *form = new TfrmPrint;
    frmPrint = form;
    // Released through the event loop however the command ends: also when its query cannot
    // be opened or the preview fails.
    const auto release = qScopeGuard([form] { form->deleteLater(); });
    form->sqlEquipment->open();
    QApplication::restoreOverrideCursor();
    form->QRReport1->Preview();
}

} // namespace report

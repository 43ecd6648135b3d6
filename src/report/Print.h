#pragma once

#include "report/QRBand.h"
#include "report/QRDBText.h"
#include "report/QRLabel.h"
#include "report/QRReport.h"
#include "report/QRSysData.h"

#include <QWidget>
#include <memory>

namespace db {
class DataSet;
class DataSource;
} // namespace db

namespace report {

// Host window of the equipment list: never shown, it carries its own read-only query over
// the table, the report with its five bands, and the two band handlers.
class TfrmPrint : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPrint(QWidget *parent = nullptr);
    ~TfrmPrint() override;

    // Components, in the order the report engine meets them.
    TQRBand *QRBand1; // title
    TQRLabel *QRLabel1, *QRLabel2, *QRLabel3;
    TQRSysData *QRSysData1;
    TQRBand *QRBand2; // column headings
    TQRLabel *QRLabel4, *QRLabel5, *QRLabel6, *QRLabel7, *QRLabel8, *QRLabel9, *QRLabel10,
        *QRLabel11, *QRLabel12, *QRLabel13, *QRLabel14;
    TQRBand *QRBand3; // detail
    TQRDBText *QRDBText1, *QRDBText2, *QRDBText3, *QRDBText4, *QRDBText5, *QRDBText6, *QRDBText7,
        *QRDBText8, *QRDBText9, *QRDBText10, *QRDBText11;
    TQRBand *QRBand4; // page footer
    TQRSysData *QRSysData2;
    TQRBand *QRBand5; // page header
    TQRLabel *QRLabel15;
    TQRReport *QRReport1;
    std::unique_ptr<db::DataSet> sqlEquipment;
    std::unique_ptr<db::DataSource> DataSource1;

    // Alternates the detail rows between light yellow and white, across pages.
    void QRBand3BeforePrint(TQRBand *sender, bool &printBand);
    // The page header is left off page 1, where the title stands.
    void QRBand5BeforePrint(TQRBand *sender, bool &printBand);
};

extern TfrmPrint *frmPrint;

// The "&Print..." command: creates frmPrint, opens its query under the hourglass, previews
// the list (returning when the preview closes) and releases frmPrint. An error while opening
// the query or previewing propagates; frmPrint is released all the same, and an error while
// opening leaves the hourglass. Chosen again while the list is being prepared, it brings the
// running one's progress window forward instead.
void PrintEquipmentList();

} // namespace report

#pragma once

#include "report/QRBand.h"
#include "report/QRFrame.h"
#include "report/QRPrinter.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace db {
class DataSource;
class DataSet;
} // namespace db

namespace report {

class TQRProgressForm;

enum TQRPaperSize { qrpDefault, qrpLetter, qrpLegal, qrpA3, qrpA4, qrpA5, qrpCustom };

// The paper code each paper size sends to the printer.
int QRPaperCode(TQRPaperSize size);

// The report component: walks a dataset, places its host window's bands on pages and records
// the pages in the page store. Its host is its parent; the host's bands and controls are
// met in the order the host lists its components (creation order, depth first).
class TQRReport : public QObject {
    Q_OBJECT
public:
    explicit TQRReport(QObject *host);

    // Properties, in the report's own order.
    std::function<void(TQRReport *)> AfterDetail;
    std::function<void(TQRReport *)> AfterPrint;
    std::function<void(TQRReport *)> BeforeDetail;
    std::function<void(bool &printReport)> BeforePrint;
    int ColumnMarginInches() const;
    void SetColumnMarginInches(int tenths);
    int ColumnMarginMM() const;
    void SetColumnMarginMM(int mm);
    int Columns() const { return m_columns; }
    void SetColumns(int n);
    bool DisplayPrintDialog = false;
    int LeftMarginInches() const;
    void SetLeftMarginInches(int tenths);
    int LeftMarginMM() const;
    void SetLeftMarginMM(int mm);
    std::function<void(TQRReport *)> OnEndPage;
    std::function<void(TQRReport *)> OnStartPage;
    TPrinterOrientation Orientation = poPortrait;
    TQRFrame PageFrame;
    int PaperLength() const { return m_paperLength; }
    void SetPaperLength(int tenthsOfMm);
    TQRPaperSize PaperSize = qrpDefault;
    int PaperWidth() const { return m_paperWidth; }
    void SetPaperWidth(int tenthsOfMm);
    QString ReportTitle;
    bool RestartData = true;
    bool ShowProgress = true;
    bool SQLCompatible = false;
    bool TitleBeforeHeader = false;

    // Data (the controller's part).
    db::DataSource *DataSource = nullptr;
    std::function<void(bool &printRecord)> OnFilter;
    std::function<void(bool &moreData)> OnNeedData;

    // The host window's resolution in pixels per inch (layout units per inch).
    int HostPixelsPerInch = 96;

    // Run state, meaningful during a run.
    int PageNo = 0;
    int DetailNo = 0;
    int DetailCount = 0;
    int CurrentX = 0, CurrentY = 0;
    int CurrentColumn = 1;
    int ColumnTop = 0;
    int ColumnWidth = 0;
    int AvailableWidth = 0, AvailableHeight = 0;
    int FooterHeight = 0;
    bool DetailOnPage = false;
    bool NoData = false;
    double ScaleX = 1.0, ScaleY = 1.0;
    // Pages made by the last run.
    int PageCount() const { return m_pageCount; }

    // Prepares the pages if the store is empty, shows the preview unless cancelled, and
    // discards the pages it prepared, also when an error ends the call.
    void Preview();
    // Builds every page of the report into the page store.
    void Prepare();
    // Stops a running preparation after the current record.
    void Stop() { m_stop = true; }

    TQRPrinter &Store() const;
    // The band lists of the current run, in component order.
    const std::vector<TQRBand *> &Bands(TQRBandType type) const { return m_bands[type]; }

private:
    void run();
    void collectBands();
    bool firstRecord();
    bool nextRecord();
    bool filterAccepts();
    void printBandsOfType(TQRBandType type);
    void placeBand(TQRBand *band);
    void checkSpace(TQRBand *band);
    void newPage();
    bool drawBand(TQRBand *band, int x, int y);
    void drawPageFrame();
    void pumpMessages();
    db::DataSet *openDataSet() const;

    int m_columns = 1;
    double m_columnGap = 0;  // inches
    double m_leftMargin = 0; // inches
    int m_paperWidth = 0, m_paperLength = 0;
    bool m_stop = false;
    bool m_inColumnHeaders = false;
    int m_pageCount = 0;
    std::array<std::vector<TQRBand *>, kBandTypeCount> m_bands;
    TQRProgressForm *m_progress = nullptr;
    qint64 m_lastPump = 0;
};

} // namespace report

// The report engine: places bands on pages and records them in the page store.
#include "report/QRReport.h"

#include "db/DataSet.h"
#include "db/DataSource.h"
#include "report/QRCustomControl.h"
#include "report/QRProgressForm.h"
#include "report/QRReportMath.h"
#include "report/emf/EmfWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRect>

namespace report {

int QRPaperCode(TQRPaperSize size) {
    switch (size) {
    case qrpLetter:
        return qrpcLetter;
    case qrpLegal:
        return qrpcLegal;
    case qrpA3:
        return qrpcA3;
    case qrpA4:
        return qrpcA4;
    case qrpA5:
        return qrpcA5;
    case qrpCustom:
        return qrpcCustom;
    default:
        return qrpcDefault;
    }
}

TQRReport::TQRReport(QObject *host) : QObject(host) {}

TQRPrinter &TQRReport::Store() const {
    if (!QRPrinter)
        CreateQRPrinter(QCoreApplication::instance());
    return *QRPrinter;
}

// The column gap and the left margin are kept once each, in inches; the four margin
// properties are views of them.
int TQRReport::ColumnMarginInches() const {
    return RoundEven(m_columnGap * 10);
}
void TQRReport::SetColumnMarginInches(int tenths) {
    m_columnGap = tenths * 0.1;
}
int TQRReport::ColumnMarginMM() const {
    return RoundEven(m_columnGap * 25.4);
}
void TQRReport::SetColumnMarginMM(int mm) {
    m_columnGap = mm / 25.4;
}
int TQRReport::LeftMarginInches() const {
    return RoundEven(m_leftMargin * 10);
}
void TQRReport::SetLeftMarginInches(int tenths) {
    m_leftMargin = tenths * 0.1;
}
int TQRReport::LeftMarginMM() const {
    return RoundEven(m_leftMargin * 25.4);
}
void TQRReport::SetLeftMarginMM(int mm) {
    m_leftMargin = mm / 25.4;
}

void TQRReport::SetColumns(int n) {
    if (n >= 1)
        m_columns = n;
}

void TQRReport::SetPaperWidth(int tenthsOfMm) {
    m_paperWidth = tenthsOfMm;
    if (tenthsOfMm != 0)
        PaperSize = qrpCustom;
}

void TQRReport::SetPaperLength(int tenthsOfMm) {
    m_paperLength = tenthsOfMm;
    if (tenthsOfMm != 0)
        PaperSize = qrpCustom;
}

void TQRReport::Preview() {
    TQRPrinter &store = Store();
    bool prepared = false;
    // Pages this call made are discarded at its end, also when an error ends it; a store
    // left recording by a failed run is closed first so that it can be cleared.
    auto discard = [&store, &prepared] {
        if (!prepared)
            return;
        if (store.Status() == psRecording)
            store.EndPages();
        store.ClearPages();
    };
    try {
        if (store.Status() == psEmpty) {
            prepared = true;
            Prepare();
        }
        if (!store.Cancelled)
            store.ShowPreview();
    } catch (...) {
        discard();
        throw;
    }
    discard();
}

void TQRReport::Prepare() {
    TQRPrinter &store = Store();
    store.SetOrientation(Orientation);
    if (PaperSize != qrpDefault) {
        store.SetPaperSize(QRPaperCode(PaperSize));
        if (PaperSize == qrpCustom) {
            store.SetPaperWidth(m_paperWidth);
            store.SetPaperLength(m_paperLength);
        }
    }
    store.BeginPages();
    store.Title = ReportTitle;
    store.SetOrientation(Orientation);
    store.QueryPageMetrics();
    AvailableWidth = store.PageWidth();
    AvailableHeight = store.PageHeight();
    ScaleX = ScaleY = HostPixelsPerInch / 96.0;
    run();
    store.EndPages();
    // Only the printer's paper goes back to its default; the store keeps the metrics of the
    // pages it now holds, which the preview shows and prints.
    if (PaperSize != qrpDefault)
        store.SetPaperCode(qrpcDefault);
}

db::DataSet *TQRReport::openDataSet() const {
    db::DataSet *set = DataSource ? DataSource->dataSet() : nullptr;
    return set && set->active() ? set : nullptr;
}

void TQRReport::collectBands() {
    for (auto &list : m_bands)
        list.clear();
    QObject *host = parent() ? parent() : this;
    for (QObject *component : host->findChildren<QObject *>()) {
        if (auto *band = qobject_cast<TQRBand *>(component))
            m_bands[band->BandType].push_back(band);
        else if (auto *control = qobject_cast<TQRCustomControl *>(component))
            control->SetReport(this);
    }
}

void TQRReport::run() {
    TQRPrinter &store = Store();
    m_stop = false;
    store.ShowProgress = ShowProgress;
    store.Cancelled = false;

    TQRProgressForm progress(&store);
    m_progress = &progress;
    struct Cleanup {
        TQRReport *report;
        ~Cleanup() {
            for (auto &list : report->m_bands)
                list.clear();
            report->m_progress = nullptr;
        }
    } cleanup{this};
    if (ShowProgress)
        progress.ShowWindow();
    progress.SetMessage(QStringLiteral("Preparing report") + QLatin1Char(' ') + ReportTitle);
    m_lastPump = 0;

    bool printReport = true;
    if (BeforePrint)
        BeforePrint(printReport);
    if (!printReport) {
        store.Cancelled = true;
        return;
    }
    collectBands();

    FooterHeight = 0;
    for (const TQRBand *band : m_bands[rbPageFooter])
        FooterHeight += RoundEven(ScaleY * band->Height);
    CurrentX = RoundEven(m_leftMargin * 96);
    AvailableWidth -= CurrentX;
    ColumnWidth = RoundEven((AvailableWidth - m_columnGap * 96 * (m_columns - 1)) / m_columns);
    AvailableHeight = RoundEven(AvailableHeight * 96.0 / HostPixelsPerInch);

    CurrentY = 0;
    PageNo = 1;
    CurrentColumn = 1;
    ColumnTop = 0;
    DetailCount = 0;
    DetailNo = 0;
    DetailOnPage = false;
    NoData = DataSource == nullptr;
    if (db::DataSet *set = openDataSet()) {
        set->first();
        if (!SQLCompatible)
            DetailCount = set->recordCount();
    }
    DetailNo = 1;
    progress.SetMax(DetailCount);
    if (OnStartPage)
        OnStartPage(this);

    // Start sequence.
    if (TitleBeforeHeader) {
        printBandsOfType(rbTitle);
        printBandsOfType(rbPageHeader);
    } else {
        printBandsOfType(rbPageHeader);
        printBandsOfType(rbTitle);
    }
    printBandsOfType(rbColumnHeader);

    // Record loop: the loop ends after the current record when cancelled.
    bool more = firstRecord();
    while (more && !store.Cancelled && !m_stop) {
        printBandsOfType(rbDetail);
        ++DetailNo;
        progress.SetProgress(DetailNo);
        more = nextRecord();
    }

    // End sequence.
    printBandsOfType(rbSummary);
    printBandsOfType(rbPageFooter);
    printBandsOfType(rbOverlay);
    drawPageFrame();
    if (OnEndPage)
        OnEndPage(this);
    if (AfterPrint)
        AfterPrint(this);
    AvailableWidth += CurrentX;
    CurrentX = 0;
    m_pageCount = PageNo;
}

bool TQRReport::filterAccepts() {
    bool printRecord = true;
    if (OnFilter)
        OnFilter(printRecord);
    return printRecord;
}

bool TQRReport::firstRecord() {
    if (db::DataSet *set = openDataSet()) {
        set->first();
        if (!OnFilter)
            return true; // an empty dataset still gets its one detail line
        bool accepted;
        for (;;) {
            accepted = filterAccepts();
            if (accepted)
                break;
            set->next();
            if (set->eof())
                break;
        }
        return accepted;
    }
    if (!OnNeedData)
        return true;
    bool moreData = false;
    OnNeedData(moreData);
    return moreData && filterAccepts();
}

bool TQRReport::nextRecord() {
    if (db::DataSet *set = openDataSet()) {
        if (set->eof())
            return false;
        for (;;) {
            set->next();
            if (set->eof())
                return false;
            if (filterAccepts())
                return true;
        }
    }
    if (!OnNeedData)
        return false;
    bool moreData = false;
    OnNeedData(moreData);
    return moreData && filterAccepts();
}

void TQRReport::printBandsOfType(TQRBandType type) {
    if (type == rbDetail && BeforeDetail)
        BeforeDetail(this);
    // A handler may not change the lists, but iterate by index to stay safe if it does.
    for (std::size_t i = 0; i < m_bands[type].size(); ++i)
        placeBand(m_bands[type][i]);
    if (type == rbDetail && AfterDetail)
        AfterDetail(this);
    if (type == rbTitle || type == rbPageHeader)
        ColumnTop = CurrentY;
}

void TQRReport::pumpMessages() {
    // Handling pending messages costs far more than placing a band, so it is done at most
    // every 20 ms: enough for the progress window to repaint and for Cancel to be pressed.
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    const qint64 now = clock.elapsed();
    if (m_lastPump != 0 && now - m_lastPump < 20)
        return;
    m_lastPump = now == 0 ? 1 : now;
    QCoreApplication::processEvents();
}

void TQRReport::placeBand(TQRBand *band) {
    if (!band || !band->Enabled)
        return;
    pumpMessages();
    const int height = band->Height;
    int x = CurrentX;
    int y = CurrentY;
    switch (band->BandType) {
    case rbPageHeader:
        break;
    case rbPageFooter:
        CurrentY = AvailableHeight - FooterHeight;
        CurrentX = RoundEven(m_leftMargin * 96);
        x = CurrentX;
        y = CurrentY;
        break;
    case rbOverlay:
        x = y = 0;
        break;
    default:
        checkSpace(band);
        if (band->BandType == rbDetail || band->BandType == rbSubDetail ||
            band->BandType == rbGroupFooter)
            DetailOnPage = true;
        x = CurrentX;
        y = CurrentY;
        break;
    }
    if (drawBand(band, x, y))
        CurrentY += band->Height;
    band->Height = height;
}

void TQRReport::checkSpace(TQRBand *band) {
    int extra = 0;
    for (QObject *child : band->children())
        if (auto *control = qobject_cast<TQRCustomControl *>(child))
            extra = qMax(extra, control->ExtraHeight());
    if (TQRBand *link = band->LinkBand) {
        int linkExtra = 0;
        for (QObject *child : link->children())
            if (auto *control = qobject_cast<TQRCustomControl *>(child))
                linkExtra = qMax(linkExtra, control->ExtraHeight());
        extra += linkExtra + link->Height;
    }
    // Column headers placed because of a page or column change are not tested again: a
    // header taller than the page would otherwise start new pages without end.
    const bool fitTest = !(m_inColumnHeaders && band->BandType == rbColumnHeader);
    if (fitTest && (CurrentY + extra + band->Height >= AvailableHeight - FooterHeight ||
                    (band->ForceNewPage && DetailOnPage))) {
        if (CurrentColumn == m_columns) {
            CurrentColumn = 1;
            CurrentX = RoundEven(m_leftMargin * 96);
            newPage();
        } else {
            CurrentX +=
                RoundEven(96.0 / HostPixelsPerInch * ColumnWidth) + RoundEven(m_columnGap * 96);
            CurrentY = ColumnTop;
            ++CurrentColumn;
        }
        m_inColumnHeaders = true;
        try {
            printBandsOfType(rbColumnHeader);
        } catch (...) {
            m_inColumnHeaders = false;
            throw;
        }
        m_inColumnHeaders = false;
    }
    if (extra > 0)
        band->Height += extra;
}

void TQRReport::newPage() {
    printBandsOfType(rbPageFooter);
    if (OnEndPage)
        OnEndPage(this);
    CurrentY = 0;
    printBandsOfType(rbOverlay);
    drawPageFrame();
    Store().AddPage();
    ++PageNo;
    CurrentY = 0;
    DetailOnPage = false;
    if (OnStartPage)
        OnStartPage(this);
    printBandsOfType(rbPageHeader);
}

bool TQRReport::drawBand(TQRBand *band, int x, int y) {
    const int x0 = RoundEven(ScaleX * x);
    const int y0 = RoundEven(ScaleY * y);
    const int yb = RoundEven(ScaleY * (y + band->Height)) - 1;
    bool printBand = true;
    if (band->BeforePrint)
        band->BeforePrint(band, printBand);
    if (printBand) {
        emf::EmfWriter &canvas = Store().Canvas();
        if (band->BandType != rbOverlay) {
            // Right and bottom edges excluded: the band's lowest unit row stays unfilled.
            canvas.setBrush(band->Color());
            canvas.fillRect(QRect(x0, y0, ColumnWidth, yb - y0));
        }
        for (QObject *child : band->children())
            if (auto *control = qobject_cast<TQRCustomControl *>(child))
                if (control->Visible)
                    control->PrintAt(x, y);
        band->Frame.Draw(canvas, QRect(QPoint(x0, y0), QPoint(x0 + ColumnWidth - 1, yb)));
    }
    if (band->AfterPrint)
        band->AfterPrint(band, printBand);
    return printBand;
}

void TQRReport::drawPageFrame() {
    TQRPrinter &store = Store();
    PageFrame.Draw(store.Canvas(), QRect(0, 0, store.PageWidth(), store.PageHeight()));
}

} // namespace report

#include "report/QRPrinter.h"

#include "report/QRError.h"
#include "report/QRProgressForm.h"
#include "report/QRReportMath.h"
#include "report/QRStandardPreview.h"
#include "report/emf/EmfPlayer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

namespace report {

TQRPrinter *QRPrinter = nullptr;

TQRPrinter *CreateQRPrinter(QObject *owner) {
    auto *store = new TQRPrinter(owner);
    const QString caption =
        QStringLiteral("Report engine version") + QLatin1Char(' ') + QStringLiteral("1.0d");
    store->ProgressCaption = caption;
    store->PreviewCaption = caption;
    QRPrinter = store;
    return store;
}

TQRPrinter::TQRPrinter(QObject *parent) : QObject(parent) {
    QueryPageMetrics();
}

TQRPrinter::~TQRPrinter() {
    ClearPages();
    if (QRPrinter == this)
        QRPrinter = nullptr;
}

int TQRPrinter::ScreenPixelsPerInch() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    return dpi > 0 ? dpi : 96;
}

QByteArray TQRPrinter::Page(int n) const {
    if (n < 1 || n > int(m_pages.size()))
        return {};
    return qUncompress(m_pages[std::size_t(n - 1)]);
}

qsizetype TQRPrinter::PageBytesHeld(int n) const {
    if (n < 1 || n > int(m_pages.size()))
        return 0;
    return m_pages[std::size_t(n - 1)].size();
}

void TQRPrinter::keepPage(const QByteArray &picture) {
    // A page of table rows repeats the same few records hundreds of times; held deflated it
    // takes about a tenth of its size, and inflating it for showing, printing or saving
    // costs far less than drawing it.
    m_pages.push_back(m_deflater.deflate(picture));
}

QPrinter *TQRPrinter::findPrinter() {
    // The system's printer list is asked once; afterwards the printer object answers.
    if (!m_printerSearched) {
        m_printerSearched = true;
        QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull() && !QPrinterInfo::availablePrinters().isEmpty())
            info = QPrinterInfo::availablePrinters().constFirst();
        if (!info.isNull())
            m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    return m_printer.get();
}

void TQRPrinter::SetPrinter(std::unique_ptr<QPrinter> printer, bool searchSystem) {
    m_printer = std::move(printer);
    m_searchSystem = searchSystem;
    m_printerSearched = m_printer != nullptr || !searchSystem;
    m_canPrint = true;
    if (m_printer)
        m_printer->setPageOrientation(m_orientation == poLandscape ? QPageLayout::Landscape
                                                                   : QPageLayout::Portrait);
    QueryPageMetrics();
}

void TQRPrinter::useFallbackMetrics(int offset) {
    const int s = ScreenPixelsPerInch();
    m_pageHeight = RoundEven(s * 6752.0 / 600);
    m_pageWidth = RoundEven(s * 4672.0 / 600);
    m_sheetHeight = RoundEven(m_pageHeight * 1.05);
    m_sheetWidth = RoundEven(m_pageWidth * 1.05);
    m_offsetX = m_offsetY = offset;
    m_canPrint = false;
}

void TQRPrinter::QueryPageMetrics() {
    QPrinter *printer = findPrinter();
    if (!printer)
        return useFallbackMetrics(5);
    const int s = ScreenPixelsPerInch();
    const int res = printer->resolution();
    const QPageLayout layout = printer->pageLayout();
    if (res <= 0 || !layout.isValid())
        return useFallbackMetrics(20);
    const QRect paint = layout.paintRectPixels(res);
    const QRect full = layout.fullRectPixels(res);
    if (paint.width() <= 0 || paint.height() <= 0)
        return useFallbackMetrics(20);
    m_pageWidth = RoundEven(double(paint.width()) / res * s);
    m_pageHeight = RoundEven(double(paint.height()) / res * s);
    if (full.width() > 0 && full.height() > 0) {
        m_sheetWidth = RoundEven(double(full.width()) / res * s);
        m_sheetHeight = RoundEven(double(full.height()) / res * s);
        m_offsetX = RoundEven(double(paint.left()) / res * s);
        m_offsetY = RoundEven(double(paint.top()) / res * s);
    }
}

QPrinter &TQRPrinter::deviceSettings(const char *operation) {
    Q_UNUSED(operation);
    // Without a printer there are no device settings to write, and asking again for the
    // default printer cannot bring any.
    QPrinter *printer = findPrinter();
    if (!printer && m_searchSystem) {
        m_printerSearched = false;
        printer = findPrinter();
    }
    if (!printer)
        throw EQRError(QStringLiteral("Printer driver error"));
    return *printer;
}

void TQRPrinter::SetOrientation(TPrinterOrientation orientation) {
    // Without any printer the orientation is only remembered: pages are then recorded on
    // the fallback sheet and can still be previewed.
    if (QPrinter *printer = findPrinter())
        printer->setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape
                                                               : QPageLayout::Portrait);
    m_orientation = orientation;
}

void TQRPrinter::SetPaperCode(int code) {
    QPrinter &printer = deviceSettings("paper");
    const QPrinterInfo info(printer);
    QPageSize size;
    switch (code) {
    case qrpcDefault:
        size = info.isNull() ? QPageSize(QPageSize::A4) : info.defaultPageSize();
        break;
    case qrpcLetter:
        size = QPageSize(QPageSize::Letter);
        break;
    case qrpcLegal:
        size = QPageSize(QPageSize::Legal);
        break;
    case qrpcA3:
        size = QPageSize(QPageSize::A3);
        break;
    case qrpcA4:
        size = QPageSize(QPageSize::A4);
        break;
    case qrpcA5:
        size = QPageSize(QPageSize::A5);
        break;
    case qrpcCustom:
        if (m_customWidth > 0 && m_customLength > 0)
            size = QPageSize(QSizeF(m_customWidth / 10.0, m_customLength / 10.0),
                             QPageSize::Millimeter);
        break;
    default:
        break;
    }
    // A setting the printer does not declare is not written.
    const bool supported =
        info.isNull() ||
        (code == qrpcCustom ? info.supportsCustomPageSizes()
                            : info.supportedPageSizes().contains(size) || code == qrpcDefault);
    if (size.isValid() && supported)
        printer.setPageSize(size);
}

void TQRPrinter::SetPaperSize(int code) {
    SetPaperCode(code);
    QueryPageMetrics();
}

void TQRPrinter::SetPaperWidth(int tenthsOfMm) {
    deviceSettings("paper width");
    m_customWidth = tenthsOfMm;
    if (tenthsOfMm != 0)
        SetPaperCode(qrpcCustom);
    QueryPageMetrics();
}

void TQRPrinter::SetPaperLength(int tenthsOfMm) {
    deviceSettings("paper length");
    m_customLength = tenthsOfMm;
    if (tenthsOfMm != 0)
        SetPaperCode(qrpcCustom);
    QueryPageMetrics();
}

void TQRPrinter::openPicture() {
    m_canvas = std::make_unique<emf::EmfWriter>(m_pageWidth, m_pageHeight, ScreenPixelsPerInch());
}

void TQRPrinter::closePicture() {
    if (!m_canvas)
        return;
    keepPage(m_canvas->finish());
    m_canvas.reset();
}

void TQRPrinter::BeginPages() {
    if (m_status == psReady)
        ClearPages();
    if (m_status != psEmpty)
        return;
    QueryPageMetrics();
    openPicture();
    m_pageCount = 1;
    m_currentPage = 1;
    Title.clear();
    m_status = psRecording;
}

emf::EmfWriter &TQRPrinter::Canvas() {
    // Drawing outside a recording goes to a scratch page that is never kept.
    if (!m_canvas)
        openPicture();
    return *m_canvas;
}

void TQRPrinter::AddPage() {
    if (m_status != psRecording)
        return;
    closePicture();
    QueryPageMetrics();
    openPicture();
    ++m_pageCount;
}

void TQRPrinter::EndPages() {
    if (m_status != psRecording)
        return;
    closePicture();
    m_status = psReady;
    SelectPage(1);
}

void TQRPrinter::SelectPage(int n) {
    if (m_status != psReady || n < 1 || n > m_pageCount)
        return;
    m_currentPage = n;
}

void TQRPrinter::ClearPages() {
    if (m_status != psReady)
        return;
    m_pages.clear();
    m_pages.shrink_to_fit();
    m_canvas.reset();
    m_pageCount = 0;
    m_currentPage = 0;
    m_status = psEmpty;
    FirstPage = LastPage = 0;
}

void TQRPrinter::PrintPages() {
    QPrinter *printer = m_canPrint ? findPrinter() : nullptr;
    if (!printer)
        return;
    TQRProgressForm progress(this);
    progress.SetMax(m_pageCount);
    progress.SetMessage(QStringLiteral("Printing report") + QLatin1Char(' ') + Title);
    if (ShowProgress)
        progress.ShowWindow();

    const int remembered = m_currentPage;
    if (m_status != psReady)
        return;
    Cancelled = false;
    printer->setDocName(Title);
    if (printer->printerState() == QPrinter::Active)
        printer->abort();
    QPainter painter;
    if (!painter.begin(printer))
        throw EQRError(QStringLiteral("Printer error"));
    // The painter's origin is the top-left corner of the printable area; each page fills it.
    const int res = printer->resolution();
    const QRectF area(QPointF(0, 0), printer->pageLayout().paintRectPixels(res).size());
    for (int i = 1; i <= m_pageCount; ++i) {
        // Pending messages are handled before every page so that Cancel can stop the job.
        QCoreApplication::processEvents();
        if (Cancelled)
            break;
        progress.SetProgress(i);
        SelectPage(i);
        emf::EmfPlayer::play(Page(i), painter, area);
        if (i < m_pageCount)
            printer->newPage();
    }
    if (Cancelled)
        printer->abort();
    painter.end();
    SelectPage(remembered);
}

void TQRPrinter::ShowPreview() {
    SelectPage(1);
    TQRStandardPreview preview(this);
    preview.Show();
}

} // namespace report

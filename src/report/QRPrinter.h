#pragma once

#include "report/PageDeflater.h"
#include "report/emf/EmfWriter.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QPrinter;

namespace report {

enum TQRPrinterStatus { psEmpty, psRecording, psReady };
enum TPrinterOrientation { poPortrait, poLandscape };

// Paper codes sent to the printer.
enum TQRPaperCode {
    qrpcDefault = 0,
    qrpcLetter = 1,
    qrpcLegal = 5,
    qrpcA3 = 8,
    qrpcA4 = 9,
    qrpcA5 = 11,
    qrpcCustom = 256
};

// The page store: knows the printed page's size, records the pages the report engine draws
// (one Enhanced Metafile picture each, held as its bytes), selects the page the preview
// shows, prints all pages on the current printer, and saves and loads report files.
// Sizes are page units: 1/S inch of paper, S being the screen's pixels per inch.
class TQRPrinter : public QObject {
    Q_OBJECT
public:
    explicit TQRPrinter(QObject *parent = nullptr);
    ~TQRPrinter() override;

    TQRPrinterStatus Status() const { return m_status; }
    int PageCount() const { return m_pageCount; }
    int CurrentPage() const { return m_currentPage; }
    // Page n (from 1) as its picture bytes; empty outside 1..number of stored pages.
    QByteArray Page(int n) const;
    int StoredPages() const { return int(m_pages.size()); }
    // Memory that page n takes in the store (its picture is held deflated).
    qsizetype PageBytesHeld(int n) const;

    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }
    int SheetWidth() const { return m_sheetWidth; }
    int SheetHeight() const { return m_sheetHeight; }
    int OffsetX() const { return m_offsetX; }
    int OffsetY() const { return m_offsetY; }
    bool CanPrint() const { return m_canPrint; }
    TPrinterOrientation Orientation() const { return m_orientation; }

    QString Title;
    bool Cancelled = false;
    bool ShowProgress = true;
    QString ProgressCaption;
    QString PreviewCaption;
    bool PrintButton = true;
    bool SaveButton = true;
    bool LoadButton = true;
    int FirstPage = 0; // page range to print or save; 0 and 0 mean all pages
    int LastPage = 0;

    void QueryPageMetrics();
    void SetOrientation(TPrinterOrientation orientation);
    // Writes the paper code into the printer's device settings and re-queries the metrics.
    void SetPaperSize(int code);
    // Writes the paper code only: the metrics, and so the pages recorded on them, stay.
    void SetPaperCode(int code);
    void SetPaperWidth(int tenthsOfMm);
    void SetPaperLength(int tenthsOfMm);

    void BeginPages();
    // Drawing surface of the page being recorded; valid while psRecording.
    emf::EmfWriter &Canvas();
    void AddPage();
    void EndPages();
    void SelectPage(int n);
    void ClearPages();
    void PrintPages();
    void ShowPreview();
    void SavePages(const QString &fileName);
    void LoadPages(const QString &fileName);
    void Cancel() { Cancelled = true; }

    // The printer object pages are printed on: the system's default printer, found once,
    // or one given with SetPrinter. Null when there is none.
    QPrinter *Printer() const { return m_printer.get(); }
    // Prints on the given printer (a PDF file, another queue) from now on and re-queries
    // the metrics. Null with searchSystem goes back to the system's default printer; null
    // without it leaves the store with no printer at all.
    void SetPrinter(std::unique_ptr<QPrinter> printer, bool searchSystem = true);

    // S: the screen's pixels per inch, the unit of pages.
    static int ScreenPixelsPerInch();

private:
    void useFallbackMetrics(int offset);
    void openPicture();
    void keepPage(const QByteArray &picture);
    void closePicture();
    QPrinter *findPrinter();
    QPrinter &deviceSettings(const char *operation);

    TQRPrinterStatus m_status = psEmpty;
    PageDeflater m_deflater;
    std::vector<QByteArray> m_pages; // each picture deflated
    std::unique_ptr<emf::EmfWriter> m_canvas;
    int m_pageCount = 0;
    int m_currentPage = 0;
    int m_pageWidth = 0, m_pageHeight = 0;
    int m_sheetWidth = 0, m_sheetHeight = 0;
    int m_offsetX = 0, m_offsetY = 0;
    bool m_canPrint = true;
    TPrinterOrientation m_orientation = poPortrait;
    int m_customWidth = 0, m_customLength = 0; // tenths of a millimetre
    std::unique_ptr<QPrinter> m_printer;
    bool m_printerSearched = false;
    bool m_searchSystem = true;
};

// The program's single page store.
extern TQRPrinter *QRPrinter;

// Creates the page store at program start (before any window), sets its two window captions
// and makes it the program-wide QRPrinter. The owner destroys it at the end.
TQRPrinter *CreateQRPrinter(QObject *owner);

} // namespace report

#pragma once

#include "report/QRReportPrinter.h"
#include "report/emf/EmfFormat.h"

#include <QFont>
#include <QHash>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace db {
class DataSource;
class DataSet;
class Field;
} // namespace db

class QFontMetrics;
class TQRReport;
class TQRBand;
class TQRProgressForm;

enum TQRBandType {
    rbTitle,
    rbPageHeader,
    rbDetail,
    rbPageFooter,
    rbSummary,
    rbGroupHeader,
    rbGroupFooter,
    rbSubDetail,
    rbColumnHeader,
    rbOverlay
};
constexpr int kBandTypeCount = 10;

enum TQRPaperSize { qrpDefault, qrpLetter, qrpLegal, qrpA3, qrpA4, qrpA5, qrpCustom };
enum TQRSysDataType {
    qrsTime,
    qrsDate,
    qrsDateTime,
    qrsPageNumber,
    qrsReportTitle,
    qrsDetailCount,
    qrsDetailNo
};
enum TQRRuler { qrrNone, qrrInchesH, qrrInchesV, qrrInchesHV, qrrCmH, qrrCmV, qrrCmHV };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The paper code each paper size sends to the printer.
int QRPaperCode(TQRPaperSize size);

// Lines along some sides of a band or page, drawn with a black solid pen.
struct TQRFrame {
    emf::ColorRef Color = 0;
    int Width = 1; // page units
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;
};

// A font as a report control states it: the engine draws by point size.
struct TQRFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    emf::ColorRef Color = 0;

    // The font at the given pixel height, for measuring and showing text on screen.
    QFont toQFont(int pixelSize) const;
};

// A horizontal strip of the page. Its text controls are its children, drawn in creation
// order; only its Height matters on the page.
class TQRBand : public QObject {
    Q_OBJECT
public:
    explicit TQRBand(QObject *owner, TQRBandType type = rbTitle, int height = 40);

    TQRBandType BandType;
    int Height;
    bool Enabled = true;
    bool ForceNewPage = false;
    TQRFrame Frame;
    TQRFont Font;
    bool ParentFont = true;
    TQRBand *LinkBand = nullptr;
    TQRRuler Ruler = qrrNone;
    std::function<void(TQRBand *sender, bool &printBand)> BeforePrint;
    std::function<void(TQRBand *sender, bool bandPrinted)> AfterPrint;

    emf::ColorRef Color() const { return m_color; }
    void SetColor(emf::ColorRef color) { m_color = color; }

private:
    emf::ColorRef m_color = 0x00FFFFFF;
};

// Base of the text controls: a label-like control placed on a band, in layout units.
class TQRCustomControl : public QObject {
    Q_OBJECT
public:
    explicit TQRCustomControl(TQRBand *band);
    ~TQRCustomControl() override;

    int Left = 0, Top = 0, Width = 65, Height = 17;
    bool Visible = true;
    TAlignment Alignment = taLeftJustify;
    bool AlignToBand = false;
    bool AutoSize = false;
    bool Transparent = false;
    bool ParentFont = true;
    TQRFont Font;
    std::function<void(TQRCustomControl *sender, QString &value)> OnPrint;

    TQRBand *Band() const { return qobject_cast<TQRBand *>(parent()); }
    // A control's colour follows its band's until it is given one of its own.
    emf::ColorRef Color() const;
    void SetColor(emf::ColorRef color);
    bool ParentColor() const { return m_parentColor; }

    // Draws the control onto the page being recorded, its band's top-left corner at layout
    // position (X, Y).
    virtual void PrintAt(int X, int Y);
    // Layout units the band must grow by to hold this control.
    virtual int ExtraHeight() { return 0; }
    // Called by the report at the start of each run.
    virtual void SetReport(TQRReport *report) { m_report = report; }
    TQRReport *Report() const { return m_report; }

    // The text printed for the current record or page.
    virtual QString PrintText() const = 0;

protected:
    TQRReport *m_report = nullptr;

private:
    // Widths in screen pixels of text in the control's font, as the host window measures.
    int measure(const QString &text);
    int spaceWidth();
    const QFontMetrics &metrics();

    bool m_parentColor = true;
    emf::ColorRef m_color = 0x00FFFFFF;
    std::unique_ptr<QFontMetrics> m_metrics;
    TQRFont m_measuredFont;
    int m_measuredPixels = 0;
    int m_spaceWidth = -1;
    QHash<QString, int> m_widths;
};

class TQRLabel : public TQRCustomControl {
    Q_OBJECT
public:
    explicit TQRLabel(TQRBand *band, const QString &caption = QString());
    QString Caption;
    QString PrintText() const override { return Caption; }
};

class TQRDBText : public TQRCustomControl {
    Q_OBJECT
public:
    explicit TQRDBText(TQRBand *band);
    db::DataSource *DataSource = nullptr;
    QString DataField;
    QString PrintText() const override;
    void SetReport(TQRReport *report) override;

private:
    mutable db::Field *m_field = nullptr;
    mutable db::DataSet *m_fieldSet = nullptr;
};

class TQRSysData : public TQRCustomControl {
    Q_OBJECT
public:
    explicit TQRSysData(TQRBand *band, TQRSysDataType data = qrsTime);
    TQRSysDataType Data;
    QString Text; // the prefix printed before the data
    QString PrintText() const override;
};

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

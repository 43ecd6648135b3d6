// Bands and text controls of the report engine.
#include "report/QRReport.h"

#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/Field.h"
#include "report/QRReportMath.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {

// Point size to pixels at a resolution, rounding halves away from zero as the platform's
// multiply-divide does.
int pointsToPixels(int points, int pixelsPerInch) {
    return int(std::lround(double(points) * pixelsPerInch / 72.0));
}

// The system's long time format without a time-zone name: the clock time only.
QString longTimeFormat(const QLocale &locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return format.trimmed();
}

} // namespace

QFont TQRFont::toQFont(int pixelSize) const {
    QFont f(Name);
    f.setPixelSize(qMax(1, pixelSize));
    f.setBold(Bold);
    f.setItalic(Italic);
    f.setUnderline(Underline);
    f.setStrikeOut(StrikeOut);
    return f;
}

TQRBand::TQRBand(QObject *owner, TQRBandType type, int height)
    : QObject(owner), BandType(type), Height(height) {}

TQRCustomControl::TQRCustomControl(TQRBand *band) : QObject(band) {
    if (band)
        Font = band->Font;
}

TQRCustomControl::~TQRCustomControl() = default;

emf::ColorRef TQRCustomControl::Color() const {
    if (m_parentColor)
        if (const TQRBand *band = Band())
            return band->Color();
    return m_color;
}

void TQRCustomControl::SetColor(emf::ColorRef color) {
    m_color = color;
    m_parentColor = false;
}

const QFontMetrics &TQRCustomControl::metrics() {
    const int pixels = pointsToPixels(Font.Size, TQRPrinter::ScreenPixelsPerInch());
    if (!m_metrics ||
        !(m_measuredFont.Name == Font.Name && m_measuredFont.Size == Font.Size &&
          m_measuredFont.Bold == Font.Bold && m_measuredFont.Italic == Font.Italic &&
          m_measuredFont.Underline == Font.Underline &&
          m_measuredFont.StrikeOut == Font.StrikeOut) ||
        m_measuredPixels != pixels) {
        m_metrics = std::make_unique<QFontMetrics>(Font.toQFont(pixels));
        m_measuredFont = Font;
        m_measuredPixels = pixels;
        m_spaceWidth = -1;
        m_widths.clear();
    }
    return *m_metrics;
}

int TQRCustomControl::measure(const QString &text) {
    const QFontMetrics &fm = metrics();
    // Columns of numbers repeat a few values thousands of times; shaping each again would
    // be most of the cost of a record.
    if (const auto hit = m_widths.constFind(text); hit != m_widths.constEnd())
        return *hit;
    if (m_widths.size() >= 4096)
        m_widths.clear();
    const int width = fm.horizontalAdvance(text);
    m_widths.insert(text, width);
    return width;
}

int TQRCustomControl::spaceWidth() {
    const QFontMetrics &fm = metrics();
    if (m_spaceWidth < 0)
        m_spaceWidth = fm.horizontalAdvance(QLatin1Char(' '));
    return m_spaceWidth;
}

void TQRCustomControl::PrintAt(int X, int Y) {
    TQRReport *report = m_report;
    if (!report)
        return;
    QString text = PrintText();
    if (OnPrint)
        OnPrint(this, text);

    TQRPrinter &store = report->Store();
    const int s = TQRPrinter::ScreenPixelsPerInch();
    emf::EmfWriter &canvas = store.Canvas();
    emf::LogFont font;
    const int points = std::abs(RoundEven(report->ScaleX * Font.Size));
    font.height = -pointsToPixels(points, s);
    font.weight = Font.Bold ? 700 : 400;
    font.italic = Font.Italic;
    font.underline = Font.Underline;
    font.strikeOut = Font.StrikeOut;
    font.face = Font.Name;
    canvas.setFont(font);
    canvas.setTextColor(Font.Color);
    canvas.setBrush(Color());

    int x1, x2;
    if (AlignToBand) {
        // Aligned to the page's width, whatever the column or the control's Left.
        const int w = AutoSize ? measure(text) : Width;
        const int p = RoundEven(store.PageWidth() * 96.0 / s);
        switch (Alignment) {
        case taRightJustify:
            x1 = p - w - 3;
            x2 = p - 5;
            break;
        case taCenter:
            x1 = RoundEven(p * 0.5 - w * 0.5);
            x2 = RoundEven(p * 0.5 + w * 0.5);
            break;
        default:
            x1 = 0;
            x2 = w;
            break;
        }
    } else {
        x1 = Left + X;
        x2 = x1 + Width;
        if (Alignment == taRightJustify) {
            // The appended space keeps right-aligned text one space clear of its edge.
            text += QLatin1Char(' ');
            x2 += spaceWidth();
        }
    }
    const int y1 = Top + Y;
    const int y2 = y1 + Height;
    const int rl = RoundEven(report->ScaleX * x1), rt = RoundEven(report->ScaleY * y1);
    const QRect r(rl, rt, RoundEven(report->ScaleX * x2) - rl, RoundEven(report->ScaleY * y2) - rt);

    int anchor = x1;
    std::uint32_t align = emf::TA_LEFT | emf::TA_TOP;
    if (Alignment == taRightJustify) {
        anchor = x2;
        align = emf::TA_RIGHT | emf::TA_TOP;
    } else if (Alignment == taCenter) {
        anchor = x1 + (x2 - x1) / 2;
        align = emf::TA_CENTER | emf::TA_TOP;
    }
    if (text.isEmpty())
        return;
    const int ax = RoundEven(report->ScaleX * anchor);
    QRect fill = r;
    if (AutoSize) {
        // An auto-sized control's background covers its text, not the whole of R: the
        // equipment list's right-aligned columns overlap by up to 64 units, and filling R
        // would paint each column over the digits of the one before it.
        const int w = RoundEven(report->ScaleX * measure(text));
        const int left = Alignment == taRightJustify ? ax - w
                         : Alignment == taCenter     ? ax - w / 2
                                                     : ax;
        fill = QRect(left, r.top(), w, r.height());
    }
    canvas.textOut(ax, rt, text, align, fill, !Transparent, !AutoSize);
}

TQRLabel::TQRLabel(TQRBand *band, const QString &caption)
    : TQRCustomControl(band), Caption(caption) {
    AutoSize = true;
}

TQRDBText::TQRDBText(TQRBand *band) : TQRCustomControl(band) {}

void TQRDBText::SetReport(TQRReport *report) {
    TQRCustomControl::SetReport(report);
    m_field = nullptr;
    m_fieldSet = nullptr;
}

QString TQRDBText::PrintText() const {
    db::DataSet *set = DataSource ? DataSource->dataSet() : nullptr;
    if (!set || !set->active())
        return {};
    // Fields are rebuilt when a dataset opens; the lookup is kept while the dataset is.
    if (set != m_fieldSet || !m_field) {
        m_fieldSet = set;
        m_field = set->findField(DataField);
    }
    return m_field ? m_field->asString() : QString();
}

TQRSysData::TQRSysData(TQRBand *band, TQRSysDataType data) : TQRCustomControl(band), Data(data) {}

QString TQRSysData::PrintText() const {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString value;
    switch (Data) {
    case qrsTime:
        value = locale.toString(now.time(), QLocale::ShortFormat);
        break;
    case qrsDate:
        value = locale.toString(now.date(), QLocale::ShortFormat);
        break;
    case qrsDateTime:
        // At exactly midnight the time part is left out.
        value = locale.toString(now.date(), QLocale::ShortFormat);
        if (now.time() != QTime(0, 0))
            value += QLatin1Char(' ') + locale.toString(now.time(), longTimeFormat(locale));
        break;
    case qrsPageNumber:
        value = m_report ? QString::number(m_report->PageNo) : QString();
        break;
    case qrsReportTitle:
        value = m_report ? m_report->ReportTitle : QString();
        break;
    case qrsDetailCount:
        value = m_report ? QString::number(m_report->DetailCount) : QString();
        break;
    case qrsDetailNo:
        value = m_report ? QString::number(m_report->DetailNo) : QString();
        break;
    }
    return Text + value;
}

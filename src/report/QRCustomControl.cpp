// The text controls' common part: measuring their text and drawing it on the page.
#include "report/QRCustomControl.h"

#include "report/QRPrinter.h"
#include "report/QRReport.h"
#include "report/QRReportMath.h"
#include "report/emf/EmfWriter.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace report {

namespace {

// Point size to pixels at a resolution, rounding halves away from zero as the platform's
// multiply-divide does.
int pointsToPixels(int points, int pixelsPerInch) {
    return int(std::lround(double(points) * pixelsPerInch / 72.0));
}

} // namespace

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
    if (!m_metrics || !(m_measuredFont == Font) || m_measuredPixels != pixels) {
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
    return m_widths.of(text, [&fm](const QString &t) { return fm.horizontalAdvance(t); });
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
    canvas.setTextColor(Font.Color);
    canvas.setBrush(Color());

    int x1, x2, edge;
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
        edge = x2;
    } else {
        x1 = Left + X;
        x2 = edge = x1 + Width;
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
    const Room room = roomAt(ax, RoundEven(report->ScaleX * edge), r, store.PageWidth());
    const double roomWidth = room.width(ax, Alignment);
    const emf::LogFont drawn = m_fit.fitted(font, text, roomWidth);
    const double drawnWidth = m_fit.width(drawn, text);
    canvas.setFont(drawn);

    QRect fill = r;
    if (AutoSize) {
        // An auto-sized control's background covers its text, not the whole of R: the
        // equipment list's right-aligned columns overlap by up to 64 units, and filling R
        // would paint each column over the digits of the one before it.
        const int w = drawn.width == 0 ? RoundEven(report->ScaleX * measure(text))
                                       : int(std::ceil(drawnWidth));
        const int left = Alignment == taRightJustify ? ax - w
                         : Alignment == taCenter     ? ax - w / 2
                                                     : ax;
        fill = QRect(left, r.top(), w, r.height());
    }
    bool clipped = !AutoSize;
    if (drawnWidth > roomWidth) {
        // Even the narrowest face overflows: what lies outside the room is cut off.
        fill &= QRect(QPoint(room.left, r.top()), QPoint(room.right - 1, r.bottom()));
        clipped = true;
    }
    canvas.textOut(ax, rt, text, align, fill, !Transparent, clipped);
}

TQRCustomControl::Room TQRCustomControl::roomAt(int anchor, int edge, const QRect &r,
                                                int pageWidth) const {
    Room room{0, pageWidth};
    if (!AutoSize) {
        room.left = std::max(room.left, r.left());
        room.right = std::min(room.right, r.left() + r.width());
    }
    if (MaxWidth > 0) {
        const int width = RoundEven(m_report->ScaleX * MaxWidth);
        switch (Alignment) {
        case taRightJustify:
            room.left = std::max(room.left, edge - width);
            break;
        case taCenter:
            room.left = std::max(room.left, anchor - width / 2);
            room.right = std::min(room.right, anchor + (width - width / 2));
            break;
        default:
            room.right = std::min(room.right, anchor + width);
            break;
        }
    }
    return room;
}

double TQRCustomControl::Room::width(int anchor, TAlignment alignment) const {
    switch (alignment) {
    case taRightJustify:
        return anchor - left;
    case taCenter:
        return 2.0 * std::min(anchor - left, right - anchor);
    default:
        return right - anchor;
    }
}

} // namespace report

#pragma once

#include "report/QRBand.h"
#include "report/QRFont.h"
#include "report/TextFit.h"
#include "report/TextWidths.h"
#include "report/emf/EmfFormat.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QFontMetrics;
class QRect;

namespace report {

class TQRReport;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

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
    // Width in layout units of the column the text must stay in, 0 for none: it ends at the
    // control's right edge for right-aligned text (the appended space aside), starts at its
    // left edge for left-aligned text and is centred on centred text. The text's room is
    // that column within the printable area (and within the control's box when it is not
    // auto-sized). A text wider than its room is drawn in a condensed face, and clipped to
    // the room where even the narrowest face does not fit.
    int MaxWidth = 0;
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
    // The span of the page, in page units, that a text anchored at anchor may take.
    struct Room {
        int left, right;
        // The widest a text may be with its anchor there and the given alignment.
        double width(int anchor, TAlignment alignment) const;
    };
    // The room of the text: the printable area, within R when the text is clipped to it and
    // within the column MaxWidth gives, which ends at edge for right-aligned text.
    Room roomAt(int anchor, int edge, const QRect &r, int pageWidth) const;

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
    TextWidths<int> m_widths;
    TextFit m_fit;
};

} // namespace report

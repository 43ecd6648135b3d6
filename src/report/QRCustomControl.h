#pragma once

#include "report/QRBand.h"
#include "report/QRFont.h"
#include "report/emf/EmfFormat.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QFontMetrics;

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

} // namespace report

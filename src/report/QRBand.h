#pragma once

#include "report/QRFont.h"
#include "report/QRFrame.h"
#include "report/emf/EmfFormat.h"

#include <QObject>
#include <functional>

namespace report {

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

// A guide drawn on a band while a report is laid out; it has no effect on pages.
enum TQRRuler { qrrNone, qrrInchesH, qrrInchesV, qrrInchesHV, qrrCmH, qrrCmV, qrrCmHV };

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

} // namespace report

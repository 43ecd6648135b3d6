#include "report/QRLabel.h"

namespace report {

TQRLabel::TQRLabel(TQRBand *band, const QString &caption)
    : TQRCustomControl(band), Caption(caption) {
    AutoSize = true;
}

} // namespace report

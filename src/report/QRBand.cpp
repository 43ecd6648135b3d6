#include "report/QRBand.h"

namespace report {

TQRBand::TQRBand(QObject *owner, TQRBandType type, int height)
    : QObject(owner), BandType(type), Height(height) {}

} // namespace report

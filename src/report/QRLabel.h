#pragma once

#include "report/QRCustomControl.h"

namespace report {

// A fixed text.
class TQRLabel : public TQRCustomControl {
    Q_OBJECT
public:
    explicit TQRLabel(TQRBand *band, const QString &caption = QString());
    QString Caption;
    QString PrintText() const override { return Caption; }
};

} // namespace report

#pragma once

#include "report/QRCustomControl.h"

namespace report {

enum TQRSysDataType {
    qrsTime,
    qrsDate,
    qrsDateTime,
    qrsPageNumber,
    qrsReportTitle,
    qrsDetailCount,
    qrsDetailNo
};

// Data of the run or the moment: the time, the date, the page number, the report's title,
// the record count or the record's number, after a prefix.
class TQRSysData : public TQRCustomControl {
    Q_OBJECT
public:
    explicit TQRSysData(TQRBand *band, TQRSysDataType data = qrsTime);
    TQRSysDataType Data;
    QString Text; // the prefix printed before the data
    QString PrintText() const override;
};

} // namespace report

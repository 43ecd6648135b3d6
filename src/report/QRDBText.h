#pragma once

#include "report/QRCustomControl.h"

namespace db {
class DataSource;
class DataSet;
class Field;
} // namespace db

namespace report {

// The display text of a field of the data source's current record.
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

} // namespace report

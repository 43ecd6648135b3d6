#include "report/QRDBText.h"

#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/Field.h"

namespace report {

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

} // namespace report

#include "report/QRSysData.h"

#include "report/QRReport.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

namespace report {

namespace {

// The system's long time format without a time-zone name: the clock time only.
QString longTimeFormat(const QLocale &locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return format.trimmed();
}

} // namespace

TQRSysData::TQRSysData(TQRBand *band, TQRSysDataType data) : TQRCustomControl(band), Data(data) {}

QString TQRSysData::PrintText() const {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString value;
    switch (Data) {
    case qrsTime:
        value = locale.toString(now.time(), QLocale::ShortFormat);
        break;
    case qrsDate:
        value = locale.toString(now.date(), QLocale::ShortFormat);
        break;
    case qrsDateTime:
        // At exactly midnight the time part is left out.
        value = locale.toString(now.date(), QLocale::ShortFormat);
        if (now.time() != QTime(0, 0))
            value += QLatin1Char(' ') + locale.toString(now.time(), longTimeFormat(locale));
        break;
    case qrsPageNumber:
        value = m_report ? QString::number(m_report->PageNo) : QString();
        break;
    case qrsReportTitle:
        value = m_report ? m_report->ReportTitle : QString();
        break;
    case qrsDetailCount:
        value = m_report ? QString::number(m_report->DetailCount) : QString();
        break;
    case qrsDetailNo:
        value = m_report ? QString::number(m_report->DetailNo) : QString();
        break;
    }
    return Text + value;
}

} // namespace report

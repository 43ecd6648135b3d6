#include "app/DemoOffer.h"

#include "controls/ErrorReport.h"
#include "data/DemoCatalogue.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QSqlDatabase>

namespace app {

namespace {
const QString answerKey = QStringLiteral("FirstStart/DemoCatalogue");
}

DemoOffer::DemoOffer()
    : DemoOffer(QFileInfo(db::AliasRegistry::configFile()).absolutePath() +
                QStringLiteral("/korvandel.ini")) {}

DemoOffer::DemoOffer(const QString &settingsFile) : m_settingsFile(settingsFile) {}

QString DemoOffer::question() {
    return QStringLiteral(
        "The catalogue is empty.\n\n"
        "Fill it with the demo catalogue, a set of invented weapons, ammunition and gear that "
        "gives every field a value?\n\n"
        "This is asked only once. Later, \"korvandel-catalogue demo VantrelDB\" fills an empty "
        "catalogue the same way.");
}

bool DemoOffer::asked() const {
    return QSettings(m_settingsFile, QSettings::IniFormat).contains(answerKey);
}

void DemoOffer::remember(bool filled) {
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue(answerKey, filled ? QStringLiteral("filled") : QStringLiteral("declined"));
}

bool DemoOffer::offer(db::DataSet &dataSet, QWidget *parent) {
    if (!dataSet.active() || !dataSet.isEmpty() || asked())
        return false;
    const bool fill = QMessageBox::question(parent, QStringLiteral("Confirm"), question(),
                                            QMessageBox::Yes | QMessageBox::No,
                                            QMessageBox::Yes) == QMessageBox::Yes;
    remember(fill);
    if (!fill)
        return false;
    return controls::guarded(
        [&dataSet] {
            QSqlDatabase database = db::AliasRegistry::database(dataSet.databaseName());
            // One script, one transaction: a refused row leaves the table empty.
            db::AliasRegistry::runScript(database, data::demoCatalogueSql());
            dataSet.refresh();
            dataSet.first();
        },
        parent);
}

} // namespace app

#pragma once

#include <QString>

class QWidget;

namespace db {
class DataSet;
}

namespace app {

// At the first start on an empty catalogue, asks once whether to fill it with the demo
// catalogue. The answer is remembered in the editor's settings file beside the database
// aliases, so the question never comes back, whatever was answered.
class DemoOffer {
public:
    // The settings file is korvandel.ini in the folder of the aliases' databases.ini.
    DemoOffer();
    explicit DemoOffer(const QString &settingsFile);

    // Asks when the data set is open and holds no row and the question was never asked; on
    // Yes fills the table in one transaction and reads it again. A failure is shown in the
    // default error report. Returns whether the catalogue was filled.
    bool offer(db::DataSet &dataSet, QWidget *parent = nullptr);

    bool asked() const;

    static QString question();

private:
    void remember(bool filled);

    QString m_settingsFile;
};

} // namespace app

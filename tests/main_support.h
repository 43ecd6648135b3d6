#pragma once

// Helpers of the main window's tests: a small live table and answering message boxes.

#include "controls/ErrorReport.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "support/TempCatalogue.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>

// What a message box showed before it was answered.
struct SeenBox {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool shown = false;
};

// Answers the next modal message box by pressing a key (Enter, Esc) once it is up.
inline void answerNextBox(int key, SeenBox *seen) {
    QTimer::singleShot(0, [key, seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen->shown = true;
        seen->caption = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        if (QAbstractButton *def = box->defaultButton())
            seen->defaultButton = box->standardButton(def);
        QTest::keyClick(box, Qt::Key(key));
    });
}

// Records the default error reports instead of showing them.
class ReportRecorder {
public:
    ReportRecorder() {
        controls::setErrorReportSink([this](const QString &message) { reports << message; });
    }
    ~ReportRecorder() { controls::setErrorReportSink({}); }
    QStringList reports;
};

// A live table "Items" (Id, Name, Amount, Flag) of the given number of rows, with a dataset
// over it and a data source whose automatic editing is off.
class ItemTable {
public:
    explicit ItemTable(int rows) {
        QStringList setup{QStringLiteral("CREATE TABLE Items (Id INTEGER PRIMARY KEY, Name "
                                         "VARCHAR(20), Amount SMALLINT, Flag VARCHAR(8), "
                                         "Ok BOOLEAN)"),
                          QStringLiteral("BEGIN")};
        for (int i = 1; i <= rows; ++i)
            setup
                << QStringLiteral("INSERT INTO Items (Name, Amount) VALUES ('item %1', %1)").arg(i);
        setup << QStringLiteral("COMMIT");
        if (!catalogue.exec(setup))
            qFatal("cannot set up the test table");
        dataSet.setDatabaseName(catalogue.alias());
        dataSet.setSql({QStringLiteral("SELECT * FROM Items")});
        source.setDataSet(&dataSet);
        source.setAutoEdit(false);
    }
    int storedRows() const {
        return catalogue.scalar(QStringLiteral("SELECT COUNT(*) FROM Items")).toInt();
    }
    QVariant stored(const QString &column, int id) const {
        return catalogue.scalar(
            QStringLiteral("SELECT %1 FROM Items WHERE Id = %2").arg(column).arg(id));
    }

    TempCatalogue catalogue;
    db::DataSet dataSet;
    db::DataSource source;
};

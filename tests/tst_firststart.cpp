// The first start from the menu: the working folder the menu entry asks for, and the demo
// catalogue offered once on an empty catalogue.
#include "app/DemoOffer.h"
#include "app/WorkingFolder.h"
#include "data/DemoCatalogue.h"
#include "main_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TestFirstStart : public QObject {
    Q_OBJECT

private slots:
    void demoOffer_data();
    void demoOffer();
    void demoOfferFailure();
    void workingFolder_data();
    void workingFolder();
};

void TestFirstStart::demoOffer_data() {
    QTest::addColumn<bool>("emptyTable");
    QTest::addColumn<bool>("askedBefore");
    QTest::addColumn<int>("answerKey"); // 0: no box is expected
    QTest::addColumn<bool>("filled");

    QTest::newRow("empty, answered Yes") << true << false << int(Qt::Key_Return) << true;
    QTest::newRow("empty, answered No") << true << false << int(Qt::Key_Escape) << false;
    QTest::newRow("empty, asked before") << true << true << 0 << false;
    QTest::newRow("rows already") << false << false << 0 << false;
}

void TestFirstStart::demoOffer() {
    QFETCH(bool, emptyTable);
    QFETCH(bool, askedBefore);
    QFETCH(int, answerKey);
    QFETCH(bool, filled);

    TempCatalogue catalogue;
    QSqlDatabase database = catalogue.db();
    data::createEmptyEquipmentTable(database);
    if (!emptyTable)
        QVERIFY(catalogue.exec({QStringLiteral("INSERT INTO Equipment (Name) VALUES ('Mine')")}));
    const QString settings = catalogue.dir() + QStringLiteral("/settings/korvandel.ini");
    if (askedBefore) {
        app::DemoOffer earlier(settings);
        SeenBox declined;
        db::DataSet empty(catalogue.alias());
        empty.setSql({QStringLiteral("SELECT * FROM Equipment")});
        empty.open();
        answerNextBox(Qt::Key_Escape, &declined);
        earlier.offer(empty);
        QVERIFY(declined.shown);
    }
    const int before = catalogue.scalar(QStringLiteral("SELECT COUNT(*) FROM Equipment")).toInt();

    db::DataSet dataSet(catalogue.alias());
    dataSet.setSql({QStringLiteral("SELECT * FROM Equipment")});
    dataSet.open();
    app::DemoOffer offer(settings);
    SeenBox seen;
    answerNextBox(answerKey ? answerKey : Qt::Key_Escape, &seen);
    QCOMPARE(offer.offer(dataSet), filled);
    QCoreApplication::processEvents(); // the answer is not left waiting for a later box
    QCOMPARE(seen.shown, answerKey != 0);
    if (seen.shown) {
        QCOMPARE(seen.caption, QStringLiteral("Confirm"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QVERIFY2(seen.text.contains(QStringLiteral("korvandel-catalogue demo")),
                 qPrintable(seen.text));
    }
    const int stored = catalogue.scalar(QStringLiteral("SELECT COUNT(*) FROM Equipment")).toInt();
    if (filled) {
        QVERIFY(stored > 20);
        QCOMPARE(dataSet.recordCount(), stored); // the editor shows what it wrote
        QCOMPARE(dataSet.recNo(), 0);
    } else {
        QCOMPARE(stored, before);
    }
    // Whatever the answer, the question is asked once.
    QCOMPARE(offer.asked(), emptyTable);
    if (emptyTable) {
        SeenBox again;
        answerNextBox(Qt::Key_Return, &again);
        db::DataSet reopened(catalogue.alias());
        reopened.setSql({QStringLiteral("SELECT * FROM Equipment WHERE 1 = 0")});
        reopened.open();
        QVERIFY(!app::DemoOffer(settings).offer(reopened));
        QCoreApplication::processEvents();
        QVERIFY(!again.shown);
    }
}

// A table that refuses the demo rows stays empty, and the reason is shown.
void TestFirstStart::demoOfferFailure() {
    TempCatalogue catalogue;
    QVERIFY(catalogue.exec({QStringLiteral("CREATE TABLE Equipment (Number INTEGER PRIMARY KEY, "
                                           "Name VARCHAR(40))")}));
    db::DataSet dataSet(catalogue.alias());
    dataSet.setSql({QStringLiteral("SELECT * FROM Equipment")});
    dataSet.open();
    ReportRecorder recorder;
    SeenBox seen;
    answerNextBox(Qt::Key_Return, &seen);
    QVERIFY(!app::DemoOffer(catalogue.dir() + QStringLiteral("/korvandel.ini")).offer(dataSet));
    QVERIFY(seen.shown);
    QCOMPARE(recorder.reports.size(), 1);
    QCOMPARE(catalogue.scalar(QStringLiteral("SELECT COUNT(*) FROM Equipment")).toInt(), 0);
}

void TestFirstStart::workingFolder_data() {
    QTest::addColumn<QString>("relative"); // below a scratch folder holding the file "plain"
    QTest::addColumn<bool>("entered");

    QTest::newRow("missing, two levels") << QStringLiteral("Vantrel/Editor") << true;
    QTest::newRow("existing") << QString() << true;
    QTest::newRow("below a file") << QStringLiteral("plain/Editor") << false;
}

void TestFirstStart::workingFolder() {
    QFETCH(QString, relative);
    QFETCH(bool, entered);

    QTemporaryDir scratch;
    QFile plain(scratch.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString start = QDir::currentPath();
    const QString folder = relative.isEmpty() ? scratch.path() : scratch.filePath(relative);

    SeenBox seen;
    answerNextBox(Qt::Key_Return, &seen);
    const bool result = app::enterWorkingFolder(folder);
    QCoreApplication::processEvents();
    const QString now = QDir::currentPath();
    QDir::setCurrent(start);
    QCOMPARE(result, entered);
    if (entered) {
        QCOMPARE(now, QDir(folder).canonicalPath());
        QVERIFY(!seen.shown);
    } else {
        QCOMPARE(now, start);
        // A program started from the menu has no terminal: the reason is on screen.
        QVERIFY(seen.shown);
        QCOMPARE(seen.caption, QStringLiteral("Error"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QVERIFY2(
            seen.text.startsWith(QStringLiteral("The working folder ") + folder +
                                 QStringLiteral(" cannot be made or entered: Not a directory")),
            qPrintable(seen.text));
    }
}

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"

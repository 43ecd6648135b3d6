// The grid over rows the engine cannot give while it paints (another program holds the
// catalogue locked): empty cells, one error report after the paint, nothing thrown.
#include "controls/DBGrid.h"
#include "controls/ErrorReport.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "support/SharedCatalogue.h"

#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

class TestGridRead : public QObject {
    Q_OBJECT

private slots:
    void unreadableRowsPaintEmptyAndReportOnce() {
        SqliteCatalogue catalogue;
        db::DataSet set(catalogue.alias());
        set.setCacheRows(256); // rows far down are not read before the lock
        set.setSql({QStringLiteral("SELECT * FROM Items")});
        db::DataSource source(&set);
        controls::TDBGrid grid;
        grid.setColumns({{"Number", "No", 40}, {"Name", "Name", 80}});
        grid.setDataSource(&source);
        set.open();
        grid.resize(300, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));

        QStringList reports;
        controls::setErrorReportSink([&](const QString &message) { reports << message; });
        catalogue.otherLocksAll();
        const int farRow = 800;
        grid.scrollTo(grid.dataModel()->index(farRow, 1));
        for (int paint = 0; paint < 3; ++paint) {
            grid.viewport()->repaint();
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE(reports.size(), 1);
        QVERIFY2(reports.front().contains(QLatin1String("locked")), qPrintable(reports.front()));
        QCOMPARE(grid.dataModel()->index(farRow, 1).data().toString(), QString());

        catalogue.otherReleases();
        QCoreApplication::processEvents(); // the paint that failed has ended
        QCOMPARE(grid.dataModel()->index(farRow, 1).data().toString(), QStringLiteral("item801"));
        controls::setErrorReportSink({});
        QCOMPARE(reports.size(), 1);
    }
};

QTEST_MAIN(TestGridRead)
#include "tst_gridread.moc"

// The dataset following another program's writes while it shows the catalogue: new values,
// rows that come and go, the current row kept by its key, the row being edited left alone,
// and, on a server, announcements, the poll that stands in for them and a dropped connection.
// Every case runs on every engine the machine offers (the "engine" column); the other
// program is another process.
#include "controls/DBGrid.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/ChangeNotice.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "support/SharedCatalogue.h"

#include <QScrollBar>
#include <QtTest>

using db::DataSet;
using db::DataSetState;

namespace {

// The bounds within which the dataset shows another program's writes.
constexpr int valuesWithin = 1000;
constexpr int rowsWithin = 2000;

} // namespace

class TestLiveCatalogue : public QObject {
    Q_OBJECT

    std::unique_ptr<SharedCatalogue> catalogue;
    QStringList notices;

    // Opens Items following the other program's writes; on a server the table announces
    // them unless told otherwise.
    std::unique_ptr<DataSet> openItems(bool announced = true) {
        if (announced) {
            QSqlDatabase db = db::AliasRegistry::database(catalogue->alias());
            db::addChangeNotices(db, QStringLiteral("Items"));
        }
        auto set = std::make_unique<DataSet>(catalogue->alias());
        set->setSql({QStringLiteral("SELECT * FROM Items")});
        set->setIdentityFields({QStringLiteral("Name")});
        set->setFollowChanges(true);
        set->setNoticeHandler([this](const QString &text) { notices << text; });
        set->open();
        return set;
    }
    static qint64 currentKey(const DataSet &set) { return set.bookmark().toLongLong(); }
    // The value the dataset shows for a column of the row with this key ("gone": not there).
    static QString shown(const DataSet &set, qint64 key, const QString &column) {
        const int row = set.recordCount() > 0 ? rowOf(set, key) : -1;
        if (row < 0)
            return QStringLiteral("gone");
        return set.textAt(row, set.fieldByName(column)->index());
    }
    static int rowOf(const DataSet &set, qint64 key) {
        for (int row = 0; row < set.recordCount(); ++row)
            if (set.valueAt(row, 0).toLongLong() == key)
                return row;
        return -1;
    }
    static void engines() {
        QTest::addColumn<QString>("engine");
        for (const QString &engine : SharedCatalogue::engines())
            QTest::newRow(qPrintable(engine)) << engine;
    }

private slots:
    void init() { notices.clear(); }
    void cleanup() { catalogue.reset(); }

    // Another program writes rows in view, out of view and the current row: the dataset
    // shows the outcome within the bounds, and the current row stays current by its key.
    void followsWrites_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("other");  // what the other program runs
        QTest::addColumn<qint64>("watched"); // the row whose Note is checked
        QTest::addColumn<QString>("note");   // its Note afterwards ("gone": not shown)
        QTest::addColumn<int>("count");      // rows shown afterwards
        QTest::addColumn<qint64>("current"); // the current row's key afterwards
        QTest::addColumn<QString>("notice"); // part of the notice given; empty: none
        for (const QString &engine : SharedCatalogue::engines()) {
            const QByteArray e = engine.toUtf8();
            QTest::addRow("%s: update in view", e.constData())
                << engine << "UPDATE Items SET Note = 'theirs' WHERE Number = 14;" << qint64(14)
                << "theirs" << 1000 << qint64(11) << QString();
            QTest::addRow("%s: update out of view", e.constData())
                << engine << "UPDATE Items SET Note = 'theirs' WHERE Number = 900;" << qint64(900)
                << "theirs" << 1000 << qint64(11) << QString();
            QTest::addRow("%s: update the current row", e.constData())
                << engine << "UPDATE Items SET Note = 'theirs' WHERE Number = 11;" << qint64(11)
                << "theirs" << 1000 << qint64(11) << QString();
            QTest::addRow("%s: insert", e.constData())
                << engine << "INSERT INTO Items VALUES (1500, 'new', 1, 'fresh');" << qint64(1500)
                << "fresh" << 1001 << qint64(11) << QString();
            // More rows than a statement announces one by one.
            QTest::addRow("%s: bulk insert", e.constData())
                << engine
                << "INSERT INTO Items SELECT 2000 + Number, 'bulk' || Number, 1, 'bulk' FROM "
                   "Items WHERE Number <= 150;"
                << qint64(2150) << "bulk" << 1150 << qint64(11) << QString();
            QTest::addRow("%s: delete above the current row", e.constData())
                << engine << "DELETE FROM Items WHERE Number = 2;" << qint64(2) << "gone" << 999
                << qint64(11) << QString();
            QTest::addRow("%s: delete out of view", e.constData())
                << engine << "DELETE FROM Items WHERE Number = 950;" << qint64(950) << "gone" << 999
                << qint64(11) << QString();
            QTest::addRow("%s: delete the current row", e.constData())
                << engine << "DELETE FROM Items WHERE Number = 11;" << qint64(11) << "gone" << 999
                << qint64(12) << "Another program deleted the row with Name item11";
            QTest::addRow("%s: delete the current row and the next", e.constData())
                << engine << "DELETE FROM Items WHERE Number IN (11, 12);" << qint64(12) << "gone"
                << 998 << qint64(13) << "Another program deleted the row with Name item11";
            QTest::addRow("%s: many rows in one transaction", e.constData())
                << engine
                << "UPDATE Items SET Note = 'all' WHERE Number <= 1100; DELETE FROM Items "
                   "WHERE Number > 500;"
                << qint64(11) << "all" << 500 << qint64(11) << QString();
        }
    }
    void followsWrites() {
        QFETCH(QString, engine);
        QFETCH(QString, other);
        QFETCH(qint64, watched);
        QFETCH(QString, note);
        QFETCH(int, count);
        QFETCH(qint64, current);
        QFETCH(QString, notice);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->setRecNo(10);
        QCOMPARE(currentKey(*set), 11);
        const QString before = shown(*set, watched, QStringLiteral("Note"));
        QVERIFY(before != note);

        catalogue->otherRuns(other);
        const int within = count == 1000 ? valuesWithin : rowsWithin;
        QTRY_COMPARE_WITH_TIMEOUT(shown(*set, watched, QStringLiteral("Note")), note, within);
        QTRY_COMPARE_WITH_TIMEOUT(set->recordCount(), count, rowsWithin);
        QCOMPARE(currentKey(*set), current);
        QCOMPARE(set->fieldByName(QStringLiteral("Number"))->asString(), QString::number(current));
        // The current row's fields show it as stored.
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(),
                 catalogue->otherRuns(
                     QStringLiteral("SELECT Note FROM Items WHERE Number = %1;").arg(current)));
        if (notice.isEmpty())
            QVERIFY2(notices.isEmpty(), qPrintable(notices.join(QLatin1Char('|'))));
        else
            QVERIFY2(notices.contains(notice), qPrintable(notices.join(QLatin1Char('|'))));
    }

    // The last row is current and is deleted: the row before it becomes current; the last
    // row of all goes: the result is empty; a row comes: it is current.
    void currentRowAtTheEnd_data() { engines(); }
    void currentRowAtTheEnd() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->last();
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number = 1000;"));
        QTRY_COMPARE_WITH_TIMEOUT(currentKey(*set), 999, rowsWithin);
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items;"));
        QTRY_VERIFY_WITH_TIMEOUT(set->isEmpty(), rowsWithin);
        QCOMPARE(set->recNo(), -1);
        catalogue->otherRuns(QStringLiteral("INSERT INTO Items VALUES (7, 'seven', 7, 'n7');"));
        QTRY_COMPARE_WITH_TIMEOUT(set->recordCount(), 1, rowsWithin);
        QCOMPARE(currentKey(*set), 7);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("seven"));
    }

    // A search result follows too: a row written to match joins it, one written not to
    // match leaves it.
    void searchResult_data() { engines(); }
    void searchResult() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->requery({QStringLiteral("SELECT * FROM Items"), QStringLiteral("WHERE Heat = ?")},
                     {5});
        QCOMPARE(set->recordCount(), 10);
        catalogue->otherRuns(QStringLiteral("UPDATE Items SET Heat = 5 WHERE Number = 1; "
                                            "UPDATE Items SET Heat = 6 WHERE Number = 105;"));
        QTRY_COMPARE_WITH_TIMEOUT(shown(*set, 1, QStringLiteral("Heat")), QStringLiteral("5"),
                                  rowsWithin);
        QTRY_COMPARE_WITH_TIMEOUT(shown(*set, 105, QStringLiteral("Heat")), QStringLiteral("gone"),
                                  rowsWithin);
        QCOMPARE(set->recordCount(), 10);
    }

    // A grid over the result keeps its scroll position and the current row while rows
    // change, come and go elsewhere.
    void gridKeepsItsPlace_data() { engines(); }
    void gridKeepsItsPlace() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        db::DataSource source(set.get());
        controls::TDBGrid grid;
        grid.setColumns({{QStringLiteral("Number"), QStringLiteral("Number"), 60},
                         {QStringLiteral("Note"), QStringLiteral("Note"), 100}});
        grid.setDataSource(&source);
        grid.resize(300, 200);
        grid.show();
        set->setRecNo(500);
        QApplication::processEvents();
        const int scrolled = grid.verticalScrollBar()->value();
        QVERIFY(scrolled > 400);
        catalogue->otherRuns(QStringLiteral("UPDATE Items SET Note = 'theirs' WHERE Number = 502; "
                                            "INSERT INTO Items VALUES (1500, 'new', 1, 'fresh'); "
                                            "DELETE FROM Items WHERE Number = 900;"));
        QTRY_COMPARE_WITH_TIMEOUT(grid.model()->index(501, 1).data().toString(),
                                  QStringLiteral("theirs"), valuesWithin);
        QTRY_COMPARE_WITH_TIMEOUT(set->recordCount(), 1000 - 1 + 1, rowsWithin);
        QTRY_COMPARE_WITH_TIMEOUT(grid.model()->index(999, 0).data().toString(),
                                  QStringLiteral("1500"), rowsWithin);
        QApplication::processEvents();
        QCOMPARE(grid.verticalScrollBar()->value(), scrolled);
        QCOMPARE(grid.currentIndex().row(), 500);
        QCOMPARE(currentKey(*set), 501);
    }

    // The row being edited is never changed under the user: their values stay, the status
    // is told which columns another program changed (where it could), and the other rows
    // follow once the edit ends.
    void editedRowUntouched_data() { engines(); }
    void editedRowUntouched() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        // Another dataset over the catalogue, browsing: it shows when the writes arrived.
        auto browsing = openItems();
        set->setRecNo(10);
        set->edit();
        set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("77"));
        const QString rename =
            QStringLiteral("UPDATE Items SET Note = 'theirs', Name = 'renamed' WHERE Number = 11;");
        // A server's row lock keeps the other program out; the embedded engine has none.
        const bool written = !catalogue->locksRows();
        if (written)
            catalogue->otherRuns(rename);
        else
            QVERIFY(!catalogue->otherTries(rename));
        catalogue->otherRuns(QStringLiteral("UPDATE Items SET Note = 'near' WHERE Number = 12; "
                                            "INSERT INTO Items VALUES (1500, 'new', 1, 'fresh');"));
        QTRY_COMPARE_WITH_TIMEOUT(browsing->recordCount(), 1001, rowsWithin);
        QTRY_COMPARE_WITH_TIMEOUT(shown(*browsing, 12, QStringLiteral("Note")),
                                  QStringLiteral("near"), valuesWithin);
        if (written)
            QTRY_VERIFY_WITH_TIMEOUT(
                notices.contains(QStringLiteral(
                    "Another program changed this row while you edit it: Name, Note")),
                valuesWithin);
        QCOMPARE(set->state(), DataSetState::Edit);
        QCOMPARE(currentKey(*set), 11);
        QCOMPARE(set->recNo(), 10);
        QCOMPARE(set->fieldByName(QStringLiteral("Heat"))->asString(), QStringLiteral("77"));
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(), QStringLiteral("n11"));
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("item11"));
        QCOMPARE(set->recordCount(), 1000);

        set->cancel();
        QTRY_COMPARE_WITH_TIMEOUT(set->recordCount(), 1001, rowsWithin);
        QTRY_COMPARE_WITH_TIMEOUT(shown(*set, 12, QStringLiteral("Note")), QStringLiteral("near"),
                                  valuesWithin);
        QCOMPARE(currentKey(*set), 11);
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(),
                 written ? QStringLiteral("theirs") : QStringLiteral("n11"));
    }

    // The edited row deleted by another program (where nothing locks it): the user is told,
    // the edit goes on with their values.
    void editedRowDeleted() {
        catalogue = SharedCatalogue::make(QStringLiteral("SQLite"));
        auto set = openItems();
        set->setRecNo(10);
        set->edit();
        set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("77"));
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number = 11;"));
        QTRY_VERIFY_WITH_TIMEOUT(
            notices.contains(QStringLiteral("Another program deleted this row while you edit it")),
            valuesWithin);
        QCOMPARE(set->state(), DataSetState::Edit);
        QCOMPARE(currentKey(*set), 11);
        QCOMPARE(set->fieldByName(QStringLiteral("Heat"))->asString(), QStringLiteral("77"));
        QCOMPARE(set->recordCount(), 1000);
    }

    // Refresh reads the result again now, keeping the current row by its key, or the row
    // after it when it is gone; nothing follows the other program meanwhile.
    void refreshKeepsCurrentRow_data() { engines(); }
    void refreshKeepsCurrentRow() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = std::make_unique<DataSet>(catalogue->alias());
        set->setSql({QStringLiteral("SELECT * FROM Items")});
        set->open();
        set->setRecNo(10);
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number < 5; "
                                            "UPDATE Items SET Note = 'theirs' WHERE Number = 11;"));
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(), QStringLiteral("n11"));
        set->refresh();
        QCOMPARE(set->recordCount(), 996);
        QCOMPARE(currentKey(*set), 11);
        QCOMPARE(set->recNo(), 6);
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(), QStringLiteral("theirs"));
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number IN (5, 11);"));
        set->refresh();
        QCOMPARE(currentKey(*set), 12);
        QCOMPARE(set->recNo(), 5);
    }

    // Refresh while following: the values at once, without waiting for the watcher; the
    // rows that came and went within the bound.
    void refreshWhileFollowing_data() { engines(); }
    void refreshWhileFollowing() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->setRecNo(10);
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number < 5; "
                                            "UPDATE Items SET Note = 'theirs' WHERE Number = 11;"));
        set->refresh();
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(), QStringLiteral("theirs"));
        QCOMPARE(currentKey(*set), 11);
        QTRY_COMPARE_WITH_TIMEOUT(set->recordCount(), 996, rowsWithin);
        QCOMPARE(currentKey(*set), 11);
        QCOMPARE(set->recNo(), 6);
    }

    // A server table that does not announce its writes: a poll stands in, and the user is
    // told once.
    void serverWithoutAnnouncements() {
        if (!SharedCatalogue::engines().contains(QStringLiteral("PostgreSQL")))
            QSKIP("no PostgreSQL server");
        catalogue = SharedCatalogue::make(QStringLiteral("PostgreSQL"));
        QVERIFY(!db::hasChangeNotices(db::AliasRegistry::database(catalogue->alias()),
                                      QStringLiteral("Items")));
        auto set = openItems(false);
        set->setRecNo(10);
        QTRY_COMPARE(notices.size(), 1);
        QVERIFY2(notices.front().contains(QLatin1String("does not announce changes")),
                 qPrintable(notices.front()));
        catalogue->otherRuns(QStringLiteral("UPDATE Items SET Note = 'theirs' WHERE Number = 11;"));
        QTRY_COMPARE_WITH_TIMEOUT(set->fieldByName(QStringLiteral("Note"))->asString(),
                                  QStringLiteral("theirs"), rowsWithin);
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number = 11;"));
        QTRY_COMPARE_WITH_TIMEOUT(currentKey(*set), 12, rowsWithin);
        QCOMPARE(notices.size(), 2);
        // Made to announce (as the catalogue tool's upgrade does), and asked again: it does.
        QSqlDatabase db = db::AliasRegistry::database(catalogue->alias());
        db::addChangeNotices(db, QStringLiteral("Items"));
        QVERIFY(db::hasChangeNotices(db, QStringLiteral("Items")));
        db::addChangeNotices(db, QStringLiteral("Items"));
    }

    // The table the editor makes on a server announces its writes from the start.
    void editorMadeTableAnnounces() {
        if (!SharedCatalogue::engines().contains(QStringLiteral("PostgreSQL")))
            QSKIP("no PostgreSQL server");
        catalogue = SharedCatalogue::make(QStringLiteral("PostgreSQL"));
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        db::AliasRegistry::setDefaultSchema(catalogue->alias(), data::equipmentSchemaScript,
                                            QStringLiteral("Equipment"));
        const bool announces = db::hasChangeNotices(db::AliasRegistry::database(catalogue->alias()),
                                                    QStringLiteral("Equipment"));
        db::AliasRegistry::setDefaultSchema(catalogue->alias(), QString());
        catalogue->otherRuns(QStringLiteral("DROP TABLE Equipment;"));
        QVERIFY(announces);
    }

    // The server drops the connections: the watcher connects again, listens again and
    // shows what was written meanwhile and after.
    void serverDropsConnection() {
        if (!SharedCatalogue::engines().contains(QStringLiteral("PostgreSQL")))
            QSKIP("no PostgreSQL server");
        catalogue = SharedCatalogue::make(QStringLiteral("PostgreSQL"));
        auto set = openItems();
        set->setRecNo(10);
        catalogue->otherRuns(
            QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                           "current_database() AND pid <> pg_backend_pid();\n"
                           "UPDATE Items SET Note = 'meanwhile' WHERE Number = 11;"));
        QTRY_COMPARE_WITH_TIMEOUT(set->fieldByName(QStringLiteral("Note"))->asString(),
                                  QStringLiteral("meanwhile"), 3 * valuesWithin);
        catalogue->otherRuns(QStringLiteral("UPDATE Items SET Note = 'after' WHERE Number = 11;"));
        QTRY_COMPARE_WITH_TIMEOUT(set->fieldByName(QStringLiteral("Note"))->asString(),
                                  QStringLiteral("after"), valuesWithin);
        QVERIFY(notices.isEmpty());
    }
};

QTEST_MAIN(TestLiveCatalogue)
#include "tst_livecatalogue.moc"

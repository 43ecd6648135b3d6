// The dataset's states, moves, settling, bookmarks and notifications over a real SQLite table.
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "support/TempCatalogue.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using db::DataSet;
using db::DataSetState;

namespace {

// Counts what the dataset announces, and can hand a pending editor text to the row.
class RecordingLink : public db::DataLink {
public:
    int active = 0, changed = 0, scrolled = 0, record = 0, editing = 0;
    QString pendingField, pendingText;
    void activeChanged() override { ++active; }
    void dataSetChanged() override { ++changed; }
    void dataSetScrolled(int) override { ++scrolled; }
    void recordChanged(db::Field *) override { ++record; }
    void editingChanged() override { ++editing; }
    void updateData() override {
        if (!pendingField.isEmpty())
            dataSet()->fieldByName(pendingField)->setAsString(pendingText);
        pendingField.clear();
    }
};

QString expectError(const std::function<void()> &action) {
    try {
        action();
    } catch (const db::DatabaseError &error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

class TestDataSet : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCatalogue> cat;

    std::unique_ptr<DataSet> openItems(bool live = true) {
        auto set = std::make_unique<DataSet>(cat->alias());
        set->setSql({QStringLiteral("SELECT * FROM Items")});
        set->setRequestLive(live);
        set->open();
        return set;
    }
    int rows() const { return cat->scalar(QStringLiteral("SELECT COUNT(*) FROM Items")).toInt(); }

private slots:
    void init() {
        cat = std::make_unique<TempCatalogue>();
        QStringList setup{
            QStringLiteral("BEGIN"),
            QStringLiteral(
                "CREATE TABLE Items (Number INTEGER PRIMARY KEY, Code VARCHAR(6) UNIQUE, "
                "Name VARCHAR(20), Heat SMALLINT, Weight REAL, Live BOOLEAN)")};
        for (int i = 1; i <= 300; ++i)
            setup << QStringLiteral("INSERT INTO Items (Code, Name, Heat, Weight) VALUES "
                                    "('C%1', 'Item %1', %1, %1.5)")
                         .arg(i);
        setup << QStringLiteral("COMMIT");
        QVERIFY(cat->exec(setup));
    }
    void cleanup() { cat.reset(); }

    void openMakesFirstRowCurrent() {
        auto set = openItems();
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(set->recordCount(), 300);
        QCOMPARE(set->recNo(), 0);
        QVERIFY(set->bof());
        QVERIFY(!set->eof());
        QCOMPARE(set->fieldByName(QStringLiteral("name"))->asString(), QStringLiteral("Item 1"));
        QCOMPARE(set->fieldByName(QStringLiteral("Weight"))->asString(), QStringLiteral("1.5"));
    }

    void movesAndFlags() {
        auto set = openItems();
        set->next();
        QVERIFY(!set->bof());
        QCOMPARE(set->moveBy(50), 50);
        QCOMPARE(set->recNo(), 51);
        QCOMPARE(set->moveBy(1000), 248);
        QVERIFY(set->eof());
        QCOMPARE(set->fieldByName(QStringLiteral("Code"))->asString(), QStringLiteral("C300"));
        set->next();
        QVERIFY(set->eof());
        QCOMPARE(set->recNo(), 299);
        set->prior();
        QVERIFY(!set->eof());
        QCOMPARE(set->moveBy(-1000), -298);
        QVERIFY(set->bof());
        set->last();
        QVERIFY(set->eof());
        // Rows beyond the first cache windows read back correctly.
        QCOMPARE(set->textAt(257, 1), QStringLiteral("C258"));
        QCOMPARE(set->textAt(3, 2), QStringLiteral("Item 4"));
    }

    void smallCacheStillReadsEveryRow() {
        auto set = std::make_unique<DataSet>(cat->alias());
        set->setSql({QStringLiteral("SELECT * FROM Items")});
        set->setCacheRows(1);
        set->open();
        for (int row : {0, 299, 128, 1, 255, 256, 0})
            QCOMPARE(set->textAt(row, 1), QStringLiteral("C%1").arg(row + 1));
    }

    void editPostWritesOnlyThatRow() {
        auto set = openItems();
        set->moveBy(9);
        set->edit();
        QCOMPARE(set->state(), DataSetState::Edit);
        QVERIFY(!set->modified());
        set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("77"));
        QVERIFY(set->modified());
        set->post();
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(cat->scalar(QStringLiteral("SELECT Heat FROM Items WHERE Code='C10'")).toInt(),
                 77);
        QCOMPARE(cat->scalar(QStringLiteral("SELECT SUM(Heat) FROM Items")).toInt(),
                 300 * 301 / 2 - 10 + 77);
        QCOMPARE(set->fieldByName(QStringLiteral("Heat"))->asString(), QStringLiteral("77"));
    }

    void settlingBeforeAMove_data() {
        QTest::addColumn<bool>("change");
        QTest::addColumn<int>("expectedHeat");
        QTest::newRow("changed row is posted") << true << 55;
        QTest::newRow("unchanged row is cancelled") << false << 1;
    }
    void settlingBeforeAMove() {
        QFETCH(bool, change);
        QFETCH(int, expectedHeat);
        auto set = openItems();
        db::DataSource source(set.get());
        RecordingLink link;
        link.setDataSource(&source);
        set->edit();
        if (change) {
            // The editor's pending text is taken into the row as the move settles it.
            link.pendingField = QStringLiteral("Heat");
            link.pendingText = QStringLiteral("55");
        }
        set->next();
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(set->recNo(), 1);
        QCOMPARE(cat->scalar(QStringLiteral("SELECT Heat FROM Items WHERE Code='C1'")).toInt(),
                 expectedHeat);
    }

    void insertPostsNewRowAtCurrentPosition() {
        auto set = openItems();
        set->moveBy(4);
        set->insert();
        QCOMPARE(set->state(), DataSetState::Insert);
        QCOMPARE(set->recordCount(), 301);
        QCOMPARE(set->recNo(), 4);
        QVERIFY(set->bookmark().isNull());
        set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("Fresh"));
        set->fieldByName(QStringLiteral("Code"))->setAsString(QStringLiteral("NEW"));
        set->next(); // settles: the new row is posted
        QCOMPARE(rows(), 301);
        QCOMPARE(set->textAt(4, 2), QStringLiteral("Fresh"));
        QVERIFY(set->textAt(4, 0).toInt() > 300); // the database assigned the number
        QCOMPARE(set->recNo(), 5);
    }

    void untouchedInsertIsDropped() {
        auto set = openItems();
        set->insert();
        set->first();
        QCOMPARE(rows(), 300);
        QCOMPARE(set->recordCount(), 300);
    }

    void failedPostKeepsRowEditing() {
        auto set = openItems();
        set->insert();
        set->fieldByName(QStringLiteral("Code"))->setAsString(QStringLiteral("C7"));
        set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("Duplicate"));
        const QString message = expectError([&] { set->post(); });
        QVERIFY2(message.contains(QLatin1String("UNIQUE")), qPrintable(message));
        QCOMPARE(set->state(), DataSetState::Insert);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("Duplicate"));
        // A move cannot pass the row either; correcting the code lets it through.
        QVERIFY(expectError([&] { set->next(); }).contains(QLatin1String("UNIQUE")));
        set->fieldByName(QStringLiteral("Code"))->setAsString(QStringLiteral("C999"));
        set->post();
        QCOMPARE(rows(), 301);
    }

    void errorsOfTheOperations_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::newRow("post in browse") << "post"
                                        << "Dataset not in edit or insert mode";
        QTest::newRow("write in browse") << "write"
                                         << "Dataset not in edit or insert mode";
        QTest::newRow("delete when closed") << "deleteClosed"
                                            << "Cannot perform this operation on a closed dataset";
        QTest::newRow("delete when empty") << "deleteEmpty"
                                           << "Cannot perform this operation on an empty dataset";
        QTest::newRow("insert read-only") << "insertReadOnly"
                                          << "Cannot modify a read-only dataset";
        QTest::newRow("edit read-only") << "editReadOnly"
                                        << "Cannot modify a read-only dataset";
        QTest::newRow("unknown field") << "field"
                                       << "Field 'Nope' not found";
    }
    void errorsOfTheOperations() {
        QFETCH(QString, operation);
        QFETCH(QString, message);
        std::unique_ptr<DataSet> set;
        if (operation == QLatin1String("insertReadOnly") ||
            operation == QLatin1String("editReadOnly"))
            set = openItems(false);
        else
            set = openItems();
        if (operation == QLatin1String("deleteEmpty")) {
            QVERIFY(cat->exec({QStringLiteral("DELETE FROM Items")}));
            set->refresh();
        }
        if (operation == QLatin1String("deleteClosed"))
            set->close();
        const QString got = expectError([&] {
            if (operation == QLatin1String("post"))
                set->post();
            else if (operation == QLatin1String("write"))
                set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("x"));
            else if (operation.startsWith(QLatin1String("delete")))
                set->deleteRecord();
            else if (operation == QLatin1String("insertReadOnly"))
                set->insert();
            else if (operation == QLatin1String("editReadOnly"))
                set->edit();
            else
                set->fieldByName(QStringLiteral("Nope"));
        });
        QCOMPARE(got, message);
        QCOMPARE(rows(), operation == QLatin1String("deleteEmpty") ? 0 : 300);
    }

    void editOnEmptyResultStartsANewRow() {
        auto set = std::make_unique<DataSet>(cat->alias());
        set->setSql({QStringLiteral("SELECT * FROM Items"), QStringLiteral("WHERE Name LIKE (?)")});
        set->setParameters({QStringLiteral("nothing")});
        set->open();
        QVERIFY(set->isEmpty());
        QVERIFY(set->bof() && set->eof());
        set->edit();
        QCOMPARE(set->state(), DataSetState::Insert);
    }

    void deleteMovesToFollowingRow() {
        auto set = openItems();
        set->moveBy(2);
        set->edit();
        set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("dropped change"));
        set->deleteRecord();
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(rows(), 299);
        QCOMPARE(set->fieldByName(QStringLiteral("Code"))->asString(), QStringLiteral("C4"));
        set->last();
        set->deleteRecord();
        QCOMPARE(set->fieldByName(QStringLiteral("Code"))->asString(), QStringLiteral("C299"));
        set->insert();
        set->deleteRecord(); // acts as cancel
        QCOMPARE(rows(), 298);
        QCOMPARE(set->state(), DataSetState::Browse);
    }

    void closeDropsPendingRow() {
        auto set = openItems();
        set->edit();
        set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("never stored"));
        set->close();
        QCOMPARE(set->state(), DataSetState::Inactive);
        QCOMPARE(cat->scalar(QStringLiteral("SELECT COUNT(*) FROM Items WHERE Name='never stored'"))
                     .toInt(),
                 0);
    }

    void bookmarkSurvivesReopen() {
        auto set = openItems();
        set->moveBy(200);
        const QVariant mark = set->bookmark();
        set->close();
        set->open();
        QCOMPARE(set->recNo(), 0);
        set->gotoBookmark(mark);
        QCOMPARE(set->recNo(), 200);
        QCOMPARE(set->fieldByName(QStringLiteral("Code"))->asString(), QStringLiteral("C201"));
        // A narrower result that lacks the row refuses the bookmark and stays where it is.
        set->close();
        set->setSql({QStringLiteral("SELECT * FROM Items"), QStringLiteral("WHERE Heat < (?)")});
        set->setParameters({10});
        set->open();
        QVERIFY(expectError([&] { set->gotoBookmark(mark); }) != QLatin1String("<no error>"));
        QCOMPARE(set->recNo(), 0);
        set->gotoBookmark(QVariant()); // none held: nothing happens
        QCOMPARE(set->recNo(), 0);
    }

    void missingBoundColumnFailsOpen() {
        DataSet set(cat->alias());
        set.setSql({QStringLiteral("SELECT * FROM Items")});
        db::DataSource source(&set);
        class NeedsColumn : public db::DataLink {
        public:
            QString fieldName() const override { return QStringLiteral("Missing"); }
        } link;
        link.setDataSource(&source);
        QCOMPARE(expectError([&] { set.open(); }), QStringLiteral("Field 'Missing' not found"));
        QCOMPARE(set.state(), DataSetState::Inactive);
    }

    void optionalColumnMayBeMissing() {
        DataSet set(cat->alias());
        set.setSql({QStringLiteral("SELECT * FROM Items")});
        set.setOptionalFields({QStringLiteral("missing")});
        db::DataSource source(&set);
        class NamesOptionalColumn : public db::DataLink {
        public:
            QString fieldName() const override { return QStringLiteral("Missing"); }
        } link;
        link.setDataSource(&source);
        set.open();
        QCOMPARE(set.state(), DataSetState::Browse);
        QVERIFY(!set.findField(QStringLiteral("Missing")));
    }

    void readOnlyResultBrowses() {
        auto set = std::make_unique<DataSet>(cat->alias());
        set->setSql({QStringLiteral("SELECT Code, COUNT(*) AS N FROM Items GROUP BY Code")});
        set->open();
        QVERIFY(!set->canModify());
        QCOMPARE(set->recordCount(), 300);
        set->last();
        QVERIFY(set->eof());
        QCOMPARE(set->fieldByName(QStringLiteral("N"))->asString(), QStringLiteral("1"));
    }

    void postsReachOtherProgramsAfterTheFileWasReadInProcess() {
        // A file dialog in the editor reads every file of the folder it shows, the database
        // and its companions included. That must not cost a row another program can see.
        const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (sqlite3.isEmpty())
            QSKIP("the sqlite3 command is not installed");
        auto set = openItems();
        set->last();
        for (const QString &name : QDir(cat->dir()).entryList(QDir::Files)) {
            QFile file(cat->dir() + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            file.read(512);
        }
        auto otherProgram = [&](const QString &sql) {
            QProcess process;
            process.start(sqlite3, {cat->path(), sql});
            process.waitForFinished();
            return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        };
        QCOMPARE(otherProgram(QStringLiteral("SELECT COUNT(*) FROM Items")), QStringLiteral("300"));
        set->edit();
        set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("Seen elsewhere"));
        set->post();
        QCOMPARE(otherProgram(QStringLiteral("SELECT Name FROM Items WHERE Code='C300'")),
                 QStringLiteral("Seen elsewhere"));
    }

    void announcesEveryChange() {
        auto set = std::make_unique<DataSet>(cat->alias());
        set->setSql({QStringLiteral("SELECT * FROM Items")});
        db::DataSource source(set.get());
        RecordingLink link;
        link.setDataSource(&source);
        link.active = 0;
        set->open();
        QCOMPARE(link.active, 1);
        QCOMPARE(link.changed, 1);
        set->next();
        QCOMPARE(link.scrolled, 1);
        set->edit();
        QCOMPARE(link.editing, 1);
        set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("n"));
        QCOMPARE(link.record, 2); // fresh row at edit, then the value
        set->cancel();
        QCOMPARE(link.editing, 2);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("Item 2"));
        set->close();
        QCOMPARE(link.active, 2);
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"

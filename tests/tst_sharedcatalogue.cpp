// The dataset over a catalogue that another program writes at the same time: conflicts at
// Post, writes that change nothing, failed operations that must leave everything as it
// was, read-only catalogues and tables the editor cannot key. Every case runs on every
// engine the machine offers (the "engine" column).
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "support/SharedCatalogue.h"

#include <QtTest>
#include <unistd.h>

using db::DataSet;
using db::DataSetState;

namespace {

// Everything a failed operation must leave as it was.
struct Snapshot {
    int recNo;
    DataSetState state;
    bool bof, eof, modified, canModify;
    int count;
    QVariant bookmark;
    QStringList values;

    explicit Snapshot(const DataSet &set)
        : recNo(set.recNo()), state(set.state()), bof(set.bof()), eof(set.eof()),
          modified(set.modified()), canModify(set.canModify()), count(set.recordCount()),
          bookmark(set.bookmark()) {
        for (const auto &field : set.fields())
            values << field->asString();
    }
    bool operator==(const Snapshot &) const = default;
};

enum class Operation {
    Last,
    Next,
    MoveBy,
    SetRecNo,
    GotoBookmark,
    Refresh,
    Search,
    Edit,
    Post,
    Delete
};

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestSharedCatalogue : public QObject {
    Q_OBJECT

    std::unique_ptr<SharedCatalogue> catalogue;

    std::unique_ptr<DataSet> openItems(int cacheRows = 4096) {
        auto set = std::make_unique<DataSet>(catalogue->alias());
        set->setCacheRows(cacheRows);
        set->setSql({QStringLiteral("SELECT * FROM Items")});
        set->open();
        return set;
    }
    QString stored(const QString &column, const QVariant &key) {
        return catalogue->otherRuns(
            QStringLiteral("SELECT %1 FROM Items WHERE Number = %2;").arg(column, key.toString()));
    }

private slots:
    void initTestCase() { SharedCatalogue::withClerk = true; }
    void cleanup() { catalogue.reset(); }

    // Edit a row, another program writes it, Post: the user's values are never lost and
    // the other program's are never overwritten unseen.
    void conflictAtPost_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("other");   // what the other program runs; %1: the key
        QTest::addColumn<QString>("refusal"); // part of Post's refusal; empty: Post stores
        QTest::addColumn<bool>("thenCancel"); // after the refusal: Cancel, not Post again
        QTest::addColumn<QString>("heat");    // Heat stored (or shown after Cancel) at the end
        QTest::addColumn<QString>("note");    // Note stored at the end
        for (const QString &engine : SharedCatalogue::engines()) {
            const QByteArray e = engine.toUtf8();
            QTest::addRow("%s: nobody else wrote", e.constData())
                << engine << QString() << QString() << false << "77"
                << "n6";
            QTest::addRow("%s: other column changed", e.constData())
                << engine << "UPDATE Items SET Note = 'theirs' WHERE Number = %1;" << QString()
                << false << "77"
                << "theirs";
            QTest::addRow("%s: same column changed, Post again", e.constData())
                << engine << "UPDATE Items SET Heat = 9 WHERE Number = %1;"
                << "Heat is now \"9\"" << false << "77"
                << "n6";
            QTest::addRow("%s: same column changed, Cancel", e.constData())
                << engine << "UPDATE Items SET Heat = 9 WHERE Number = %1;"
                << "Heat is now \"9\"" << true << "9"
                << "n6";
            QTest::addRow("%s: row deleted, Post again", e.constData())
                << engine << "DELETE FROM Items WHERE Number = %1;"
                << "deleted this row while you edited it" << false << "77"
                << "n6";
            QTest::addRow("%s: same column set to the value typed", e.constData())
                << engine << "UPDATE Items SET Heat = 77, Note = 'theirs' WHERE Number = %1;"
                << QString() << false << "77"
                << "theirs";
            QTest::addRow("%s: key given to another row", e.constData())
                << engine
                << "DELETE FROM Items WHERE Number = %1; INSERT INTO Items VALUES (%1, 'other', "
                   "3, 'reused');"
                << "Heat is now \"3\"" << false << "77"
                << "reused";
        }
    }
    void conflictAtPost() {
        QFETCH(QString, engine);
        QFETCH(QString, other);
        QFETCH(QString, refusal);
        QFETCH(bool, thenCancel);
        QFETCH(QString, heat);
        QFETCH(QString, note);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->setRecNo(5);
        const QVariant key = set->bookmark();
        set->edit();
        set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("77"));
        if (!other.isEmpty() && catalogue->locksRows()) {
            // The row is locked while it is edited: the other program cannot write it, and
            // the user's Post stores their values over the row as it was.
            QVERIFY(!catalogue->otherTries(other.arg(key.toString())));
            set->post();
            QCOMPARE(stored(QStringLiteral("Heat"), key), QStringLiteral("77"));
            QCOMPARE(stored(QStringLiteral("Note"), key), QStringLiteral("n6"));
            return;
        }
        if (!other.isEmpty())
            catalogue->otherRuns(other.arg(key.toString()));

        const QString failure = failureOf([&] { set->post(); });
        if (refusal.isEmpty()) {
            QCOMPARE(failure, QString());
        } else {
            QVERIFY2(failure.contains(refusal), qPrintable(failure));
            QCOMPARE(set->state(), DataSetState::Edit);
            QCOMPARE(set->fieldByName(QStringLiteral("Heat"))->asString(), QStringLiteral("77"));
            if (thenCancel) {
                set->cancel();
                QCOMPARE(set->fieldByName(QStringLiteral("Heat"))->asString(), heat);
                QCOMPARE(stored(QStringLiteral("Heat"), key), heat);
                return;
            }
            set->post();
        }
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(set->fieldByName(QStringLiteral("Heat"))->asString(), heat);
        const QVariant storedKey = set->bookmark();
        QCOMPARE(stored(QStringLiteral("Heat"), storedKey), heat);
        QCOMPARE(stored(QStringLiteral("Note"), storedKey), note);
        if (other.startsWith(QLatin1String("DELETE FROM Items WHERE Number = %1;")) &&
            !other.contains(QLatin1String("INSERT"))) {
            // Stored again as a new row under a key never given before.
            QVERIFY(storedKey.toLongLong() > SharedCatalogue::rows);
            QCOMPARE(set->recordCount(), SharedCatalogue::rows);
        }
    }

    // Another program holds the catalogue locked: the operation fails with the engine's
    // reason and leaves position, state, flags and row buffer as they were; once the lock
    // is gone the dataset goes on from where it was.
    void failedOperationChangesNothing_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<bool>("editing"); // the operation runs on a row being edited
        const std::pair<const char *, Operation> operations[] = {
            {"Last", Operation::Last},
            {"Next into a row not read yet", Operation::Next},
            {"Move by 500", Operation::MoveBy},
            {"Set row number", Operation::SetRecNo},
            {"Goto bookmark", Operation::GotoBookmark},
            {"Refresh", Operation::Refresh},
            {"Search", Operation::Search},
            {"Edit", Operation::Edit},
            {"Delete", Operation::Delete},
        };
        for (const QString &engine : SharedCatalogue::engines()) {
            for (const auto &[name, operation] : operations)
                QTest::addRow("%s: %s", qPrintable(engine), name) << engine << operation << false;
            QTest::addRow("%s: Post", qPrintable(engine)) << engine << Operation::Post << true;
            QTest::addRow("%s: Next while editing", qPrintable(engine))
                << engine << Operation::Next << true;
        }
    }
    void failedOperationChangesNothing() {
        QFETCH(QString, engine);
        QFETCH(Operation, operation);
        QFETCH(bool, editing);
        catalogue = SharedCatalogue::make(engine);
        if (editing && catalogue->locksRows())
            QSKIP("the other program's table lock waits for the edit's row lock here");
        // A small row cache: rows far away are not read yet when the lock comes.
        auto set = openItems(256);
        const QVariant farRow = qint64(901); // the key of row 900, not read yet
        set->setRecNo(127);                  // the last row of the first window
        if (editing) {
            set->edit();
            set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("55"));
        }
        const Snapshot before(*set);

        catalogue->otherLocksAll();
        const std::function<void()> actions[] = {
            [&] { set->last(); },
            [&] { set->next(); },
            [&] { set->moveBy(500); },
            [&] { set->setRecNo(700); },
            [&] { set->gotoBookmark(farRow); },
            [&] { set->refresh(); },
            [&] {
                set->requery(
                    {QStringLiteral("SELECT * FROM Items"), QStringLiteral("WHERE Name LIKE (?)")},
                    {QStringLiteral("%item9%")});
            },
            [&] { set->edit(); },
            [&] { set->post(); },
            [&] { set->deleteRecord(); },
        };
        const QString failure = failureOf(actions[int(operation)]);
        QVERIFY2(!failure.isEmpty(), "the operation succeeded although the catalogue was locked");
        QVERIFY2(failure.contains(QLatin1String("lock")), qPrintable(failure));
        QVERIFY(Snapshot(*set) == before);
        catalogue->otherReleases();

        // The dataset goes on from the row it showed.
        if (editing) {
            set->post();
            QCOMPARE(stored(QStringLiteral("Heat"), set->bookmark()), QStringLiteral("55"));
        }
        set->next();
        QCOMPARE(set->recNo(), 128);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("item129"));
        set->edit();
        set->fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("after"));
        set->post();
        QCOMPARE(stored(QStringLiteral("Note"), 129), QStringLiteral("after"));
    }

    // An Open that fails leaves the dataset closed, without fields or rows.
    void failedOpenStaysClosed_data() { keysAreNeverReused_data(); }
    void failedOpenStaysClosed() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        db::AliasRegistry::database(catalogue->alias()); // connected before the lock
        catalogue->otherLocksAll();
        DataSet set(catalogue->alias());
        set.setSql({QStringLiteral("SELECT * FROM Items")});
        QVERIFY(failureOf([&] { set.open(); }).contains(QLatin1String("lock")));
        QCOMPARE(set.state(), DataSetState::Inactive);
        QCOMPARE(set.fieldCount(), 0);
        QCOMPARE(set.recordCount(), 0);
        catalogue->otherReleases();
        set.open();
        QCOMPARE(set.recordCount(), SharedCatalogue::rows);
    }

    // A lock timeout of 0 means: do not wait for another program's lock.
    void zeroLockTimeoutDoesNotWait_data() { keysAreNeverReused_data(); }
    void zeroLockTimeoutDoesNotWait() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        QSettings(db::AliasRegistry::configFile(), QSettings::IniFormat)
            .setValue(catalogue->alias() + QStringLiteral("/LockTimeout"), QStringLiteral("0"));
        catalogue->otherLocksAll();
        DataSet set(catalogue->alias());
        set.setSql({QStringLiteral("SELECT * FROM Items")});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!failureOf([&] { set.open(); }).isEmpty());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

    // Writing keys: the engine numbers new rows and never gives a deleted row's key again.
    void keysAreNeverReused_data() {
        QTest::addColumn<QString>("engine");
        for (const QString &engine : SharedCatalogue::engines())
            QTest::newRow(qPrintable(engine)) << engine;
    }
    void keysAreNeverReused() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        catalogue->otherRuns(
            QStringLiteral("DELETE FROM Items WHERE Number = %1;").arg(SharedCatalogue::rows));
        auto set = openItems();
        set->insert();
        set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("fresh"));
        set->post();
        QVERIFY(set->bookmark().toLongLong() > SharedCatalogue::rows);
    }

    // Cancel after Post found the row deleted: the row leaves the result, the next row shows.
    void cancelDropsARowDeletedMeanwhile_data() { keysAreNeverReused_data(); }
    void cancelDropsARowDeletedMeanwhile() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->setRecNo(5);
        set->edit();
        set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("77"));
        if (catalogue->locksRows()) {
            // The edited row is locked: the other program cannot delete it.
            QVERIFY(!catalogue->otherTries(QStringLiteral("DELETE FROM Items WHERE Number = 6;")));
            set->post();
            QCOMPARE(set->recordCount(), SharedCatalogue::rows);
            return;
        }
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number = 6;"));
        QVERIFY(!failureOf([&] { set->post(); }).isEmpty());
        set->cancel();
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(set->recordCount(), SharedCatalogue::rows - 1);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("item7"));
        QCOMPARE(catalogue->otherRuns(QStringLiteral("SELECT COUNT(*) FROM Items;")),
                 QString::number(SharedCatalogue::rows - 1));
    }

    // Datasets of one alias share its connection: a second dataset's open (which probes
    // for writing) and its failed writes leave the first dataset's edit, and its row lock,
    // as they were.
    void secondDatasetLeavesTheEditAlone_data() { keysAreNeverReused_data(); }
    void secondDatasetLeavesTheEditAlone() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto editing = openItems();
        editing->setRecNo(5);
        editing->edit();
        editing->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("77"));
        auto other = openItems();
        other->setRecNo(8);
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number = 9;"));
        QVERIFY(!failureOf([&] { other->deleteRecord(); }).isEmpty());
        if (catalogue->locksRows())
            QVERIFY(!catalogue->otherTries(
                QStringLiteral("UPDATE Items SET Heat = 1 WHERE Number = 6;")));
        editing->post();
        QCOMPARE(stored(QStringLiteral("Heat"), 6), QStringLiteral("77"));
    }

    // A new row gets the key the engine gave its own INSERT: never a session-wide "last id"
    // that a trigger's insert into another table changed, or that a role without rights on
    // the key's sequence may not read (the row would be shown but never stored).
    void newRowGetsItsOwnKey_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("auditTrigger");
        for (const QString &engine : SharedCatalogue::engines())
            for (const bool audit : {false, true})
                QTest::addRow("%s%s", qPrintable(engine), audit ? ", audit trigger" : "")
                    << engine << audit;
    }
    void newRowGetsItsOwnKey() {
        QFETCH(QString, engine);
        QFETCH(bool, auditTrigger);
        catalogue = SharedCatalogue::make(engine);
        if (auditTrigger)
            catalogue->otherRuns(catalogue->auditTrigger());
        auto set = openItems();
        set->setRecNo(3);
        set->insert();
        set->fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("fresh"));
        set->post();
        const QString key =
            catalogue->otherRuns(QStringLiteral("SELECT Number FROM Items WHERE Name = 'fresh';"));
        QVERIFY(!key.isEmpty());
        QCOMPARE(set->bookmark().toString(), key);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("fresh"));
        // The next edit of that row changes that row and no other.
        set->edit();
        set->fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("edited"));
        set->post();
        QCOMPARE(stored(QStringLiteral("Note"), key), QStringLiteral("edited"));
        QCOMPARE(catalogue->otherRuns(
                     QStringLiteral("SELECT COUNT(*) FROM Items WHERE Note = 'edited';")),
                 QStringLiteral("1"));
    }

    // A row that another program made into another item (its key given again to a new item
    // in a file numbered without AUTOINCREMENT, or its name changed in place) is not the
    // row the user edited or saw: Post and Delete refuse instead of writing over that item.
    void rowNowDescribesAnotherItem_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("reusedKeys"); // SQLite file keyed INTEGER PRIMARY KEY
        QTest::addColumn<bool>("byDelete");   // else by Post
        QTest::addColumn<QString>("other");   // %1: the key of the row
        const QString reuse = QStringLiteral("DELETE FROM Items WHERE Number = %1; "
                                             "INSERT INTO Items (Name, Heat, Note) VALUES "
                                             "('intruder', 5, 'theirs');");
        const QString rename = QStringLiteral(
            "UPDATE Items SET Name = 'intruder', Note = 'theirs' WHERE Number = %1;");
        QTest::newRow("SQLite, key given again, Post") << "SQLite" << true << false << reuse;
        QTest::newRow("SQLite, key given again, Delete") << "SQLite" << true << true << reuse;
        QTest::newRow("SQLite, renamed, Post") << "SQLite" << false << false << rename;
        for (const QString &engine : SharedCatalogue::engines())
            QTest::addRow("%s, renamed, Delete", qPrintable(engine))
                << engine << false << true << rename;
    }
    void rowNowDescribesAnotherItem() {
        QFETCH(QString, engine);
        QFETCH(bool, reusedKeys);
        QFETCH(bool, byDelete);
        QFETCH(QString, other);
        catalogue = reusedKeys
                        ? std::make_unique<SqliteCatalogue>(QStringLiteral("delete"),
                                                            QStringLiteral("INTEGER PRIMARY KEY"))
                        : SharedCatalogue::make(engine);
        auto set = std::make_unique<DataSet>(catalogue->alias());
        set->setIdentityFields({QStringLiteral("Name")});
        set->setSql({QStringLiteral("SELECT * FROM Items")});
        set->open();
        set->last();
        const QString key = set->bookmark().toString();
        if (!byDelete) {
            set->edit();
            set->fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("mine"));
        }
        catalogue->otherRuns(other.arg(key));
        QCOMPARE(stored(QStringLiteral("Name"), key), QStringLiteral("intruder"));
        const QString refusal = failureOf([&] { byDelete ? set->deleteRecord() : set->post(); });
        QVERIFY2(refusal.contains(QLatin1String("describes another item")), qPrintable(refusal));
        QCOMPARE(stored(QStringLiteral("Note"), key), QStringLiteral("theirs"));
        if (byDelete) {
            // The row now shows the item it holds; a second Delete deletes it knowingly.
            QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(),
                     QStringLiteral("intruder"));
            set->deleteRecord();
            QCOMPARE(stored(QStringLiteral("Name"), key), QString());
            return;
        }
        // A second Post stores the user's values as a new row beside the other item.
        set->post();
        QCOMPARE(stored(QStringLiteral("Note"), key), QStringLiteral("theirs"));
        QCOMPARE(
            catalogue->otherRuns(QStringLiteral("SELECT COUNT(*) FROM Items WHERE Note = 'mine';")),
            QStringLiteral("1"));
    }

    // A Delete of a row another program changed since the user saw it shows the row as it
    // is now instead; a second Delete deletes it.
    void deleteOfAChangedRowShowsItFirst_data() { keysAreNeverReused_data(); }
    void deleteOfAChangedRowShowsItFirst() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->setRecNo(5);
        catalogue->otherRuns(QStringLiteral("UPDATE Items SET Heat = 1 WHERE Number = 6;"));
        const QString refusal = failureOf([&] { set->deleteRecord(); });
        QVERIFY2(refusal.contains(QLatin1String("is now \"1\"")), qPrintable(refusal));
        QCOMPARE(set->fieldByName(QStringLiteral("Heat"))->asString(), QStringLiteral("1"));
        set->deleteRecord();
        QCOMPARE(stored(QStringLiteral("Heat"), 6), QString());
    }

    // Another program drops a column the result shows: reads fail naming the column, and
    // no value is ever shown under another column's name.
    void droppedColumnIsNamed() {
        catalogue = SharedCatalogue::make(QStringLiteral("SQLite"));
        auto set = openItems(256);
        set->setRecNo(5);
        catalogue->otherRuns(QStringLiteral("ALTER TABLE Items DROP COLUMN Heat;"));
        const QString gone = QStringLiteral("column Heat is gone");
        const QString atEdit = failureOf([&] { set->edit(); });
        QVERIFY2(atEdit.contains(gone), qPrintable(atEdit));
        const QString atMove = failureOf([&] { set->setRecNo(900); });
        QVERIFY2(atMove.contains(gone), qPrintable(atMove));
        QCOMPARE(set->recNo(), 5);
        QCOMPARE(set->fieldByName(QStringLiteral("Note"))->asString(), QStringLiteral("n6"));
    }

    // After a Post was refused, a move does not store the values silently: without a
    // question it fails; the question's answer decides.
    void refusedPostIsNotStoredByAMove_data() {
        QTest::addColumn<QString>("other");
        QTest::addColumn<int>("answer"); // -1: no question installed
        QTest::addColumn<bool>("moves");
        QTest::addColumn<QString>("heat"); // stored at the end; empty: no row
        using Choice = DataSet::RefusedEditChoice;
        const QString change = QStringLiteral("UPDATE Items SET Heat = 9 WHERE Number = 6;");
        const QString remove = QStringLiteral("DELETE FROM Items WHERE Number = 6;");
        QTest::newRow("changed, no question") << change << -1 << false << "9";
        QTest::newRow("changed, stay") << change << int(Choice::Stay) << false << "9";
        QTest::newRow("changed, discard") << change << int(Choice::Discard) << true << "9";
        QTest::newRow("changed, post") << change << int(Choice::Post) << true << "77";
        QTest::newRow("deleted, no question") << remove << -1 << false << "";
        QTest::newRow("deleted, discard") << remove << int(Choice::Discard) << true << "";
    }
    void refusedPostIsNotStoredByAMove() {
        QFETCH(QString, other);
        QFETCH(int, answer);
        QFETCH(bool, moves);
        QFETCH(QString, heat);
        catalogue = SharedCatalogue::make(QStringLiteral("SQLite"));
        auto set = openItems();
        set->setRecNo(5);
        set->edit();
        set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("77"));
        catalogue->otherRuns(other);
        QVERIFY(!failureOf([&] { set->post(); }).isEmpty());
        int asked = 0;
        if (answer >= 0)
            set->setRefusedEditQuestion([&](const QString &) {
                ++asked;
                return DataSet::RefusedEditChoice(answer);
            });
        const QString failure = failureOf([&] { set->next(); });
        QCOMPARE(failure.isEmpty(), moves);
        QCOMPARE(asked, answer >= 0 ? 1 : 0);
        QCOMPARE(set->state() == DataSetState::Browse, moves);
        QCOMPARE(stored(QStringLiteral("Heat"), 6), heat);
    }

    // Two different stored byte strings that read as the same text (invalid UTF-8 another
    // program stored) are two values: the conflict check compares what is stored.
    void storedBytesDecideAConflict() {
        catalogue = SharedCatalogue::make(QStringLiteral("SQLite"));
        catalogue->otherRuns(
            QStringLiteral("UPDATE Items SET Note = CAST(x'ff' AS TEXT) WHERE Number = 6;"));
        auto set = openItems();
        set->setRecNo(5);
        set->edit();
        set->fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("mine"));
        catalogue->otherRuns(
            QStringLiteral("UPDATE Items SET Note = CAST(x'fe' AS TEXT) WHERE Number = 6;"));
        QVERIFY(failureOf([&] { set->post(); }).contains(QLatin1String("Note is now")));
        QCOMPARE(
            catalogue->otherRuns(QStringLiteral("SELECT hex(Note) FROM Items WHERE Number = 6;")),
            QStringLiteral("FE"));
    }

    // Every key another program may store is an ordinary row, the lowest one included.
    void lowestKeyIsAnOrdinaryRow() {
        catalogue = SharedCatalogue::make(QStringLiteral("SQLite"));
        catalogue->otherRuns(
            QStringLiteral("INSERT INTO Items VALUES (-9223372036854775808, 'lowest', 1, 'low');"));
        auto set = openItems();
        QCOMPARE(set->recordCount(), SharedCatalogue::rows + 1);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("lowest"));
        set->edit();
        set->fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("edited"));
        set->post();
        QCOMPARE(catalogue->otherRuns(QStringLiteral("SELECT COUNT(*) FROM Items;")),
                 QString::number(SharedCatalogue::rows + 1));
        QCOMPARE(stored(QStringLiteral("Note"), QStringLiteral("-9223372036854775808")),
                 QStringLiteral("edited"));
    }

    // Cancelling a new row needs no read: it works while another program holds the whole
    // catalogue, and the row it was inserted above shows again.
    void cancelOfANewRowReadsNothing_data() { keysAreNeverReused_data(); }
    void cancelOfANewRowReadsNothing() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->setRecNo(5);
        set->insert();
        catalogue->otherLocksAll();
        QCOMPARE(failureOf([&] { set->cancel(); }), QString());
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("item6"));
        catalogue->otherReleases();
    }

    // Fields and messages carry the column names as the program spells them, whatever case
    // the engine stores; a text the catalogue cannot store is refused with a clear reason.
    void namesAndTextsAsTheProgramGivesThem_data() { keysAreNeverReused_data(); }
    void namesAndTextsAsTheProgramGivesThem() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = std::make_unique<DataSet>(catalogue->alias());
        set->setOptionalFields({QStringLiteral("Heat"), QStringLiteral("Note")});
        set->setSql({QStringLiteral("SELECT * FROM Items")});
        set->open();
        QCOMPARE(set->fields()[2]->fieldName(), QStringLiteral("Heat"));
        set->edit();
        QVERIFY(failureOf([&] {
                    set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("40000"));
                }).contains(QLatin1String("field 'Heat'")));
        const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QVERIFY(failureOf([&] {
                    set->fieldByName(QStringLiteral("Note"))->setAsString(withNul);
                }).contains(QLatin1String("cannot store")));
        set->cancel();
    }

    // The server ends the session that held an edit's row lock (an idle timeout): the next
    // read opens the connection again and takes the lock again; Post stores the values.
    void editOutlivesTheSessionThatLockedIt() {
        if (!qEnvironmentVariableIsSet("KORVANDEL_PG_HOST"))
            QSKIP("no PostgreSQL server");
        auto server = std::make_unique<PostgresCatalogue>();
        const QString database = server->database();
        catalogue = std::move(server);
        catalogue->otherRuns(
            QStringLiteral("ALTER DATABASE %1 SET idle_in_transaction_session_timeout = '500ms';")
                .arg(database));
        auto set = openItems();
        catalogue->otherRuns(
            QStringLiteral("ALTER DATABASE %1 RESET idle_in_transaction_session_timeout;")
                .arg(database));
        set->setRecNo(5);
        set->edit();
        set->fieldByName(QStringLiteral("Note"))->setAsString(QStringLiteral("mine"));
        QTRY_COMPARE_WITH_TIMEOUT(
            catalogue->otherRuns(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE "
                                                "datname = '%1' AND state LIKE 'idle in%';")
                                     .arg(database)),
            QStringLiteral("0"), 10000);
        QCOMPARE(set->textAt(900, 1), QStringLiteral("item901"));
        QVERIFY(!catalogue->otherTries(
            QStringLiteral("UPDATE Items SET Note = 'theirs' WHERE Number = 6;")));
        set->post();
        QCOMPARE(stored(QStringLiteral("Note"), 6), QStringLiteral("mine"));
    }

    // A Delete of a row another program deleted already is not a success.
    void deleteOfAGoneRowFails_data() { keysAreNeverReused_data(); }
    void deleteOfAGoneRowFails() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto set = openItems();
        set->setRecNo(3);
        catalogue->otherRuns(QStringLiteral("DELETE FROM Items WHERE Number = 4;"));
        const Snapshot before(*set);
        QVERIFY(
            failureOf([&] { set->deleteRecord(); }).contains(QLatin1String("deleted this row")));
        QVERIFY(Snapshot(*set) == before);
        // Edit of that row is refused at once as well.
        QVERIFY(failureOf([&] { set->edit(); }).contains(QLatin1String("deleted this row")));
        QCOMPARE(set->state(), DataSetState::Browse);
    }

    // A catalogue this process cannot write opens read-only: Edit and Insert fail at once.
    // A file in write-ahead-log mode cannot even be read from a folder the user cannot
    // write: the open fails, naming the folder.
    void unwritableCatalogueOpensReadOnly_data() {
        QTest::addColumn<QString>("fileMode");
        QTest::addColumn<QString>("folderMode");
        QTest::addColumn<QString>("journal");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("reason");
        QTest::newRow("file read-only")
            << "444"
            << "755"
            << "delete" << QString() << "the catalogue file <file> is read-only";
        QTest::newRow("folder not writable")
            << "666"
            << "555"
            << "delete" << QString() << "you cannot write the catalogue's folder <folder>";
        QTest::newRow("write-ahead log, folder not writable")
            << "666"
            << "555"
            << "wal"
            << "Cannot open database 'SharedDB': the catalogue is in write-ahead-log mode, which "
               "needs a folder you can write, and you cannot write its folder %1"
            << QString();
    }
    void unwritableCatalogueOpensReadOnly() {
        QFETCH(QString, fileMode);
        QFETCH(QString, folderMode);
        QFETCH(QString, journal);
        QFETCH(QString, failure);
        QFETCH(QString, reason);
        if (geteuid() == 0) {
            // File modes do not bind the superuser: the case runs again as an ordinary user.
            QProcess child;
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(QStringLiteral("setpriv"),
                        {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                         QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                         QStringLiteral("unwritableCatalogueOpensReadOnly:") +
                             QString::fromUtf8(QTest::currentDataTag())});
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     child.readAll().constData());
            return;
        }
        auto sqlite = std::make_unique<SqliteCatalogue>(journal);
        const QString dir = sqlite->dir();
        const QString path = sqlite->path();
        QProcess::execute(QStringLiteral("chmod"), {fileMode, sqlite->path()});
        QProcess::execute(QStringLiteral("chmod"), {folderMode, dir});
        catalogue = std::move(sqlite);
        auto restore = qScopeGuard([&] {
            QProcess::execute(QStringLiteral("chmod"), {QStringLiteral("755"), dir});
        });
        if (!failure.isEmpty()) {
            DataSet set(catalogue->alias());
            set.setSql({QStringLiteral("SELECT * FROM Items")});
            QCOMPARE(failureOf([&] { set.open(); }), failure.arg(dir));
            return;
        }
        auto set = openItems();
        QVERIFY(!set->canModify());
        // The user is told why.
        QCOMPARE(
            set->readOnlyReason(),
            reason.replace(QLatin1String("<file>"), path).replace(QLatin1String("<folder>"), dir));
        QCOMPARE(failureOf([&] { set->edit(); }),
                 QStringLiteral("Cannot modify a read-only dataset"));
        QCOMPARE(failureOf([&] { set->insert(); }),
                 QStringLiteral("Cannot modify a read-only dataset"));
        QCOMPARE(set->state(), DataSetState::Browse);
    }

    // An open that cannot read the file names the cause, after one wait for a lock at most.
    void openNamesTheCause_data() {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("failure");
        QTest::newRow("locked by another program")
            << true
            << "Cannot open database 'SharedDB': the catalogue is locked by another program";
        QTest::newRow("not a database")
            << false << "Cannot open database 'SharedDB': %1 is not a database file";
    }
    void openNamesTheCause() {
        QFETCH(bool, locked);
        QFETCH(QString, failure);
        auto sqlite = std::make_unique<SqliteCatalogue>();
        const QString path = sqlite->path();
        catalogue = std::move(sqlite);
        QSettings(db::AliasRegistry::configFile(), QSettings::IniFormat)
            .setValue(catalogue->alias() + QStringLiteral("/LockTimeout"), 1);
        if (locked) {
            catalogue->otherLocksAll();
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(4096, 'x'));
        }
        DataSet set(catalogue->alias());
        set.setSql({QStringLiteral("SELECT * FROM Items")});
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(failureOf([&] { set.open(); }),
                 QString(failure).replace(QLatin1String("%1"), path));
        QVERIFY2(clock.elapsed() < 1800, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(set.state(), DataSetState::Inactive);
    }

    // The file stays in the journal mode its owners keep it in, through open, Post and close.
    void journalModeIsKept_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("write-ahead log") << "wal";
        QTest::newRow("rollback journal") << "delete";
    }
    void journalModeIsKept() {
        QFETCH(QString, mode);
        catalogue = std::make_unique<SqliteCatalogue>(mode);
        {
            auto set = openItems();
            set->edit();
            set->fieldByName(QStringLiteral("Heat"))->setAsString(QStringLiteral("42"));
            set->post();
            QCOMPARE(catalogue->otherRuns(QStringLiteral("PRAGMA journal_mode;")), mode);
        }
        db::AliasRegistry::closeAll();
        QCOMPARE(catalogue->otherRuns(QStringLiteral("PRAGMA journal_mode;")), mode);
        QCOMPARE(stored(QStringLiteral("Heat"), 1), QStringLiteral("42"));
    }

    // Results without a row key the editor can use open read-only with their real rows.
    void unkeyedTablesOpenReadOnly_data() {
        QTest::addColumn<QString>("create");
        QTest::newRow("view") << "CREATE VIEW Odd AS SELECT * FROM Items WHERE Number <= 103;";
        QTest::newRow("table without rowid")
            << "CREATE TABLE Odd (Number INTEGER PRIMARY KEY, Name VARCHAR(40), Heat SMALLINT, "
               "Note TEXT) WITHOUT ROWID; INSERT INTO Odd SELECT * FROM Items WHERE Number <= 103;";
    }
    void unkeyedTablesOpenReadOnly() {
        QFETCH(QString, create);
        catalogue = std::make_unique<SqliteCatalogue>();
        catalogue->otherRuns(create);
        DataSet set(catalogue->alias());
        set.setSql({QStringLiteral("SELECT * FROM Odd")});
        set.open();
        QCOMPARE(set.recordCount(), 103);
        QVERIFY(!set.canModify());
        set.last();
        QCOMPARE(set.fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("item103"));
        QCOMPARE(failureOf([&] { set.edit(); }),
                 QStringLiteral("Cannot modify a read-only dataset"));
    }

    // The embedded engine's row key: the rowid or the column that names it; none where a
    // row has no stable rowid.
    void sqliteKeyDiscovery_data() {
        QTest::addColumn<QString>("create");
        QTest::addColumn<QString>("key");
        QTest::newRow("INTEGER PRIMARY KEY names the rowid")
            << "CREATE TABLE T (Id INTEGER PRIMARY KEY, A TEXT);"
            << "Id";
        QTest::newRow("INT PRIMARY KEY does not") << "CREATE TABLE T (Id INT PRIMARY KEY, A TEXT);"
                                                  << "rowid";
        QTest::newRow("composite key")
            << "CREATE TABLE T (A INTEGER, B INTEGER, PRIMARY KEY (A, B));"
            << "rowid";
        QTest::newRow("no key") << "CREATE TABLE T (A TEXT);"
                                << "rowid";
        QTest::newRow("view") << "CREATE VIEW T AS SELECT * FROM Items;"
                              << "";
        QTest::newRow("without rowid")
            << "CREATE TABLE T (Id INTEGER PRIMARY KEY, A TEXT) without rowid;"
            << "";
        QTest::newRow("letter case of the name") << "CREATE TABLE t (Id INTEGER PRIMARY KEY);"
                                                 << "Id";
    }
    void sqliteKeyDiscovery() {
        QFETCH(QString, create);
        QFETCH(QString, key);
        catalogue = std::make_unique<SqliteCatalogue>();
        catalogue->otherRuns(create);
        const QSqlDatabase db = db::AliasRegistry::database(catalogue->alias());
        QCOMPARE(db::Dialect::of(db).keyColumn(db, QStringLiteral("T")), key);
    }

    void missingTableIsNamed() {
        catalogue = std::make_unique<SqliteCatalogue>();
        DataSet set(catalogue->alias());
        set.setSql({QStringLiteral("SELECT * FROM Nowhere")});
        QCOMPARE(failureOf([&] { set.open(); }), QStringLiteral("Table does not exist: Nowhere"));
    }

    // Clicking a row below an untouched new row: the new row is dropped and the row clicked
    // (not the one below it) becomes current.
    void clickBelowAnUntouchedNewRow() {
        catalogue = std::make_unique<SqliteCatalogue>();
        auto set = openItems();
        set->setRecNo(3);
        set->insert();
        set->setRecNo(6); // the grid shows item6 in row 6: item1..item3, the new row, item4..
        QCOMPARE(set->state(), DataSetState::Browse);
        QCOMPARE(set->recordCount(), SharedCatalogue::rows);
        QCOMPARE(set->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("item6"));
    }
};

QTEST_GUILESS_MAIN(TestSharedCatalogue)
#include "tst_sharedcatalogue.moc"

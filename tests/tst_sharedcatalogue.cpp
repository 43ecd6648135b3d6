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

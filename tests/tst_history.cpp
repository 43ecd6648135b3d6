// The history of the Equipment table on both engines: what the editor's writes record, what
// other programs' writes record, restores of a column, a row and a deleted row, undo, and
// writes that fail.
#include "CatalogueTable.h"
#include "HistoryCommands.h"
#include "data/EquipmentHistory.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/Dialect.h"
#include "db/Transaction.h"
#include "db/Values.h"
#include "dialogs/HistoryDialog.h"
#include "support/SharedCatalogue.h"

#include <QBuffer>
#include <QPushButton>
#include <QTreeWidget>

#include <QtTest>

using data::HistoryEntry;

namespace {

// An Equipment table (with or without its history) in a catalogue of the engine's.
struct Catalogue {
    std::unique_ptr<SharedCatalogue> shared;
    db::DataSet query;

    explicit Catalogue(const QString &engine, bool withHistory = true)
        : shared(SharedCatalogue::make(engine)) {
        const db::Dialect &dialect =
            db::Dialect::forDriver(engine == QLatin1String("SQLite") ? QStringLiteral("QSQLITE")
                                                                     : QStringLiteral("QPSQL"));
        QString script = QStringLiteral(
            "DROP TABLE IF EXISTS EquipmentHistory;\nDROP TABLE IF EXISTS Equipment;\n");
        if (engine != QLatin1String("SQLite"))
            script += QStringLiteral("DROP FUNCTION IF EXISTS EquipmentHistory_Record();\n");
        script += withHistory ? data::catalogueSchemaSql(dialect)
                              : data::equipmentSchemaSql(dialect) + QStringLiteral(";\n");
        script += QStringLiteral("INSERT INTO Equipment (Code, Name, HeatToUser) VALUES "
                                 "('GR1', 'Gauss rifle', 5), ('LAS', 'Laser', 3);\n");
        shared->otherRuns(script);
        query.setDatabaseName(shared->alias());
        query.setSql({QStringLiteral("SELECT * FROM Equipment")});
        query.setIdentityFields({QStringLiteral("Code")});
        query.setChangeRecorder(data::historyRecorder());
        query.open();
    }
    QSqlDatabase db() const { return db::AliasRegistry::database(shared->alias()); }
    bool server() const { return !dynamic_cast<SqliteCatalogue *>(shared.get()); }
    qint64 key() const { return query.bookmark().toLongLong(); }
    std::vector<HistoryEntry> history() const {
        QSqlDatabase connection = db();
        return data::rowHistory(connection, key());
    }
    qint64 historyRows() const {
        return shared->otherRuns(QStringLiteral("SELECT COUNT(*) FROM EquipmentHistory;\n"))
            .toLongLong();
    }
    void set(const QString &field, const QVariant &value) {
        query.edit();
        query.fieldByName(field)->setValue(value);
        query.post();
    }
};

QString changeText(const HistoryEntry &entry) {
    QStringList parts;
    for (const data::ColumnChange &change : entry.changes)
        parts << QStringLiteral("%1:%2>%3")
                     .arg(change.column, change.before.toString(), change.after.toString());
    parts.sort();
    return entry.kindText() + QLatin1Char(' ') + parts.join(QLatin1Char(' '));
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void engines_data() {
        QTest::addColumn<QString>("engine");
        for (const QString &engine : SharedCatalogue::engines())
            QTest::newRow(qPrintable(engine)) << engine;
    }

    void editorWritesAreRecorded_data() { engines_data(); }
    void editorWritesAreRecorded() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        const qint64 before = c.historyRows();
        c.query.insert();
        c.query.fieldByName(QStringLiteral("Code"))->setValue(QStringLiteral("AC2"));
        c.query.fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("AutoCannon"));
        c.query.post();
        const qint64 key = c.key();
        c.set(QStringLiteral("HeatToUser"), 7);
        c.set(QStringLiteral("HeatToUser"), 7); // nothing changed: nothing recorded
        std::vector<HistoryEntry> history = c.history();
        QCOMPARE(history.size(), size_t(2));
        QCOMPARE(changeText(history[0]), QStringLiteral("changed HeatToUser:>7"));
        QCOMPARE(changeText(history[1]), QStringLiteral("inserted Code:>AC2 Name:>AutoCannon"));
        c.query.deleteRecord();
        QSqlDatabase db = c.db();
        history = data::rowHistory(db, key);
        QCOMPARE(history.size(), size_t(3));
        QCOMPARE(changeText(history[0]),
                 QStringLiteral("deleted Code:AC2> HeatToUser:7> Name:AutoCannon>"));
        for (const HistoryEntry &entry : history) {
            QCOMPARE(entry.key, key);
            QCOMPARE(entry.code, QStringLiteral("AC2"));
            QVERIFY2(QDateTime::fromString(entry.when, Qt::ISODateWithMs).timeSpec() == Qt::UTC,
                     qPrintable(entry.when));
            // The database role, and the session's name: the user and the machine.
            QVERIFY2(
                entry.who.contains(QLatin1Char('@')) &&
                    (!c.server() || entry.who.startsWith(qEnvironmentVariable("KORVANDEL_PG_USER") +
                                                         QStringLiteral(" ("))),
                qPrintable(entry.who));
        }
        QCOMPARE(c.historyRows(), before + 3);
    }

    // A server records every writer; an embedded file only the editor and the tool.
    void otherProgramsWrites_data() { engines_data(); }
    void otherProgramsWrites() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        c.shared->otherRuns(
            QStringLiteral("UPDATE Equipment SET HeatToUser = 9 WHERE Code = 'GR1';\n"));
        const std::vector<HistoryEntry> history = c.history();
        if (!c.server()) {
            QVERIFY(history.empty());
            return;
        }
        QCOMPARE(history.size(), size_t(2)); // the insert, then the update
        QCOMPARE(changeText(history[0]), QStringLiteral("changed HeatToUser:5>9"));
        QVERIFY2(history[0].who.contains(QLatin1String("psql")), qPrintable(history[0].who));
    }

    // A write the engine refuses leaves no history row behind.
    void refusedWriteRecordsNothing_data() { engines_data(); }
    void refusedWriteRecordsNothing() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        const qint64 before = c.historyRows();
        c.query.next(); // LAS
        QVERIFY(
            !failureOf([&] { c.set(QStringLiteral("Code"), QStringLiteral("GR1")); }).isEmpty());
        c.query.cancel();
        QCOMPARE(c.historyRows(), before);
        // A restore the engine refuses fails like a Post: the edit stays, nothing recorded.
        c.query.first();
        c.set(QStringLiteral("Code"), QStringLiteral("GR2"));
        c.shared->otherRuns(QStringLiteral("INSERT INTO Equipment (Code) VALUES ('GR1');\n"));
        const qint64 recorded = c.historyRows();
        QVERIFY(!failureOf([&] {
                     data::restoreValues(c.query, data::valuesBefore(c.history(), 0));
                 }).isEmpty());
        QCOMPARE(c.query.state(), db::DataSetState::Edit);
        QCOMPARE(c.query.fieldByName(QStringLiteral("Code"))->asString(), QStringLiteral("GR1"));
        c.query.cancel();
        QCOMPARE(c.historyRows(), recorded);
        QCOMPARE(c.query.fieldByName(QStringLiteral("Code"))->asString(), QStringLiteral("GR2"));
    }

    void restoreColumnAndRow_data() { engines_data(); }
    void restoreColumnAndRow() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        c.set(QStringLiteral("HeatToUser"), 7);
        c.set(QStringLiteral("Name"), QStringLiteral("Gauss II"));
        c.set(QStringLiteral("HeatToUser"), 9);
        std::vector<HistoryEntry> history = c.history(); // Heat 7>9, Name, Heat 5>7, ...
        // One column as it was before its first change.
        data::restoreValues(
            c.query, {{QStringLiteral("HeatToUser"), history[2].change("HeatToUser")->before}});
        QCOMPARE(c.query.fieldByName(QStringLiteral("HeatToUser"))->value().toInt(), 5);
        QCOMPARE(c.query.fieldByName(QStringLiteral("Name"))->asString(),
                 QStringLiteral("Gauss II"));
        // The whole row as it was before the Name changed.
        history = c.history();
        QCOMPARE(changeText(history[0]), QStringLiteral("changed HeatToUser:9>5"));
        data::restoreValues(c.query, data::valuesBefore(history, 2));
        QCOMPARE(c.query.fieldByName(QStringLiteral("HeatToUser"))->value().toInt(), 7);
        QCOMPARE(c.query.fieldByName(QStringLiteral("Name"))->asString(),
                 QStringLiteral("Gauss rifle"));
        QCOMPARE(changeText(c.history()[0]),
                 QStringLiteral("changed HeatToUser:5>7 Name:Gauss II>Gauss rifle"));
    }

    // Undo is the restore of the row as before the connection's own last change, also
    // when another program wrote since.
    void undoOwnLastChange_data() { engines_data(); }
    void undoOwnLastChange() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        c.set(QStringLiteral("HeatToUser"), 8);
        c.shared->otherRuns(
            QStringLiteral("UPDATE Equipment SET HeatToUser = 1 WHERE Code = 'LAS';\n"));
        QSqlDatabase db = c.db();
        const std::optional<HistoryEntry> last = data::lastOwnChange(db);
        QVERIFY(last);
        QCOMPARE(last->key, c.key());
        QCOMPARE(changeText(*last), QStringLiteral("changed HeatToUser:5>8"));
        data::restoreValues(c.query, data::valuesBefore({*last}, 0));
        QCOMPARE(c.query.fieldByName(QStringLiteral("HeatToUser"))->value().toInt(), 5);
    }

    void restoreDeletedRow_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("keyTaken");
        for (const QString &engine : SharedCatalogue::engines()) {
            QTest::newRow(qPrintable(engine + QStringLiteral(" old key"))) << engine << false;
            QTest::newRow(qPrintable(engine + QStringLiteral(" new key"))) << engine << true;
        }
    }
    void restoreDeletedRow() {
        QFETCH(QString, engine);
        QFETCH(bool, keyTaken);
        Catalogue c(engine);
        const qint64 key = c.key();
        c.query.deleteRecord();
        QSqlDatabase db = c.db();
        std::vector<HistoryEntry> deleted = data::deletedRows(db);
        QCOMPARE(deleted.size(), size_t(1));
        QCOMPARE(deleted[0].code, QStringLiteral("GR1"));
        if (keyTaken)
            c.shared->otherRuns(
                QStringLiteral("INSERT INTO Equipment (Number, Code) VALUES (%1, 'X');\n")
                    .arg(key));
        const qint64 restored = data::restoreDeletedRow(db, deleted[0]);
        QCOMPARE(restored == key, !keyTaken);
        QCOMPARE(
            c.shared->otherRuns(
                QStringLiteral("SELECT Code || ' ' || Name || ' ' || HeatToUser FROM Equipment "
                               "WHERE Number = %1;\n")
                    .arg(restored)),
            QStringLiteral("GR1 Gauss rifle 5"));
        QVERIFY(data::deletedRows(db).empty());
        QCOMPARE(changeText(data::rowHistory(db, restored)[0]),
                 QStringLiteral("inserted Code:>GR1 HeatToUser:>5 Name:>Gauss rifle"));
    }

    // An existing table gets its history added; a second time adds nothing.
    void addHistoryToExistingTable_data() { engines_data(); }
    void addHistoryToExistingTable() {
        QFETCH(QString, engine);
        Catalogue c(engine, false);
        QSqlDatabase db = c.db();
        QVERIFY(!data::historyExists(db));
        QVERIFY(data::addHistory(db));
        QVERIFY(!data::addHistory(db));
        c.set(QStringLiteral("HeatToUser"), 6);
        QCOMPARE(changeText(c.history()[0]), QStringLiteral("changed HeatToUser:5>6"));
    }

    // The view names columns by the editor's captions and restores the chosen column's old
    // value into the row.
    void viewRestoresColumn_data() { engines_data(); }
    void viewRestoresColumn() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        c.set(QStringLiteral("HeatToUser"), 7);
        c.set(QStringLiteral("Name"), QStringLiteral("Gauss II"));
        dialogs::THistoryDialog view(c.query);
        QCOMPARE(view.changes()->topLevelItemCount(), c.server() ? 3 : 2);
        QCOMPARE(view.changes()->topLevelItem(0)->text(2), QStringLiteral("changed: Name"));
        view.changes()->setCurrentItem(view.changes()->topLevelItem(1));
        QTreeWidgetItem *heat = view.columns()->topLevelItem(0);
        QCOMPARE(heat->text(0), QStringLiteral("To User: Heat"));
        QCOMPARE(heat->text(1) + QLatin1Char('>') + heat->text(2), QStringLiteral("5>7"));
        view.columns()->setCurrentItem(heat);
        view.restoreColumnButton()->click();
        QCOMPARE(c.query.fieldByName(QStringLiteral("HeatToUser"))->value().toInt(), 5);
        QCOMPARE(c.query.fieldByName(QStringLiteral("Name"))->asString(),
                 QStringLiteral("Gauss II"));
        QCOMPARE(view.changes()->topLevelItem(0)->text(2),
                 QStringLiteral("changed: To User: Heat"));
    }

    // Rows a bulk writer added are recorded as inserts in its transaction (a server's
    // trigger has recorded them already); rolled back with it, nothing is left.
    void bulkInsertsAreRecorded_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("commit");
        for (const QString &engine : SharedCatalogue::engines()) {
            QTest::newRow(qPrintable(engine + QStringLiteral(" committed"))) << engine << true;
            QTest::newRow(qPrintable(engine + QStringLiteral(" rolled back"))) << engine << false;
        }
    }
    void bulkInsertsAreRecorded() {
        QFETCH(QString, engine);
        QFETCH(bool, commit);
        Catalogue c(engine);
        c.query.close();
        QSqlDatabase db = c.db();
        const qint64 before = c.historyRows();
        const qint64 last =
            c.shared->otherRuns(QStringLiteral("SELECT MAX(Number) FROM Equipment;\n"))
                .toLongLong();
        {
            db::Transaction transaction(db, QStringLiteral("bulk"));
            QSqlQuery insert(db);
            QVERIFY(insert.exec(QStringLiteral(
                "INSERT INTO Equipment (Code, Name) VALUES ('B1', 'Bulk one'), ('B2', NULL)")));
            QCOMPARE(data::recordInsertedRows(db, last), c.server() ? 0 : 2);
            if (commit)
                transaction.commit();
        }
        QCOMPARE(c.historyRows(), before + (commit ? 2 : 0));
        if (!commit)
            return;
        const std::vector<HistoryEntry> history = data::catalogueHistory(db, QStringLiteral("B2"));
        QCOMPARE(history.size(), size_t(1));
        QCOMPARE(changeText(history[0]), QStringLiteral("inserted Code:>B2"));
    }

    // The bulk record of an inserted row reads back exactly as the editor's own record of
    // the same row: every kind of value, the 17th digit of a real, texts that look like
    // numbers or JSON, an empty text apart from NULL.
    void bulkRecordMatchesTheEditors_data() {
        QTest::addColumn<QString>("values");
        QTest::newRow("numbers") << QStringLiteral("HeatToUser = -7, CV = 2147483647, "
                                                   "Weight = 0.1 + 0.2, Cost = 0");
        QTest::newRow("reals") << QStringLiteral("Weight = 1e300, HeatToUser = NULL");
        QTest::newRow("whole real") << QStringLiteral("Weight = 100.0");
        QTest::newRow("yes/no") << QStringLiteral("OtherNeeded = 1, BeamWeapon = 0");
        QTest::newRow("texts") << QStringLiteral(
            "Name = 'Say \"hi\" \\ {[]} ''quoted'' 100% %s', Abbrev = '', Kind = '12', "
            "Description1 = 'Kühl ✓ 𝄞 end'");
    }
    void bulkRecordMatchesTheEditors() {
        QFETCH(QString, values);
        Catalogue c(QStringLiteral("SQLite"));
        c.query.close();
        QSqlDatabase db = c.db();
        // LAS becomes a copy of GR1 under a higher key.
        c.shared->otherRuns(
            QStringLiteral("UPDATE Equipment SET %1;\nDELETE FROM Equipment WHERE Code = 'LAS';\n"
                           "CREATE TEMP TABLE t AS SELECT * FROM Equipment;\nUPDATE t SET Number "
                           "= Number + 100, Code = 'LAS';\nINSERT INTO Equipment SELECT * FROM t;\n"
                           "DELETE FROM EquipmentHistory;\n")
                .arg(values));
        const std::vector<db::ColumnInfo> columns =
            db::Dialect::of(db).columns(db, QStringLiteral("Equipment"));
        QSqlQuery first(db);
        QVERIFY(first.exec(QStringLiteral("SELECT * FROM Equipment WHERE Code = 'GR1'")));
        QVERIFY(first.next());
        QVariantList after;
        for (int i = 0; i < int(columns.size()); ++i)
            after << first.value(i);
        const qint64 firstKey = first.value(0).toLongLong();
        db::Transaction transaction(db, QStringLiteral("bulk"));
        data::historyRecorder()->record(db, {db::RowChange::Action::Insert, firstKey, columns,
                                             QVariantList(after.size()), after});
        QCOMPARE(data::recordInsertedRows(db, firstKey), 1);
        transaction.commit();

        const std::vector<HistoryEntry> history = data::catalogueHistory(db);
        QCOMPARE(history.size(), size_t(2));
        QCOMPARE(history[1].code, QStringLiteral("LAS"));
        const QString editors =
            changeText(history[0]).replace(QStringLiteral("GR1"), QStringLiteral("LAS"));
        QCOMPARE(changeText(history[1]), editors);
        for (const data::ColumnChange &change : history[0].changes) {
            if (change.column == QLatin1String("Code"))
                continue;
            const data::ColumnChange *bulk = history[1].change(change.column);
            QVERIFY2(bulk && db::sameValue(change.after, bulk->after), qPrintable(change.column));
        }
    }

    // A long history opens with its newest changes; older ones are read on request.
    void viewReadsLongHistoryInPages() {
        Catalogue c(QStringLiteral("SQLite"));
        const int changes = dialogs::THistoryDialog::pageSize + 20;
        c.shared->otherRuns(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < %1) INSERT INTO EquipmentHistory (ChangedAt, ChangedBy, "
                           "Kind, RowKey, Code, Changes) SELECT '2026-01-01', 'x@y', 'update', "
                           "%2, 'GR1', '{\"HeatToUser\":[' || i || ',' || (i + 1) || ']}' "
                           "FROM n;\n")
                .arg(changes)
                .arg(c.key()));
        dialogs::THistoryDialog view(c.query);
        QCOMPARE(view.changes()->topLevelItemCount(), dialogs::THistoryDialog::pageSize);
        QVERIFY(view.olderButton()->isEnabled());
        view.olderButton()->click();
        QCOMPARE(view.changes()->topLevelItemCount(), changes);
        QVERIFY(!view.olderButton()->isEnabled());
        // The row as before the oldest change: every newer change taken back.
        view.changes()->setCurrentItem(view.changes()->topLevelItem(changes - 1));
        view.restoreRowButton()->click();
        QCOMPARE(c.query.fieldByName(QStringLiteral("HeatToUser"))->value().toInt(), 1);
    }

    // Undo takes back the own last Post, Delete or insert, each through the dataset.
    void undo_data() { engines_data(); }
    void undo() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        const qint64 key = c.key();
        c.set(QStringLiteral("HeatToUser"), 8);
        dialogs::undoLastChange(c.query, nullptr);
        QCOMPARE(c.query.fieldByName(QStringLiteral("HeatToUser"))->value().toInt(), 5);
        c.query.deleteRecord();
        const int rows = c.query.recordCount();
        dialogs::undoLastChange(c.query, nullptr);
        QCOMPARE(c.query.recordCount(), rows + 1);
        QCOMPARE(c.key(), key);
        QCOMPARE(c.query.fieldByName(QStringLiteral("Name"))->asString(),
                 QStringLiteral("Gauss rifle"));
        dialogs::undoLastChange(c.query, nullptr); // the restore was an insert
        QCOMPARE(c.query.recordCount(), rows);
    }

    // The tool prints one CSV record per changed column, oldest first, for one item or all.
    void toolPrintsHistory_data() { engines_data(); }
    void toolPrintsHistory() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        c.set(QStringLiteral("Name"), QStringLiteral("Gauss, \"II\""));
        c.query.next();
        c.set(QStringLiteral("HeatToUser"), 4);
        QBuffer all;
        all.open(QIODevice::WriteOnly);
        QCOMPARE(catalogue::writeHistory(c.shared->alias(), QString(), all), c.server() ? 4 : 2);
        QBuffer one;
        one.open(QIODevice::WriteOnly);
        QCOMPARE(catalogue::writeHistory(c.shared->alias(), QStringLiteral("GR1"), one),
                 c.server() ? 2 : 1);
        const QList<QByteArray> lines = one.data().trimmed().split('\n');
        QCOMPARE(lines.front().trimmed(), QByteArray("When,Who,Change,Number,Code,Column,Old,New"));
        QVERIFY2(lines.back().trimmed().endsWith(
                     ",changed,1,GR1,Name,Gauss rifle,\"Gauss, \"\"II\"\"\""),
                 lines.back().constData());
    }

    // Only a date is taken as the limit of a prune; anything else removes nothing.
    void pruneRefusesWhatIsNoDate_data() {
        QTest::addColumn<QString>("before");
        QTest::newRow("month 13") << QStringLiteral("2026-13-01");
        QTest::newRow("word") << QStringLiteral("tomorrow");
        QTest::newRow("statement") << QStringLiteral("9999-01-01' OR 1=1");
        QTest::newRow("empty") << QString();
    }
    void pruneRefusesWhatIsNoDate() {
        QFETCH(QString, before);
        Catalogue c(QStringLiteral("SQLite"));
        c.set(QStringLiteral("HeatToUser"), 6);
        QVERIFY_THROWS_EXCEPTION(catalogue::CatalogueError,
                                 catalogue::pruneHistory(c.shared->alias(), before));
        QCOMPARE(c.historyRows(), 1);
        QVERIFY(catalogue::pruneHistory(c.shared->alias(), QStringLiteral("9999-01-01"))
                    .startsWith(QLatin1String("Removed 1 changes")));
    }

    void prune_data() { engines_data(); }
    void prune() {
        QFETCH(QString, engine);
        Catalogue c(engine);
        c.set(QStringLiteral("HeatToUser"), 6);
        QSqlDatabase db = c.db();
        QCOMPARE(data::pruneHistory(db, QStringLiteral("2000-01-01")), 0);
        const qint64 all = c.historyRows();
        QCOMPARE(data::pruneHistory(db, QStringLiteral("9999-01-01")), int(all));
        QCOMPARE(c.historyRows(), 0);
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"

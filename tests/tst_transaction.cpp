// The transaction guard on one shared connection: a guard inside another is a savepoint that
// undoes only its own statements, a transaction the engine aborted is never reported as
// committed, and a guard outliving a reset connection touches nothing. Every case runs on
// every engine the machine offers.
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "db/Transaction.h"
#include "support/SharedCatalogue.h"

#include <QSqlQuery>
#include <QtTest>

using db::Transaction;

class TestTransaction : public QObject {
    Q_OBJECT

    std::unique_ptr<SharedCatalogue> catalogue;

    QSqlDatabase connection() { return db::AliasRegistry::database(catalogue->alias()); }
    void run(const QString &statement) {
        QSqlQuery query(connection());
        QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
    }
    QString heat(int key) {
        return catalogue->otherRuns(
            QStringLiteral("SELECT Heat FROM Items WHERE Number = %1;").arg(key));
    }

private slots:
    void initTestCase() { SharedCatalogue::withClerk = true; }
    void cleanup() { catalogue.reset(); }

    void engines_data() {
        QTest::addColumn<QString>("engine");
        for (const QString &engine : SharedCatalogue::engines())
            QTest::newRow(qPrintable(engine)) << engine;
    }

    // An inner guard that ends without commit undoes its own statements and leaves the
    // outer transaction open and able to commit; one that commits becomes part of it.
    void innerGuardIsASavepoint_data() { engines_data(); }
    void innerGuardIsASavepoint() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        Transaction outer(connection(), QStringLiteral("outer"));
        QVERIFY(outer.ownsTransaction());
        run(QStringLiteral("UPDATE Items SET Heat = 11 WHERE Number = 1"));
        {
            Transaction probe(connection(), QStringLiteral("probe"));
            QVERIFY(!probe.ownsTransaction());
            run(QStringLiteral("UPDATE Items SET Heat = 22 WHERE Number = 2"));
            // A failed statement inside the savepoint does not doom the outer transaction.
            QVERIFY(!QSqlQuery(connection()).exec(QStringLiteral("SELECT nothing FROM Items")));
        }
        {
            Transaction kept(connection(), QStringLiteral("kept"));
            run(QStringLiteral("UPDATE Items SET Heat = 33 WHERE Number = 3"));
            kept.commit();
        }
        QVERIFY(Transaction::isOpen(connection()));
        outer.commit();
        QVERIFY(!Transaction::isOpen(connection()));
        QCOMPARE(heat(1), QStringLiteral("11"));
        QCOMPARE(heat(2), QStringLiteral("2"));
        QCOMPARE(heat(3), QStringLiteral("33"));
    }

    // A guard that ends without commit rolls back; after a failed statement, commit fails
    // on an engine that aborted the transaction instead of turning it into a rollback unseen.
    void nothingIsReportedCommittedThatWasNot_data() { engines_data(); }
    void nothingIsReportedCommittedThatWasNot() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        {
            Transaction dropped(connection(), QStringLiteral("dropped"));
            run(QStringLiteral("UPDATE Items SET Heat = 44 WHERE Number = 4"));
        }
        QCOMPARE(heat(4), QStringLiteral("4"));
        Transaction failing(connection(), QStringLiteral("The row could not be written"));
        run(QStringLiteral("UPDATE Items SET Heat = 55 WHERE Number = 5"));
        const bool failed =
            !QSqlQuery(connection()).exec(QStringLiteral("SELECT nothing FROM Items"));
        QVERIFY(failed);
        QString message;
        try {
            failing.commit();
        } catch (const db::DatabaseError &error) {
            message = error.message();
        }
        // The file engine keeps the transaction after a failed statement: it commits.
        const bool aborts = catalogue->locksRows();
        QCOMPARE(message.isEmpty(), !aborts);
        QCOMPARE(heat(5), aborts ? QStringLiteral("5") : QStringLiteral("55"));
        QVERIFY(!Transaction::isOpen(connection()));
    }

    // After the connection was reset (its server dropped it), a guard that began before
    // ends without a statement on the new session, whose own transactions go on.
    void resetConnectionEndsOldGuards_data() { engines_data(); }
    void resetConnectionEndsOldGuards() {
        QFETCH(QString, engine);
        catalogue = SharedCatalogue::make(engine);
        auto old = std::make_unique<Transaction>(connection(), QStringLiteral("old"));
        QSqlDatabase db = connection();
        db::AliasRegistry::reopen(db);
        QVERIFY(!old->isActive());
        Transaction current(connection(), QStringLiteral("current"));
        QVERIFY(current.ownsTransaction());
        run(QStringLiteral("UPDATE Items SET Heat = 66 WHERE Number = 6"));
        old.reset();
        current.commit();
        QCOMPARE(heat(6), QStringLiteral("66"));
    }
};

QTEST_GUILESS_MAIN(TestTransaction)
#include "tst_transaction.moc"

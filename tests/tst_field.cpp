// Text conversion of fields and the yes/no reading and writing rules.
#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "support/TempCatalogue.h"

#include <QtTest>

class TestField : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCatalogue> cat;
    std::unique_ptr<db::DataSet> set;

    void openAndEdit() {
        set = std::make_unique<db::DataSet>(cat->alias());
        set->setSql({QStringLiteral("SELECT * FROM T")});
        set->open();
        set->edit();
    }
    QVariant stored(const QString &column) const {
        return cat->scalar(QStringLiteral("SELECT %1 FROM T").arg(column));
    }

private slots:
    void init() {
        cat = std::make_unique<TempCatalogue>();
        QVERIFY(cat->exec({QStringLiteral("CREATE TABLE T (Id INTEGER PRIMARY KEY, I INTEGER, "
                                          "S SMALLINT, F REAL, B BOOLEAN, TB VARCHAR(5), "
                                          "Txt VARCHAR(4))"),
                           QStringLiteral("INSERT INTO T (I, S, F) VALUES (1, 2, 3.5)")}));
    }
    void cleanup() {
        set.reset();
        cat.reset();
    }

    void conversion_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("integer") << "I"
                                 << "-42"
                                 << "" << QVariant(-42);
        QTest::newRow("integer not a number")
            << "I"
            << "4x"
            << "'4x' is not a valid integer value for field 'I'" << QVariant(1);
        QTest::newRow("integer too big")
            << "I"
            << "3000000000"
            << "'3000000000' is not a valid integer value for field 'I'" << QVariant(1);
        QTest::newRow("smallint range")
            << "S"
            << "40000"
            << "40000 is not a valid value for field 'S'. The allowed range is -32768 to 32767"
            << QVariant(2);
        // The message repeats the typed text, never a rounded form of it.
        QTest::newRow("smallint far out of range")
            << "S"
            << "2147483647"
            << "2147483647 is not a valid value for field 'S'. The allowed range is -32768 to "
               "32767"
            << QVariant(2);
        QTest::newRow("smallint with leading zeros")
            << "S"
            << " 0040000"
            << "0040000 is not a valid value for field 'S'. The allowed range is -32768 to 32767"
            << QVariant(2);
        QTest::newRow("smallint low edge") << "S"
                                           << "-32768"
                                           << "" << QVariant(-32768);
        QTest::newRow("float") << "F"
                               << "0.25"
                               << "" << QVariant(0.25);
        QTest::newRow("float bad")
            << "F"
            << "1,5"
            << "'1,5' is not a valid floating point value for field 'F'" << QVariant(3.5);
        QTest::newRow("empty number stores null") << "I"
                                                  << ""
                                                  << "" << QVariant();
        QTest::newRow("empty float stores null") << "F"
                                                 << ""
                                                 << "" << QVariant();
        QTest::newRow("text cut to declared length") << "Txt"
                                                     << "ABCDEFG"
                                                     << "" << QVariant(QStringLiteral("ABCD"));
        // A character of two UTF-16 units at the cut is dropped whole, never halved.
        QTest::newRow("cut before a two-unit character")
            << "Txt" << QStringLiteral("ABC\U0001F600D") << "" << QVariant(QStringLiteral("ABC"));
        QTest::newRow("two-unit character that fits")
            << "Txt" << QStringLiteral("AB\U0001F600D") << ""
            << QVariant(QStringLiteral("AB\U0001F600"));
    }
    void conversion() {
        QFETCH(QString, column);
        QFETCH(QString, text);
        QFETCH(QString, error);
        QFETCH(QVariant, stored);
        openAndEdit();
        QString got;
        try {
            set->fieldByName(column)->setAsString(text);
        } catch (const db::DatabaseError &e) {
            got = e.message();
        }
        QCOMPARE(got, error);
        set->post();
        const QVariant value = this->stored(column);
        QCOMPARE(value.isNull(), stored.isNull());
        if (!stored.isNull())
            QCOMPARE(value.toString(), stored.toString());
    }

    void yesNoReading_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("storedSql");
        QTest::addColumn<int>("state");
        const int no = int(db::YesNo::No), yes = int(db::YesNo::Yes), grey = int(db::YesNo::Grey);
        QTest::newRow("logical true") << "B"
                                      << "1" << yes;
        QTest::newRow("logical false") << "B"
                                       << "0" << no;
        QTest::newRow("logical empty") << "B"
                                       << "NULL" << grey;
        QTest::newRow("logical holding text True") << "B"
                                                   << "'True'" << yes;
        QTest::newRow("text True") << "TB"
                                   << "'True'" << yes;
        QTest::newRow("text lower true") << "TB"
                                         << "'true'" << yes;
        QTest::newRow("text FALSE") << "TB"
                                    << "'FALSE'" << no;
        QTest::newRow("text yes is grey") << "TB"
                                          << "'yes'" << grey;
        QTest::newRow("text empty is grey") << "TB"
                                            << "NULL" << grey;
    }
    void yesNoReading() {
        QFETCH(QString, column);
        QFETCH(QString, storedSql);
        QFETCH(int, state);
        QVERIFY(cat->exec({QStringLiteral("UPDATE T SET %1 = %2").arg(column, storedSql)}));
        openAndEdit();
        QCOMPARE(int(set->fieldByName(column)->yesNo()), state);
    }

    void yesNoWriting_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("stored");
        QTest::newRow("logical tick") << "B" << true << "1";
        QTest::newRow("logical clear") << "B" << false << "0";
        QTest::newRow("text tick") << "TB" << true << "True";
        QTest::newRow("text clear") << "TB" << false << "False";
    }
    void yesNoWriting() {
        QFETCH(QString, column);
        QFETCH(bool, ticked);
        QFETCH(QString, stored);
        openAndEdit();
        set->fieldByName(column)->setYesNo(ticked);
        set->post();
        QCOMPARE(this->stored(column).toString(), stored);
        QCOMPARE(set->fieldByName(column)->yesNo(), ticked ? db::YesNo::Yes : db::YesNo::No);
    }

    void displayTexts() {
        QCOMPARE(db::Field::displayText(QVariant(2.5), db::FieldType::Float),
                 QStringLiteral("2.5"));
        QCOMPARE(db::Field::displayText(QVariant(0.1 + 0.2), db::FieldType::Float),
                 QStringLiteral("0.3"));
        QCOMPARE(db::Field::displayText(QVariant(1), db::FieldType::Boolean),
                 QStringLiteral("True"));
        QCOMPARE(db::Field::displayText(QVariant(), db::FieldType::Integer), QString());
    }
};

QTEST_GUILESS_MAIN(TestField)
#include "tst_field.moc"

// The equipment search: trimming, literal bound patterns, and a stored table that no text can
// change.
#include "data/EquipmentQuery.h"
#include "data/EquipmentSchema.h"
#include "db/AliasRegistry.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestSearch : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString previousDir;

    // The stored catalogue's SHA-256; empty when the file cannot be read or holds nothing,
    // since comparing such hashes would prove nothing.
    static QByteArray fileHash() {
        db::AliasRegistry::closeAll();
        QFile file(QStringLiteral("VantrelDB.sqlite"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray content = file.readAll();
        return content.isEmpty() ? QByteArray()
                                 : QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    }
    static QStringList names(db::DataSet &set) {
        QStringList result;
        const int name = set.fieldByName(QStringLiteral("Name"))->index();
        for (int row = 0; row < set.recordCount(); ++row)
            result << set.textAt(row, name);
        return result;
    }

private slots:
    void initTestCase() {
        previousDir = QDir::currentPath();
        QDir::setCurrent(dir.path());
        db::AliasRegistry::setConfigFile(dir.path() + QStringLiteral("/none.ini"));
        data::registerEquipmentDatabase();
        QSqlDatabase db = db::AliasRegistry::database(data::equipmentAlias());
        const char *rows[][2] = {{"Autocannon/2", "AC/2"},   {"Quote \"ac2\" Gun", "AC2Q"},
                                 {"Half 50% Laser", "HL50"}, {"Under_score Rack", "US"},
                                 {"Plain Sink", "HS"},       {"Mixed ac2\" Case", "MX"}};
        int code = 0;
        for (const auto &row : rows) {
            QSqlQuery insert(db);
            insert.prepare(
                QStringLiteral("INSERT INTO Equipment (Code, Name, Abbrev) VALUES (?, ?, ?)"));
            insert.addBindValue(QStringLiteral("X%1").arg(++code));
            insert.addBindValue(QString::fromUtf8(row[0]));
            insert.addBindValue(QString::fromUtf8(row[1]));
            QVERIFY(insert.exec());
        }
    }
    void cleanupTestCase() {
        db::AliasRegistry::closeAll();
        QDir::setCurrent(previousDir);
    }

    void trimming_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("blanks around") << "  ac2 "
                                       << "ac2";
        QTest::newRow("only blanks") << "   "
                                     << "";
        QTest::newRow("control characters") << "\tac2\r\n"
                                            << "ac2";
        QTest::newRow("inner blanks stay") << " a c "
                                           << "a c";
    }
    void trimming() {
        QFETCH(QString, typed);
        QFETCH(QString, trimmed);
        QCOMPARE(data::trimSearchText(typed), trimmed);
    }

    void patterns_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty gives every row")
            << "" << QStringList{"Autocannon/2",     "Quote \"ac2\" Gun", "Half 50% Laser",
                                 "Under_score Rack", "Plain Sink",        "Mixed ac2\" Case"};
        QTest::newRow("name or abbreviation, any case")
            << "ac2" << QStringList{"Quote \"ac2\" Gun", "Mixed ac2\" Case"};
        QTest::newRow("abbreviation only") << "AC/2" << QStringList{"Autocannon/2"};
        QTest::newRow("double quote is searched for")
            << "ac2\"" << QStringList{"Quote \"ac2\" Gun", "Mixed ac2\" Case"};
        QTest::newRow("injection is just text")
            << "' OR 1=1; DROP TABLE Equipment; --" << QStringList{};
        QTest::newRow("percent is searched for") << "%" << QStringList{"Half 50% Laser"};
        QTest::newRow("underscore is searched for") << "r_s" << QStringList{"Under_score Rack"};
        QTest::newRow("underscore matches no other character") << "a_k" << QStringList{};
        QTest::newRow("no match") << "zzz" << QStringList{};
    }
    void patterns() {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        const QByteArray before = fileHash();
        QVERIFY2(!before.isEmpty(), "the catalogue file VantrelDB.sqlite cannot be read");
        {
            db::DataSet set;
            data::configureEquipmentQuery(set, true);
            set.open();
            data::searchEquipment(set, text);
            QCOMPARE(names(set), expected);
            QCOMPARE(set.recNo(), expected.isEmpty() ? -1 : 0);
        }
        QCOMPARE(fileHash(), before);
    }

    void searchDropsPendingEdit() {
        db::DataSet set;
        data::configureEquipmentQuery(set, true);
        set.open();
        set.edit();
        set.fieldByName(QStringLiteral("Name"))->setAsString(QStringLiteral("Unposted"));
        data::searchEquipment(set, QString());
        QCOMPARE(set.state(), db::DataSetState::Browse);
        QVERIFY(!names(set).contains(QStringLiteral("Unposted")));
    }

    // Older tables lack the optional Smoke column; the Smoke box may name it all the same.
    void tableWithoutSmokeOpens() {
        QString schema = data::equipmentSchemaSql();
        schema.remove(QRegularExpression(QStringLiteral("\\n\\s*Smoke VARCHAR\\(4\\),")));
        QVERIFY(!schema.contains(QLatin1String(" Smoke ")));
        db::AliasRegistry::setDefaultSchema(QStringLiteral("NoSmokeDB"), schema);
        db::DataSet set;
        data::configureEquipmentQuery(set, true);
        set.setDatabaseName(QStringLiteral("NoSmokeDB"));
        db::DataSource source(&set);
        class SmokeBox : public db::DataLink {
        public:
            QString fieldName() const override { return QStringLiteral("Smoke"); }
        } box;
        box.setDataSource(&source);
        set.open();
        QVERIFY(set.active());
        QVERIFY(!set.findField(QStringLiteral("Smoke")));
        QVERIFY(set.findField(QStringLiteral("SmokeAge")));
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"

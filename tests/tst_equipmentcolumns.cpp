#include "data/DemoCatalogue.h"
#include "data/EquipmentColumns.h"
#include "data/EquipmentSchema.h"
#include "db/DatabaseError.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using data::ColumnKind;
using data::EquipmentColumn;

Q_DECLARE_METATYPE(data::ColumnKind)

namespace {

QStringList columnNames() {
    QStringList names;
    for (const EquipmentColumn &column : data::equipmentColumns())
        names << QLatin1String(column.name);
    return names;
}

// Opens a fresh in-memory SQLite database under a connection name of its own.
class MemoryDatabase {
public:
    explicit MemoryDatabase(const QString &name) : m_name(name) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(db.open());
    }
    ~MemoryDatabase() {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // All values of one column, in row order.
    QVariantList values(const QString &column) const {
        QSqlQuery query(db());
        if (!query.exec(QStringLiteral("SELECT %1 FROM Equipment ORDER BY Number").arg(column)))
            return {};
        QVariantList result;
        while (query.next())
            result << query.value(0);
        return result;
    }

private:
    QString m_name;
};

} // namespace

class TestEquipmentColumns : public QObject {
    Q_OBJECT

private slots:
    void kindCounts_data();
    void kindCounts();
    void namesAreUniqueAndInGridOrder_data();
    void namesAreUniqueAndInGridOrder();
    void lookupIgnoresCase_data();
    void lookupIgnoresCase();
    void gridTitlesAndWidths_data();
    void gridTitlesAndWidths();
    void editorTexts_data();
    void editorTexts();
    void declaredLengths_data();
    void declaredLengths();
    void valueLists();
    void schemaCreatesAllColumnsInOrder();
    void schemaKeepsCodesUnique();
    void demoCatalogueLoads();
    void demoCatalogueReferencesExistingCodes();
    void demoCatalogueRefusesExistingTable();
};

void TestEquipmentColumns::kindCounts_data() {
    QTest::addColumn<ColumnKind>("kind");
    QTest::addColumn<int>("expected");
    QTest::newRow("yes/no") << ColumnKind::YesNo << 34;
    QTest::newRow("code") << ColumnKind::Code << 36;
    QTest::newRow("text") << ColumnKind::Text << 10;
    QTest::newRow("number") << ColumnKind::Number << 57;
    QTest::newRow("shown only") << ColumnKind::ShownOnly << 3;
}

void TestEquipmentColumns::kindCounts() {
    QFETCH(ColumnKind, kind);
    QFETCH(int, expected);
    QCOMPARE(data::equipmentColumns().size(), std::size_t(140));
    const auto columns = data::equipmentColumns();
    QCOMPARE(std::count_if(columns.begin(), columns.end(),
                           [&](const EquipmentColumn &c) { return c.kind == kind; }),
             expected);
}

void TestEquipmentColumns::namesAreUniqueAndInGridOrder_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::newRow("first") << "Number" << 0;
    QTest::newRow("code") << "Code" << 1;
    QTest::newRow("description, second line") << "Description2" << 15;
    QTest::newRow("before the chambers") << "DamageOnDeath" << 25;
    QTest::newRow("first chamber") << "Chamber1" << 26;
    QTest::newRow("tenth chamber") << "Chamber10" << 35;
    QTest::newRow("last chamber") << "Chamber32" << 57;
    QTest::newRow("after the chambers") << "OtherNeeded" << 58;
    QTest::newRow("shown only, middle") << "ArmorPiercing" << 94;
    QTest::newRow("smoke") << "Smoke" << 103;
    QTest::newRow("last shown") << "BonusMissile" << 138;
    QTest::newRow("hidden, last") << "IsSwarm" << 139;
}

void TestEquipmentColumns::namesAreUniqueAndInGridOrder() {
    QFETCH(QString, name);
    QFETCH(int, index);
    const QStringList names = columnNames();
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 140);
    QCOMPARE(names.indexOf(name), index);
    const EquipmentColumn &column = data::equipmentColumns()[std::size_t(index)];
    QCOMPARE(column.inGrid, name != QLatin1String("IsSwarm"));
}

void TestEquipmentColumns::lookupIgnoresCase_data() {
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("found");
    QTest::newRow("exact") << "HeatToUser"
                           << "HeatToUser";
    QTest::newRow("lower case") << "heattouser"
                                << "HeatToUser";
    QTest::newRow("upper case") << "CV"
                                << "CV";
    QTest::newRow("chamber, mixed case") << "cHAMBER17"
                                         << "Chamber17";
    QTest::newRow("not in the grid") << "isswarm"
                                     << "IsSwarm";
    QTest::newRow("no chamber 33") << "Chamber33"
                                   << "";
    QTest::newRow("placeholder is no column") << "Chamber#"
                                              << "";
    QTest::newRow("blank around the name") << " Code"
                                           << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestEquipmentColumns::lookupIgnoresCase() {
    QFETCH(QString, asked);
    QFETCH(QString, found);
    const EquipmentColumn *column = data::findEquipmentColumn(asked);
    QCOMPARE(column ? QString::fromLatin1(column->name) : QString(), found);
}

void TestEquipmentColumns::gridTitlesAndWidths_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("width");
    QTest::newRow("Number") << "Number"
                            << "No" << 20;
    QTest::newRow("Code") << "Code"
                          << "Code" << 36;
    QTest::newRow("Abbrev") << "Abbrev"
                            << "Abbrev" << 62;
    QTest::newRow("HeatToUser") << "HeatToUser"
                                << "Heat" << 31;
    QTest::newRow("DamageToTarget") << "DamageToTarget"
                                    << "Damage" << 48;
    QTest::newRow("RangeMin") << "RangeMin"
                              << "Min" << 27;
    QTest::newRow("RangeS") << "RangeS"
                            << "Short" << 34;
    QTest::newRow("RangeM") << "RangeM"
                            << "Medium" << 43;
    QTest::newRow("RangeL") << "RangeL"
                            << "Long" << 33;
    QTest::newRow("Weight") << "Weight"
                            << "Weight" << 41;
    QTest::newRow("Crits") << "Crits"
                           << "Crits" << 28;
    QTest::newRow("Ammo") << "Ammo"
                          << "Ammo" << 39;
    QTest::newRow("CV") << "CV"
                        << "CV" << 34;
    QTest::newRow("default: Name") << "Name"
                                   << "Name" << 0;
    QTest::newRow("default: HeatToTarget") << "HeatToTarget"
                                           << "HeatToTarget" << 0;
    QTest::newRow("default: Chamber5") << "Chamber5"
                                       << "Chamber5" << 0;
}

void TestEquipmentColumns::gridTitlesAndWidths() {
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(int, width);
    const EquipmentColumn *column = data::findEquipmentColumn(name);
    QVERIFY(column);
    // A column without a title of its own shows its name.
    const QString shown = QLatin1String(column->gridTitle ? column->gridTitle : column->name);
    QCOMPARE(shown, title);
    QCOMPARE(column->gridWidth, width);

    const auto columns = data::equipmentColumns();
    QCOMPARE(std::count_if(columns.begin(), columns.end(),
                           [](const EquipmentColumn &c) { return c.gridWidth != 0; }),
             13);
}

void TestEquipmentColumns::editorTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("hint");
    QTest::newRow("tons") << "Weight"
                          << "Resources"
                          << "Weight"
                          << "t"
                          << "Weight in tons";
    QTest::newRow("percent") << "ChanceJam"
                             << "Trouble"
                             << "Jam"
                             << "%"
                             << "Percent chance per use that the equipment will permanently jam.";
    QTest::newRow("2d6 roll") << "MissileHomingToHit"
                              << "Missiles"
                              << "Homing To-Hit"
                              << "/2d6"
                              << "Required 2d6 roll to hit for homing missiles. 0: Never";
    QTest::newRow("turns, double blank kept")
        << "FireAge"
        << "Fire"
        << "Fire age"
        << "turns"
        << "How many turns does the fire burn?  (-1: forever)";
    QTest::newRow("turns without unit label") << "MineTimer"
                                              << "Mines"
                                              << "Timer"
                                              << ""
                                              << "How many turns after deployment does this "
                                                 "mine blow up? (0: no timer)";
    QTest::newRow("nested group") << "BonusHeatOwn"
                                  << "To-Hit Bonuses/User"
                                  << "Heat"
                                  << ""
                                  << "Bonus per 5 points of own Heat";
    QTest::newRow("chamber") << "Chamber32"
                             << "If Ammo, it's chambered for these weapon codes:"
                             << ""
                             << ""
                             << "Ammo only: what weapons will this ammo fit into? Just enter the "
                                "weapon codes.";
    QTest::newRow("shown only") << "Smoke"
                                << ""
                                << ""
                                << ""
                                << "";
}

void TestEquipmentColumns::editorTexts() {
    QFETCH(QString, name);
    QFETCH(QString, group);
    QFETCH(QString, caption);
    QFETCH(QString, unit);
    QFETCH(QString, hint);
    const EquipmentColumn *column = data::findEquipmentColumn(name);
    QVERIFY(column);
    QCOMPARE(QString::fromUtf8(column->group), group);
    QCOMPARE(QString::fromUtf8(column->caption), caption);
    QCOMPARE(QString::fromUtf8(column->unit), unit);
    QCOMPARE(QString::fromUtf8(column->hint), hint);

    // Every column that an editor binds has a hint and a group; the shown-only ones neither.
    for (const EquipmentColumn &c : data::equipmentColumns()) {
        const bool edited = c.kind != ColumnKind::ShownOnly;
        QVERIFY2(edited == (*c.hint != '\0') && edited == (*c.group != '\0'), c.name);
        QVERIFY2(*c.unit == '\0' || c.kind == ColumnKind::Number, c.name);
    }
}

void TestEquipmentColumns::declaredLengths_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("length");
    QTest::newRow("code") << "Code" << 8;
    QTest::newRow("description") << "Description2" << 80;
    QTest::newRow("smoke") << "Smoke" << 4;
    QTest::newRow("number") << "Weight" << 0;
    QTest::newRow("key") << "Number" << 0;
}

void TestEquipmentColumns::declaredLengths() {
    QFETCH(QString, name);
    QFETCH(int, length);
    const EquipmentColumn *column = data::findEquipmentColumn(name);
    QVERIFY(column);
    QCOMPARE(data::declaredLength(*column), length);
}

void TestEquipmentColumns::valueLists() {
    const QStringList kinds = data::kindValues();
    QCOMPARE(kinds.size(), 18);
    QCOMPARE(kinds.first(), QStringLiteral("Weapon"));
    QCOMPARE(kinds.indexOf(QStringLiteral("Target Computer")), 11);
    QCOMPARE(kinds.last(), QStringLiteral("Jump Jet"));
    QCOMPARE(data::eraValues(), QStringList({"3025", "IS", "Clan", "DravikTech", "NewTech"}));
    QCOMPARE(data::smokeValues(), QStringList({"0", "1", "1+1", "1+3", "1+6"}));
}

void TestEquipmentColumns::schemaCreatesAllColumnsInOrder() {
    MemoryDatabase memory(QStringLiteral("schema"));
    QSqlDatabase db = memory.db();
    data::createEmptyEquipmentTable(db);

    QSqlQuery info(db);
    QVERIFY(info.exec(QStringLiteral("PRAGMA table_info(Equipment)")));
    QStringList names;
    QStringList types;
    while (info.next()) {
        names << info.value(QStringLiteral("name")).toString();
        types << info.value(QStringLiteral("type")).toString();
    }
    QCOMPARE(names, columnNames());
    QCOMPARE(types.at(columnNames().indexOf(QStringLiteral("Weight"))), QStringLiteral("REAL"));
    QCOMPARE(types.at(columnNames().indexOf(QStringLiteral("Name"))),
             QStringLiteral("VARCHAR(40)"));
    QCOMPARE(db.record(QStringLiteral("Equipment")).count(), 140);
}

void TestEquipmentColumns::schemaKeepsCodesUnique() {
    MemoryDatabase memory(QStringLiteral("unique"));
    QSqlDatabase db = memory.db();
    data::createEmptyEquipmentTable(db);
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("INSERT INTO Equipment (Code) VALUES ('AC2')")));
    QVERIFY(query.exec(QStringLiteral("INSERT INTO Equipment (Code) VALUES (NULL)")));
    QVERIFY(query.exec(QStringLiteral("INSERT INTO Equipment (Code) VALUES (NULL)")));
    QVERIFY(!query.exec(QStringLiteral("INSERT INTO Equipment (Code) VALUES ('AC2')")));
    // Number is given by the database, never by the editor.
    QCOMPARE(memory.values(QStringLiteral("Number")), QVariantList({1, 2, 3}));
}

void TestEquipmentColumns::demoCatalogueLoads() {
    MemoryDatabase memory(QStringLiteral("demo"));
    QSqlDatabase db = memory.db();
    data::createDemoCatalogue(db);

    const QVariantList codes = memory.values(QStringLiteral("Code"));
    QVERIFY2(codes.size() >= 60, qPrintable(QString::number(codes.size())));
    QStringList codeTexts;
    for (const QVariant &code : codes)
        codeTexts << code.toString();
    QCOMPARE(QSet<QString>(codeTexts.begin(), codeTexts.end()).size(), codes.size());

    for (const QString &name : columnNames()) {
        const QVariantList values = memory.values(name);
        QVERIFY2(std::any_of(values.begin(), values.end(),
                             [](const QVariant &v) { return !v.isNull(); }),
                 qPrintable(name + QStringLiteral(" is empty in every row")));
    }

    // Kinds come from the drop-down list; the sound fields name one of the game's sounds.
    const QStringList kinds = data::kindValues();
    for (const QVariant &kind : memory.values(QStringLiteral("Kind")))
        QVERIFY2(kinds.contains(kind.toString()), qPrintable(kind.toString()));
    const QStringList sounds = {"", "laser", "autocan", "missile", "explode", "flamer"};
    for (const QString &column : {QStringLiteral("SoundFire"), QStringLiteral("SoundHit")})
        for (const QVariant &sound : memory.values(column))
            QVERIFY2(sounds.contains(sound.toString().toLower()), qPrintable(sound.toString()));
}

void TestEquipmentColumns::demoCatalogueReferencesExistingCodes() {
    MemoryDatabase memory(QStringLiteral("references"));
    QSqlDatabase db = memory.db();
    data::createDemoCatalogue(db);

    QSet<QString> codes;
    for (const QVariant &code : memory.values(QStringLiteral("Code")))
        codes.insert(code.toString());
    int references = 0;
    for (const EquipmentColumn &column : data::equipmentColumns()) {
        if (column.kind != ColumnKind::Code)
            continue;
        for (const QVariant &value : memory.values(QLatin1String(column.name))) {
            if (value.isNull())
                continue;
            ++references;
            QVERIFY2(codes.contains(value.toString()),
                     qPrintable(QStringLiteral("%1 names the unknown code '%2'")
                                    .arg(QLatin1String(column.name), value.toString())));
        }
    }
    QVERIFY(references > 40);
}

void TestEquipmentColumns::demoCatalogueRefusesExistingTable() {
    MemoryDatabase memory(QStringLiteral("twice"));
    QSqlDatabase db = memory.db();
    data::createDemoCatalogue(db);
    const int rows = memory.values(QStringLiteral("Code")).size();
    QVERIFY_THROWS_EXCEPTION(db::DatabaseError, data::createDemoCatalogue(db));
    // The failed second load leaves the catalogue as it was.
    QCOMPARE(memory.values(QStringLiteral("Code")).size(), rows);
}

QTEST_GUILESS_MAIN(TestEquipmentColumns)
#include "tst_equipmentcolumns.moc"

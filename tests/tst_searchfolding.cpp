// The search on every engine the machine offers: each text is found literally and letters
// of any script are compared by simple Unicode case folding, so SQLite and PostgreSQL give
// the rows that QString::toCaseFolded gives. PostgreSQL cases are skipped when no server
// was started for the tests (scripts/start-postgres.sh).
#include "data/EquipmentQuery.h"
#include "data/EquipmentSchema.h"
#include "db/DataSet.h"
#include "db/Dialect.h"
#include "support/SharedCatalogue.h"

#include <QtTest>

namespace {

// Name and abbreviation of each stored item. Beside accents, Greek (with its final sigma)
// and the capital sharp s: letters whose simple folding is another letter (the long s, the
// micro sign, the Kelvin sign, Cherokee, a title-case digraph) and the dotted capital I,
// which simple folding keeps; a script beyond the 16-bit range (Deseret).
const char *const storedItems[][2] = {{"Ärmel-Schild", "ÄS"},
                                      {"Épée de Lumière", "EPL"},
                                      {"ΣΊΣΥΦΟΣ", "ΣΦ"},
                                      {"Λίθος του σίσυφος", "ΛΘ"},
                                      {"Große Straße", "GS"},
                                      {"HAUPTSTRA\u1E9EE", "HS"},
                                      {"\u0130stanbul Mortar", "IM"},
                                      {"Me\u017F\u017Fer", "MS"},
                                      {"\u00B5-Laser", "ML"},
                                      {"\u13E3\u13B3\u13A9 Bow", "CB"},
                                      {"5 \u212A Cooler", "KC"},
                                      {"\u01C5emal Axe", "DA"},
                                      {"KIRMIZI Lance", "KL"},
                                      {"\U00010414\U0001042F\U00010445 Sling", "DS"},
                                      {"Back\\slash Blade", "B\\S"},
                                      {"100% Armor", "100"},
                                      {"Under_score Rack", "U_R"},
                                      {"Autocannon/2", "AC/2"},
                                      {"Gauss Rifle", "GR"},
                                      {"Plain Sink", ""}};

struct Item {
    QString name;
    QString abbrev;
};

// The stored items; SQLite, which keeps any length another program writes, also holds a
// name far longer than its column's declared 40 characters.
QList<Item> items(const QString &engine) {
    QList<Item> result;
    for (const auto &item : storedItems)
        result.append({QString::fromUtf8(item[0]), QString::fromUtf8(item[1])});
    if (engine == QLatin1String("SQLite"))
        result.append({QString(300, QChar(0x00C9)) + QStringLiteral(" Long Hauberk"), "LH"});
    return result;
}

// The names of the items whose Name or Abbrev holds the text, by simple case folding.
QStringList reference(const QString &engine, const QString &text) {
    const QString folded = text.toCaseFolded();
    QStringList names;
    for (const Item &item : items(engine))
        if (item.name.toCaseFolded().contains(folded) ||
            item.abbrev.toCaseFolded().contains(folded))
            names << item.name;
    names.sort();
    return names;
}

// A server database whose own locale lowers "I" to a dotless "ı": the search must not
// depend on it.
const QString turkishServer = QStringLiteral("PostgreSQL, Turkish locale");

void makeTurkishDatabase() {
    QProcess psql;
    psql.start(QStringLiteral("psql"),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"),
                qEnvironmentVariable("KORVANDEL_PG_HOST"), QStringLiteral("-p"),
                qEnvironmentVariable("KORVANDEL_PG_PORT"), QStringLiteral("-U"),
                QStringLiteral("postgres"), QStringLiteral("-d"), QStringLiteral("postgres"),
                QStringLiteral("-c"), QStringLiteral("DROP DATABASE IF EXISTS korvandel_search_tr"),
                QStringLiteral("-c"),
                QStringLiteral("CREATE DATABASE korvandel_search_tr OWNER %1 TEMPLATE template0 "
                               "ENCODING 'UTF8' LOCALE_PROVIDER icu ICU_LOCALE 'tr-TR' "
                               "LOCALE 'C.UTF-8'")
                    .arg(qEnvironmentVariable("KORVANDEL_PG_USER"))});
    QVERIFY(psql.waitForFinished(30000));
    QVERIFY2(psql.exitCode() == 0, psql.readAllStandardError().constData());
}

} // namespace

class TestSearchFolding : public QObject {
    Q_OBJECT
    std::unique_ptr<SharedCatalogue> catalogue;
    QString engine;

    // A catalogue of the engine with the stored items, made when the engine changes.
    void useEngine(const QString &name) {
        if (engine == name)
            return;
        catalogue.reset();
        engine = name;
        if (name == QLatin1String("SQLite")) {
            catalogue = std::make_unique<SqliteCatalogue>();
        } else if (name == turkishServer) {
            makeTurkishDatabase();
            catalogue = std::make_unique<PostgresCatalogue>(QStringLiteral("korvandel_search_tr"));
        } else {
            catalogue = std::make_unique<PostgresCatalogue>(QStringLiteral("korvandel_search"));
        }
        catalogue->otherRuns(QStringLiteral("DROP TABLE IF EXISTS Equipment;"));
        QSqlDatabase db = db::AliasRegistry::database(catalogue->alias());
        db::AliasRegistry::runScript(db, data::equipmentSchemaSql(db::Dialect::of(db)));
        int code = 0;
        for (const Item &item : items(name)) {
            QSqlQuery insert(db);
            insert.prepare(
                QStringLiteral("INSERT INTO Equipment (Code, Name, Abbrev) VALUES (?, ?, ?)"));
            insert.addBindValue(QStringLiteral("F%1").arg(++code));
            insert.addBindValue(item.name);
            insert.addBindValue(item.abbrev);
            QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        }
    }

    QStringList searchNames(const QString &text) {
        db::DataSet set;
        data::configureEquipmentQuery(set, true);
        set.setDatabaseName(catalogue->alias());
        data::searchEquipment(set, text);
        QStringList names;
        const int name = set.fieldByName(QStringLiteral("Name"))->index();
        for (int row = 0; row < set.recordCount(); ++row)
            names << set.textAt(row, name);
        names.sort();
        return names;
    }

private slots:
    void cleanupTestCase() { catalogue.reset(); }

    void matchesSimpleCaseFolding_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedCount");
        // Each text with the number of items the reference finds, which guards the
        // reference itself.
        const std::pair<const char *, int> texts[] = {{"ärmel", 1},
                                                      {"ÉPÉE", 1},
                                                      {"epee", 0},
                                                      {"LUMIÈRE", 1},
                                                      {"σίσυφος", 2},
                                                      {"ΣΊΣΥΦΟΣ", 2},
                                                      {"σίσυφοσ", 2},
                                                      {"ΛΊΘΟΣ", 1},
                                                      {"STRA\u1E9EE", 2},
                                                      {"straße", 2},
                                                      {"strasse", 0},
                                                      {"\u0130STANBUL", 1},
                                                      {"istanbul", 0},
                                                      {"i\u0307stanbul", 0},
                                                      {"MESSER", 1},
                                                      {"\u039C-LASER", 1},
                                                      {"\uABB3\uAB83\uAB79", 1},
                                                      {"k cooler", 1},
                                                      {"\u01C4EMAL", 1},
                                                      {"\u01C6emal", 1},
                                                      {"k\u0131rm\u0131z\u0131", 0},
                                                      {"kirmizi", 1},
                                                      {"\U0001043C\U00010407\U0001041D", 1},

                                                      {"%", 1},
                                                      {"_", 1},
                                                      {"\\", 1},
                                                      {"Back\\slash", 1},
                                                      {"100\\%", 0},
                                                      {"100%", 1},
                                                      {"a_k", 0},
                                                      {"\\_", 0},
                                                      {"b\\s", 1},
                                                      {"GAUSS", 1},
                                                      {"ac/2", 1}};
        QStringList engines = SharedCatalogue::engines();
        if (engines.contains(QLatin1String("PostgreSQL")))
            engines << turkishServer;
        for (const QString &name : engines)
            for (const auto &[text, count] : texts)
                QTest::addRow("%s: %s", qPrintable(name), text)
                    << name << QString::fromUtf8(text) << count;
    }
    void matchesSimpleCaseFolding() {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        QFETCH(int, expectedCount);
        useEngine(engine);
        const QStringList expected = reference(engine, text);
        QCOMPARE(expected.size(), expectedCount);
        QCOMPARE(searchNames(text), expected);
    }

    // On SQLite the search's LIKE is a function of the connection: on ASCII text it must
    // answer as the engine's own LIKE ... ESCAPE does, for any pattern.
    void foldedLikeIsTheEnginesLike() {
        useEngine(QStringLiteral("SQLite"));
        const QStringList patterns{"",    "abc",   "a%c", "_b_",   "%",     "%%",    "%b%",
                                   "a_",  "A%",    "%C",  "x%y%z", "a\\%c", "a\\_c", "\\a%",
                                   "a\\", "%\\%%", "_",   "__%",   "%a%a%"};
        const QStringList texts{"", "a", "abc", "ABC", "a%c", "a_c", "abbc", "xaybz", "aa", "b"};
        QSqlQuery query(db::AliasRegistry::database(catalogue->alias()));
        QVERIFY(query.prepare(
            QStringLiteral("SELECT casefold_like(?, ?, '\\'), ? LIKE ? ESCAPE '\\'")));
        for (const QString &pattern : patterns) {
            for (const QString &text : texts) {
                query.addBindValue(pattern);
                query.addBindValue(text);
                query.addBindValue(text);
                query.addBindValue(pattern);
                QVERIFY2(query.exec() && query.next(), qPrintable(query.lastError().text()));
                QVERIFY2(query.value(0).toInt() == query.value(1).toInt(),
                         qPrintable(QStringLiteral("'%1' LIKE '%2'").arg(text, pattern)));
            }
        }
        // The escape character is taken as written, before the pattern is folded.
        QVERIFY(query.exec(QStringLiteral("SELECT casefold_like('aX%', 'a%', 'X'), "
                                          "casefold_like('aX%', 'AX', 'X')")) &&
                query.next());
        QCOMPARE(query.value(0).toInt(), 1);
        QCOMPARE(query.value(1).toInt(), 0);
        // Beyond ASCII a letter of any case is one character for "_".
        QVERIFY(query.exec(QStringLiteral("SELECT casefold_like('_RMEL%', 'ärmel', '\\'), "
                                          "casefold_like('%_σ', 'ΣΊΣΥΦΟΣ', '\\')")) &&
                query.next());
        QCOMPARE(query.value(0).toInt(), 1);
        QCOMPARE(query.value(1).toInt(), 1);
    }

    // A name longer than the folding's room on the stack is folded all the same.
    void longNameIsFolded() {
        useEngine(QStringLiteral("SQLite"));
        const QString longName = reference(engine, QStringLiteral("hauberk")).value(0);
        QVERIFY(longName.size() > 300);
        QCOMPARE(searchNames(QStringLiteral("\u00E9\u00C9 LONG hauberk")), QStringList{longName});
    }

    // The folding function belongs to the connection: one opened again (after the engine
    // or the server dropped it) or anew has it as well.
    void foldingOnEveryConnection() {
        useEngine(QStringLiteral("SQLite"));
        {
            QSqlDatabase db = db::AliasRegistry::database(catalogue->alias());
            db::AliasRegistry::reopen(db);
        }
        QCOMPARE(searchNames(QStringLiteral("ÄRMEL")), QStringList{"Ärmel-Schild"});
        db::AliasRegistry::closeAll();
        QCOMPARE(searchNames(QStringLiteral("σίσυφοσ")),
                 (QStringList{"Λίθος του σίσυφος", "ΣΊΣΥΦΟΣ"}));
    }
};

QTEST_GUILESS_MAIN(TestSearchFolding)
#include "tst_searchfolding.moc"

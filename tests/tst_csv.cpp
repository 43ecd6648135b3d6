// The catalogue tool's CSV: what it reads from hand-written files, what it refuses and on
// which line, and that what it writes reads back the same (NULL apart from empty text).
// Then the tool itself on SQLite files: values checked against their columns, aliases it
// must not turn into new files, tables keyed by something else than Number, standard
// input and output, and its help.
#include "Csv.h"
#include "Progress.h"

#include <QBuffer>
#include <QtTest>
#include <csignal>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using catalogue::CsvError;
using catalogue::CsvReader;
using catalogue::CsvWriter;

namespace {

// Every record of the input; a NULL field shows as "<null>".
QStringList readAll(const QByteArray &input) {
    QByteArray data = input;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer, 0);
    QStringList records;
    QVariantList fields;
    while (reader.readRecord(&fields)) {
        QStringList texts;
        for (const QVariant &field : fields)
            texts << (field.isNull() ? QStringLiteral("<null>") : field.toString());
        records << texts.join(QLatin1Char('|'));
    }
    return records;
}

// The tool in a folder of its own, with its own alias file.
class Tool {
public:
    Tool() {
        QDir(m_dir.path()).mkpath(QStringLiteral("cfg/korvandel"));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("cfg")));
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Result {
        int status;
        QString out;
        QString err;
    };
    Result run(const QStringList &arguments, const QByteArray &input = {}) const {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.setWorkingDirectory(m_dir.path());
        const QString override = qEnvironmentVariable("KORVANDEL_CATALOGUE_TOOL");
        process.start(override.isEmpty() ? QCoreApplication::applicationDirPath() +
                                               QStringLiteral("/../src/app/korvandel-catalogue")
                                         : override,
                      arguments);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    // Runs SQL on a SQLite file with the engine's own shell; its output in CSV.
    QString sqlite(const QString &file, const QString &sql) const {
        QProcess process;
        process.start(QStringLiteral("sqlite3"), {QStringLiteral("-csv"), path(file), sql});
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    void write(const QString &name, const QByteArray &data) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
};

} // namespace

class TestCsv : public QObject {
    Q_OBJECT

private slots:
    void reads_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("CRLF records") << QByteArray("a,b\r\n1,2\r\n") << QStringList{"a|b", "1|2"};
        QTest::newRow("LF records, no final break")
            << QByteArray("a,b\n1,2") << QStringList{"a|b", "1|2"};
        QTest::newRow("empty field is NULL, quoted empty is text")
            << QByteArray("1,,\"\"\r\n") << QStringList{"1|<null>|"};
        QTest::newRow("quotes, commas and line breaks inside quotes")
            << QByteArray("\"say \"\"hi\"\", then\r\nleave\",x\r\n")
            << QStringList{"say \"hi\", then\r\nleave|x"};
        QTest::newRow("UTF-8 text") << QByteArray("\"\xc3\x86gir \xe2\x9c\x93\"\r\n")
                                    << QStringList{QStringLiteral("Ægir ✓")};
        QTest::newRow("empty input") << QByteArray() << QStringList{};
        QTest::newRow("byte order mark before a quoted header")
            << QByteArray("\xef\xbb\xbf\"a\",\"b\"\r\n1,2\r\n") << QStringList{"a|b", "1|2"};
        QTest::newRow("one empty line at the end")
            << QByteArray("a,b\r\n1,2\r\n\r\n") << QStringList{"a|b", "1|2"};
        QTest::newRow("an empty line inside stays a record")
            << QByteArray("a\n\n1\n") << QStringList{"a", "<null>", "1"};
        QTest::newRow("U+FEFF inside a value is kept")
            << QByteArray("a,b\n\xef\xbb\xbfx,\"\xef\xbb\xbf\"\n")
            << QStringList{"a|b", QStringLiteral("\ufeffx|\ufeff")};
        QTest::newRow("semicolons in the header line")
            << QByteArray("a;\"b;c\"\r\n1,5;2\r\n") << QStringList{"a|b;c", "1,5|2"};
    }
    void reads() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, records);
        QCOMPARE(readAll(input), records);
    }

    void readsWithAGivenSeparator() {
        QByteArray data("a;b\n1;2\n");
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        CsvReader reader(buffer, ',');
        QVariantList fields;
        QVERIFY(reader.readRecord(&fields));
        QCOMPARE(fields, QVariantList{QStringLiteral("a;b")});
    }

    void refusesWithTheLine_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("quote never closed")
            << QByteArray("a\r\n1\r\n\"open,\r\nstill open") << 3 << "not closed";
        QTest::newRow("quote opened in the second field, never closed")
            << QByteArray("a,b\r\n1,2\r\n3,\"open\r\nstill open") << 3 << "not closed";
        QTest::newRow("quote opened, closed lines later before text")
            << QByteArray("a,b\r\n1,\"oops\r\n2,\"x\",3\r\n") << 2 << "closes on line 3";
        QTest::newRow("text after a closing quote")
            << QByteArray("a\r\n\"x\"y\r\n") << 2 << "follows a closing quote";
        QTest::newRow("quote inside an unquoted field")
            << QByteArray("a\r\nab\"c\r\n") << 2 << "not quoted";
        QTest::newRow("line after a quoted line break")
            << QByteArray("\"two\r\nlines\"\r\nx\"\r\n") << 3 << "not quoted";
        QTest::newRow("not UTF-8") << QByteArray("a\r\n\xff\xfe\r\n") << 2 << "UTF-8";
        QTest::newRow("bare carriage return") << QByteArray("a\rb\r\n") << 1 << "carriage";
    }
    void refusesWithTheLine() {
        QFETCH(QByteArray, input);
        QFETCH(int, line);
        QFETCH(QString, reason);
        try {
            readAll(input);
            QFAIL("the input was accepted");
        } catch (const CsvError &error) {
            QCOMPARE(error.line(), line);
            QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
        }
    }

    // A field longer than any column holds is refused once it passes the limit, without
    // reading it whole.
    void refusesAFieldOverTheLimit() {
        QByteArray data("a,b\r\n1,\"" + QByteArray(1 << 20, 'x'));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        CsvReader reader(buffer);
        reader.setFieldLimit(1000);
        QVariantList fields;
        QVERIFY(reader.readRecord(&fields));
        try {
            reader.readRecord(&fields);
            QFAIL("the field was read");
        } catch (const CsvError &error) {
            QCOMPARE(error.line(), 2);
            QVERIFY2(error.message().contains(QLatin1String("field 2 is longer than any column")),
                     qPrintable(error.message()));
        }
        QVERIFY(buffer.pos() < data.size());
    }

    void writtenValuesReadBack() {
        const QVariantList values{QVariant(),
                                  QString(),
                                  QStringLiteral(" "),
                                  qint64(-32768),
                                  0.1,
                                  QStringLiteral("a,\"b\"\nc"),
                                  QStringLiteral("🚀"),
                                  QStringLiteral("plain")};
        QByteArray data;
        {
            QBuffer buffer(&data);
            buffer.open(QIODevice::WriteOnly);
            CsvWriter writer(buffer);
            QVERIFY(writer.writeRecord(values));
            QVERIFY(writer.writeRecord(values));
        }
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        CsvReader reader(buffer);
        QVariantList fields;
        for (int record = 0; record < 2; ++record) {
            QVERIFY(reader.readRecord(&fields));
            QCOMPARE(reader.recordLine(), record == 0 ? 1 : 3);
            QCOMPARE(fields.size(), values.size());
            for (qsizetype i = 0; i < values.size(); ++i) {
                QCOMPARE(fields.at(i).isNull(), values.at(i).isNull());
                if (!values.at(i).isNull())
                    QCOMPARE(fields.at(i).toString(), values.at(i).toString());
            }
        }
        QVERIFY(!reader.readRecord(&fields));
    }

    // Ctrl-C during a long run leaves the terminal's line clean for the shell's prompt.
    void interruptClearsTheProgressLine() {
        int master = -1;
        int slave = -1;
        QVERIFY(openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::FILE *terminal = fdopen(slave, "w");
            catalogue::Progress progress(QStringLiteral("import"), 0, terminal);
            usleep(250000);
            progress.advance(42);
            std::raise(SIGINT);
            _exit(0);
        }
        ::close(slave);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
        QByteArray shown;
        char buffer[256];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            shown.append(buffer, n);
        ::close(master);
        QVERIFY2(shown.contains("import: 42 rows"), shown.constData());
        QVERIFY2(shown.endsWith("\r\033[K"), shown.toPercentEncoding().constData());
    }

    // Only `create` and `demo` make a database file, and only for the editor's alias; a
    // mistyped alias is named with the file it would have meant.
    void unknownAliasMakesNoFile_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("missing");
        QTest::newRow("copy to a typo")
            << QStringList{"copy", "VantrelDB", "VantrelBD"} << "VantrelBD";
        QTest::newRow("check") << QStringList{"check", "Nope"} << "Nope";
        QTest::newRow("export") << QStringList{"export-csv", "Nope", "out.csv"} << "Nope";
        QTest::newRow("import") << QStringList{"import-csv", "Nope", "in.csv"} << "Nope";
        QTest::newRow("upgrade") << QStringList{"upgrade", "Nope"} << "Nope";
        QTest::newRow("create another alias") << QStringList{"create", "Nope"} << "Nope";
        QTest::newRow("demo in another alias") << QStringList{"demo", "vantreldb"} << "vantreldb";
    }
    void unknownAliasMakesNoFile() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, missing);
        Tool tool;
        QCOMPARE(tool.run({"demo", "VantrelDB"}).status, 0);
        tool.write(QStringLiteral("in.csv"), "Code\nX\n");
        const Tool::Result result = tool.run(arguments);
        QCOMPARE(result.status, 1);
        const QString file = tool.path(missing + QStringLiteral(".sqlite"));
        QVERIFY2(result.err.contains(file), qPrintable(result.err));
        QVERIFY(!QFile::exists(file));
        QVERIFY(!QFile::exists(tool.path(QStringLiteral("out.csv"))));
    }

    void helpAndVersion_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--help") << QStringList{"--help"} << "usage: korvandel-catalogue";
        QTest::newRow("a command's --help")
            << QStringList{"check", "--help"} << "usage: korvandel-catalogue";
        QTest::newRow("--version") << QStringList{"--version"} << "korvandel-catalogue 2.";
    }
    void helpAndVersion() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        Tool tool;
        const Tool::Result result = tool.run(arguments);
        QCOMPARE(result.status, 0);
        QVERIFY2(result.out.startsWith(expected), qPrintable(result.out));
        QVERIFY(QDir(tool.path(QString())).entryList(QDir::Files).isEmpty());
        QCOMPARE(tool.run({}).status, 2);
    }

    // Every value is checked against its column as the editor checks a typed one; the
    // refusal names the line and the column, and nothing is imported.
    void importChecksEveryValue_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("reason");
        const QByteArray longName(41, 'n');
        QTest::newRow("text over its length") << "Name" << longName << "41 characters";
        QTest::newRow("two-unit characters counted once, over")
            << "Abbrev" << QByteArray("🚀🚀🚀🚀🚀🚀🚀🚀🚀🚀🚀🚀🚀") << "13 characters";
        QTest::newRow("NUL byte") << "Name" << QByteArray("a\0b", 3) << "NUL";
        QTest::newRow("integer beyond 32 bits") << "CV" << QByteArray("2147483648") << "whole";
        QTest::newRow("small integer beyond 16 bits")
            << "HeatToUser" << QByteArray("32768") << "whole";
        QTest::newRow("fraction in an integer") << "CV" << QByteArray("1.5") << "whole";
        QTest::newRow("not a number") << "Weight" << QByteArray("nan") << "finite";
        QTest::newRow("infinite") << "Weight" << QByteArray("1e999") << "finite";
        QTest::newRow("yes/no 2") << "BeamWeapon" << QByteArray("2") << "yes/no";
        QTest::newRow("yes/no -1") << "BeamWeapon" << QByteArray("-1") << "yes/no";
        QTest::newRow("yes/no x") << "BeamWeapon" << QByteArray("x") << "yes/no";
        QTest::newRow("yes/no 1.0") << "BeamWeapon" << QByteArray("1.0") << "yes/no";
    }
    void importChecksEveryValue() {
        QFETCH(QString, column);
        QFETCH(QByteArray, value);
        QFETCH(QString, reason);
        Tool tool;
        QCOMPARE(tool.run({"create", "VantrelDB"}).status, 0);
        tool.write(QStringLiteral("in.csv"),
                   "Code," + column.toLatin1() + "\r\nA,\r\nB,\"" + value + "\"\r\n");
        const Tool::Result result = tool.run({"import-csv", "VantrelDB", "in.csv"});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains(QStringLiteral("in.csv, line 3: column %1: ").arg(column)) &&
                     result.err.contains(reason) &&
                     result.err.contains(QLatin1String("nothing was imported")),
                 qPrintable(result.err));
        QCOMPARE(tool.sqlite(QStringLiteral("VantrelDB.sqlite"),
                             QStringLiteral("SELECT COUNT(*) FROM Equipment")),
                 QStringLiteral("0"));
    }

    // What is accepted is stored as the column's type on every engine: yes/no words as
    // booleans, an empty quoted field of a number column as NULL; a text at its length and
    // the widest numbers stay.
    void importStoresTheColumnsType() {
        Tool tool;
        QCOMPARE(tool.run({"create", "VantrelDB"}).status, 0);
        tool.write(QStringLiteral("in.csv"),
                   "\"Code\",\"BeamWeapon\",\"CV\",\"Weight\",\"Name\"\r\n"
                   "\"A\",\"yes\",\"\",\"1234.5678\",\"" +
                       QByteArray(40, 'n') +
                       "\"\r\n"
                       "\"B\",\"Off\",\"-2147483648\",\"\",\"\"\r\n"
                       "\"C\",\"t\",\"2147483647\",\"1e300\",\"\\.\"\r\n\r\n");
        const Tool::Result result = tool.run({"import-csv", "VantrelDB", "in.csv"});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out.trimmed(),
                 QStringLiteral("Imported 3 rows from in.csv into alias VantrelDB"));
        QCOMPARE(tool.sqlite(QStringLiteral("VantrelDB.sqlite"),
                             QStringLiteral("SELECT Code, typeof(BeamWeapon), BeamWeapon, "
                                            "typeof(CV), CV, Weight, length(Name) FROM "
                                            "Equipment ORDER BY Code")),
                 QStringLiteral("A,integer,1,null,,1234.5678,40\n"
                                "B,integer,0,integer,-2147483648,,0\n"
                                "C,integer,1,integer,2147483647,1.0e+300,2"));
    }

    // A table whose Number is not unique or has NULLs is read by its row number: every
    // row is exported, none twice.
    void exportsATableNotKeyedByNumber() {
        Tool tool;
        QCOMPARE(tool.run({"create", "VantrelDB"}).status, 0);
        tool.sqlite(
            QStringLiteral("VantrelDB.sqlite"),
            QStringLiteral("DROP TABLE Equipment; CREATE TABLE Equipment (Number INTEGER, Code "
                           "VARCHAR(8), Name VARCHAR(40)); WITH RECURSIVE n(i) AS (SELECT 1 UNION "
                           "ALL SELECT i + 1 FROM n WHERE i < 12000) INSERT INTO Equipment SELECT "
                           "CASE WHEN i % 7 = 0 THEN NULL ELSE i % 3 END, 'C' || i, 'N' FROM n;"));
        const Tool::Result result = tool.run({"export-csv", "VantrelDB", "out.csv"});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.out.startsWith(QLatin1String("Exported 12000 rows")),
                 qPrintable(result.out));
        QFile file(tool.path(QStringLiteral("out.csv")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 12002); // header, rows, nothing after the last break
        QCOMPARE(QSet<QByteArray>(lines.begin(), lines.end()).size(), 12002);
    }

    // An export of a file writes each value as the engine stores it: numbers in their
    // shortest exact form, texts quoted only where needed, bytes that are not UTF-8 as the
    // replacement character, so that the file reads back into the same values.
    void exportWritesValuesAsStored_data() {
        QTest::addColumn<QString>("name");   // SQL for Name
        QTest::addColumn<QString>("weight"); // SQL for Weight
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("reals") << "'a'"
                               << "0.1 + 0.2" << QByteArray("1,a,0.30000000000000004");
        QTest::newRow("huge real") << "'a'"
                                   << "1e300" << QByteArray("1,a,1e+300");
        QTest::newRow("whole real") << "'a'"
                                    << "100.0" << QByteArray("1,a,100");
        QTest::newRow("tiny real") << "'a'"
                                   << "-0.00001" << QByteArray("1,a,-1e-05");
        QTest::newRow("integer in a real column") << "'a'"
                                                  << "CAST(7 AS INTEGER)" << QByteArray("1,a,7");
        QTest::newRow("NULL and empty text") << "NULL"
                                             << "NULL" << QByteArray("1,,");
        QTest::newRow("empty text") << "''"
                                    << "NULL" << QByteArray("1,\"\",");
        QTest::newRow("separators and quotes") << "'a,b \"c\"' || char(10) || 'd'"
                                               << "1.5" << QByteArray("1,\"a,b \"\"c\"\"\nd\",1.5");
        QTest::newRow("text of a number") << "'007'"
                                          << "'x'" << QByteArray("1,007,x");
        QTest::newRow("UTF-8") << "'Kühl ✓'"
                               << "NULL" << QByteArray("1,Kühl ✓,");
        QTest::newRow("not UTF-8") << "CAST(x'ff41' AS TEXT)"
                                   << "NULL"
                                   << QByteArray("1,\xEF\xBF\xBD"
                                                 "A,");
        QTest::newRow("blob") << "x'4142'"
                              << "NULL" << QByteArray("1,AB,");
    }
    void exportWritesValuesAsStored() {
        QFETCH(QString, name);
        QFETCH(QString, weight);
        QFETCH(QByteArray, line);
        Tool tool;
        QCOMPARE(tool.run({"create", "VantrelDB"}).status, 0);
        tool.sqlite(QStringLiteral("VantrelDB.sqlite"),
                    QStringLiteral("DROP TABLE Equipment; CREATE TABLE Equipment (Number INTEGER "
                                   "PRIMARY KEY, Name VARCHAR(40), Weight REAL); INSERT INTO "
                                   "Equipment VALUES (1, %1, %2);")
                        .arg(name, weight));
        const Tool::Result result = tool.run({"export-csv", "VantrelDB", "out.csv"});
        QCOMPARE(result.status, 0);
        QFile file(tool.path(QStringLiteral("out.csv")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Number,Name,Weight\r\n") + line + "\r\n");
    }

    // "-" is standard input or output; the summary goes to the error stream when the data
    // goes to standard output; a refusal of the database names the file too.
    void standardStreams() {
        Tool tool;
        QCOMPARE(tool.run({"create", "VantrelDB"}).status, 0);
        Tool::Result result =
            tool.run({"import-csv", "VantrelDB", "-"}, "Code;Name\r\nA;Alpha\r\n");
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out.trimmed(),
                 QStringLiteral("Imported 1 row from (standard input) into alias VantrelDB"));
        result = tool.run({"export-csv", "VantrelDB", "-"});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.out.startsWith(QLatin1String("Number,Code,Name,")), qPrintable(result.out));
        QVERIFY(result.out.contains(QLatin1String("\r\n1,A,Alpha,")));
        QVERIFY2(result.err.startsWith(QLatin1String("Exported 1 row of alias VantrelDB")),
                 qPrintable(result.err));
        QVERIFY(!QFile::exists(tool.path(QStringLiteral("-"))));
        // The second A breaks the catalogue's unique codes.
        tool.write(QStringLiteral("twice.csv"), "Code\nB\nA\n");
        result = tool.run({"import-csv", "VantrelDB", "twice.csv"});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains(QLatin1String("twice.csv, line 3: ")) &&
                     result.err.contains(QLatin1String("nothing was imported")),
                 qPrintable(result.err));
        // A separator the reader cannot find is given.
        tool.write(QStringLiteral("tabs.csv"), "Code\tName\nT\tTab\n");
        result = tool.run({"import-csv", "VantrelDB", "tabs.csv"});
        QVERIFY2(result.status == 1 && result.err.contains(QLatin1String("--separator")),
                 qPrintable(result.err));
        result = tool.run({"import-csv", "--separator", "tab", "VantrelDB", "tabs.csv"});
        QCOMPARE(result.status, 0);
    }

    // The rows the tool adds to a catalogue file get their history rows in the same
    // transaction; a refused import leaves neither.
    void addedRowsAreRecorded() {
        Tool tool;
        QCOMPARE(tool.run({"demo", "VantrelDB"}).status, 0);
        QCOMPARE(
            tool.sqlite(QStringLiteral("VantrelDB.sqlite"),
                        QStringLiteral("SELECT (SELECT COUNT(*) FROM Equipment) = COUNT(*) AND "
                                       "COUNT(*) > 0 FROM EquipmentHistory WHERE Kind = "
                                       "'insert'"))
                .trimmed(),
            QStringLiteral("1"));
        tool.write(QStringLiteral("more.csv"), "Code,Name\nNEW1,One\nNEW2,Two\n");
        QCOMPARE(tool.run({"import-csv", "VantrelDB", "more.csv"}).status, 0);
        tool.write(QStringLiteral("bad.csv"), "Code,Name\nNEW3,Three\nNEW1,Again\n");
        QCOMPARE(tool.run({"import-csv", "VantrelDB", "bad.csv"}).status, 1);
        QCOMPARE(tool.sqlite(QStringLiteral("VantrelDB.sqlite"),
                             QStringLiteral("SELECT group_concat(Code, ' ') FROM EquipmentHistory "
                                            "WHERE Code LIKE 'NEW%'")),
                 QStringLiteral("\"NEW1 NEW2\""));
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"

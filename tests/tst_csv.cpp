// The catalogue tool's CSV: what it reads from hand-written files, what it refuses and on
// which line, and that what it writes reads back the same (NULL apart from empty text).
#include "Csv.h"

#include <QBuffer>
#include <QtTest>

using catalogue::CsvError;
using catalogue::CsvReader;
using catalogue::CsvWriter;

namespace {

// Every record of the input; a NULL field shows as "<null>".
QStringList readAll(const QByteArray &input) {
    QByteArray data = input;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer);
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
    }
    void reads() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, records);
        QCOMPARE(readAll(input), records);
    }

    void refusesWithTheLine_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("quote never closed")
            << QByteArray("a\r\n1\r\n\"open,\r\nstill open") << 3 << "not closed";
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
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"

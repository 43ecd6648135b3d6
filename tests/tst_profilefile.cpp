#include "platform/ProfileFile.h"
#include "platform/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using platform::ProfileFile;

namespace {

// Bytes of a literal, embedded NULs included.
template <qsizetype N> QByteArray raw(const char (&bytes)[N]) {
    return QByteArray(bytes, N - 1);
}

// A text as a file in UTF-16LE or UTF-8 that starts with its byte-order mark.
QByteArray utf16File(const QString &text) {
    QStringEncoder encoder(QStringEncoder::Utf16LE);
    return "\xFF\xFE" + QByteArray(encoder.encode(text));
}
QByteArray utf8File(const QString &text) {
    return "\xEF\xBB\xBF" + text.toUtf8();
}

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    // A fresh file name in the test folder, holding bytes unless they are null.
    QString makeFile(const QByteArray &bytes) {
        const QString name = m_dir.filePath(QString("profile%1.ini").arg(++m_files));
        if (!bytes.isNull()) {
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                qFatal("cannot write %s", qPrintable(name));
        }
        return name;
    }

    static QByteArray contents(const QString &name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void readString_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("expected");

        const QByteArray longValue(2000, 'x');
        QTest::newRow("plain") << QByteArray("[General]\r\nVersion=v2\r\n") << "General"
                               << "Version" << 1024 << "v2";
        QTest::newRow("names ignore case") << QByteArray("[general]\r\nversion=x\r\n") << "GENERAL"
                                           << "VERSION" << 1024 << "x";
        QTest::newRow("case of non-ASCII letters counts")
            << QByteArray("[\xC4]\r\nk=1\r\n") << "\u00E4"
            << "k" << 1024 << "default";
        QTest::newRow("blanks around names and value")
            << QByteArray("  [  Dirs  ]  \r\n  Audio  =  ..\\A\\  \r\n") << "Dirs"
            << "audio" << 1024 << "..\\A\\";
        QTest::newRow("tabs and control bytes trimmed")
            << QByteArray("[S]\r\n\tk\x01=\t v\x1f\r\n") << "S"
            << "k" << 1024 << "v";
        QTest::newRow("split at first equals") << QByteArray("[S]\r\nk=a=b\r\n") << "S"
                                               << "k" << 1024 << "a=b";
        QTest::newRow("empty value") << QByteArray("[S]\r\nk=\r\n") << "S"
                                     << "k" << 1024 << "";
        QTest::newRow("line without equals has no value") << QByteArray("[S]\r\nk\r\n") << "S"
                                                          << "k" << 1024 << "default";
        QTest::newRow("double quotes") << QByteArray("[S]\r\nk=\" v \"\r\n") << "S"
                                       << "k" << 1024 << " v ";
        QTest::newRow("single quotes") << QByteArray("[S]\r\nk='v'\r\n") << "S"
                                       << "k" << 1024 << "v";
        QTest::newRow("empty quotes") << QByteArray("[S]\r\nk=''\r\n") << "S"
                                      << "k" << 1024 << "";
        QTest::newRow("mixed quotes kept") << QByteArray("[S]\r\nk=\"v'\r\n") << "S"
                                           << "k" << 1024 << "\"v'";
        QTest::newRow("lone quote kept") << QByteArray("[S]\r\nk=\"\r\n") << "S"
                                         << "k" << 1024 << "\"";
        QTest::newRow("inner quotes kept") << QByteArray("[S]\r\nk=a\"b\"\r\n") << "S"
                                           << "k" << 1024 << "a\"b\"";
        QTest::newRow("first duplicate key") << QByteArray("[S]\r\nk=1\r\nK=2\r\n") << "S"
                                             << "k" << 1024 << "1";
        QTest::newRow("first duplicate section")
            << QByteArray("[S]\r\nk=1\r\n[s]\r\nk=2\r\n") << "S"
            << "k" << 1024 << "1";
        QTest::newRow("later duplicate section not searched")
            << QByteArray("[S]\r\na=1\r\n[S]\r\nk=2\r\n") << "S"
            << "k" << 1024 << "default";
        QTest::newRow("comment") << QByteArray("[S]\r\n;k=1\r\n") << "S"
                                 << "k" << 1024 << "default";
        QTest::newRow("indented comment") << QByteArray("[S]\r\n  ; k=1\r\nk=2\r\n") << "S"
                                          << "k" << 1024 << "2";
        QTest::newRow("hash is no comment") << QByteArray("[S]\r\n#k=1\r\n") << "S"
                                            << "#k" << 1024 << "1";
        QTest::newRow("section name to last bracket")
            << QByteArray("[a]b] rest\r\nk=1\r\n") << "a]b"
            << "k" << 1024 << "1";
        QTest::newRow("unclosed bracket is a key line") << QByteArray("[S]\r\n[T\r\nk=1\r\n") << "S"
                                                        << "k" << 1024 << "1";
        QTest::newRow("key before any section") << QByteArray("k=1\r\n[S]\r\n") << "S"
                                                << "k" << 1024 << "default";
        QTest::newRow("LF line ends") << QByteArray("[S]\nk=1\n") << "S"
                                      << "k" << 1024 << "1";
        QTest::newRow("CR line ends") << QByteArray("[S]\rk=1\r") << "S"
                                      << "k" << 1024 << "1";
        QTest::newRow("blank lines") << QByteArray("\r\n\r\n[S]\r\n\r\n\r\nk=1") << "S"
                                     << "k" << 1024 << "1";
        QTest::newRow("missing section") << QByteArray("[S]\r\nk=1\r\n") << "T"
                                         << "k" << 1024 << "default";
        QTest::newRow("missing key") << QByteArray("[S]\r\nk=1\r\n") << "S"
                                     << "j" << 1024 << "default";
        QTest::newRow("missing file") << QByteArray() << "S"
                                      << "k" << 1024 << "default";
        QTest::newRow("long value cut") << "[S]\r\nk=" + longValue << "S"
                                        << "k" << 1024 << QString(1023, 'x');
        QTest::newRow("quoted long value cut") << "[S]\r\nk='" + longValue + "'"
                                               << "S"
                                               << "k" << 1024 << QString(1023, 'x');
        QTest::newRow("small buffer") << QByteArray("[S]\r\nk=abcdef\r\n") << "S"
                                      << "k" << 4 << "abc";
        QTest::newRow("small buffer cuts default") << QByteArray("[S]\r\n") << "S"
                                                   << "k" << 4 << "def";
        QTest::newRow("code page 1252") << QByteArray("[S]\r\nk=\x80\x99\xDF\x81\xFF\r\n") << "S"
                                        << "k" << 1024 << "\u20AC\u2122\u00DF\u0081\u00FF";
        // A NUL ends the name or value it stands in, as it ends a C string.
        QTest::newRow("NUL ends a value")
            << raw("[General]\r\nVersion=v2\xDF\0junk\r\n") << "General"
            << "Version" << 1024 << "v2\u00DF";
        QTest::newRow("blanks before the NUL trimmed") << raw("[S]\r\nk= v \0 x\r\n") << "S"
                                                       << "k" << 1024 << "v";
        QTest::newRow("NUL first in a value") << raw("[S]\r\nk=\0v\r\n") << "S"
                                              << "k" << 1024 << "";
        QTest::newRow("NUL ends a key name") << raw("[S]\r\nk\0junk=1\r\n") << "S"
                                             << "k" << 1024 << "1";
        QTest::newRow("NUL ends a section name") << raw("[S\0junk]\r\nk=1\r\n") << "S"
                                                 << "k" << 1024 << "1";
        QTest::newRow("quoted value before a NUL") << raw("[S]\r\nk='v '\0x\r\n") << "S"
                                                   << "k" << 1024 << "v ";
        QTest::newRow("names looked up are trimmed") << QByteArray("[S]\r\nk=1\r\n") << " S\t"
                                                     << "  k " << 1024 << "1";
        QTest::newRow("name looked up ends at a NUL")
            << QByteArray("[S]\r\nk=1\r\n") << QString::fromLatin1(raw("S\0x"))
            << QString::fromLatin1(raw("k\0y")) << 1024 << "1";
        QTest::newRow("UTF-8 with byte-order mark")
            << utf8File("[General]\r\nVersion=v2\u00DF\u20AC\r\n") << "General"
            << "Version" << 1024 << "v2\u00DF\u20AC";
        QTest::newRow("UTF-16LE with byte-order mark")
            << utf16File("[General]\r\nVersion=v2\u00DF\r\n") << "general"
            << "version" << 1024 << "v2\u00DF";
        QTest::newRow("UTF-16LE NUL ends a value")
            << utf16File(QString::fromLatin1(raw("[S]\r\nk=v\0junk\r\n"))) << "S"
            << "k" << 1024 << "v";
        QTest::newRow("UTF-16LE long value cut")
            << utf16File("[S]\r\nk=" + QString(2000, u'\u00E9')) << "S"
            << "k" << 1024 << QString(1023, u'\u00E9');
        QTest::newRow("mark alone") << QByteArray("\xFF\xFE") << "S"
                                    << "k" << 1024 << "default";
    }

    void readString() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(int, bufferSize);
        QFETCH(QString, expected);
        const ProfileFile profile(makeFile(file));
        QCOMPARE(profile.readString(section, key, "default", bufferSize), expected);
    }

    void writeString_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("new file") << QByteArray() << "S"
                                  << "k"
                                  << "v" << QByteArray("[S]\r\nk=v\r\n");
        QTest::newRow("empty file") << QByteArray("") << "S"
                                    << "k"
                                    << "v" << QByteArray("[S]\r\nk=v\r\n");
        QTest::newRow("replaced in place") << QByteArray("[A]\r\nk=1\r\nz=2\r\n") << "a"
                                           << "K"
                                           << "9" << QByteArray("[A]\r\nk=9\r\nz=2\r\n");
        QTest::newRow("replaced line keeps its name and indent")
            << QByteArray("[A]\r\n  Key = 1 \r\n") << "A"
            << "KEY"
            << "2" << QByteArray("[A]\r\n  Key=2\r\n");
        QTest::newRow("first duplicate replaced") << QByteArray("[A]\r\nk=1\r\nk=2\r\n") << "A"
                                                  << "k"
                                                  << "9" << QByteArray("[A]\r\nk=9\r\nk=2\r\n");
        QTest::newRow("line without equals gets a value") << QByteArray("[A]\r\nk\r\n") << "A"
                                                          << "k"
                                                          << "v" << QByteArray("[A]\r\nk=v\r\n");
        QTest::newRow("new key after last key of section")
            << QByteArray("[A]\r\nx=1\r\n\r\n; about B\r\n[B]\r\ny=2\r\n") << "A"
            << "n"
            << "3" << QByteArray("[A]\r\nx=1\r\nn=3\r\n\r\n; about B\r\n[B]\r\ny=2\r\n");
        QTest::newRow("new key in empty section") << QByteArray("[A]\r\n[B]\r\n") << "A"
                                                  << "n"
                                                  << "3" << QByteArray("[A]\r\nn=3\r\n[B]\r\n");
        QTest::newRow("new key in first duplicate section")
            << QByteArray("[A]\r\nx=1\r\n[a]\r\ny=2\r\n") << "A"
            << "y"
            << "3" << QByteArray("[A]\r\nx=1\r\ny=3\r\n[a]\r\ny=2\r\n");
        QTest::newRow("new key after last line without break")
            << QByteArray("[A]\r\nx=1") << "A"
            << "n"
            << "3" << QByteArray("[A]\r\nx=1\r\nn=3\r\n");
        QTest::newRow("new key in LF file") << QByteArray("[A]\nx=1\n[B]\n") << "A"
                                            << "n"
                                            << "3" << QByteArray("[A]\nx=1\nn=3\r\n[B]\n");
        QTest::newRow("new section at end")
            << QByteArray("[A]\r\nx=1\r\n") << "B"
            << "y"
            << "2" << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
        QTest::newRow("new section after last line without break")
            << QByteArray("[A]\r\nx=1") << "B"
            << "y"
            << "2" << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
        QTest::newRow("other bytes kept")
            << QByteArray("; \x80\x99\xFE \t\r\n[A]  \r\n\tx = 1\x01\r\n\r\r\n;c\n[B]\ny=\"q\"\n")
            << "B"
            << "y"
            << "r"
            << QByteArray("; \x80\x99\xFE \t\r\n[A]  \r\n\tx = 1\x01\r\n\r\r\n;c\n[B]\ny=r\n");
        QTest::newRow("code page 1252 value")
            << QByteArray("[A]\r\n") << "A"
            << "k"
            << "v2\u00DF \u20AC\u2122" << QByteArray("[A]\r\nk=v2\xDF \x80\x99\r\n");
        QTest::newRow("character outside the code page")
            << QByteArray() << "A"
            << "k"
            << "\u65E5" << QByteArray("[A]\r\nk=?\r\n");
        QTest::newRow("UTF-8 file keeps its encoding")
            << utf8File("[A]\r\nk=1\r\n") << "A"
            << "k"
            << "\u00DF\u20AC" << utf8File("[A]\r\nk=\u00DF\u20AC\r\n");
        QTest::newRow("UTF-16LE file keeps its encoding")
            << utf16File("[A]\r\nk=1\r\n") << "A"
            << "n"
            << "\u00DF\u20AC" << utf16File("[A]\r\nk=1\r\nn=\u00DF\u20AC\r\n");
        QTest::newRow("UTF-16LE new section")
            << utf16File("[A]\r\nk=1") << "B"
            << "k"
            << "2" << utf16File("[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n");
        QTest::newRow("names trimmed") << QByteArray("[A]\r\nk=1\r\n") << " A "
                                       << "\tk "
                                       << "2" << QByteArray("[A]\r\nk=2\r\n");
        QTest::newRow("value with a NUL replaced whole") << raw("[A]\r\nk=1\0junk\r\n") << "A"
                                                         << "k"
                                                         << "2" << QByteArray("[A]\r\nk=2\r\n");
    }

    void writeString() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const ProfileFile profile(makeFile(before));
        QVERIFY(profile.writeString(section, key, value));
        QCOMPARE(contents(profile.fileName()), after);
        QCOMPARE(profile.readString(section, key, "default"),
                 value.contains(u'\u65E5') ? "?" : value);
    }

    void everyHighByteRoundTrips() {
        QByteArray bytes;
        for (int b = 0x80; b <= 0xFF; ++b)
            bytes += char(b);
        const QString text = platform::fromWindows1252(bytes);
        QCOMPARE(platform::toWindows1252(text), bytes);
        QCOMPARE(text.at(0x99 - 0x80), QChar(0x2122)); // not the Latin-1 control 0x99
        const ProfileFile profile(makeFile(QByteArray()));
        QVERIFY(profile.writeString("S", "k", text));
        QCOMPARE(contents(profile.fileName()), "[S]\r\nk=" + bytes + "\r\n");
        QCOMPARE(profile.readString("S", "k", QString()), text);
    }

    void writeThatCannotBeMadeFails_data() {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("missing folder") << "missing/Vantrel.INI";
        QTest::newRow("folder is a file") << "plain/Vantrel.INI";
        QTest::newRow("file is a folder") << "folder";
    }

    void writeThatCannotBeMadeFails() {
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QFile plain(dir.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

        const ProfileFile profile(dir.filePath(fileName));
        QVERIFY(!profile.writeString("S", "k", "v"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), entries);
        QVERIFY(QDir(dir.filePath("folder"))
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QCOMPARE(profile.readString("S", "k", "default"), "default");
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"

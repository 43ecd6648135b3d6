#include "app/Configuration.h"
#include "controls/ErrorReport.h"
#include "platform/AudioDirectory.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using platform::AudioDirectory;

namespace {

const QByteArray defaultFile = "[General]\r\n"
                               "Version=v2\xDF\r\n"
                               "\r\n"
                               "[SpriteAmount]\r\n"
                               "EffectSprites=5\r\n"
                               "MechSprites=4\r\n"
                               "GroundSprites=16\r\n"
                               "\r\n"
                               "[Directories]\r\n"
                               "Sprites=..\\Sprites\\\r\n"
                               "Audio=..\\Audio\\Default\\\r\n";

// Bytes of a literal, embedded NULs included.
template <qsizetype N> QByteArray raw(const char (&bytes)[N]) {
    return QByteArray(bytes, N - 1);
}

// A text as a UTF-16LE file with its byte-order mark.
QByteArray utf16File(const QString &text) {
    QStringEncoder encoder(QStringEncoder::Utf16LE);
    return "\xFF\xFE" + QByteArray(encoder.encode(text));
}

const QString notFound = "..\\Vantrel.INI not found, default one created.";

QString mismatch(const QString &version) {
    return "INI file version mismatch detected (INI file is version " + version +
           ")!\rBetter have a look at ..\\Vantrel.INI";
}

} // namespace

// Every test runs in <tmp>/work, so that the configuration file is <tmp>/Vantrel.INI.
class TestConfiguration : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
    QStringList m_warnings;

    QString iniPath() const { return m_dir->filePath("Vantrel.INI"); }
    void writeIni(const QByteArray &bytes, const QString &name = "Vantrel.INI") {
        QFile file(m_dir->filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the configuration file");
    }
    QByteArray iniBytes() const {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        m_startDir = QDir::currentPath();
        app::setWarningNotice([this](const QString &text) { m_warnings << text; });
    }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_dir->path()).mkdir("work"));
        QVERIFY(QDir::setCurrent(m_dir->filePath("work")));
        m_warnings.clear();
        platform::setAudioDirectory("left over");
    }
    void cleanup() { QDir::setCurrent(m_startDir); }
    void cleanupTestCase() { app::setWarningNotice({}); }

    void missingFileIsCreatedAfterTheWarning() {
        bool existedAtWarning = true;
        app::setWarningNotice([&](const QString &text) {
            m_warnings << text;
            existedAtWarning = QFile::exists(iniPath());
        });
        app::ReadConfiguration();
        app::setWarningNotice([this](const QString &text) { m_warnings << text; });

        QCOMPARE(m_warnings, QStringList{notFound});
        QVERIFY(!existedAtWarning);
        QCOMPARE(iniBytes(), defaultFile);
        QCOMPARE(AudioDirectory(), "..\\Audio\\Default\\");
    }

    void existingFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QString>("audio");

        const QString audio = "..\\Audio\\Default\\";
        QTest::newRow("default file") << defaultFile << QStringList() << audio;
        QTest::newRow("names in other case, quoted version")
            << QByteArray("[general]\r\nVERSION=\"v2\xDF\"\r\n[directories]\r\naudio=x\\\r\n")
            << QStringList() << "x\\";
        QTest::newRow("capital V") << QByteArray("[General]\r\nVersion=V2\xDF\r\n")
                                   << QStringList{mismatch("V2\u00DF")} << audio;
        QTest::newRow("other version") << QByteArray("[General]\r\nVersion=v1.5\r\n")
                                       << QStringList{mismatch("v1.5")} << audio;
        QTest::newRow("sharp s spelled out") << QByteArray("[General]\r\nVersion=v2ss\r\n")
                                             << QStringList{mismatch("v2ss")} << audio;
        QTest::newRow("no version key") << QByteArray("[Directories]\r\nAudio=..\\Snd\\\r\n")
                                        << QStringList{mismatch("0.0")} << "..\\Snd\\";
        QTest::newRow("empty file") << QByteArray("") << QStringList{mismatch("0.0")} << audio;
        QTest::newRow("audio without trailing backslash")
            << QByteArray("[General]\r\nVersion=v2\xDF\r\n[Directories]\r\nAudio=..\\Sounds\r\n")
            << QStringList() << "..\\Sounds";
        QTest::newRow("audio in code page 1252")
            << QByteArray("[General]\r\nVersion=v2\xDF\r\n[Directories]\r\nAudio=Kl\xE4nge\\\r\n")
            << QStringList() << "Kl\u00E4nge\\";
        QTest::newRow("NUL after the version")
            << raw("[General]\r\nVersion=v2\xDF\0junk\r\n[Directories]\r\nAudio=a\\\0b\r\n")
            << QStringList() << "a\\";
        QTest::newRow("UTF-8 with byte-order mark")
            << QByteArray("\xEF\xBB\xBF[General]\r\nVersion=v2\xC3\x9F\r\n") << QStringList()
            << audio;
        QTest::newRow("UTF-16LE with byte-order mark")
            << utf16File("[General]\r\nVersion=v2\u00DF\r\n") << QStringList() << audio;
        QTest::newRow("bad sprite counts are no error")
            << QByteArray("[General]\r\nVersion=v2\xDF\r\n[SpriteAmount]\r\nEffectSprites=0x\r\n"
                          "MechSprites=$G\r\nGroundSprites=many\r\n")
            << QStringList() << audio;
    }

    void existingFile() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, warnings);
        QFETCH(QString, audio);
        writeIni(file);
        app::ReadConfiguration();
        QCOMPARE(m_warnings, warnings);
        QCOMPARE(AudioDirectory(), audio);
        QCOMPARE(iniBytes(), file); // reading never writes
    }

    void fileNameInOtherLetterCase() {
        writeIni(defaultFile, "vantrel.ini");
        app::ReadConfiguration();
        QVERIFY(m_warnings.isEmpty());
        QVERIFY(!QFile::exists(iniPath()));
    }

    void unwritableFile_data() {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("folder missing") << "..\\missing\\Vantrel.INI";
        QTest::newRow("folder is a file") << "..\\plain\\Vantrel.INI";
        QTest::newRow("file is a folder") << "..\\folder";
    }

    void unwritableFile() {
        QFETCH(QString, fileName);
        writeIni("", "plain");
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        try {
            app::ReadConfiguration(fileName);
            QFAIL("no error");
        } catch (const std::exception &error) {
            QCOMPARE(controls::errorMessage(error), "Unable to write to " + fileName);
        }
        QCOMPARE(m_warnings, QStringList{fileName + " not found, default one created."});
        QCOMPARE(AudioDirectory(), QString());
    }
};

QTEST_MAIN(TestConfiguration)
#include "tst_configuration.moc"

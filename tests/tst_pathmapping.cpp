#include "platform/PathMapping.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPathMapping : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_startDir;

    void touch(const QString &relative) {
        QFile file(m_dir.filePath(relative));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(file.fileName()));
    }

private slots:
    // Layout: <tmp>/Audio/Default/{Laser.wav, X.WAV, x.wav}, <tmp>/work (working directory).
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath("Audio/Default"));
        QVERIFY(QDir(m_dir.path()).mkpath("work"));
        touch("Audio/Default/Laser.wav");
        touch("Audio/Default/X.WAV");
        touch("Audio/Default/x.wav");
        m_startDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.filePath("work")));
    }
    void cleanupTestCase() { QDir::setCurrent(m_startDir); }

    void mapPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("backslashes") << "..\\Audio\\Default\\Laser.wav"
                                     << "../Audio/Default/Laser.wav";
        QTest::newRow("letter case of every component") << "..\\AUDIO\\default\\LASER.WAV"
                                                        << "../Audio/Default/Laser.wav";
        QTest::newRow("directory with trailing separator") << "..\\audio\\Default\\"
                                                           << "../Audio/Default/";
        QTest::newRow("exact case preferred") << "..\\Audio\\Default\\x.wav"
                                              << "../Audio/Default/x.wav";
        QTest::newRow("several matches: first by name") << "..\\Audio\\Default\\X.wav"
                                                        << "../Audio/Default/X.WAV";
        QTest::newRow("missing file kept") << "..\\audio\\Default\\boom.mp3.WAV"
                                           << "../Audio/Default/boom.mp3.WAV";
        QTest::newRow("below a missing folder kept") << "..\\audio\\Nothing\\audio"
                                                     << "../Audio/Nothing/audio";
        QTest::newRow("empty sound name") << "..\\Audio\\Default\\.WAV"
                                          << "../Audio/Default/.WAV";
        QTest::newRow("dot components") << ".\\..\\.\\audio"
                                        << "./.././Audio";
        QTest::newRow("empty") << ""
                               << "";
    }

    void mapPath() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(platform::mapPath(path), expected);
    }

    void absolutePath() {
        const QString root = QDir(m_dir.path()).canonicalPath();
        QCOMPARE(platform::mapPath(root + "\\audio\\DEFAULT"), root + "/Audio/Default");
    }
};

QTEST_GUILESS_MAIN(TestPathMapping)
#include "tst_pathmapping.moc"

// Plays through a real sound server and checks what reached its null sink "ci" by
// recording the sink's monitor. Needs PULSE_SERVER (see scripts/start-sound-server.sh).
#include "platform/SoundPlayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <chrono>
#include <cstring>
#include <future>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using platform::SoundPlayer;

namespace {

constexpr int rate = 44100;
constexpr int frameBytes = 4; // 16-bit stereo

// A signal without a single zero sample, so that trimming the silence around a recording
// keeps every frame of it. The seed makes different sounds tell apart.
QByteArray testSignal(int frames, int seed) {
    QByteArray pcm(frames * frameBytes, Qt::Uninitialized);
    auto *samples = reinterpret_cast<qint16 *>(pcm.data());
    for (int i = 0; i < frames * 2; ++i)
        samples[i] = qint16(500 + (i * 7919 + seed * 104729) % 20000 - (i % 2) * 11000);
    return pcm;
}

QByteArray wavImage(const QByteArray &pcm, int channels = 2) {
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    return "RIFF" + le32(36 + quint32(pcm.size())) + "WAVEfmt " + le32(16) + le16(1) +
           le16(quint16(channels)) + le32(rate) + le32(rate * channels * 2) +
           le16(quint16(channels * 2)) + le16(16) + "data" + le32(quint32(pcm.size())) + pcm;
}

// The sample data of a plain 16-bit WAV image.
QByteArray wavData(const QByteArray &image) {
    qsizetype pos = 12;
    while (pos + 8 <= image.size()) {
        quint32 size = 0;
        std::memcpy(&size, image.constData() + pos + 4, 4);
        if (image.mid(pos, 4) == "data")
            return image.mid(pos + 8, size);
        pos += 8 + size + (size & 1);
    }
    return {};
}

bool zeroFrame(const QByteArray &pcm, qsizetype frame) {
    return std::memcmp(pcm.constData() + frame * frameBytes, "\0\0\0\0", frameBytes) == 0;
}

// Removes the silent frames before and after the sound.
QByteArray trimmed(const QByteArray &pcm) {
    qsizetype first = 0;
    qsizetype last = pcm.size() / frameBytes;
    while (first < last && zeroFrame(pcm, first))
        ++first;
    while (last > first && zeroFrame(pcm, last - 1))
        --last;
    return pcm.mid(first * frameBytes, (last - first) * frameBytes);
}

// Records the monitor of the sink "ci" as raw 16-bit stereo at 44.1 kHz.
class MonitorRecording {
public:
    MonitorRecording() {
        m_parec.start(QStringLiteral("parec"),
                      {"-d", "ci.monitor", "--latency-msec=20", "--format=s16le", "--rate=44100",
                       "--channels=2", "--raw"});
        // The monitor sends silence as soon as the recording stream runs.
        m_started = m_parec.waitForStarted(5000) && m_parec.waitForReadyRead(5000);
        m_parec.readAllStandardOutput();
    }
    ~MonitorRecording() { stop(); }

    bool started() const { return m_started; }

    // What reached the sink, without the silence around it. Waits until the sound has
    // been followed by 0.3 seconds of silence, however late a busy machine
    // delivers it.
    QByteArray stop() {
        if (m_parec.state() != QProcess::NotRunning) {
            QElapsedTimer timer;
            timer.start();
            while (!endsInSilence() && timer.elapsed() < 5000) {
                m_parec.waitForReadyRead(100);
                m_data += m_parec.readAllStandardOutput();
            }
            m_parec.terminate();
            m_parec.waitForFinished(5000);
        }
        return trimmed(m_data.left(m_data.size() / frameBytes * frameBytes));
    }

private:
    bool endsInSilence() const {
        const qsizetype frames = m_data.size() / frameBytes;
        const qsizetype quiet = rate * 3 / 10;
        if (frames <= quiet)
            return false;
        for (qsizetype frame = frames - quiet; frame < frames; ++frame) {
            if (!zeroFrame(m_data, frame))
                return false;
        }
        return !trimmed(m_data.first(frames * frameBytes)).isEmpty();
    }

    QProcess m_parec;
    QByteArray m_data;
    bool m_started = false;
};

// Where a recording departs from the expected sound, for the failure message.
QString difference(const QByteArray &got, const QByteArray &expected) {
    qsizetype same = 0;
    while (same < got.size() && same < expected.size() && got[same] == expected[same])
        ++same;
    return QString("recorded %1 frames, expected %2; equal for the first %3")
        .arg(got.size() / frameBytes)
        .arg(expected.size() / frameBytes)
        .arg(same / frameBytes);
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : m_name(name), m_saved(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (m_saved.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, m_saved);
    }

private:
    const char *m_name;
    QByteArray m_saved;
};

// Lets a reader blocked in opening a FIFO go on: a writer comes and leaves at once.
void releaseFifoReader(const QString &fifo) {
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
}

} // namespace

#define REQUIRE_SOUND_SERVER()                                                                     \
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))                                               \
    QSKIP("PULSE_SERVER is not set: no sound server to play through")

class TestSoundPlayer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString writeFile(const QString &name, const QByteArray &bytes) {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path(name)));
        return file.fileName();
    }
    // Plays one file through a fresh player; what reached the sink (empty on failure).
    static QByteArray playAndRecord(const QString &file) {
        SoundPlayer player;
        MonitorRecording recording;
        if (!recording.started())
            return {};
        player.play(file);
        if (!player.waitUntilIdle(5000))
            return {};
        return recording.stop();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void playsWholeFileUnchanged() {
        REQUIRE_SOUND_SERVER();
        const QByteArray pcm = testSignal(rate / 2, 1);
        const QString file = writeFile("whole.wav", wavImage(pcm));
        const QByteArray got = playAndRecord(file);
        QVERIFY2(got == pcm, qPrintable(difference(got, pcm)));
    }

    void newPlayCutsOffTheSoundPlaying_data() {
        QTest::addColumn<int>("firstMs");
        QTest::addColumn<int>("secondAfterMs");
        QTest::newRow("while being sent") << 2000 << 400;
        QTest::newRow("during its last part") << 500 << 300;
        QTest::newRow("short sound") << 250 << 100;
    }

    void newPlayCutsOffTheSoundPlaying() {
        REQUIRE_SOUND_SERVER();
        QFETCH(int, firstMs);
        QFETCH(int, secondAfterMs);
        const QByteArray first = testSignal(rate * firstMs / 1000, 2);
        const QByteArray second = testSignal(rate / 4, 3);
        const QString firstFile = writeFile("first.wav", wavImage(first));
        const QString secondFile = writeFile("second.wav", wavImage(second));
        SoundPlayer player;
        MonitorRecording recording;
        QVERIFY(recording.started());
        player.play(firstFile);
        QThread::msleep(secondAfterMs);
        player.play(secondFile);
        QVERIFY(player.waitUntilIdle(5000));
        const QByteArray got = recording.stop();

        // The second sound whole at the end, and before it only a beginning of the first.
        QVERIFY(got.size() > second.size());
        QVERIFY2(got.endsWith(second), qPrintable(difference(got.last(second.size()), second)));
        const QByteArray head = trimmed(got.first(got.size() - second.size()));
        const qsizetype missing = first.size() - head.size();
        QVERIFY2(missing >= rate / 20 * frameBytes,
                 qPrintable(QString("%1 of %2 frames of the first sound played")
                                .arg(head.size() / frameBytes)
                                .arg(first.size() / frameBytes)));
        QVERIFY(head.size() > 0);
        QVERIFY(first.startsWith(head));
    }

    void unplayableFilePlaysDefaultSound_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << "missing.wav" << QByteArray();
        QTest::newRow("empty") << "empty.wav" << QByteArray("");
        QTest::newRow("not audio") << "text.wav" << QByteArray("[General]\r\nVersion=1\r\n");
        QTest::newRow("header only") << "header.wav" << wavImage(QByteArray());
        QTest::newRow("directory") << "." << QByteArray();
    }

    void unplayableFilePlaysDefaultSound() {
        REQUIRE_SOUND_SERVER();
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString file = content.isNull() ? path(name) : writeFile(name, content);
        const QByteArray expected = trimmed(wavData(SoundPlayer::defaultSound()));
        QVERIFY(!expected.isEmpty());
        const QByteArray got = playAndRecord(file);
        QVERIFY2(got == expected, qPrintable(difference(got, expected)));
    }

    // A file whose opening blocks (a FIFO without a writer) is not a sound file: the default
    // sound plays at once, and later sounds are not held up behind it.
    void blockingFilePlaysDefaultSound() {
        const QString fifo = path("laser.wav");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const bool server = !qEnvironmentVariableIsEmpty("PULSE_SERVER");
        SoundPlayer player;
        std::unique_ptr<MonitorRecording> recording;
        if (server) {
            recording = std::make_unique<MonitorRecording>();
            QVERIFY(recording->started());
        }
        player.play(fifo);
        const bool idle = player.waitUntilIdle(5000);
        if (!idle)
            releaseFifoReader(fifo);
        QVERIFY2(idle, "the player is stuck opening the FIFO");
        if (server) {
            const QByteArray expected = trimmed(wavData(SoundPlayer::defaultSound()));
            const QByteArray got = recording->stop();
            QVERIFY2(got == expected, qPrintable(difference(got, expected)));
        }
        player.play(writeFile("after-fifo.wav", wavImage(testSignal(rate / 10, 6))));
        QVERIFY(player.waitUntilIdle(5000));
    }

    // A sound server that accepts the connection and then never answers holds the worker;
    // destroying the player (closing the program) must not wait for it.
    void destroyingDoesNotWaitForAStuckServer() {
        const QByteArray socketPath = QFile::encodeName(path("stuck.sock"));
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(server >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(std::size_t(socketPath.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
        QVERIFY(::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0);
        QVERIFY(::listen(server, 4) == 0);

        bool returned = false;
        {
            ScopedEnvironment environment("PULSE_SERVER", "unix:" + socketPath);
            auto player = std::make_unique<SoundPlayer>();
            player->play(writeFile("stuck.wav", wavImage(testSignal(rate / 10, 7))));
            QThread::msleep(300); // the worker is now waiting for the server's answer
            auto destroyed = std::async(std::launch::async, [&player] { player.reset(); });
            returned = destroyed.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
            // Closing the server lets a worker that is still waiting fail and end.
            ::close(server);
            destroyed.wait();
        }
        QVERIFY2(returned, "destroying the player waited for the sound server");
    }

    void playReturnsAtOnce() {
        REQUIRE_SOUND_SERVER();
        const QString file = writeFile("long2.wav", wavImage(testSignal(3 * rate, 4)));
        SoundPlayer player;
        QElapsedTimer timer;
        qint64 slowest = 0;
        for (int i = 0; i < 5; ++i) {
            timer.start();
            player.play(file);
            slowest = std::max(slowest, timer.nsecsElapsed());
            QThread::msleep(100);
        }
        player.stop();
        qInfo("slowest play() call: %.3f ms", double(slowest) / 1e6);
        // The call only hands the path over; a generous bound keeps a busy machine green.
        QVERIFY(slowest < 50'000'000);
        QVERIFY(player.waitUntilIdle(5000));
    }

    void withoutServerNothingIsHeardAndNothingFails() {
        const QString file = writeFile("quiet.wav", wavImage(testSignal(rate, 5)));
        const QByteArray saved = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(path("no-server")));
        {
            SoundPlayer player;
            player.play(file);
            player.play(path("missing.wav"));
            QVERIFY(player.waitUntilIdle(5000));
        }
        if (saved.isNull())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", saved);
    }
};

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"

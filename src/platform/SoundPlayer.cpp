#include "platform/SoundPlayer.h"

#include <QFile>

#include <pulse/error.h>
#include <pulse/simple.h>
#include <sndfile.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Resources of a static library must be registered by name, outside any namespace.
static void registerSoundResources() {
    Q_INIT_RESOURCE(korvandel_sound);
}

namespace platform {

namespace {

// Each write hands this much sound to the server, so that a new request is noticed
// within about this time.
constexpr int chunksPerSecond = 50;
// Sound the server holds ahead of playback: enough to ride out a busy machine without a
// gap. A cut-off drops it at once, so it costs no responsiveness.
constexpr pa_usec_t serverBufferUsec = 300'000;
// The end of a sound is awaited in steps of at most this, so that a new request cuts the
// tail off as well; the last bit below this is left to the server's drain.
constexpr pa_usec_t tailStepUsec = 30'000;

// How long the destructor waits for the worker to leave a sound it is cutting off.
constexpr auto workerLeaveTimeout = std::chrono::milliseconds(250);

// An open file descriptor, closed with the object.
struct Descriptor {
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    const int fd;
};

// A WAV file image in memory, read through libsndfile's virtual I/O.
struct MemoryImage {
    QByteArray bytes;
    sf_count_t position = 0;
};

sf_count_t imageLength(void *user) {
    return static_cast<MemoryImage *>(user)->bytes.size();
}

sf_count_t imageSeek(sf_count_t offset, int whence, void *user) {
    auto *image = static_cast<MemoryImage *>(user);
    sf_count_t target = offset;
    if (whence == SEEK_CUR)
        target += image->position;
    else if (whence == SEEK_END)
        target += image->bytes.size();
    if (target < 0 || target > image->bytes.size())
        return -1;
    image->position = target;
    return target;
}

sf_count_t imageRead(void *buffer, sf_count_t count, void *user) {
    auto *image = static_cast<MemoryImage *>(user);
    const sf_count_t n = std::min<sf_count_t>(count, image->bytes.size() - image->position);
    std::memcpy(buffer, image->bytes.constData() + image->position, std::size_t(n));
    image->position += n;
    return n;
}

sf_count_t imageWrite(const void *, sf_count_t, void *) {
    return 0;
}

sf_count_t imageTell(void *user) {
    return static_cast<MemoryImage *>(user)->position;
}

// An open WAV file that the sound server can play, read in the server's sample format:
// 8- and 16-bit files as 16-bit samples, 24- and 32-bit as 32-bit, everything else as
// floating point, so that the common formats reach the server unchanged.
class SoundFile {
public:
    // Only a regular file is read: opening a FIFO or a device could block the worker or
    // never end. The descriptor is opened without waiting (a FIFO without a writer would
    // block a plain open) and checked before anything is read from it.
    static std::unique_ptr<SoundFile> open(const QString &fileName) {
        auto descriptor = std::make_unique<Descriptor>(::open(
            QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat status {};
        if (descriptor->fd < 0 || ::fstat(descriptor->fd, &status) != 0 || !S_ISREG(status.st_mode))
            return nullptr;
        SF_INFO info{};
        SNDFILE *file = sf_open_fd(descriptor->fd, SFM_READ, &info, SF_FALSE);
        auto sound = make(file, info, nullptr);
        if (sound)
            sound->m_descriptor = std::move(descriptor);
        return sound;
    }

    static std::unique_ptr<SoundFile> open(const QByteArray &bytes) {
        if (bytes.isEmpty())
            return nullptr;
        static SF_VIRTUAL_IO io{imageLength, imageSeek, imageRead, imageWrite, imageTell};
        auto image = std::make_unique<MemoryImage>(MemoryImage{bytes, 0});
        SF_INFO info{};
        SNDFILE *file = sf_open_virtual(&io, SFM_READ, &info, image.get());
        return make(file, info, std::move(image));
    }

    ~SoundFile() { sf_close(m_file); }
    SoundFile(const SoundFile &) = delete;
    SoundFile &operator=(const SoundFile &) = delete;

    const pa_sample_spec &format() const { return m_spec; }
    std::size_t bytes() const { return std::size_t(m_frames) * pa_frame_size(&m_spec); }

    // Reads up to frames frames; returns the bytes read into buffer (0 at the end).
    std::size_t read(std::vector<char> &buffer, sf_count_t frames) {
        const std::size_t frameSize = pa_frame_size(&m_spec);
        buffer.resize(std::size_t(frames) * frameSize);
        sf_count_t got = 0;
        switch (m_spec.format) {
        case PA_SAMPLE_S16NE:
            got = sf_readf_short(m_file, reinterpret_cast<short *>(buffer.data()), frames);
            break;
        case PA_SAMPLE_S32NE:
            got = sf_readf_int(m_file, reinterpret_cast<int *>(buffer.data()), frames);
            break;
        default:
            got = sf_readf_float(m_file, reinterpret_cast<float *>(buffer.data()), frames);
            break;
        }
        return got > 0 ? std::size_t(got) * frameSize : 0;
    }

private:
    SoundFile(SNDFILE *file, const SF_INFO &info, const pa_sample_spec &format,
              std::unique_ptr<MemoryImage> image)
        : m_file(file), m_frames(info.frames), m_spec(format), m_image(std::move(image)) {}

    static std::unique_ptr<SoundFile> make(SNDFILE *file, const SF_INFO &info,
                                           std::unique_ptr<MemoryImage> image) {
        if (!file)
            return nullptr;
        const int container = info.format & SF_FORMAT_TYPEMASK;
        const bool wav = container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX ||
                         container == SF_FORMAT_RF64;
        pa_sample_spec format{sampleFormat(info.format & SF_FORMAT_SUBMASK),
                              std::uint32_t(info.samplerate), std::uint8_t(info.channels)};
        if (!wav || info.frames <= 0 || info.channels <= 0 ||
            info.channels > int(PA_CHANNELS_MAX) || !pa_sample_spec_valid(&format)) {
            sf_close(file);
            return nullptr;
        }
        return std::unique_ptr<SoundFile>(new SoundFile(file, info, format, std::move(image)));
    }

    static pa_sample_format_t sampleFormat(int encoding) {
        switch (encoding) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_16:
            return PA_SAMPLE_S16NE;
        case SF_FORMAT_PCM_24:
        case SF_FORMAT_PCM_32:
            return PA_SAMPLE_S32NE;
        default:
            return PA_SAMPLE_FLOAT32NE;
        }
    }

    SNDFILE *m_file;
    sf_count_t m_frames;
    pa_sample_spec m_spec;
    std::unique_ptr<MemoryImage> m_image;     // the memory behind a virtual file
    std::unique_ptr<Descriptor> m_descriptor; // the file behind a real one, closed last
};

// A playback stream on the default sink; closing it drops what has not been played yet.
struct StreamCloser {
    void operator()(pa_simple *stream) const { pa_simple_free(stream); }
};
using Stream = std::unique_ptr<pa_simple, StreamCloser>;

// Playback starts once the server buffer is full, or once the whole sound is there when it
// is shorter: so it never starts before a sound that fits has been handed over whole.
Stream openStream(const pa_sample_spec &format, std::size_t soundBytes) {
    pa_buffer_attr buffer;
    buffer.maxlength = std::uint32_t(-1);
    buffer.tlength = std::uint32_t(pa_usec_to_bytes(serverBufferUsec, &format));
    buffer.prebuf = std::uint32_t(std::min<std::size_t>(buffer.tlength, soundBytes));
    buffer.minreq = std::uint32_t(-1);
    buffer.fragsize = std::uint32_t(-1);
    int error = 0;
    return Stream(pa_simple_new(nullptr, "Korvandel", PA_STREAM_PLAYBACK, nullptr, "Sound", &format,
                                nullptr, &buffer, &error));
}

} // namespace

class SoundPlayer::Queue {
public:
    explicit Queue(QByteArray defaultSound) : m_defaultSound(std::move(defaultSound)) {}

    // Replaces the pending request (none: just cut off) and interrupts the sound playing.
    void request(std::optional<QString> fileName) {
        {
            std::lock_guard lock(m_mutex);
            m_pending = std::move(fileName);
            m_interrupt = true;
        }
        m_wake.notify_all();
    }

    void quit() {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
            m_interrupt = true;
        }
        m_wake.notify_all();
    }

    bool waitUntilIdle(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_idle.wait_for(lock, timeout, [this] { return !m_busy && !m_pending; });
    }

    bool waitUntilFinished(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_idle.wait_for(lock, timeout, [this] { return m_finished; });
    }

    // The worker's loop: plays each request until asked to quit.
    void run() {
        for (;;) {
            QString fileName;
            {
                std::unique_lock lock(m_mutex);
                m_busy = false;
                m_idle.notify_all();
                m_wake.wait(lock, [this] { return m_quit || m_pending; });
                if (m_quit)
                    break;
                fileName = *std::exchange(m_pending, std::nullopt);
                m_interrupt = false;
                m_busy = true;
            }
            playOne(fileName);
        }
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_idle.notify_all();
    }

private:
    void playOne(const QString &fileName);
    void waitForRequest(std::chrono::microseconds timeout) {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, timeout, [this] { return m_interrupt.load(); });
    }

    const QByteArray m_defaultSound;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<QString> m_pending; // the next file to play
    bool m_busy = false;
    bool m_quit = false;
    bool m_finished = false;
    // Set by a new request so that the worker leaves the sound it is sending.
    std::atomic<bool> m_interrupt = false;
};

SoundPlayer::SoundPlayer() : SoundPlayer(defaultSound()) {}

SoundPlayer::SoundPlayer(QByteArray defaultSound)
    : m_queue(std::make_shared<Queue>(std::move(defaultSound))) {
    m_worker = std::thread([queue = m_queue] { queue->run(); });
}

SoundPlayer::~SoundPlayer() {
    m_queue->quit();
    // Closing the program must not wait on a sound: a worker that does not come back
    // at once (held up by the sound server) keeps the queue alive and ends by itself.
    if (m_queue->waitUntilFinished(workerLeaveTimeout))
        m_worker.join();
    else
        m_worker.detach();
}

SoundPlayer &SoundPlayer::instance() {
    static SoundPlayer player;
    return player;
}

QByteArray SoundPlayer::defaultSound() {
    registerSoundResources();
    QFile file(QStringLiteral(":/sound/default.wav"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SoundPlayer::play(const QString &fileName) {
    m_queue->request(fileName);
}

void SoundPlayer::stop() {
    m_queue->request(std::nullopt);
}

bool SoundPlayer::waitUntilIdle(int timeoutMs) {
    return m_queue->waitUntilIdle(std::chrono::milliseconds(timeoutMs));
}

void SoundPlayer::Queue::playOne(const QString &fileName) {
    std::unique_ptr<SoundFile> sound = SoundFile::open(fileName);
    if (!sound)
        sound = SoundFile::open(m_defaultSound);
    if (!sound)
        return;
    Stream stream = openStream(sound->format(), sound->bytes());
    if (!stream)
        return; // no sound server: silence
    const sf_count_t chunkFrames = std::max<sf_count_t>(1, sound->format().rate / chunksPerSecond);
    std::vector<char> buffer;
    while (!m_interrupt) {
        const std::size_t bytes = sound->read(buffer, chunkFrames);
        if (bytes == 0)
            break;
        if (pa_simple_write(stream.get(), buffer.data(), bytes, nullptr) < 0)
            return;
    }
    // Wait for the end while watching for a new request: closing the stream without
    // draining it is what cuts a sound off. Should the server not play on (a stream that
    // ran dry waits to refill), the wait ends after the time the sound needed and the
    // drain starts the rest.
    auto soundLeft = [&stream] {
        const pa_usec_t latency = pa_simple_get_latency(stream.get(), nullptr);
        return latency == pa_usec_t(-1) ? 0 : latency; // unknown: leave it to the drain
    };
    pa_usec_t left = soundLeft();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::microseconds(left + serverBufferUsec);
    while (!m_interrupt && left > tailStepUsec && std::chrono::steady_clock::now() < deadline) {
        waitForRequest(std::chrono::microseconds(std::min(left - tailStepUsec, tailStepUsec)));
        left = soundLeft();
    }
    if (!m_interrupt)
        pa_simple_drain(stream.get(), nullptr);
}

} // namespace platform

#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {

// Plays WAV files in the background through the desktop's sound server.
//
// play() only hands the path to a worker thread and returns at once. A new play() cuts off
// the sound still playing. A path that names no playable WAV file (missing, empty, not a
// WAV) plays the default sound instead. Without a sound server nothing is heard and nothing
// fails: the server is looked for again at the next play().
class SoundPlayer {
public:
    // The player with the program's own default sound.
    SoundPlayer();
    // A player whose default sound is the given WAV file image (empty: no default sound).
    explicit SoundPlayer(QByteArray defaultSound);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer &) = delete;
    SoundPlayer &operator=(const SoundPlayer &) = delete;

    // The program's single player.
    static SoundPlayer &instance();
    // The program's default sound, a WAV file image.
    static QByteArray defaultSound();

    // Starts playing the file (a path of this file system), cutting off any sound playing.
    void play(const QString &fileName);
    // Cuts off the sound playing, if any.
    void stop();
    // Waits until no sound is playing or waiting; false when the timeout came first.
    bool waitUntilIdle(int timeoutMs);

private:
    void run();
    void playOne(const QString &fileName);
    void waitForRequest(std::chrono::microseconds timeout);

    const QByteArray m_defaultSound;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<QString> m_pending; // the next file to play
    bool m_busy = false;
    bool m_quit = false;
    // Set by a new request so that the worker leaves the sound it is sending.
    std::atomic<bool> m_interrupt = false;
    std::thread m_worker;
};

} // namespace platform

#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <thread>

namespace platform {

// Plays WAV files in the background through the desktop's sound server.
//
// play() only hands the path to a worker thread and returns at once. A new play() cuts off
// the sound still playing. A path that names no playable WAV file (missing, empty, not a
// WAV, not a regular file) plays the default sound instead. Without a sound server nothing
// is heard and nothing fails: the server is looked for again at the next play().
//
// Destroying the player cuts off its sound and waits only briefly for the worker: a worker
// held up by the sound server is left to finish on its own.
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
    // The requests and the worker's state, shared with the worker thread so that a worker
    // left behind by the destructor still has them.
    class Queue;

    std::shared_ptr<Queue> m_queue;
    std::thread m_worker;
};

} // namespace platform

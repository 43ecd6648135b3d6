#include "platform/AudioDirectory.h"

namespace platform {

namespace {
QString &audioDirectory() {
    static QString directory;
    return directory;
}
} // namespace

const QString &AudioDirectory() {
    return audioDirectory();
}

void setAudioDirectory(const QString &directory) {
    audioDirectory() = directory;
}

} // namespace platform

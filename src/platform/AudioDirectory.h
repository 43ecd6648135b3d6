#pragma once

#include <QString>

namespace platform {

// The audio directory of the shared configuration, exactly as the file gives it (by
// default "..\Audio\Default\", relative and ending in a separator): a sound file's path is
// this text followed directly by the sound name and ".WAV". Set once at start-up by the
// configuration reader; empty until then (or when reading the configuration failed).
const QString &AudioDirectory();
void setAudioDirectory(const QString &directory);

} // namespace platform

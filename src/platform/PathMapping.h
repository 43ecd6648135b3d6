#pragma once

#include <QString>

namespace platform {

// Maps a path as the game writes it ("..\Audio\Default\laser.WAV") to a path of this file
// system: backslashes become slashes, and a component that does not exist with its exact
// letter case is replaced by an entry of its directory that matches it without regard to
// case (the game's files come from a system that ignores case). Components that match
// nothing are kept as written. The path stays relative when it was relative.
QString mapPath(const QString &path);

} // namespace platform

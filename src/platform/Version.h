#pragma once

#include <QString>

namespace platform {

// The game version this editor is built for: "v2" and the letter sharp s (byte 0xDF in the
// Windows code page). The configuration file must carry it; the title screen and the About
// box show it.
inline QString versionText() {
    return QStringLiteral("v2\u00DF");
}

} // namespace platform

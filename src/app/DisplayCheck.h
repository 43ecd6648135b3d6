#pragma once

#include <QString>

namespace app {

// Whether the window system that Qt is about to use answers, asked before the application
// object exists: Qt aborts the process when its platform cannot connect, which leaves the
// user a core dump instead of a reason.
//
// platform is the platform Qt was told to use (-platform or QT_QPA_PLATFORM), empty when it
// chooses itself. Returns an empty text when the display answers, or when the platform needs
// none (offscreen, vnc, ...); otherwise the one line that says which display does not answer.
QString unreachableDisplay(const QString &platform);

// The platform named on the command line (-platform NAME, --platform NAME) or by
// QT_QPA_PLATFORM, empty when neither names one.
QString requestedPlatform(int argc, char *argv[]);

} // namespace app

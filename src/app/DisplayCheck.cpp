#include "app/DisplayCheck.h"

#include <QStringList>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace app {

namespace {

QString environment(const char *name) {
    return QString::fromLocal8Bit(std::getenv(name));
}

// A Wayland compositor listens on WAYLAND_DISPLAY: a socket name inside XDG_RUNTIME_DIR,
// or an absolute path.
bool waylandAnswers() {
    QString path = environment("WAYLAND_DISPLAY");
    if (!path.startsWith(QLatin1Char('/'))) {
        const QString runtime = environment("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            return false;
        path = runtime + QLatin1Char('/') + path;
    }
    const QByteArray name = path.toLocal8Bit();
    sockaddr_un address{};
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), name.size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return false;
    const bool answers =
        ::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(socket);
    return answers;
}

} // namespace

QString requestedPlatform(int argc, char *argv[]) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return environment("QT_QPA_PLATFORM");
}

// An X server accepts a connection (and our credentials) on DISPLAY.
bool DisplayCheck::xServerAnswers() {
    m_connection = xcb_connect(nullptr, nullptr);
    return xcb_connection_has_error(m_connection) == 0;
}

DisplayCheck::~DisplayCheck() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

DisplayCheck::DisplayCheck(const QString &platform) : m_problem(unreachable(platform)) {}

QString DisplayCheck::unreachable(const QString &platform) {
    // "xcb:option=value" and "wayland-egl" name the same window systems.
    const bool anyPlatform = platform.isEmpty();
    const bool x = anyPlatform || platform.startsWith(QLatin1String("xcb"));
    const bool wayland = anyPlatform || platform.startsWith(QLatin1String("wayland"));
    if (!x && !wayland)
        return {};
    const QString xDisplay = x ? environment("DISPLAY") : QString();
    const QString waylandDisplay = wayland ? environment("WAYLAND_DISPLAY") : QString();
    if ((!xDisplay.isEmpty() && xServerAnswers()) ||
        (!waylandDisplay.isEmpty() && waylandAnswers()))
        return {};
    QStringList silent;
    if (!xDisplay.isEmpty())
        silent << QStringLiteral("no X server answers on DISPLAY=%1").arg(xDisplay);
    if (!waylandDisplay.isEmpty())
        silent << QStringLiteral("no Wayland compositor answers on WAYLAND_DISPLAY=%1")
                      .arg(waylandDisplay);
    if (silent.isEmpty())
        return QStringLiteral("no display to open its window on (%1)")
            .arg(x && wayland ? QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set")
                 : x          ? QStringLiteral("DISPLAY is not set")
                              : QStringLiteral("WAYLAND_DISPLAY is not set"));
    return QStringLiteral("cannot open its window: %1").arg(silent.join(QStringLiteral(", and ")));
}

} // namespace app

#pragma once

#include <QString>

struct xcb_connection_t;

namespace app {

// Whether the window system that Qt is about to use answers, asked before the application
// object exists: Qt aborts the process when its platform cannot connect, which leaves the
// user a core dump instead of a reason.
//
// platform is the platform Qt was told to use (-platform or QT_QPA_PLATFORM), empty when it
// chooses itself. problem() is empty when the display answers, or when the platform needs
// none (offscreen, vnc, ...); otherwise the one line that says which display does not answer.
//
// The check's own X connection stays open for the check's lifetime: an X server resets when
// its last client leaves and refuses connections meanwhile, so keep the check until Qt has
// connected.
class DisplayCheck {
public:
    explicit DisplayCheck(const QString &platform);
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck &) = delete;
    DisplayCheck &operator=(const DisplayCheck &) = delete;
    const QString &problem() const { return m_problem; }

private:
    QString unreachable(const QString &platform);
    bool xServerAnswers();

    xcb_connection_t *m_connection = nullptr;
    QString m_problem;
};

// The platform named on the command line (-platform NAME, --platform NAME) or by
// QT_QPA_PLATFORM, empty when neither names one.
QString requestedPlatform(int argc, char *argv[]);

} // namespace app

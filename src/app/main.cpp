#include "app/Main.h"
#include "controls/ErrorReport.h"
#include "controls/Fonts.h"
#include "data/EquipmentQuery.h"
#include "db/AliasRegistry.h"
#include "dialogs/LoginDialog.h"
#include "report/QRReportPrinter.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// The last safety net: an exception that escapes an event handler is shown by the default
// error report, and the program goes on. The handlers themselves run under
// controls::guarded, so this catches only what slipped past them.
class KorvandelApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &error) {
            controls::showErrorReport(controls::errorMessage(error));
        } catch (...) {
            controls::showErrorReport(QStringLiteral("Unknown error"));
        }
        return false;
    }
};

bool haveDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") ||
           std::getenv("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char *argv[]) {
    if (!haveDisplay()) {
        std::fputs("korvandel: no display to open its window on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set).\n"
                   "Start it inside a desktop session, or under a virtual X server:\n"
                   "    xvfb-run -a -s \"-screen 0 1280x1024x24\" korvandel\n",
                   stderr);
        return 2;
    }
    KorvandelApplication application(argc, argv);
    // The application title, and so the caption of the error report. The display name
    // follows it; setting that explicitly would make Qt append it to every window caption.
    QApplication::setApplicationName(QStringLiteral("Korvandel"));
    controls::installFontSubstitutes();
    // The printing subsystem's single page store exists before any window.
    CreateQRPrinter(&application);
    data::registerEquipmentDatabase();
    // A database server that wants a password the alias does not give asks for a login.
    db::AliasRegistry::setLoginPrompt([](const db::AliasRegistry::LoginRequest &request)
                                          -> std::optional<db::AliasRegistry::Login> {
        const auto login =
            dialogs::askDatabaseLogin(request.database, request.user, request.reason);
        if (!login)
            return std::nullopt;
        return db::AliasRegistry::Login{login->first, login->second};
    });

    auto *window = new app::TfrmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return application.exec();
}

#include "app/Main.h"
#include "controls/ErrorReport.h"
#include "controls/Fonts.h"
#include "data/EquipmentQuery.h"
#include "dialogs/LoginDialog.h"
#include "platform/Version.h"
#include "report/QRReportPrinter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

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

bool haveDisplay(int argc, char *argv[]) {
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM"))
        return true;
    // Qt's own option that names the platform, for example "-platform offscreen".
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

QStringList argumentList(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The exit code of a command line that needs no window, or a wrong one: help and version
// go to standard output (exit code 0), a mistake to standard error (exit code 2). Nothing
// when the editor is to start. The editor itself takes no arguments.
enum class CommandLineError { Report, Ignore };

std::optional<int> handleCommandLine(const QStringList &arguments, CommandLineError onError) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The equipment catalogue editor of Vantrel.\n"
        "It opens the catalogue through the database alias VantrelDB (see\n"
        "~/.config/korvandel/databases.ini) and shares the game's configuration file\n"
        "../Vantrel.INI, one folder above the working directory."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version."));
    parser.addOption(help);
    parser.addOption(version);
    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("Unexpected argument '%1': the editor takes no arguments.")
                    .arg(parser.positionalArguments().constFirst());
    if (!error.isEmpty()) {
        if (onError == CommandLineError::Ignore)
            return std::nullopt;
        std::fprintf(stderr, "korvandel: %s\nTry 'korvandel --help' for more information.\n",
                     qPrintable(error));
        return 2;
    }
    if (parser.isSet(help)) {
        // Without an application object Qt names the program by a placeholder.
        std::fputs(qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                        QStringLiteral("korvandel"))),
                   stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[]) {
    // The application title, and so the caption of the error report. The display name
    // follows it; setting that explicitly would make Qt append it to every window caption.
    QCoreApplication::setApplicationName(QStringLiteral("Korvandel"));
    QCoreApplication::setApplicationVersion(
        QStringLiteral(KORVANDEL_VERSION " (%1)").arg(platform::versionText()));
    // Help and version need no display. Qt's own options (such as -platform) are known only
    // to the application object, which takes them out of the arguments: a mistake is
    // reported once that object has had its say, or at once when there is no display.
    const bool display = haveDisplay(argc, argv);
    if (const auto exitCode =
            handleCommandLine(argumentList(argc, argv),
                              display ? CommandLineError::Ignore : CommandLineError::Report))
        return *exitCode;
    if (!display) {
        std::fputs("korvandel: no display to open its window on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set).\n"
                   "Start it inside a desktop session, or under a virtual X server:\n"
                   "    xvfb-run -a -s \"-screen 0 1280x1024x24\" korvandel\n",
                   stderr);
        return 2;
    }
    KorvandelApplication application(argc, argv);
    if (const auto exitCode =
            handleCommandLine(QCoreApplication::arguments(), CommandLineError::Report))
        return *exitCode;
    controls::installFontSubstitutes();
    // The printing subsystem's single page store exists before any window.
    CreateQRPrinter(&application);
    data::registerEquipmentDatabase();
    // A database server that wants a password the alias does not give asks for a login.
    dialogs::installDatabaseLoginPrompt();
    dialogs::installDatabaseWarnings();

    auto *window = new app::TfrmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return application.exec();
}

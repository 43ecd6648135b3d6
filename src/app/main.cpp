#include "app/Main.h"
#include "app/DemoOffer.h"
#include "app/DisplayCheck.h"
#include "app/WorkingFolder.h"
#include "controls/ErrorReport.h"
#include "controls/Fonts.h"
#include "data/EquipmentQuery.h"
#include "dialogs/LoginDialog.h"
#include "platform/Version.h"
#include "report/QRPrinter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
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

// The arguments, without Qt's option that names the platform (-platform NAME), which the
// editor's own command line does not know.
QStringList argumentList(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (i > 0 &&
            (argument == QLatin1String("-platform") || argument == QLatin1String("--platform"))) {
            ++i;
            continue;
        }
        arguments << argument;
    }
    return arguments;
}

// The exit code of a command line that needs no window, or a wrong one: help and version
// go to standard output (exit code 0), a mistake to standard error (exit code 2). Nothing
// when the editor is to start; then folder is the working folder that --directory asks for
// (empty without it). The editor itself takes no arguments.
enum class CommandLineError { Report, Ignore };

std::optional<int> handleCommandLine(const QStringList &arguments, CommandLineError onError,
                                     QString *folder = nullptr) {
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
    const QCommandLineOption directory(
        QStringLiteral("directory"),
        QStringLiteral("Works in <folder>, which is made when missing (the menu entry\n"
                       "starts the editor in ~/Vantrel/Editor)."),
        QStringLiteral("folder"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(directory);
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
    if (folder)
        *folder = parser.value(directory);
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[]) {
    // The application title, and so the caption of the error report. The display name
    // follows it; setting that explicitly would make Qt append it to every window caption.
    QCoreApplication::setApplicationName(QStringLiteral("Korvandel"));
    QCoreApplication::setApplicationVersion(
        QStringLiteral(KORVANDEL_VERSION " (%1)").arg(platform::versionText()));
    // Help and version need no display, nor a look for one. Qt's own options (such as
    // -platform) are known only to the application object, which takes them out of the
    // arguments: a mistake is reported once that object has had its say, or at once when
    // there is no display to make one.
    const QStringList arguments = argumentList(argc, argv);
    if (const auto exitCode = handleCommandLine(arguments, CommandLineError::Ignore))
        return *exitCode;
    auto display = std::make_optional<app::DisplayCheck>(app::requestedPlatform(argc, argv));
    if (const QString problem = display->problem(); !problem.isEmpty()) {
        if (const auto exitCode = handleCommandLine(arguments, CommandLineError::Report))
            return *exitCode;
        std::fprintf(stderr,
                     "korvandel: %s; start it inside a desktop session, or under a virtual X "
                     "server: xvfb-run -a korvandel\n",
                     qPrintable(problem));
        return 2;
    }
    KorvandelApplication application(argc, argv);
    display.reset(); // Qt holds its own connection now
    QString folder;
    if (const auto exitCode =
            handleCommandLine(QCoreApplication::arguments(), CommandLineError::Report, &folder))
        return *exitCode;
    // Every window, dialogs and message boxes included, shows the program's icon.
    QIcon icon;
    for (const QFileInfo &size : QDir(QStringLiteral(":/icon")).entryInfoList())
        icon.addFile(size.filePath() + QStringLiteral("/apps/korvandel.png"));
    QApplication::setWindowIcon(icon);
    if (!folder.isEmpty() && !app::enterWorkingFolder(folder))
        return 1;
    controls::installFontSubstitutes();
    // The printing subsystem's single page store exists before any window.
    report::CreateQRPrinter(&application);
    data::registerEquipmentDatabase();
    // A database server that wants a password the alias does not give asks for a login.
    dialogs::installDatabaseLoginPrompt();
    dialogs::installDatabaseWarnings();

    auto *window = new app::TfrmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    // The first start on an empty catalogue offers the demo catalogue, once.
    app::DemoOffer().offer(window->sqlEquipment, window);
    return application.exec();
}

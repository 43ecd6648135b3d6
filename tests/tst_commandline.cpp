// The editor's command line, run as a user runs it: the real program in its own process.
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void options_data();
    void options();
};

void TestCommandLine::options_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment"); // NAME=value, over an environment without any
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("stdoutHas");
    QTest::addColumn<QStringList>("stderrHas");

    const QStringList version{QStringLiteral("Korvandel 2.0 (v2\u00DF)\n")};
    const QStringList help{QStringLiteral("Usage: korvandel [options]\n"),
                           QStringLiteral("-h, --help"), QStringLiteral("-v, --version"),
                           QStringLiteral("--directory <folder>")};
    const QStringList unknown{QStringLiteral("korvandel: Unknown option 'bogus'."),
                              QStringLiteral("Try 'korvandel --help'")};
    const QStringList unexpected{
        QStringLiteral("korvandel: Unexpected argument 'catalogue.sqlite'")};

    const QStringList offscreen{QStringLiteral("QT_QPA_PLATFORM=offscreen")};
    for (const bool display : {false, true}) {
        const char *where = display ? "display" : "no display";
        const QStringList environment = display ? offscreen : QStringList{};
        QTest::addRow("--version, %s", where) << QStringList{QStringLiteral("--version")}
                                              << environment << 0 << version << QStringList{};
        QTest::addRow("-v, %s", where)
            << QStringList{QStringLiteral("-v")} << environment << 0 << version << QStringList{};
        QTest::addRow("--help, %s", where)
            << QStringList{QStringLiteral("--help")} << environment << 0 << help << QStringList{};
        QTest::addRow("-h, %s", where)
            << QStringList{QStringLiteral("-h")} << environment << 0 << help << QStringList{};
        QTest::addRow("unknown option, %s", where) << QStringList{QStringLiteral("--bogus")}
                                                   << environment << 2 << QStringList{} << unknown;
        QTest::addRow("unknown option after --version, %s", where)
            << QStringList{QStringLiteral("--version"), QStringLiteral("--bogus")} << environment
            << 2 << QStringList{} << unknown;
        QTest::addRow("--directory without its folder, %s", where)
            << QStringList{QStringLiteral("--directory")} << environment << 2 << QStringList{}
            << QStringList{QStringLiteral("korvandel: Missing value after '--directory'.")};
        QTest::addRow("an argument, %s", where) << QStringList{QStringLiteral("catalogue.sqlite")}
                                                << environment << 2 << QStringList{} << unexpected;
    }
    // Qt's own options belong to the application object and are no mistake.
    QTest::newRow("-platform offscreen --version")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                       QStringLiteral("--version")}
        << QStringList{} << 0 << version << QStringList{};
    QTest::newRow("no display, no option")
        << QStringList{} << QStringList{} << 2 << QStringList{}
        << QStringList{QStringLiteral("korvandel: no display to open its window on (neither "
                                      "DISPLAY nor WAYLAND_DISPLAY is set); start it")};
    QTest::newRow("-platform xcb, no DISPLAY")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("xcb")} << QStringList{} << 2
        << QStringList{}
        << QStringList{QStringLiteral("korvandel: no display to open its window on (DISPLAY is "
                                      "not set)")};

    // A display that is named but does not answer: a stale variable, an ssh session without
    // forwarding, a compositor that is gone. Qt would abort; the editor says so in one line.
    const QString deadX = QStringLiteral("DISPLAY=:7391");
    const QString deadWayland = QStringLiteral("WAYLAND_DISPLAY=/nonexistent/wayland-7391");
    const QString noX = QStringLiteral("no X server answers on DISPLAY=:7391");
    const QString noWayland = QStringLiteral(
        "no Wayland compositor answers on WAYLAND_DISPLAY=/nonexistent/wayland-7391");
    QTest::newRow("DISPLAY without an X server")
        << QStringList{} << QStringList{deadX} << 2 << QStringList{}
        << QStringList{QStringLiteral("korvandel: cannot open its window: ") + noX +
                       QStringLiteral("; start it")};
    QTest::newRow("WAYLAND_DISPLAY without a compositor")
        << QStringList{} << QStringList{deadWayland} << 2 << QStringList{}
        << QStringList{QStringLiteral("korvandel: cannot open its window: ") + noWayland};
    QTest::newRow("neither answers")
        << QStringList{} << QStringList{deadX, deadWayland} << 2 << QStringList{}
        << QStringList{noX + QStringLiteral(", and ") + noWayland};
    QTest::newRow("-platform xcb, DISPLAY without an X server")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("xcb")}
        << QStringList{deadX, deadWayland} << 2 << QStringList{}
        << QStringList{QStringLiteral("cannot open its window: ") + noX + QStringLiteral("; ")};
    // Help needs no display, and a mistake is still named first.
    QTest::newRow("--help, DISPLAY without an X server")
        << QStringList{QStringLiteral("--help")} << QStringList{deadX} << 0 << help
        << QStringList{};
    QTest::newRow("unknown option, DISPLAY without an X server")
        << QStringList{QStringLiteral("--bogus")} << QStringList{deadX} << 2 << QStringList{}
        << unknown;
    // A platform without a display is Qt's own business.
    QTest::newRow("DISPLAY without an X server, offscreen platform")
        << QStringList{QStringLiteral("--version")} << (QStringList{deadX} + offscreen) << 0
        << version << QStringList{};
}

void TestCommandLine::options() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, exitCode);
    QFETCH(QStringList, stdoutHas);
    QFETCH(QStringList, stderrHas);

    QProcessEnvironment processEnvironment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        processEnvironment.remove(QString::fromLatin1(name));
    for (const QString &setting : std::as_const(environment))
        processEnvironment.insert(setting.section(QLatin1Char('='), 0, 0),
                                  setting.section(QLatin1Char('='), 1));
    QProcess korvandel;
    korvandel.setProcessEnvironment(processEnvironment);
    korvandel.start(QStringLiteral(KORVANDEL_BINARY), arguments);
    QVERIFY(korvandel.waitForFinished(30000));
    const QString out = QString::fromUtf8(korvandel.readAllStandardOutput());
    const QString err = QString::fromUtf8(korvandel.readAllStandardError());
    QCOMPARE(korvandel.exitStatus(), QProcess::NormalExit);
    QVERIFY2(korvandel.exitCode() == exitCode, qPrintable(out + err));
    for (const QString &text : stdoutHas)
        QVERIFY2(out.contains(text), qPrintable(out));
    for (const QString &text : stderrHas)
        QVERIFY2(err.contains(text), qPrintable(err));
    // Help and version go to standard output, mistakes to standard error alone.
    if (exitCode == 0)
        QVERIFY2(!err.contains(QStringLiteral("korvandel")), qPrintable(err));
    else
        QVERIFY2(out.isEmpty(), qPrintable(out));
    // A missing display is told in one line, and Qt has said nothing of its own.
    if (err.contains(QStringLiteral("its window")))
        QVERIFY2(err.count(QLatin1Char('\n')) == 1 && err.startsWith(QStringLiteral("korvandel: ")),
                 qPrintable(err));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"

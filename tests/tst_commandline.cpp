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
    QTest::addColumn<bool>("display"); // a (headless) display platform in the environment
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("stdoutHas");
    QTest::addColumn<QStringList>("stderrHas");

    const QStringList version{QStringLiteral("Korvandel 2.0 (v2\u00DF)\n")};
    const QStringList help{QStringLiteral("Usage: korvandel [options]\n"),
                           QStringLiteral("-h, --help"), QStringLiteral("-v, --version")};
    const QStringList unknown{QStringLiteral("korvandel: Unknown option 'bogus'."),
                              QStringLiteral("Try 'korvandel --help'")};
    const QStringList unexpected{
        QStringLiteral("korvandel: Unexpected argument 'catalogue.sqlite'")};

    for (const bool display : {false, true}) {
        const char *where = display ? "display" : "no display";
        QTest::addRow("--version, %s", where)
            << QStringList{QStringLiteral("--version")} << display << 0 << version << QStringList{};
        QTest::addRow("-v, %s", where)
            << QStringList{QStringLiteral("-v")} << display << 0 << version << QStringList{};
        QTest::addRow("--help, %s", where)
            << QStringList{QStringLiteral("--help")} << display << 0 << help << QStringList{};
        QTest::addRow("-h, %s", where)
            << QStringList{QStringLiteral("-h")} << display << 0 << help << QStringList{};
        QTest::addRow("unknown option, %s", where)
            << QStringList{QStringLiteral("--bogus")} << display << 2 << QStringList{} << unknown;
        QTest::addRow("unknown option after --version, %s", where)
            << QStringList{QStringLiteral("--version"), QStringLiteral("--bogus")} << display << 2
            << QStringList{} << unknown;
        QTest::addRow("an argument, %s", where) << QStringList{QStringLiteral("catalogue.sqlite")}
                                                << display << 2 << QStringList{} << unexpected;
    }
    // Qt's own options belong to the application object and are no mistake.
    QTest::newRow("-platform offscreen --version")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                       QStringLiteral("--version")}
        << false << 0 << version << QStringList{};
    QTest::newRow("no display, no option")
        << QStringList{} << false << 2 << QStringList{}
        << QStringList{QStringLiteral("korvandel: no display to open its window on")};
}

void TestCommandLine::options() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QStringList, stdoutHas);
    QFETCH(QStringList, stderrHas);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (display)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess korvandel;
    korvandel.setProcessEnvironment(environment);
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
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"

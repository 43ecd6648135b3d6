#include "platform/SystemInfo.h"

#include <QDateTime>
#include <QtTest>

using platform::SystemFacts;

class TestSystemInfo : public QObject {
    Q_OBJECT

private slots:
    void uptime_data();
    void uptime();
    void processorType_data();
    void processorType();
    void processorModel_data();
    void processorModel();
    void kernelVersion_data();
    void kernelVersion();
    void rows();
    void queriesTheRunningSystem();
};

void TestSystemInfo::uptime_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<uint>("ticks");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1 h, 24-hour clock") << "C" << 3600000u << "01:00:00";
    QTest::newRow("25 h drops the day") << "C" << 90000000u << "01:00:00";
    QTest::newRow("1 h, 12-hour clock") << "en_US" << 3600000u << "1:00:00 AM";
    QTest::newRow("25 h, 12-hour clock") << "en_US" << 90000000u << "1:00:00 AM";
    QTest::newRow("last second of a day") << "C" << 86399999u << "23:59:59";
    QTest::newRow("counter about to wrap") << "C" << 4294967295u << "17:02:47";
}

void TestSystemInfo::uptime() {
    QFETCH(QString, locale);
    QFETCH(uint, ticks);
    QFETCH(QString, expected);
    QCOMPARE(platform::uptimeText(ticks, QLocale(locale)), expected);
}

void TestSystemInfo::processorType_data() {
    QTest::addColumn<QString>("cpuInfo");
    QTest::addColumn<QString>("name");
    QTest::newRow("modern x86") << "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\n"
                                << "Intel Pentium";
    QTest::newRow("x86 family 15") << "cpu family\t: 15\n"
                                   << "Intel Pentium";
    QTest::newRow("486") << "cpu family\t: 4\n"
                         << "Intel 486";
    QTest::newRow("386") << "cpu family\t: 3\n"
                         << "Intel 386";
    QTest::newRow("PowerPC 604e") << "processor\t: 0\ncpu\t\t: 604e\n"
                                  << "PPC 604";
    QTest::newRow("POWER9 unknown") << "cpu\t\t: POWER9 (raw)\n"
                                    << "";
    QTest::newRow("ARM unknown") << "processor\t: 0\nCPU implementer\t: 0x41\n"
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSystemInfo::processorType() {
    QFETCH(QString, cpuInfo);
    QFETCH(QString, name);
    QCOMPARE(platform::processorName(platform::processorTypeFromCpuInfo(cpuInfo)), name);
}

// The CPU row names the processor itself, not a family of the nineties.
void TestSystemInfo::processorModel_data() {
    QTest::addColumn<QString>("cpuInfo");
    QTest::addColumn<QString>("cpu");
    QTest::newRow("AMD, two processors")
        << "processor\t: 0\nvendor_id\t: AuthenticAMD\ncpu family\t: 25\nmodel\t\t: 1\n"
           "model name\t: AMD EPYC 7763 64-Core Processor\ncpu MHz\t\t: 2445.404\n\n"
           "processor\t: 1\nvendor_id\t: AuthenticAMD\nmodel name\t: AMD EPYC 7763 64-Core "
           "Processor\n"
        << "AMD EPYC 7763 64-Core Processor (AuthenticAMD)";
    QTest::newRow("Intel, blanks squeezed")
        << "vendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel name\t: Intel(R) Core(TM) "
           "i7-8650U CPU @ 1.90GHz  \n"
        << "Intel(R) Core(TM) i7-8650U CPU @ 1.90GHz (GenuineIntel)";
    QTest::newRow("PowerPC names it in cpu") << "processor\t: 0\ncpu\t\t: POWER9 (raw)\n"
                                             << "POWER9 (raw)";
    QTest::newRow("no model: the family name") << "cpu family\t: 6\n"
                                               << "Intel Pentium";
    QTest::newRow("ARM without a name") << "processor\t: 0\nCPU implementer\t: 0x41\n"
                                        << "";
}

void TestSystemInfo::processorModel() {
    QFETCH(QString, cpuInfo);
    QFETCH(QString, cpu);
    SystemFacts facts;
    facts.processorType = platform::processorTypeFromCpuInfo(cpuInfo);
    facts.processor = platform::processorFromCpuInfo(cpuInfo);
    const auto rows = platform::systemInfoRows(facts, QDateTime::currentDateTime(), QLocale::c());
    QCOMPARE(rows.value(7).first, QString("CPU"));
    QCOMPARE(rows.value(7).second, cpu);
}

void TestSystemInfo::kernelVersion_data() {
    QTest::addColumn<QString>("release");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::newRow("Debian") << "6.1.0-13-amd64" << 6 << 1;
    QTest::newRow("two digits") << "5.15.90.1-microsoft-standard" << 5 << 15;
    QTest::newRow("major only") << "7" << 7 << 0;
    QTest::newRow("garbage") << "unknown" << 0 << 0;
}

void TestSystemInfo::kernelVersion() {
    QFETCH(QString, release);
    QFETCH(int, major);
    QFETCH(int, minor);
    QCOMPARE(platform::kernelVersion(release), qMakePair(major, minor));
}

void TestSystemInfo::rows() {
    SystemFacts facts;
    facts.physicalTotal = 8589934592ull; // beyond 32 bits
    facts.physicalFree = 123;
    facts.swapTotal = 0;
    facts.swapFree = 0;
    facts.systemDirectory = QStringLiteral("/etc");
    facts.libraryDirectory = QStringLiteral("/usr/lib/x86_64-linux-gnu");
    facts.processors = 2;
    facts.processorType = 4000;
    facts.ticks = 90000000;
    facts.screenWidth = 1024;
    facts.screenHeight = 768;
    facts.screenDepth = 24;
    facts.userName = QStringLiteral("designer");
    facts.computerName = QStringLiteral("bench7");
    facts.kernelName = QStringLiteral("Linux");
    facts.kernelMajor = 6;
    facts.kernelMinor = 1;
    const QDateTime now(QDate(2026, 3, 9), QTime(14, 5, 7));
    const auto rows = platform::systemInfoRows(facts, now, QLocale(QStringLiteral("en_US")));
    const QList<QPair<QString, QString>> expected = {
        {"Physical RAM", "8589934592 Bytes"},
        {"Physical RAM free", "123 Bytes"},
        {"Page file", "0 Bytes"},
        {"Page file free", "0 Bytes"},
        {"Windows directory", "/etc"},
        {"System directory", "/usr/lib/x86_64-linux-gnu"},
        {"Number of CPUs", "2"},
        {"CPU", "MIPS R4000"},
        {"Time", "2:05:07 PM"},
        {"Time since boot", "1:00:00 AM"},
        {"Date", "3/9/26"},
        {"Resolution", "1024x768"},
        {"Bits per Pixel", "24"},
        {"Username", "designer"},
        {"Computername", "bench7"},
        {"OS", "Linux 6.1"},
    };
    QCOMPARE(rows, expected);
}

void TestSystemInfo::queriesTheRunningSystem() {
    const SystemFacts facts = platform::querySystemFacts();
    QVERIFY(facts.physicalTotal > 0);
    QVERIFY(facts.physicalFree <= facts.physicalTotal);
    QVERIFY(facts.processors >= 1);
    if (QFile::exists("/proc/cpuinfo") && !QFile::exists("/proc/device-tree"))
        QVERIFY(!facts.processor.isEmpty());
    QCOMPARE(facts.kernelName, QStringLiteral("Linux"));
    QVERIFY(facts.kernelMajor >= 3);
    QVERIFY(!facts.userName.isEmpty());
    QVERIFY(!facts.computerName.isEmpty());
    QVERIFY(QFileInfo(facts.libraryDirectory).isDir());
}

QTEST_GUILESS_MAIN(TestSystemInfo)
#include "tst_systeminfo.moc"

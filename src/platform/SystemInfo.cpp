#include "platform/SystemInfo.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <dlfcn.h>
#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

namespace {

// A value of /proc/meminfo in bytes (the file counts in kB).
std::uint64_t memInfoBytes(const QByteArray &memInfo, const char *key) {
    const QRegularExpression pattern(QStringLiteral("^%1:\\s*(\\d+)\\s*kB").arg(QLatin1String(key)),
                                     QRegularExpression::MultilineOption);
    const auto match = pattern.match(QString::fromLatin1(memInfo));
    return match.hasMatch() ? match.captured(1).toULongLong() * 1024 : 0;
}

QByteArray readProcFile(const QString &path) {
    QFile file(path);
    // Files under /proc report size 0; read them to their end.
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Names read into a 256-byte buffer with room for 255 characters.
QString limitedName(const char *name) {
    return QString::fromLocal8Bit(QByteArray(name).left(255));
}

// The directory of the C library that this program runs with.
QString libraryDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&std::fopen), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

std::uint32_t millisecondsSinceBoot() {
    timespec ts{};
    if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0)
        return 0;
    const auto ms = std::uint64_t(ts.tv_sec) * 1000 + std::uint64_t(ts.tv_nsec) / 1000000;
    return static_cast<std::uint32_t>(ms);
}

} // namespace

QString processorName(int type) {
    switch (type) {
    case 386:
        return QStringLiteral("Intel 386");
    case 486:
        return QStringLiteral("Intel 486");
    case 586:
        return QStringLiteral("Intel Pentium");
    case 601:
        return QStringLiteral("PPC 601");
    case 603:
        return QStringLiteral("PPC 603");
    case 604:
        return QStringLiteral("PPC 604");
    case 620:
        return QStringLiteral("PPC 620");
    case 860:
        return QStringLiteral("Intel 860");
    case 2000:
        return QStringLiteral("MIPS R2000");
    case 3000:
        return QStringLiteral("MIPS R3000");
    case 4000:
        return QStringLiteral("MIPS R4000");
    case 21064:
        return QStringLiteral("ALPHA 21064");
    default:
        return {};
    }
}

int processorTypeFromCpuInfo(const QString &cpuInfo) {
    // x86: the family number; every processor from the Pentium on reports itself as a 586.
    const QRegularExpression family(QStringLiteral("^cpu family\\s*:\\s*(\\d+)"),
                                    QRegularExpression::MultilineOption);
    if (const auto match = family.match(cpuInfo); match.hasMatch()) {
        const int number = match.captured(1).toInt();
        if (number == 3 || number == 4)
            return number * 100 + 86;
        return number >= 5 ? 586 : 0;
    }
    // PowerPC names its model in the "cpu" line ("601", "604e", ...).
    const QRegularExpression powerPc(QStringLiteral("^cpu\\s*:\\s*(601|603|604|620)"),
                                     QRegularExpression::MultilineOption);
    if (const auto match = powerPc.match(cpuInfo); match.hasMatch())
        return match.captured(1).toInt();
    return 0;
}

QString processorFromCpuInfo(const QString &cpuInfo) {
    auto value = [&cpuInfo](const char *key) {
        const QRegularExpression line(
            QStringLiteral("^%1\\s*:[ \\t]*(.*?)\\s*$").arg(QLatin1String(key)),
            QRegularExpression::MultilineOption);
        return line.match(cpuInfo).captured(1).simplified();
    };
    // x86 and most others name the model in "model name"; PowerPC in "cpu".
    QString model = value("model name");
    if (model.isEmpty())
        model = value("cpu");
    if (model.isEmpty())
        return {};
    const QString vendor = value("vendor_id");
    return vendor.isEmpty() ? model : QStringLiteral("%1 (%2)").arg(model, vendor);
}

QPair<int, int> kernelVersion(const QString &release) {
    const QRegularExpression pattern(QStringLiteral("^(\\d+)(?:\\.(\\d+))?"));
    const auto match = pattern.match(release);
    if (!match.hasMatch())
        return {0, 0};
    return {match.captured(1).toInt(), match.captured(2).toInt()};
}

QString longTimeFormat(const QLocale &locale) {
    // Qt's long format names the time zone ("t"); the time of day alone is wanted.
    QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result += c;
    }
    return result.trimmed();
}

QString uptimeText(std::uint32_t ticks, const QLocale &locale) {
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ticks % 86400000u));
    return locale.toString(time, longTimeFormat(locale));
}

SystemFacts querySystemFacts() {
    SystemFacts facts;
    const QByteArray memInfo = readProcFile(QStringLiteral("/proc/meminfo"));
    facts.physicalTotal = memInfoBytes(memInfo, "MemTotal");
    facts.physicalFree = memInfoBytes(memInfo, "MemAvailable");
    facts.swapTotal = memInfoBytes(memInfo, "SwapTotal");
    facts.swapFree = memInfoBytes(memInfo, "SwapFree");
    facts.systemDirectory = QStringLiteral("/etc");
    facts.libraryDirectory = libraryDirectory();
    facts.processors = int(sysconf(_SC_NPROCESSORS_ONLN));
    const QString cpuInfo = QString::fromLatin1(readProcFile(QStringLiteral("/proc/cpuinfo")));
    facts.processorType = processorTypeFromCpuInfo(cpuInfo);
    facts.processor = processorFromCpuInfo(cpuInfo);
    facts.ticks = millisecondsSinceBoot();
    if (const passwd *user = getpwuid(geteuid()))
        facts.userName = limitedName(user->pw_name);
    char host[256] = {};
    if (gethostname(host, 255) == 0)
        facts.computerName = limitedName(host);
    utsname system{};
    if (uname(&system) == 0) {
        facts.kernelName = QString::fromLocal8Bit(system.sysname);
        const auto [major, minor] = kernelVersion(QString::fromLocal8Bit(system.release));
        facts.kernelMajor = major;
        facts.kernelMinor = minor;
    }
    return facts;
}

QList<QPair<QString, QString>> systemInfoRows(const SystemFacts &facts, const QDateTime &now,
                                              const QLocale &locale) {
    auto bytes = [](std::uint64_t value) {
        return QString::number(value) + QStringLiteral(" Bytes");
    };
    return {
        {QStringLiteral("Physical RAM"), bytes(facts.physicalTotal)},
        {QStringLiteral("Physical RAM free"), bytes(facts.physicalFree)},
        {QStringLiteral("Page file"), bytes(facts.swapTotal)},
        {QStringLiteral("Page file free"), bytes(facts.swapFree)},
        {QStringLiteral("Windows directory"), facts.systemDirectory},
        {QStringLiteral("System directory"), facts.libraryDirectory},
        {QStringLiteral("Number of CPUs"), QString::number(facts.processors)},
        {QStringLiteral("CPU"),
         facts.processor.isEmpty() ? processorName(facts.processorType) : facts.processor},
        {QStringLiteral("Time"), locale.toString(now.time(), longTimeFormat(locale))},
        {QStringLiteral("Time since boot"), uptimeText(facts.ticks, locale)},
        {QStringLiteral("Date"), locale.toString(now.date(), QLocale::ShortFormat)},
        {QStringLiteral("Resolution"),
         QStringLiteral("%1x%2").arg(facts.screenWidth).arg(facts.screenHeight)},
        {QStringLiteral("Bits per Pixel"), QString::number(facts.screenDepth)},
        {QStringLiteral("Username"), facts.userName},
        {QStringLiteral("Computername"), facts.computerName},
        {QStringLiteral("OS"), QStringLiteral("%1 %2.%3")
                                   .arg(facts.kernelName)
                                   .arg(facts.kernelMajor)
                                   .arg(facts.kernelMinor)},
    };
}

} // namespace platform

#pragma once

#include <QList>
#include <QLocale>
#include <QPair>
#include <QString>

#include <cstdint>

namespace platform {

// What the system information dialog shows, as the system reports it.
struct SystemFacts {
    std::uint64_t physicalTotal = 0; // bytes
    std::uint64_t physicalFree = 0;
    std::uint64_t swapTotal = 0; // the paging space
    std::uint64_t swapFree = 0;
    QString systemDirectory;  // "Windows directory": where the system keeps its settings
    QString libraryDirectory; // "System directory": where the system's libraries live
    int processors = 0;
    int processorType = 0;   // 386, 486, 586, 601, ...; 0 when unknown
    QString processor;       // model name and vendor; empty: the name of processorType
    std::uint32_t ticks = 0; // milliseconds since the system started, wrapping at 2^32
    QString userName;
    QString computerName;
    QString kernelName;
    int kernelMajor = 0;
    int kernelMinor = 0;
    // Filled by the caller that knows the screen.
    int screenWidth = 0;
    int screenHeight = 0;
    int screenDepth = 0;
};

// Queries the running system afresh. A query that fails leaves its value empty or zero.
SystemFacts querySystemFacts();

// The processor's name by its type number; empty for a number not in the table.
QString processorName(int type);
// The type number of a processor described by /proc/cpuinfo text; 0 when unknown.
int processorTypeFromCpuInfo(const QString &cpuInfo);
// The model name and the vendor of the first processor in /proc/cpuinfo text, as
// "AMD EPYC 7763 64-Core Processor (AuthenticAMD)"; empty when the text names no model.
QString processorFromCpuInfo(const QString &cpuInfo);
// "major.minor" of a kernel release such as "6.1.0-13-amd64".
QPair<int, int> kernelVersion(const QString &release);

// The locale's long time format without a time zone.
QString longTimeFormat(const QLocale &locale);
// Milliseconds since the start shown as a time of day: whole days are dropped.
QString uptimeText(std::uint32_t ticks, const QLocale &locale);

// The sixteen rows of label and value, in order, for the given facts, clock and locale.
QList<QPair<QString, QString>> systemInfoRows(const SystemFacts &facts, const QDateTime &now,
                                              const QLocale &locale);

} // namespace platform

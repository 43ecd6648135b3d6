// Tick accuracy and processor cost of the thread timer, for both waits of its worker, on an
// idle machine and beside two busy processes (one for each core of a two-core machine).
//
//     bench_supertimer [ticks]        (default 300 ticks at 100 ms for each of the 4 runs)
//
// A tick's lateness is the time it reached the GUI thread measured against when it was due
// (one interval after the previous tick was taken, on the timer's own millisecond clock).
// Worker CPU is the processor time that the process spent outside the GUI thread while the
// timer ran, as a share of one processor.
#include "controls/SuperTimer.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using controls::TimerWait;
using SteadyClock = std::chrono::steady_clock;

constexpr int interval = 100;

double cpuSeconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(p * double(values.size() - 1) + 0.5);
    return values[index];
}

struct Figures {
    double median;
    double p99;
    double max;
    int clockP99; // whole milliseconds of lateness that the timer's own clock saw
    double workerCpuPercent;
};

Figures measure(TimerWait wait, int tickCount) {
    controls::TSuperTimer timer;
    timer.setWaitMode(wait);
    timer.setInterval(interval);
    std::vector<double> lateness;
    std::vector<double> clockLateness;
    lateness.reserve(tickCount);
    // The timer counts from the millisecond in which it was enabled.
    SteadyClock::time_point base;
    int previousTime = 0;

    QObject::connect(&timer, &controls::TSuperTimer::OnTimer, [&] {
        const SteadyClock::time_point now = SteadyClock::now();
        const auto due = base + std::chrono::milliseconds(previousTime + interval);
        lateness.push_back(std::chrono::duration<double, std::milli>(now - due).count());
        clockLateness.push_back(timer.Time() - previousTime - interval);
        previousTime = timer.Time();
        if (int(lateness.size()) == tickCount) {
            timer.setEnabled(false);
            QCoreApplication::quit();
        }
    });

    const double processStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double guiStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const SteadyClock::time_point wallStart = SteadyClock::now();
    base = SteadyClock::time_point(std::chrono::duration_cast<std::chrono::milliseconds>(
        SteadyClock::now().time_since_epoch()));
    timer.setEnabled(true);
    QCoreApplication::exec();
    const double wall = std::chrono::duration<double>(SteadyClock::now() - wallStart).count();
    // The process has only the GUI thread and this timer's worker.
    const double workerCpu = (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart) -
                             (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - guiStart);
    return {percentile(lateness, 0.5), percentile(lateness, 0.99),
            *std::max_element(lateness.begin(), lateness.end()),
            int(percentile(clockLateness, 0.99)), 100.0 * workerCpu / wall};
}

// Processes that keep a processor busy until they are killed.
class BusyProcesses {
public:
    explicit BusyProcesses(int count) {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                m_pids.push_back(pid);
        }
    }
    ~BusyProcesses() {
        for (const pid_t pid : m_pids) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    BusyProcesses(const BusyProcesses &) = delete;
    BusyProcesses &operator=(const BusyProcesses &) = delete;

private:
    std::vector<pid_t> m_pids;
};

double loadAverage() {
    double load[1] = {};
    getloadavg(load, 1);
    return load[0];
}

void printRow(const char *load, const char *wait, const Figures &f) {
    std::printf("%-8s %-6s %9.3f %9.3f %9.3f %9d %11.1f %9.2f\n", load, wait, f.median, f.p99,
                f.max, f.clockP99, f.workerCpuPercent, loadAverage());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int tickCount = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    double load[3] = {};
    getloadavg(load, 3);
    std::printf("thread timer: %d ticks at %d ms for each run; load average before: %.2f\n",
                tickCount, interval, load[0]);
    std::printf("%-8s %-6s %9s %9s %9s %9s %11s\n", "load", "wait", "median", "p99", "max",
                "clock p99", "worker CPU");
    std::printf("%-8s %-6s %9s %9s %9s %9s %11s\n", "", "", "ms", "ms", "ms", "ms", "% of 1 CPU");
    const struct {
        const char *name;
        TimerWait wait;
    } waits[] = {{"spin", TimerWait::Spin}, {"sleep", TimerWait::Sleep}};
    for (const auto &wait : waits)
        printRow("as is", wait.name, measure(wait.wait, tickCount));
    {
        const BusyProcesses busy(2);
        for (const auto &wait : waits)
            printRow("+2 busy", wait.name, measure(wait.wait, tickCount));
    }
    return 0;
}

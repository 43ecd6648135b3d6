// Tick accuracy of the thread timer: 300 ticks at 100 ms. For each tick, its lateness is the
// time it reached the GUI thread measured against when it was due (one interval after the
// previous tick was taken, on the timer's own millisecond clock). Prints the median and
// 99th percentile of that lateness, the part of it that the worker's clock saw (whole
// milliseconds), and the processor time that the worker spent.
#include "controls/SuperTimer.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

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

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    constexpr int tickCount = 300;
    constexpr int interval = 100;

    controls::TSuperTimer timer;
    timer.setInterval(interval);
    std::vector<double> lateness;
    std::vector<double> clockLateness;
    lateness.reserve(tickCount);
    using Clock = std::chrono::steady_clock;
    // The timer counts from the millisecond in which it was enabled.
    Clock::time_point base;
    int previousTime = 0;

    QObject::connect(&timer, &controls::TSuperTimer::OnTimer, [&] {
        const Clock::time_point now = Clock::now();
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
    const Clock::time_point wallStart = Clock::now();
    base = Clock::time_point(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()));
    timer.setEnabled(true);
    app.exec();
    const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
    // The process has only the GUI thread and the worker.
    const double workerCpu = (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart) -
                             (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - guiStart);

    std::printf("ticks: %zu at %d ms, wall %.2f s\n", lateness.size(), interval, wall);
    std::printf("lateness median: %.3f ms\n", percentile(lateness, 0.5));
    std::printf("lateness p99:    %.3f ms\n", percentile(lateness, 0.99));
    std::printf("lateness max:    %.3f ms  min: %.3f ms\n",
                *std::max_element(lateness.begin(), lateness.end()),
                *std::min_element(lateness.begin(), lateness.end()));
    std::printf("seen by the timer's clock: median %.0f ms, p99 %.0f ms\n",
                percentile(clockLateness, 0.5), percentile(clockLateness, 0.99));
    std::printf("worker CPU: %.2f s (%.1f %% of one processor)\n", workerCpu,
                100.0 * workerCpu / wall);
    return 0;
}

#include "controls/SuperTimer.h"

#include "controls/ErrorReport.h"

#include <QCoreApplication>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace controls {

namespace {

// Clock values wrap around after about 24.8 days; comparing and subtracting them through
// unsigned arithmetic keeps the order right across the wrap.
std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t wrapSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

using SteadyClock = std::chrono::steady_clock;

std::int32_t truncatedMilliseconds(std::chrono::milliseconds ms) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms.count()));
}

std::chrono::milliseconds steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        SteadyClock::now().time_since_epoch());
}

std::int32_t systemMilliseconds() {
    return truncatedMilliseconds(steadyMilliseconds());
}

// The instant at which the system's millisecond clock first reads `due`: the clock counts
// whole milliseconds of the monotonic clock, so that instant is exact, not rounded.
SteadyClock::time_point systemWakeTime(std::int32_t due) {
    const std::chrono::milliseconds now = steadyMilliseconds();
    const std::int32_t ahead = wrapSub(due, truncatedMilliseconds(now));
    return SteadyClock::time_point(now + std::chrono::milliseconds(ahead));
}

// A clock supplied from outside cannot be slept on: look at it again a millisecond later.
SteadyClock::time_point pollWakeTime(std::int32_t) {
    return SteadyClock::now() + std::chrono::milliseconds(1);
}

// Maps the seven levels onto Linux scheduling: the idle class for the lowest, nice values
// for the others. Raising a thread above normal needs a privilege that a normal user lacks;
// the thread then simply keeps the normal level.
void applyPriority(pid_t tid, TThreadPriority priority) {
    static constexpr int niceOf[] = {19, 10, 5, 0, -5, -10, -20};
    sched_param param{};
    if (priority == tpIdle) {
        sched_setscheduler(tid, SCHED_IDLE, &param);
        return;
    }
    sched_setscheduler(tid, SCHED_OTHER, &param);
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceOf[priority]);
}

// The end of one tick's hand-off to the GUI thread, which the worker waits for.
class TickHandOver {
public:
    void finish() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_condition.notify_all();
    }
    void wait() {
        std::unique_lock lock(m_mutex);
        m_condition.wait(lock, [this] { return m_finished; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_finished = false;
};

// Finishes a hand-off when the call that carries it is destroyed: after the call has run, or
// unrun when Qt drops it because the program is ending.
class TickDone {
public:
    explicit TickDone(std::shared_ptr<TickHandOver> handOver) : m_handOver(std::move(handOver)) {}
    ~TickDone() { m_handOver->finish(); }
    TickDone(const TickDone &) = delete;
    TickDone &operator=(const TickDone &) = delete;

private:
    std::shared_ptr<TickHandOver> m_handOver;
};

} // namespace

// The worker of one timer. It lives as long as either the timer or the thread needs it: the
// thread holds it by a shared pointer, so a destroyed timer can leave its worker to end by
// itself without waiting for it.
class TTimerThread : public std::enable_shared_from_this<TTimerThread> {
public:
    // wakeTime maps a due clock value to the steady-clock instant to sleep until.
    using WakeTime = SteadyClock::time_point (*)(std::int32_t due);

    TTimerThread(TSuperTimer *timer, TSuperTimer::Clock clock, WakeTime wakeTime,
                 TThreadPriority priority, quint16 interval, TimerWait waitMode)
        : m_clock(std::move(clock)), m_wakeTime(wakeTime), m_priority(priority),
          m_interval(interval), m_waitMode(waitMode), m_timer(timer) {}

    void start() { std::thread(&TTimerThread::run, shared_from_this()).detach(); }

    std::int32_t now() const { return m_clock(); }
    std::int32_t time() const { return m_time.load(std::memory_order_relaxed); }

    // Starts (true) or parks (false) the loop. Starting bases the counting on the current
    // time and clock and sets the first tick one interval ahead.
    void setRunning(bool running) {
        {
            std::lock_guard lock(m_mutex);
            if (running) {
                m_startValue = m_time.load(std::memory_order_relaxed);
                m_startTick = m_clock();
                m_nextTick = wrapAdd(m_startTick, m_interval);
            }
            m_running = running;
            m_generation.fetch_add(1, std::memory_order_relaxed);
        }
        m_wake.notify_all();
    }

    void setInterval(quint16 interval) {
        std::lock_guard lock(m_mutex);
        m_interval = interval;
    }

    void setWaitMode(TimerWait mode) {
        std::lock_guard lock(m_mutex);
        m_waitMode = mode;
    }

    void setCountDown(bool countDown, bool rebase) {
        std::lock_guard lock(m_mutex);
        m_countDown = countDown;
        if (rebase)
            rebaseLocked(m_time.load(std::memory_order_relaxed));
    }

    void setTime(std::int32_t time, bool rebase) {
        std::lock_guard lock(m_mutex);
        m_time.store(time, std::memory_order_relaxed);
        if (rebase)
            rebaseLocked(time);
    }

    void setPriority(TThreadPriority priority) {
        std::lock_guard lock(m_mutex);
        m_priority = priority;
        if (m_tid != 0)
            applyPriority(m_tid, priority);
    }

    // Called by the destroyed timer: the parked loop ends, and a tick already handed over
    // finds no timer to reach.
    void release() {
        m_timer = nullptr;
        {
            std::lock_guard lock(m_mutex);
            m_terminated = true;
            m_generation.fetch_add(1, std::memory_order_relaxed);
        }
        m_wake.notify_all();
    }

private:
    void rebaseLocked(std::int32_t time) {
        m_startTick = m_clock();
        m_startValue = time;
    }

    void run() {
        std::unique_lock lock(m_mutex);
        m_tid = gettid();
        applyPriority(m_tid, m_priority);
        // The kernel may defer a sleeping thread's wake-up by its timer slack (50 us by
        // default) to batch wake-ups; a tick should come at its time, so allow none.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        for (;;) {
            // The worker parks here while the timer is disabled.
            m_wake.wait(lock, [this] { return m_terminated || m_running; });
            if (m_terminated)
                return;
            const std::uint64_t generation = m_generation.load(std::memory_order_relaxed);
            const auto changed = [&] {
                return m_generation.load(std::memory_order_relaxed) != generation;
            };
            // Enabling, disabling or destroying the timer cuts the wait short and starts the
            // pass again.
            const std::optional<std::int32_t> taken = m_waitMode == TimerWait::Sleep
                                                          ? sleepUntilDue(lock, changed)
                                                          : spinUntilDue(lock, changed);
            if (!taken)
                continue;
            // The next tick is due one interval after this one was taken; lateness is not
            // made up.
            m_nextTick = wrapAdd(*taken, m_interval);
            const std::int32_t elapsed = wrapSub(*taken, m_startTick);
            m_time.store(m_countDown ? wrapSub(m_startValue, elapsed)
                                     : wrapAdd(elapsed, m_startValue),
                         std::memory_order_relaxed);
            lock.unlock();
            handOff();
            lock.lock();
        }
    }

    // Sleeps until the clock reaches the due time and returns the clock value then, or
    // nothing when the pass was cut short. The sleep is absolute on the monotonic clock
    // (a condition-variable wait on the steady clock is pthread_cond_clockwait with
    // CLOCK_MONOTONIC, the same kernel high-resolution timer that clock_nanosleep with
    // TIMER_ABSTIME uses), so it wakes within microseconds of the due time and, unlike
    // clock_nanosleep, can be woken at once when the timer is disabled or re-enabled with an
    // earlier due time. The processor is free while it sleeps.
    template <typename Changed>
    std::optional<std::int32_t> sleepUntilDue(std::unique_lock<std::mutex> &lock,
                                              const Changed &changed) {
        for (;;) {
            const std::int32_t now = m_clock();
            if (wrapSub(now, m_nextTick) >= 0)
                return now;
            if (m_wake.wait_until(lock, m_wakeTime(m_nextTick), changed))
                return std::nullopt;
        }
    }

    // Sleeps through all but the last 50 ms of the interval, then reads the clock in a busy
    // loop until the tick is due: precise where a plain sleep is coarse, at the price of a
    // busy processor for up to 50 ms of every interval.
    template <typename Changed>
    std::optional<std::int32_t> spinUntilDue(std::unique_lock<std::mutex> &lock,
                                             const Changed &changed) {
        if (m_interval > 50 &&
            m_wake.wait_for(lock, std::chrono::milliseconds(m_interval - 50), changed))
            return std::nullopt;
        const std::int32_t due = m_nextTick;
        lock.unlock();
        std::int32_t now = m_clock();
        while (wrapSub(now, due) < 0 && !changed())
            now = m_clock();
        lock.lock();
        if (changed())
            return std::nullopt;
        return now;
    }

    // Runs the tick on the GUI thread and waits until it has run. The call goes through the
    // application object, which outlives every timer, and carries this worker along, so it
    // never reaches a timer that was destroyed meanwhile. The wait is a condition of our own
    // rather than Qt's blocking queued call: Qt finishes with the caller's stack after the
    // call has run, behind a semaphore that thread checkers cannot see, so they took the
    // worker's next use of its stack for a race.
    void handOff() {
        QCoreApplication *application = QCoreApplication::instance();
        if (application == nullptr)
            return;
        const auto handOver = std::make_shared<TickHandOver>();
        QMetaObject::invokeMethod(
            application,
            [self = shared_from_this(), done = std::make_shared<TickDone>(handOver)] {
                if (TSuperTimer *timer = self->m_timer)
                    guarded([timer] { timer->DoTimer(); });
            },
            Qt::QueuedConnection);
        handOver->wait();
    }

    const TSuperTimer::Clock m_clock;
    const WakeTime m_wakeTime;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    // Guarded by m_mutex.
    bool m_running = false;
    bool m_terminated = false;
    TThreadPriority m_priority;
    quint16 m_interval;
    TimerWait m_waitMode;
    bool m_countDown = false;
    std::int32_t m_startValue = 0;
    std::int32_t m_startTick = 0;
    std::int32_t m_nextTick = 0;
    pid_t m_tid = 0;
    // Written under m_mutex; the spinning worker polls it to notice a change at once.
    std::atomic<std::uint64_t> m_generation{0};
    // Written by the worker at each tick, read by the GUI thread.
    std::atomic<std::int32_t> m_time{0};
    // Touched only on the GUI thread.
    TSuperTimer *m_timer;
};

TSuperTimer::TSuperTimer(QObject *owner, Clock clock) : QObject(owner) {
    const TTimerThread::WakeTime wakeTime = clock ? pollWakeTime : systemWakeTime;
    if (!clock)
        clock = systemMilliseconds;
    m_worker = std::make_shared<TTimerThread>(this, std::move(clock), wakeTime, m_priority,
                                              m_interval, m_waitMode);
    m_worker->start();
}

TSuperTimer::~TSuperTimer() {
    setEnabled(false);
    m_worker->release();
}

void TSuperTimer::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    // An interval of 0 has no ticks to give (and Ticks would divide by it): the timer stays
    // disabled.
    if (enabled && m_interval == 0)
        return;
    m_enabled = enabled;
    m_worker->setRunning(enabled);
}

void TSuperTimer::setInterval(quint16 interval) {
    if (interval == m_interval)
        return;
    if (interval == 0)
        setEnabled(false);
    m_interval = interval;
    m_worker->setInterval(interval);
}

void TSuperTimer::setThreadPriority(TThreadPriority priority) {
    if (priority == m_priority)
        return;
    m_priority = priority;
    m_worker->setPriority(priority);
}

void TSuperTimer::setWaitMode(TimerWait mode) {
    m_waitMode = mode;
    m_worker->setWaitMode(mode);
}

void TSuperTimer::setCountDown(bool countDown) {
    if (countDown == m_countDown)
        return;
    m_countDown = countDown;
    // The new direction continues from the time of the last tick.
    m_worker->setCountDown(countDown, m_enabled);
}

std::int32_t TSuperTimer::Time() const {
    return m_worker->time();
}

void TSuperTimer::setTime(std::int32_t time) {
    m_worker->setTime(time, m_enabled);
}

std::int32_t TSuperTimer::Ticks() const {
    if (m_interval == 0)
        return 0;
    return Time() / static_cast<std::int32_t>(m_interval);
}

void TSuperTimer::DoTimer() {
    const QPointer<TSuperTimer> alive(this);
    emit OnTimer(this);
    // The handler may have destroyed the timer (for example by deleting its window).
    if (!alive)
        return;
    const std::int32_t ticks = Ticks();
    const bool stop = m_countDown ? (ticks <= m_stopTicks || Time() <= 0)
                                  : (m_stopTicks > 0 && ticks >= m_stopTicks);
    if (!stop)
        return;
    setEnabled(false);
    emit OnStop(this);
}

} // namespace controls

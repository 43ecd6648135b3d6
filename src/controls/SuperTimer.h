#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

namespace controls {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// How the worker waits for the moment a tick is due.
enum class TimerWait {
    // One absolute sleep on the monotonic clock until the due time; the processor stays free.
    Sleep,
    // A relative sleep through all but the last 50 ms of the interval, then a busy loop on the
    // millisecond clock. Costs one processor while it loops; kept to measure against.
    Spin,
};

class TTimerThread;

// A timer that ticks from a worker thread of its own: the worker sleeps until each tick is due
// and hands the tick to the GUI thread with a blocking call, so at most one tick is ever in
// flight. Besides ticking it keeps
// a running time that counts up or down and can stop itself after a number of ticks or when a
// count-down has run out.
class TSuperTimer : public QObject {
    Q_OBJECT

public:
    // Milliseconds of a monotonic clock; it may wrap around.
    using Clock = std::function<std::int32_t()>;

    // The clock defaults to the system's monotonic millisecond clock; tests pass their own.
    // With a clock of its own the sleeping wait looks at the clock about once a millisecond,
    // since only the system clock can be slept on.
    explicit TSuperTimer(QObject *owner = nullptr, Clock clock = {});
    // Never blocks: the worker is parked and left to end by itself.
    ~TSuperTimer() override;

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    quint16 Interval() const { return m_interval; }
    void setInterval(quint16 interval);
    TThreadPriority ThreadPriority() const { return m_priority; }
    void setThreadPriority(TThreadPriority priority);
    bool CountDown() const { return m_countDown; }
    void setCountDown(bool countDown);

    TimerWait waitMode() const { return m_waitMode; }
    // Takes effect from the worker's next pass through its loop.
    void setWaitMode(TimerWait mode);

    // The running time in milliseconds as computed at the last tick.
    std::int32_t Time() const;
    // Sets the running time; while the timer runs, counting continues from this value.
    void setTime(std::int32_t time);
    // The tick limit of the stop rule; -1 at creation.
    std::int32_t StopTicks() const { return m_stopTicks; }
    void setStopTicks(std::int32_t ticks) { m_stopTicks = ticks; }
    // Time div Interval, truncated toward zero (0 while Interval is 0).
    std::int32_t Ticks() const;

signals:
    void OnTimer(QObject *Sender);
    void OnStop(QObject *Sender);

protected:
    // Runs on the GUI thread for every tick, while the worker waits.
    virtual void DoTimer();

private:
    friend class TTimerThread;

    bool m_enabled = false;
    quint16 m_interval = 1000;
    TThreadPriority m_priority = tpHigher;
    bool m_countDown = false;
    std::int32_t m_stopTicks = -1;
    TimerWait m_waitMode = TimerWait::Sleep;
    std::shared_ptr<TTimerThread> m_worker;
};

} // namespace controls

#include "controls/SuperTimer.h"

#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <climits>
#include <memory>
#include <thread>
#include <utility>

using controls::TimerWait;
using controls::TSuperTimer;

namespace {

// Every test runs once with each wait of the worker.
TimerWait currentWait() {
    QFETCH_GLOBAL(TimerWait, wait);
    return wait;
}

// A clock the test sets by hand. Reading it pauses a moment so that a spinning worker does
// not hog a processor of the test machine. Its value is relaxed: it must not order anything
// between the threads, so that a thread checker still sees a missing lock in the timer.
struct ManualClock {
    std::atomic<std::int32_t> value{1000};
    std::int32_t now() const { return value.load(std::memory_order_relaxed); }
    void set(std::int32_t when) { value.store(when, std::memory_order_relaxed); }
};

struct Fixture {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    TSuperTimer timer{nullptr, [c = clock] {
                          std::this_thread::sleep_for(std::chrono::microseconds(200));
                          return c->now();
                      }};
    QSignalSpy ticks{&timer, &TSuperTimer::OnTimer};
    QSignalSpy stops{&timer, &TSuperTimer::OnStop};

    Fixture() {
        timer.setWaitMode(currentWait());
        timer.setInterval(100);
    }

    // Moves the clock and waits for the tick that it makes due.
    bool tickAt(std::int32_t when) {
        const auto before = ticks.count();
        clock->set(when);
        return QTest::qWaitFor([&] { return ticks.count() > before; }, 5000);
    }
    // Moves the clock and checks that no tick comes.
    bool quietAt(std::int32_t when) {
        const auto before = ticks.count();
        clock->set(when);
        QTest::qWait(150);
        return ticks.count() == before;
    }
};

} // namespace

class TestSuperTimer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data();
    void creationValues();
    void countsUpOneIntervalAfterEachTick();
    void enablingTwiceDoesNotRebase();
    void reenablingContinuesFromLastTick();
    void switchingDirectionRebases();
    void zeroIntervalDisables();
    void stopRule_data();
    void stopRule();
    void stopFollowsHandlerThatDisabled();
    void slowHandlerDelaysNextTick();
    void clockWrapAround();
    void destroyedWhileTickPending();
    void systemClockTicks();
    void reenablingCutsLongWaitShort();
};

void TestSuperTimer::initTestCase_data() {
    QTest::addColumn<TimerWait>("wait");
    QTest::newRow("sleep") << TimerWait::Sleep;
    QTest::newRow("spin") << TimerWait::Spin;
}

void TestSuperTimer::creationValues() {
    TSuperTimer timer;
    QCOMPARE(timer.Enabled(), false);
    QCOMPARE(timer.Interval(), quint16(1000));
    QCOMPARE(timer.ThreadPriority(), controls::tpHigher);
    QCOMPARE(timer.CountDown(), false);
    QCOMPARE(timer.Time(), 0);
    QCOMPARE(timer.StopTicks(), -1);
    QCOMPARE(timer.waitMode(), TimerWait::Sleep);
    // Priorities can be changed before the worker ever ran; raising may be refused quietly.
    timer.setThreadPriority(controls::tpIdle);
    timer.setThreadPriority(controls::tpTimeCritical);
    QCOMPARE(timer.ThreadPriority(), controls::tpTimeCritical);
}

void TestSuperTimer::countsUpOneIntervalAfterEachTick() {
    Fixture f;
    f.timer.setEnabled(true);
    QVERIFY(f.quietAt(1099));
    QVERIFY(f.tickAt(1100));
    QCOMPARE(f.timer.Time(), 100);
    QCOMPARE(f.timer.Ticks(), 1);
    QCOMPARE(f.ticks.first().first().value<QObject *>(), &f.timer);
    // A late tick is not made up: the next one is due an interval after it.
    QVERIFY(f.tickAt(1250));
    QCOMPARE(f.timer.Time(), 250);
    QVERIFY(f.quietAt(1349));
    QVERIFY(f.tickAt(1350));
    QCOMPARE(f.timer.Time(), 350);
    QCOMPARE(f.timer.Ticks(), 3);
    QCOMPARE(f.ticks.count(), 3);
    QCOMPARE(f.stops.count(), 0);
}

void TestSuperTimer::enablingTwiceDoesNotRebase() {
    Fixture f;
    f.timer.setEnabled(true);
    f.clock->set(1050);
    f.timer.setEnabled(true);
    QVERIFY(f.tickAt(1100));
    QCOMPARE(f.timer.Time(), 100);
}

void TestSuperTimer::reenablingContinuesFromLastTick() {
    Fixture f;
    f.timer.setEnabled(true);
    QVERIFY(f.tickAt(1100));
    f.clock->set(1180);
    f.timer.setEnabled(false);
    QVERIFY(f.quietAt(5000));
    QCOMPARE(f.timer.Time(), 100);
    f.timer.setEnabled(true);
    QVERIFY(f.quietAt(5099));
    QVERIFY(f.tickAt(5100));
    QCOMPARE(f.timer.Time(), 200);
}

void TestSuperTimer::switchingDirectionRebases() {
    Fixture f;
    f.timer.setEnabled(true);
    QVERIFY(f.tickAt(1100));
    f.clock->set(1150);
    f.timer.setCountDown(true);
    // The 50 ms between the tick and the switch are not counted.
    QVERIFY(f.tickAt(1200));
    QCOMPARE(f.timer.Time(), 50);
    // A switch while disabled only changes the direction.
    f.timer.setEnabled(false);
    f.clock->set(2000);
    f.timer.setCountDown(false);
    f.timer.setEnabled(true);
    QVERIFY(f.tickAt(2100));
    QCOMPARE(f.timer.Time(), 150);
}

void TestSuperTimer::zeroIntervalDisables() {
    Fixture f;
    f.timer.setEnabled(true);
    QVERIFY(f.tickAt(1100));
    f.timer.setInterval(0);
    QCOMPARE(f.timer.Enabled(), false);
    QCOMPARE(f.timer.Interval(), quint16(0));
    QCOMPARE(f.timer.Ticks(), 0);
    f.timer.setEnabled(true);
    QCOMPARE(f.timer.Enabled(), false);
    QVERIFY(f.quietAt(9000));
}

void TestSuperTimer::stopRule_data() {
    QTest::addColumn<bool>("countDown");
    QTest::addColumn<int>("stopTicks");
    QTest::addColumn<QList<int>>("tickClock");
    QTest::addColumn<int>("stopsAtTick"); // 0: never
    QTest::newRow("up, no limit") << false << -1 << QList<int>{1100, 1200, 1300, 1400, 1500, 1600}
                                  << 0;
    QTest::newRow("up, limit 0 never stops") << false << 0 << QList<int>{1100, 1200} << 0;
    // 499 ms are 4 ticks when truncated; the stop comes with the tick at 599.
    QTest::newRow("up, limit 5 with a late tick")
        << false << 5 << QList<int>{1100, 1200, 1300, 1499, 1599} << 5;
    QTest::newRow("up, limit 2") << false << 2 << QList<int>{1100, 1200} << 2;
    QTest::newRow("down from 0") << true << -1 << QList<int>{1100} << 1;
}

void TestSuperTimer::stopRule() {
    QFETCH(bool, countDown);
    QFETCH(int, stopTicks);
    QFETCH(QList<int>, tickClock);
    QFETCH(int, stopsAtTick);
    Fixture f;
    QList<QString> order;
    connect(&f.timer, &TSuperTimer::OnTimer, [&] { order << QStringLiteral("timer"); });
    connect(&f.timer, &TSuperTimer::OnStop, [&](QObject *sender) {
        QCOMPARE(sender, &f.timer);
        QCOMPARE(f.timer.Enabled(), false);
        order << QStringLiteral("stop");
    });
    f.timer.setCountDown(countDown);
    f.timer.setStopTicks(stopTicks);
    f.timer.setEnabled(true);
    for (int i = 0; i < tickClock.size(); ++i) {
        QVERIFY(f.tickAt(tickClock[i]));
        const bool stopped = stopsAtTick == i + 1;
        QCOMPARE(f.stops.count(), stopped ? 1 : 0);
        QCOMPARE(f.timer.Enabled(), !stopped);
        if (stopped)
            break;
    }
    if (stopsAtTick > 0) {
        QCOMPARE(order.last(), QStringLiteral("stop"));
        QCOMPARE(order.count(QStringLiteral("timer")), stopsAtTick);
        QVERIFY(f.quietAt(f.clock->now() + 1000));
    }
}

void TestSuperTimer::stopFollowsHandlerThatDisabled() {
    Fixture f;
    f.timer.setStopTicks(1);
    connect(&f.timer, &TSuperTimer::OnTimer, [&] { f.timer.setEnabled(false); });
    f.timer.setEnabled(true);
    QVERIFY(f.tickAt(1100));
    QCOMPARE(f.stops.count(), 1);
}

void TestSuperTimer::slowHandlerDelaysNextTick() {
    Fixture f;
    // The first handler runs until 1350, past the tick due at 1200.
    bool slow = true;
    connect(&f.timer, &TSuperTimer::OnTimer, [&] {
        if (std::exchange(slow, false))
            f.clock->set(1350);
    });
    f.timer.setEnabled(true);
    QVERIFY(f.tickAt(1100));
    // The late tick comes once, at once, and the missed time is not made up.
    QTRY_COMPARE(f.ticks.count(), 2);
    QCOMPARE(f.timer.Time(), 350);
    QVERIFY(f.quietAt(1449));
    QCOMPARE(f.ticks.count(), 2);
    QVERIFY(f.tickAt(1450));
    QCOMPARE(f.timer.Time(), 450);
}

void TestSuperTimer::clockWrapAround() {
    Fixture f;
    f.clock->set(INT_MAX - 50);
    f.timer.setEnabled(true);
    // The due time has wrapped to a negative value; it is still 100 ms ahead.
    QVERIFY(f.quietAt(INT_MAX - 1));
    QVERIFY(f.quietAt(INT_MIN + 48));
    QVERIFY(f.tickAt(INT_MIN + 49));
    QCOMPARE(f.timer.Time(), 100);
}

void TestSuperTimer::destroyedWhileTickPending() {
    // A timer that records its ticks beyond its own lifetime.
    struct Recording : TSuperTimer {
        using TSuperTimer::TSuperTimer;
        std::shared_ptr<std::atomic<int>> delivered = std::make_shared<std::atomic<int>>(0);
        void DoTimer() override { ++*delivered; }
    };
    auto clock = std::make_shared<ManualClock>();
    auto *timer = new Recording(nullptr, [clock] { return clock->now(); });
    timer->setWaitMode(currentWait());
    const auto delivered = timer->delivered;
    timer->setInterval(20);
    timer->setEnabled(true);
    clock->set(2000);
    // Without running the event loop the worker is left blocked in its hand-off.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    delete timer;
    QTest::qWait(100);
    QCOMPARE(delivered->load(), 0);
}

void TestSuperTimer::systemClockTicks() {
    TSuperTimer timer;
    timer.setWaitMode(currentWait());
    timer.setInterval(20);
    QList<std::int32_t> times;
    connect(&timer, &TSuperTimer::OnTimer, [&] {
        times << timer.Time();
        if (times.size() == 5)
            timer.setEnabled(false);
    });
    timer.setEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(times.size(), 5, 5000);
    // On the timer's own clock no tick comes before it is due.
    std::int32_t previous = 0;
    for (const std::int32_t time : times) {
        QVERIFY2(time - previous >= 20,
                 qPrintable(QStringLiteral("ticks at %1 and %2 ms").arg(previous).arg(time)));
        previous = time;
    }
}

void TestSuperTimer::reenablingCutsLongWaitShort() {
    // The worker waits for a tick a minute away; a shorter interval set while disabled takes
    // effect from the next enabling, whose first tick comes one new interval later.
    TSuperTimer timer;
    timer.setWaitMode(currentWait());
    timer.setInterval(60000);
    QSignalSpy ticks(&timer, &TSuperTimer::OnTimer);
    timer.setEnabled(true);
    QTest::qWait(100);
    timer.setEnabled(false);
    timer.setInterval(20);
    timer.setEnabled(true);
    QVERIFY(ticks.wait(5000));
    QVERIFY(timer.Time() >= 20);
}

QTEST_GUILESS_MAIN(TestSuperTimer)
#include "tst_supertimer.moc"

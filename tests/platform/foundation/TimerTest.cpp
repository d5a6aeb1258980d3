#include "platform/foundation/Timer.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using platform::ManualClock;
using platform::Timer;

// Ticks come only when the clock moves, each at its own moment and in time
// order, however long the event loop runs in between.
TEST(ManualClock, TicksComeInTimeOrderOnlyWhenTheClockMoves)
{
    ManualClock clock;
    std::vector<std::pair<char, qint64>> ticks;
    Timer fast([&] { ticks.emplace_back('f', clock.now()); });
    fast.setInterval(16);
    Timer slow([&] { ticks.emplace_back('s', clock.now()); });
    slow.setInterval(20);
    fast.start();
    slow.start();
    QTest::qWait(60); // the event loop runs: nothing ticks on its own
    EXPECT_TRUE(ticks.empty());
    clock.advance(40);
    EXPECT_EQ(ticks, (std::vector<std::pair<char, qint64>>{{'f', 16}, {'s', 20}, {'f', 32}, {'s', 40}}));
    EXPECT_EQ(clock.now(), 40);
    EXPECT_TRUE(fast.isActive());
    EXPECT_EQ(clock.runningTimers(), 2);
}

TEST(ManualClock, ATickMayStopRestartOrEndTimers)
{
    ManualClock clock;
    int singles = 0;
    Timer once([&] { ++singles; });
    once.setSingleShot(true);
    once.setInterval(10);
    once.start();
    int repeats = 0;
    auto stopping = std::make_unique<Timer>();
    stopping->setInterval(5);
    stopping->setCallback([&] {
        if (++repeats == 3)
            stopping.reset(); // ends itself from its own tick
    });
    stopping->start();
    clock.advance(100);
    EXPECT_EQ(singles, 1);
    EXPECT_FALSE(once.isActive());
    EXPECT_EQ(repeats, 3);
    EXPECT_EQ(clock.runningTimers(), 0);

    // A single shot tied to an object that is gone never runs.
    bool ran = false;
    auto context = std::make_unique<QObject>();
    Timer::singleShot(50, context.get(), [&] { ran = true; });
    context.reset();
    clock.advance(100);
    EXPECT_FALSE(ran);
    QObject alive;
    Timer::singleShot(50, &alive, [&] { ran = true; });
    clock.advance(49);
    EXPECT_FALSE(ran);
    clock.advance(1);
    EXPECT_TRUE(ran);
}

TEST(ManualClock, TimersOutliveTheirClockSafelyAndWithoutClockUseTheEventLoop)
{
    Timer timer;
    int ticks = 0;
    timer.setCallback([&] { ++ticks; });
    timer.setInterval(1);
    {
        ManualClock clock;
        timer.start();
        EXPECT_TRUE(timer.isActive());
    }
    EXPECT_FALSE(timer.isActive());
    timer.start(); // no clock: the event loop's own timer
    EXPECT_TRUE(timer.isActive());
    for (int i = 0; i < 10000 && ticks == 0; ++i)
        QTest::qWait(5);
    EXPECT_GT(ticks, 0);
    timer.stop();
    EXPECT_FALSE(timer.isActive());
}

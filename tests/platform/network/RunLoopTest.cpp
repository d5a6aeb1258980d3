#include "platform/network/MainThread.h"
#include "platform/network/NetworkThread.h"
#include "platform/network/RunLoop.h"
#include "platform/network/RunLoopFdSource.h"
#include "platform/network/RunLoopQtBridge.h"
#include "platform/network/RunLoopTimer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace platform;
using namespace std::chrono_literals;

namespace {

// Runs the mode until the condition holds, within a generous deadline.
template <typename Condition>
bool runUntil(RunLoop& loop, const QString& mode, Condition condition)
{
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (!condition() && std::chrono::steady_clock::now() < until)
        loop.runMode(mode, 100ms, true);
    return condition();
}

} // namespace

TEST(RunLoop, PrivateModeServesOnlyItsOwnSources)
{
    RunLoop& loop = RunLoop::current();
    const QString privateMode = QStringLiteral("PrivateTestMode");
    int privateFired = 0, defaultFired = 0, otherPerformed = 0, ownPerformed = 0;
    auto own = RunLoopTimer::create(0ms, false, [&](RunLoopTimer&) { ++privateFired; });
    auto foreign = RunLoopTimer::create(0ms, false, [&](RunLoopTimer&) { ++defaultFired; });
    own->schedule(loop, privateMode);
    foreign->schedule(loop, RunLoop::defaultMode);
    loop.perform([&] { ++otherPerformed; }, { RunLoop::defaultMode });
    loop.perform([&] { ++ownPerformed; }, { privateMode });

    int sv[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
    int foreignReadable = 0;
    auto foreignSource = RunLoopFdSource::create(sv[0], RunLoopFdSource::Readable, [&](int) { ++foreignReadable; });
    foreignSource->schedule(loop, RunLoop::defaultMode);
    ASSERT_EQ(::write(sv[1], "x", 1), 1);

    ASSERT_TRUE(runUntil(loop, privateMode, [&] { return privateFired == 1 && ownPerformed == 1; }));
    // A few more passes in the private mode still leave the rest alone.
    for (int i = 0; i < 5; ++i)
        loop.runMode(privateMode, 10ms, false);
    EXPECT_EQ(defaultFired, 0);
    EXPECT_EQ(otherPerformed, 0);
    EXPECT_EQ(foreignReadable, 0);

    ASSERT_TRUE(runUntil(loop, RunLoop::defaultMode, [&] { return defaultFired == 1 && otherPerformed == 1 && foreignReadable > 0; }));
    EXPECT_EQ(privateFired, 1);
    foreignSource->invalidate();
    ::close(sv[0]);
    ::close(sv[1]);
}

TEST(RunLoop, ModeWithNothingToServeFinishesAtOnce)
{
    EXPECT_EQ(RunLoop::current().runMode(QStringLiteral("EmptyTestMode"), 24h, true), RunLoop::RunResult::Finished);
}

TEST(RunLoop, RepeatingTimerFiresUntilInvalidatedAndSourceFollowsInterest)
{
    RunLoop& loop = RunLoop::current();
    const QString mode = QStringLiteral("TimerTestMode");
    int ticks = 0;
    auto timer = RunLoopTimer::create(1ms, true, [&](RunLoopTimer& t) {
        if (++ticks == 3)
            t.invalidate();
    });
    timer->schedule(loop, mode);
    ASSERT_TRUE(runUntil(loop, mode, [&] { return ticks == 3; }));
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(loop.runMode(mode, 10ms, true), RunLoop::RunResult::Finished);

    // A writable socket with no interest stays quiet; with interest it fires.
    int sv[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
    int writable = 0;
    auto source = RunLoopFdSource::create(sv[0], 0, [&](int events) { writable += (events & RunLoopFdSource::Writable) ? 1 : 0; });
    source->schedule(loop, mode);
    loop.runMode(mode, 10ms, false);
    EXPECT_EQ(writable, 0);
    source->setInterest(RunLoopFdSource::Writable);
    ASSERT_TRUE(runUntil(loop, mode, [&] { return writable > 0; }));
    source->invalidate();
    ::close(sv[0]);
    ::close(sv[1]);
}

TEST(RunLoop, PerformOnNetworkThreadAndBackToMain)
{
    NetworkThread& network = NetworkThread::shared();
    std::atomic<bool> ranOnNetwork { false };
    network.perform([&] { ranOnNetwork = network.isCurrent(); }, true);
    EXPECT_TRUE(ranOnNetwork);

    // Work handed to the main thread without waiting arrives through Qt.
    bool onMain = false;
    network.perform([&] { MainThread::perform([&] { onMain = MainThread::isCurrent(); }); });
    QDeadlineTimer deadline(30000);
    while (!onMain && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(onMain);

    // Waiting for the main thread from the main thread runs at once.
    bool immediate = false;
    MainThread::perform([&] { immediate = true; }, true);
    EXPECT_TRUE(immediate);
}

TEST(RunLoop, QtBridgeServesTheMainDefaultModeFromQtsLoop)
{
    RunLoopQtBridge::install();
    bool fired = false;
    auto timer = RunLoopTimer::create(5ms, false, [&](RunLoopTimer&) { fired = true; });
    timer->schedule(RunLoop::main(), RunLoop::defaultMode);
    bool performed = false;
    std::thread other([&] { RunLoop::main().perform([&] { performed = true; }); });
    other.join();
    QDeadlineTimer deadline(30000);
    while (!(fired && performed) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(fired);
    EXPECT_TRUE(performed);
}

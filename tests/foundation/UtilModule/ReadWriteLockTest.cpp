#include "ReadWriteLock.h"

#include "FoundationLogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <thread>

using foundation_test::FoundationLogCapture;
using namespace std::chrono_literals;

TEST(ReadWriteLock, SuccessfulCallsLogNothing)
{
    FoundationLogCapture log;
    auto lock = ReadWriteLock::create();
    ASSERT_TRUE(lock);
    EXPECT_TRUE(lock->readLock());
    EXPECT_TRUE(lock->unlock());
    EXPECT_TRUE(lock->writeLock());
    EXPECT_TRUE(lock->unlock());
    lock.reset();
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join('\n').toStdString();
}

TEST(ReadWriteLock, SecondWriteHoldOnOneThreadFailsWithTheErrorNumber)
{
    FoundationLogCapture log;
    auto lock = ReadWriteLock::create();
    ASSERT_TRUE(lock);
    ASSERT_TRUE(lock->writeLock());
    EXPECT_FALSE(lock->writeLock());
    ASSERT_EQ(log.lines().size(), 1);
    const QString line = log.lines().first();
    EXPECT_TRUE(line.startsWith("{ReadWriteLock.cpp writeLock() ")) << line.toStdString();
    EXPECT_TRUE(line.endsWith(QString("}:ERR Acquire write lock failed with %1").arg(EDEADLK))) << line.toStdString();
    EXPECT_TRUE(lock->unlock());
}

TEST(ReadWriteLock, FailureLineIsFilteredLikeAnyErrorLine)
{
    FoundationLogCapture log(Debug::Level::MAX);
    auto lock = ReadWriteLock::create();
    ASSERT_TRUE(lock->writeLock());
    EXPECT_FALSE(lock->writeLock());
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(lock->unlock());
}

TEST(ReadWriteLock, ReadersShareAndAWriterWaitsForBoth)
{
    auto lock = ReadWriteLock::create();
    ASSERT_TRUE(lock);

    std::promise<void> firstHolds, secondHolds, release;
    std::shared_future<void> releaseSignal = release.get_future().share();
    auto reader = [&](std::promise<void>& holds) {
        EXPECT_TRUE(lock->readLock());
        holds.set_value();
        releaseSignal.wait();
        EXPECT_TRUE(lock->unlock());
    };
    std::thread first(reader, std::ref(firstHolds));
    std::thread second(reader, std::ref(secondHolds));
    // Both readers hold the lock at the same time.
    EXPECT_EQ(firstHolds.get_future().wait_for(5s), std::future_status::ready);
    EXPECT_EQ(secondHolds.get_future().wait_for(5s), std::future_status::ready);

    std::atomic<bool> writerHolds { false };
    std::thread writer([&] {
        EXPECT_TRUE(lock->writeLock());
        writerHolds = true;
        EXPECT_TRUE(lock->unlock());
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(writerHolds.load());
    release.set_value();
    first.join();
    second.join();
    writer.join();
    EXPECT_TRUE(writerHolds.load());
}

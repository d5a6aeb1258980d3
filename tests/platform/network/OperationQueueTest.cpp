#include "platform/network/Operation.h"
#include "platform/network/OperationQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace platform;
using namespace std::chrono_literals;

namespace {

// A gate the test opens; operations wait at it (bounded) while they run.
struct Gate {
    std::mutex lock;
    std::condition_variable changed;
    bool open = false;
    int waiting = 0;

    void pass()
    {
        std::unique_lock guard(lock);
        ++waiting;
        changed.notify_all();
        changed.wait_for(guard, 60s, [&] { return open; });
        --waiting;
    }
    bool waitForWaiting(int count)
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, 60s, [&] { return waiting >= count; });
    }
    void release()
    {
        std::lock_guard guard(lock);
        open = true;
        changed.notify_all();
    }
};

class RecordingOperation : public Operation {
public:
    RecordingOperation(std::function<void()> work)
        : m_work(std::move(work))
    {
    }
    void main() override { m_work(); }

private:
    std::function<void()> m_work;
};

// Finishes only when told to, like a request that hands its work to
// another thread: the queue must count it until then.
class ConcurrentOperation : public Operation {
public:
    bool isConcurrent() const override { return true; }
    void start() override
    {
        if (isCancelled()) {
            setFinished(true);
            return;
        }
        setExecuting(true);
    }
    void finish()
    {
        setExecuting(false);
        setFinished(true);
    }
};

// Like a network request: its state sits behind a lock of its own, which
// it holds while it reports finishing to its queue. A queue that asked for
// that state under its own lock would wait for the operation while the
// operation waits for the queue; isFinished() gives up after a generous
// while and notes it, so such a queue fails the test instead of hanging it.
class SelfLockingOperation : public Operation {
public:
    bool isConcurrent() const override { return true; }
    void start() override { setExecuting(true); }
    bool isFinished() const override
    {
        {
            std::lock_guard guard(m_probeLock);
            if (m_held && std::this_thread::get_id() != m_holder)
                ++m_askedWhileHeld;
        }
        m_probeChanged.notify_all();
        std::unique_lock guard(m_stateLock, std::defer_lock);
        if (!guard.try_lock_for(30s)) {
            gaveUp = true;
            return false;
        }
        return m_done;
    }
    // Takes the state lock and keeps it until goOn() holds or another
    // thread asks for the state, then reports finishing while still
    // holding it.
    void holdThenFinish(const std::function<bool()>& goOn)
    {
        std::lock_guard state(m_stateLock);
        {
            std::unique_lock guard(m_probeLock);
            m_holder = std::this_thread::get_id();
            m_held = true;
            m_probeChanged.notify_all();
            m_probeChanged.wait_for(guard, 60s, [&] { return goOn() || m_askedWhileHeld > 0; });
        }
        m_done = true;
        setExecuting(false);
        setFinished(true);
    }
    bool waitUntilHeld()
    {
        std::unique_lock guard(m_probeLock);
        return m_probeChanged.wait_for(guard, 60s, [&] { return m_held; });
    }
    // Wakes holdThenFinish() to look at its condition again (under the
    // lock, so the wake-up cannot fall between its check and its wait).
    void poke()
    {
        std::lock_guard guard(m_probeLock);
        m_probeChanged.notify_all();
    }

    mutable std::atomic<bool> gaveUp { false };

private:
    mutable std::recursive_timed_mutex m_stateLock;
    bool m_done = false;
    mutable std::mutex m_probeLock;
    mutable std::condition_variable m_probeChanged;
    mutable int m_askedWhileHeld = 0;
    std::thread::id m_holder;
    bool m_held = false;
};

} // namespace

TEST(OperationQueue, WidthFourNeverRunsAFifth)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(4);
    Gate gate;
    std::atomic<int> running { 0 }, most { 0 }, done { 0 };
    for (int i = 0; i < 12; ++i) {
        queue.addOperation([&] {
            const int now = ++running;
            int seen = most.load();
            while (now > seen && !most.compare_exchange_weak(seen, now)) { }
            gate.pass();
            --running;
            ++done;
        });
    }
    ASSERT_TRUE(gate.waitForWaiting(4));
    EXPECT_EQ(queue.runningOperationCount(), 4);
    EXPECT_EQ(most.load(), 4);
    gate.release();
    ASSERT_TRUE(queue.waitUntilAllOperationsAreFinished(60000ms));
    EXPECT_EQ(done.load(), 12);
    EXPECT_EQ(most.load(), 4);
}

TEST(OperationQueue, ConcurrentOperationHoldsItsSlotUntilFinished)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(4);
    std::vector<std::shared_ptr<ConcurrentOperation>> operations;
    for (int i = 0; i < 6; ++i) {
        operations.push_back(std::make_shared<ConcurrentOperation>());
        queue.addOperation(operations.back());
    }
    const auto executing = [&] {
        int n = 0;
        for (auto& op : operations)
            n += op->isExecuting() ? 1 : 0;
        return n;
    };
    const auto waitFor = [&](auto condition) {
        for (int i = 0; i < 6000 && !condition(); ++i)
            std::this_thread::sleep_for(10ms);
        return condition();
    };
    ASSERT_TRUE(waitFor([&] { return executing() == 4; }));
    EXPECT_FALSE(operations[4]->isExecuting());
    operations[0]->finish();
    ASSERT_TRUE(waitFor([&] { return operations[4]->isExecuting(); }));
    EXPECT_EQ(executing(), 4);
    EXPECT_FALSE(operations[5]->isExecuting());
    // Widening the queue starts the waiting one at once.
    queue.setMaxConcurrentOperationCount(5);
    ASSERT_TRUE(waitFor([&] { return operations[5]->isExecuting(); }));
    for (int i = 1; i < 6; ++i)
        operations[i]->finish();
    EXPECT_TRUE(queue.waitUntilAllOperationsAreFinished(60000ms));
}

TEST(OperationQueue, SuspendedQueueStartsByPriorityThenOrderAfterDependencies)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    queue.setSuspended(true);
    std::mutex lock;
    std::vector<std::string> order;
    const auto make = [&](std::string name, int priority) {
        auto op = std::make_shared<RecordingOperation>([&, name] {
            std::lock_guard guard(lock);
            order.push_back(name);
        });
        op->setQueuePriority(priority);
        return op;
    };
    auto first = make("normal-1", Operation::NormalPriority);
    auto second = make("normal-2", Operation::NormalPriority);
    auto high = make("high", Operation::VeryHighPriority);
    auto waits = make("after-normal-2", 10); // highest, but waits for its dependency
    waits->addDependency(second);
    auto low = make("low", Operation::LowPriority);
    for (auto& op : { first, second, high, waits, low })
        queue.addOperation(op);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(order.empty()) << "a suspended queue started something";
    queue.setSuspended(false);
    ASSERT_TRUE(queue.waitUntilAllOperationsAreFinished(60000ms));
    EXPECT_EQ(order, (std::vector<std::string> { "high", "normal-1", "normal-2", "after-normal-2", "low" }));
}

TEST(OperationQueue, CancelledOperationFinishesWithoutRunningAndNotices)
{
    OperationQueue queue;
    queue.setSuspended(true);
    bool ran = false;
    auto op = std::make_shared<RecordingOperation>([&] { ran = true; });
    std::mutex lock;
    std::vector<Operation::Change> changes;
    op->addObserver([&](Operation&, Operation::Change change) {
        std::lock_guard guard(lock);
        changes.push_back(change);
    });
    queue.addOperation(op);
    op->cancel();
    queue.setSuspended(false);
    ASSERT_TRUE(queue.waitUntilAllOperationsAreFinished(60000ms));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(op->isFinished());
    EXPECT_TRUE(op->isCancelled());
    std::lock_guard guard(lock);
    EXPECT_NE(std::find(changes.begin(), changes.end(), Operation::Change::Cancelled), changes.end());
    EXPECT_NE(std::find(changes.begin(), changes.end(), Operation::Change::Finished), changes.end());
    EXPECT_EQ(std::find(changes.begin(), changes.end(), Operation::Change::Executing), changes.end());
}

// An operation reports finishing while it holds its own lock, at the very
// moment the queue picks what to start next (here: because its width was
// set). Picking must not wait for that lock, or the two wait for each
// other for good.
TEST(OperationQueue, PickingTheNextOperationDoesNotWaitForAnOperationsLock)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(4);
    auto head = std::make_shared<SelfLockingOperation>();
    std::atomic<bool> tailRan { false };
    auto tail = std::make_shared<RecordingOperation>([&] { tailRan = true; });
    tail->addDependency(head);
    queue.addOperation(head);
    queue.addOperation(tail);
    for (int i = 0; i < 6000 && !head->isExecuting(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(head->isExecuting());

    std::atomic<bool> picked { false };
    std::thread finisher([&] { head->holdThenFinish([&] { return picked.load(); }); });
    ASSERT_TRUE(head->waitUntilHeld());
    queue.setMaxConcurrentOperationCount(4);
    picked = true;
    head->poke();
    finisher.join();

    EXPECT_FALSE(head->gaveUp) << "the queue waited for the operation's lock while holding its own";
    ASSERT_TRUE(queue.waitUntilAllOperationsAreFinished(60000ms));
    EXPECT_TRUE(tailRan);
}

// An exception from an operation's work ends that operation, not the
// worker: the operation still finishes and the ones after it run.
TEST(OperationQueue, AThrowingOperationStillFinishesAndTheQueueGoesOn)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    queue.setSuspended(true);
    auto throwing = std::make_shared<RecordingOperation>([] { throw std::runtime_error("broken work"); });
    std::atomic<bool> laterRan { false };
    auto later = std::make_shared<RecordingOperation>([&] { laterRan = true; });
    later->addDependency(throwing);
    queue.addOperation(throwing);
    queue.addOperation(later);
    queue.setSuspended(false);
    ASSERT_TRUE(queue.waitUntilAllOperationsAreFinished(60000ms));
    EXPECT_TRUE(throwing->isFinished());
    EXPECT_FALSE(throwing->isExecuting());
    EXPECT_TRUE(laterRan);
}

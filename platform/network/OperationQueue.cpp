#include "OperationQueue.h"

#include "Operation.h"

#include <QtGlobal>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

namespace {

class BlockOperation : public Operation {
public:
    explicit BlockOperation(std::function<void()> work)
        : m_work(std::move(work))
    {
    }
    void main() override
    {
        if (m_work)
            m_work();
    }

private:
    std::function<void()> m_work;
};

} // namespace

struct OperationQueue::State : std::enable_shared_from_this<OperationQueue::State> {
    struct Entry {
        std::shared_ptr<Operation> operation;
        int observerToken;
        bool started;
    };

    mutable std::mutex lock;
    std::condition_variable changed;
    std::deque<Entry> entries; // in the order added
    int width = DefaultMaxConcurrentOperationCount;
    bool suspended = false;
    int running = 0;
    bool closing = false;

    std::vector<std::thread> workers;
    std::deque<std::shared_ptr<Operation>> jobs;
    int idleWorkers = 0;

    int effectiveWidth() const { return width < 0 ? 64 : width; }

    // Picks what may start now; called with the lock held.
    void dispatchLocked()
    {
        while (!closing && !suspended && running < effectiveWidth()) {
            Entry* best = nullptr;
            for (auto& e : entries) {
                if (e.started || !e.operation->isReady())
                    continue;
                if (!best || e.operation->queuePriority() > best->operation->queuePriority())
                    best = &e;
            }
            if (!best)
                return;
            best->started = true;
            ++running;
            jobs.push_back(best->operation);
            if (idleWorkers < int(jobs.size()) && !addWorker() && workers.empty()) {
                // No thread to run it now: it stays waiting, and the next
                // change tries again.
                jobs.pop_back();
                --running;
                best->started = false;
                return;
            }
            changed.notify_all();
        }
    }

    // Called with the lock held; a process out of threads keeps the job
    // for a worker that comes free.
    bool addWorker()
    {
        try {
            workers.emplace_back([self = shared_from_this()] { self->work(); });
        } catch (const std::system_error&) {
            return false;
        }
        ++idleWorkers;
        return true;
    }

    void work()
    {
        std::unique_lock guard(lock);
        for (;;) {
            changed.wait(guard, [&] { return closing || !jobs.empty(); });
            if (jobs.empty())
                return;
            auto operation = std::move(jobs.front());
            jobs.pop_front();
            --idleWorkers;
            guard.unlock();
            // Nothing may end the worker: the operations after it would
            // never run.
            try {
                operation->start();
            } catch (const std::exception& e) {
                qWarning("An exception left an operation's start: %s", e.what());
            } catch (...) {
                qWarning("An exception left an operation's start");
            }
            operation.reset();
            guard.lock();
            ++idleWorkers;
        }
    }

    void removeLocked(Operation& operation)
    {
        auto it = std::find_if(entries.begin(), entries.end(),
            [&](const Entry& e) { return e.operation.get() == &operation; });
        if (it == entries.end())
            return;
        if (it->started)
            --running;
        operation.removeObserver(it->observerToken);
        entries.erase(it);
    }

    // Runs on whatever thread reports the change, maybe under that
    // operation's own lock: while the queue's lock is held, nothing here
    // may wait for a lock of an operation (Operation::isReady() and
    // hasReportedFinished() take only their short state locks).
    void observe(Operation& operation, Operation::Change change)
    {
        std::lock_guard guard(lock);
        // The reported state, not isFinished(): the operation may be
        // telling us this while it holds its own lock.
        if (change == Operation::Change::Finished && operation.hasReportedFinished())
            removeLocked(operation);
        dispatchLocked();
        changed.notify_all();
    }
};

OperationQueue::OperationQueue()
    : d(std::make_shared<State>())
{
}

OperationQueue::~OperationQueue()
{
    cancelAllOperations();
    std::vector<std::thread> workers;
    {
        std::lock_guard guard(d->lock);
        d->closing = true;
        for (auto& e : d->entries)
            e.operation->removeObserver(e.observerToken);
        d->entries.clear();
        workers.swap(d->workers);
        d->changed.notify_all();
    }
    for (auto& worker : workers) {
        if (worker.get_id() == std::this_thread::get_id())
            worker.detach(); // the queue dies in one of its own operations
        else
            worker.join();
    }
}

void OperationQueue::addOperation(const std::shared_ptr<Operation>& operation)
{
    if (!operation || operation->isFinished())
        return;
    std::weak_ptr<State> weak = d;
    const int token = operation->addObserver([weak](Operation& op, Operation::Change change) {
        if (auto state = weak.lock())
            state->observe(op, change);
    });
    std::lock_guard guard(d->lock);
    d->entries.push_back({ operation, token, false });
    // Finished between the observer going on and the entry going in: that
    // report found no entry, so it would stay for good.
    if (operation->hasReportedFinished())
        d->removeLocked(*operation);
    d->dispatchLocked();
}

void OperationQueue::addOperation(std::function<void()> work)
{
    addOperation(std::make_shared<BlockOperation>(std::move(work)));
}

int OperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard guard(d->lock);
    return d->width;
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    std::lock_guard guard(d->lock);
    d->width = count;
    d->dispatchLocked();
}

bool OperationQueue::isSuspended() const
{
    std::lock_guard guard(d->lock);
    return d->suspended;
}

void OperationQueue::setSuspended(bool suspended)
{
    std::lock_guard guard(d->lock);
    d->suspended = suspended;
    d->dispatchLocked();
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const
{
    std::lock_guard guard(d->lock);
    std::vector<std::shared_ptr<Operation>> result;
    for (auto& e : d->entries)
        result.push_back(e.operation);
    return result;
}

int OperationQueue::operationCount() const
{
    std::lock_guard guard(d->lock);
    return int(d->entries.size());
}

int OperationQueue::runningOperationCount() const
{
    std::lock_guard guard(d->lock);
    return d->running;
}

void OperationQueue::cancelAllOperations()
{
    for (auto& operation : operations())
        operation->cancel();
}

bool OperationQueue::waitUntilAllOperationsAreFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock guard(d->lock);
    return d->changed.wait_for(guard, timeout, [&] { return d->entries.empty(); });
}

} // namespace platform

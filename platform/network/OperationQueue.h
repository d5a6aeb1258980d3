#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

class Operation;

// Runs operations on worker threads, at most maxConcurrentOperationCount at
// once (an operation counts from its start until it is finished), the ready
// ones of highest priority first and, among equals, in the order added.
// A suspended queue starts nothing new. The width can change at any time.
class OperationQueue {
public:
    static constexpr int DefaultMaxConcurrentOperationCount = -1;

    OperationQueue();
    // Cancels what has not started and waits for the worker threads; a
    // concurrent operation still running goes on without its queue.
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    void addOperation(const std::shared_ptr<Operation>& operation);
    void addOperation(std::function<void()> work);

    int maxConcurrentOperationCount() const;
    void setMaxConcurrentOperationCount(int count);
    bool isSuspended() const;
    void setSuspended(bool suspended);

    std::vector<std::shared_ptr<Operation>> operations() const;
    int operationCount() const;
    // Operations started and not yet finished.
    int runningOperationCount() const;
    void cancelAllOperations();
    // Answers whether every operation finished before the time-out.
    bool waitUntilAllOperationsAreFinished(std::chrono::milliseconds timeout);

private:
    struct State;
    std::shared_ptr<State> d;
};

} // namespace platform

#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

// A unit of work for an operation queue. A plain operation runs main() on a
// worker thread and is finished when main() returns. A concurrent one
// (isConcurrent) overrides start(), hands its work elsewhere and reports
// executing and finished itself; the queue counts it as running until then.
// Observers hear every change of the executing, finished and cancelled
// states, and when a dependency finished (ready).
class Operation : public std::enable_shared_from_this<Operation> {
public:
    enum class Change { Executing, Finished, Cancelled, Ready };
    using Observer = std::function<void(Operation&, Change)>;

    static constexpr int VeryLowPriority = -8;
    static constexpr int LowPriority = -4;
    static constexpr int NormalPriority = 0;
    static constexpr int HighPriority = 4;
    static constexpr int VeryHighPriority = 8;

    Operation() = default;
    virtual ~Operation() = default;
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    virtual void start();
    virtual void main() {}
    virtual bool isConcurrent() const { return false; }
    virtual void cancel();

    virtual bool isCancelled() const;
    virtual bool isExecuting() const;
    virtual bool isFinished() const;
    // Whether setFinished(true) has been reported: the state observers
    // were told of. Unlike isFinished() it never takes a subclass's lock,
    // so a queue may ask it while holding its own.
    bool hasReportedFinished() const;
    // All dependencies reported finished, or cancelled (a cancelled
    // operation need not wait for anything to learn that it has nothing to
    // do). Takes no lock but the operations' own state locks, one at a
    // time.
    bool isReady() const;

    void addDependency(const std::shared_ptr<Operation>& other);
    void removeDependency(const std::shared_ptr<Operation>& other);
    std::vector<std::shared_ptr<Operation>> dependencies() const;

    int queuePriority() const;
    void setQueuePriority(int priority);

    int addObserver(Observer observer);
    void removeObserver(int token);

protected:
    void setExecuting(bool executing);
    void setFinished(bool finished);
    void notify(Change change);

private:
    void dependencyFinished();

    mutable std::recursive_mutex m_lock;
    bool m_executing = false;
    bool m_finished = false;
    bool m_cancelled = false;
    int m_priority = NormalPriority;
    std::vector<std::shared_ptr<Operation>> m_dependencies;
    std::vector<std::weak_ptr<Operation>> m_dependents;
    std::vector<std::pair<int, Observer>> m_observers;
    int m_nextToken = 1;
};

} // namespace platform

#include "Operation.h"

#include <QtGlobal>

#include <algorithm>
#include <exception>

namespace platform {

void Operation::start()
{
    if (isFinished())
        return;
    if (isCancelled()) {
        setFinished(true);
        return;
    }
    setExecuting(true);
    // A plain operation finishes however main() ends: its queue counts it
    // until then.
    try {
        main();
    } catch (const std::exception& e) {
        qWarning("An exception left an operation: %s", e.what());
    } catch (...) {
        qWarning("An exception left an operation");
    }
    setExecuting(false);
    setFinished(true);
}

void Operation::cancel()
{
    {
        std::lock_guard lock(m_lock);
        if (m_cancelled || m_finished)
            return;
        m_cancelled = true;
    }
    notify(Change::Cancelled);
    notify(Change::Ready);
}

bool Operation::isCancelled() const
{
    std::lock_guard lock(m_lock);
    return m_cancelled;
}

bool Operation::isExecuting() const
{
    std::lock_guard lock(m_lock);
    return m_executing;
}

bool Operation::isFinished() const
{
    std::lock_guard lock(m_lock);
    return m_finished;
}

bool Operation::hasReportedFinished() const
{
    std::lock_guard lock(m_lock);
    return m_finished;
}

bool Operation::isReady() const
{
    std::vector<std::shared_ptr<Operation>> dependencies;
    {
        std::lock_guard lock(m_lock);
        if (m_cancelled)
            return true;
        dependencies = m_dependencies;
    }
    // Asked by a queue under its lock: a subclass's isFinished() may take
    // a lock that its owner holds while it reports to that same queue, so
    // only the reported state is read here, and never two of these locks
    // at once (dependencies may form a cycle).
    return std::all_of(dependencies.begin(), dependencies.end(),
        [](const auto& dependency) { return dependency->hasReportedFinished(); });
}

void Operation::addDependency(const std::shared_ptr<Operation>& other)
{
    if (!other || other.get() == this)
        return;
    {
        std::lock_guard lock(m_lock);
        if (std::find(m_dependencies.begin(), m_dependencies.end(), other) != m_dependencies.end())
            return;
        m_dependencies.push_back(other);
    }
    std::lock_guard lock(other->m_lock);
    other->m_dependents.push_back(weak_from_this());
}

void Operation::removeDependency(const std::shared_ptr<Operation>& other)
{
    {
        std::lock_guard lock(m_lock);
        std::erase(m_dependencies, other);
    }
    notify(Change::Ready);
}

std::vector<std::shared_ptr<Operation>> Operation::dependencies() const
{
    std::lock_guard lock(m_lock);
    return m_dependencies;
}

int Operation::queuePriority() const
{
    std::lock_guard lock(m_lock);
    return m_priority;
}

void Operation::setQueuePriority(int priority)
{
    std::lock_guard lock(m_lock);
    m_priority = priority;
}

int Operation::addObserver(Observer observer)
{
    std::lock_guard lock(m_lock);
    const int token = m_nextToken++;
    m_observers.emplace_back(token, std::move(observer));
    return token;
}

void Operation::removeObserver(int token)
{
    std::lock_guard lock(m_lock);
    std::erase_if(m_observers, [token](const auto& entry) { return entry.first == token; });
}

void Operation::setExecuting(bool executing)
{
    {
        std::lock_guard lock(m_lock);
        if (m_executing == executing)
            return;
        m_executing = executing;
    }
    notify(Change::Executing);
}

void Operation::setFinished(bool finished)
{
    std::vector<std::weak_ptr<Operation>> dependents;
    {
        std::lock_guard lock(m_lock);
        if (m_finished == finished)
            return;
        m_finished = finished;
        dependents = m_dependents;
    }
    notify(Change::Finished);
    if (finished) {
        for (auto& weak : dependents)
            if (auto dependent = weak.lock())
                dependent->dependencyFinished();
    }
}

void Operation::dependencyFinished()
{
    if (isReady())
        notify(Change::Ready);
}

void Operation::notify(Change change)
{
    std::vector<Observer> observers;
    {
        std::lock_guard lock(m_lock);
        for (auto& entry : m_observers)
            observers.push_back(entry.second);
    }
    // A finished operation may be dropped by the last observer's owner.
    auto keep = weak_from_this().lock();
    for (auto& observer : observers)
        observer(*this, change);
}

} // namespace platform

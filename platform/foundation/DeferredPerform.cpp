#include "DeferredPerform.h"

#include <QTimer>

namespace platform {

DeferredPerform& DeferredPerform::shared()
{
    static DeferredPerform* instance = new DeferredPerform; // lives as long as the process
    return *instance;
}

void DeferredPerform::perform(const void* target, const QString& key, std::function<void()> work, int delayMs)
{
    const auto slot = std::make_pair(target, key);
    auto it = m_pending.find(slot);
    if (it != m_pending.end()) {
        // Already scheduled: the newest work replaces the old, one call results.
        it->second.work = std::move(work);
        return;
    }
    const quint64 generation = ++m_generation;
    m_pending[slot] = Pending{std::move(work), generation};
    QTimer::singleShot(delayMs, this, [this, slot, generation] {
        auto found = m_pending.find(slot);
        if (found == m_pending.end() || found->second.generation != generation)
            return; // cancelled, perhaps rescheduled
        auto job = std::move(found->second.work);
        m_pending.erase(found);
        job();
    });
}

void DeferredPerform::cancel(const void* target)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->first.first == target)
            it = m_pending.erase(it);
        else
            ++it;
    }
}

void DeferredPerform::cancel(const void* target, const QString& key)
{
    m_pending.erase(std::make_pair(target, key));
}

bool DeferredPerform::isPending(const void* target, const QString& key) const
{
    return m_pending.count(std::make_pair(target, key)) != 0;
}

} // namespace platform

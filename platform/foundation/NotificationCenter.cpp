#include "NotificationCenter.h"

#include <algorithm>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* owner, const QString& name, const void* sender, Handler handler)
{
    m_entries.push_back(Entry{m_nextId++, owner, name, sender, std::move(handler)});
}

void NotificationCenter::removeObserver(const void* owner)
{
    for (auto& e : m_entries)
        if (e.owner == owner)
            e.removed = true;
    compact();
}

void NotificationCenter::removeObserver(const void* owner, const QString& name)
{
    for (auto& e : m_entries)
        if (e.owner == owner && e.name == name)
            e.removed = true;
    compact();
}

void NotificationCenter::compact()
{
    // While a post is running, entries are only marked, so that the loop
    // over them stays valid when an observer removes itself or another.
    if (m_postDepth > 0)
        return;
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.removed; }),
                    m_entries.end());
}

void NotificationCenter::post(const QString& name, const void* sender, const QVariantMap& userInfo, const QVariant& object)
{
    const Notification note{name, sender, userInfo, object};
    // Observers added during the post are not called for this one.
    const quint64 lastId = m_nextId;
    ++m_postDepth;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].id >= lastId || m_entries[i].removed)
            continue;
        if (!m_entries[i].name.isEmpty() && m_entries[i].name != name)
            continue;
        if (m_entries[i].sender && m_entries[i].sender != sender)
            continue;
        Handler handler = m_entries[i].handler; // copy: the entry may go away during the call
        handler(note);
    }
    --m_postDepth;
    compact();
}

} // namespace platform

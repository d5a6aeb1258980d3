#include "SharedConnections.h"

#include "NetworkConnection.h"

namespace platform {

SharedConnections& SharedConnections::shared()
{
    static SharedConnections connections;
    return connections;
}

void SharedConnections::park(quint64 id, const QString& endpoint, std::shared_ptr<NetworkConnection> connection, quint64 owner)
{
    std::shared_ptr<NetworkConnection> replaced;
    std::lock_guard lock(m_lock);
    auto& entry = m_idle[id];
    replaced = std::move(entry.connection);
    entry = { endpoint, std::move(connection), owner };
}

std::shared_ptr<NetworkConnection> SharedConnections::take(quint64 id, const QString& endpoint)
{
    std::lock_guard lock(m_lock);
    auto it = m_idle.find(id);
    if (it == m_idle.end() || it->second.endpoint != endpoint)
        return nullptr;
    auto connection = std::move(it->second.connection);
    m_idle.erase(it);
    return connection;
}

void SharedConnections::closeOwned(quint64 id, quint64 owner)
{
    std::shared_ptr<NetworkConnection> closing;
    std::lock_guard lock(m_lock);
    auto it = m_idle.find(id);
    if (it == m_idle.end() || it->second.owner != owner)
        return;
    closing = std::move(it->second.connection);
    m_idle.erase(it);
}

void SharedConnections::closeAll()
{
    // Closed once the lock is let go: closing may call back into the
    // network layer.
    std::map<quint64, Entry> closing;
    std::lock_guard lock(m_lock);
    closing.swap(m_idle);
}

bool SharedConnections::hasIdleConnection(quint64 id) const
{
    std::lock_guard lock(m_lock);
    return m_idle.count(id) != 0;
}

} // namespace platform

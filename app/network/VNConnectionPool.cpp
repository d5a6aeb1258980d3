#include "VNConnectionPool.h"

#include "platform/network/HTTPReadStream.h"

#include <algorithm>

VNConnectionPool& VNConnectionPool::shared()
{
    // Never destroyed: the network thread may still release entries while
    // the process exits.
    static auto* pool = new VNConnectionPool();
    return *pool;
}

bool VNConnectionPool::canKeep(const std::shared_ptr<Entry>& entry, const QUrl& url, quint64 requestID)
{
    std::lock_guard lock(m_lock);
    if (!entry)
        return false;
    if (entry->expires && *entry->expires < Clock::now()) {
        remove(entry);
        return false;
    }
    return entry->host == url.host() && entry->scheme == url.scheme() && entry->port == std::max(url.port(), 0)
        && (entry->requestID == 0 || entry->requestID == requestID)
        && std::find(m_entries.begin(), m_entries.end(), entry) != m_entries.end();
}

std::shared_ptr<VNConnectionPool::Entry> VNConnectionPool::entryFor(const QUrl& url)
{
    std::lock_guard lock(m_lock);
    const int port = std::max(url.port(), 0);
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        const auto& e = *it;
        if (e->requestID == 0 && e->host == url.host() && e->scheme == url.scheme() && e->port == port)
            return e;
    }
    auto entry = std::make_shared<Entry>();
    entry->id = ++m_nextConnectionID;
    entry->host = url.host();
    entry->port = port;
    entry->scheme = url.scheme();
    m_entries.push_back(entry);
    return entry;
}

void VNConnectionPool::remove(const std::shared_ptr<Entry>& entry)
{
    std::lock_guard lock(m_lock);
    std::erase(m_entries, entry);
}

void VNConnectionPool::expire()
{
    std::vector<std::shared_ptr<platform::HTTPReadStream>> closing;
    {
        std::lock_guard lock(m_lock);
        const auto now = Clock::now();
        std::erase_if(m_entries, [&](const std::shared_ptr<Entry>& e) {
            if (e->requestID != 0 || !e->expires || *e->expires > now)
                return false;
            if (e->stream)
                closing.push_back(std::move(e->stream));
            return true;
        });
    }
    for (auto& stream : closing)
        stream->close();
}

void VNConnectionPool::release(const std::shared_ptr<Entry>& entry, double seconds)
{
    if (!entry)
        return;
    std::lock_guard lock(m_lock);
    entry->requestID = 0;
    entry->expires = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(seconds, 0.0)));
}

quint64 VNConnectionPool::nextRequestID()
{
    std::lock_guard lock(m_lock);
    return ++m_nextRequestID;
}

int VNConnectionPool::size()
{
    std::lock_guard lock(m_lock);
    return int(m_entries.size());
}

void VNConnectionPool::streamScheduled()
{
    std::lock_guard lock(m_lock);
    ++m_running;
}

void VNConnectionPool::streamUnscheduled()
{
    std::lock_guard lock(m_lock);
    if (m_running > 0)
        --m_running;
}

int VNConnectionPool::runningRequestCount()
{
    std::lock_guard lock(m_lock);
    return m_running;
}

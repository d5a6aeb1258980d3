#include "VNSessionCredentialsStore.h"

namespace {

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    // Ports compare as written: both absent, or the same number.
    return a.host() == b.host() && a.port() == b.port() && a.scheme() == b.scheme();
}

} // namespace

VNSessionCredentialsStore& VNSessionCredentialsStore::shared()
{
    static VNSessionCredentialsStore store;
    return store;
}

QList<VNSessionCredentialsStore::ServerEntry> VNSessionCredentialsStore::serverEntries() const
{
    std::lock_guard guard(m_lock);
    return m_servers;
}

QList<VNSessionCredentialsStore::ProxyEntry> VNSessionCredentialsStore::proxyEntries() const
{
    std::lock_guard guard(m_lock);
    return m_proxies;
}

void VNSessionCredentialsStore::storeServerEntry(const ServerEntry& entry)
{
    std::lock_guard guard(m_lock);
    removeServerCredentials(entry.credentials);
    m_servers.append(entry);
}

void VNSessionCredentialsStore::storeProxyEntry(const ProxyEntry& entry)
{
    std::lock_guard guard(m_lock);
    removeProxyCredentials(entry.credentials);
    m_proxies.append(entry);
}

void VNSessionCredentialsStore::removeServerCredentials(const Credentials& credentials)
{
    std::lock_guard guard(m_lock);
    for (qsizetype i = 0; i < m_servers.size(); ++i) {
        if (m_servers[i].credentials == credentials) {
            m_servers.removeAt(i);
            return;
        }
    }
}

void VNSessionCredentialsStore::removeProxyCredentials(const Credentials& credentials)
{
    std::lock_guard guard(m_lock);
    for (qsizetype i = 0; i < m_proxies.size(); ++i) {
        if (m_proxies[i].credentials == credentials) {
            m_proxies.removeAt(i);
            return;
        }
    }
}

void VNSessionCredentialsStore::clearServers()
{
    std::lock_guard guard(m_lock);
    m_servers.clear();
}

std::optional<VNSessionCredentialsStore::ServerEntry> VNSessionCredentialsStore::findServerEntry(const QUrl& url,
    const QString& realm, const QString& user, const QString& password) const
{
    std::lock_guard guard(m_lock);
    const bool withCredentials = !user.isNull() && !password.isNull();
    std::optional<ServerEntry> close;
    for (const ServerEntry& entry : m_servers) {
        const bool exact = entry.url == url;
        if (!exact && (close || !sameOrigin(entry.url, url)))
            continue;
        if (!realm.isEmpty() && entry.authenticationRealm != realm)
            continue;
        if (withCredentials && (!entry.credentials || entry.credentials->user != user || entry.credentials->password != password))
            continue;
        if (exact)
            return entry;
        close = entry;
    }
    return close;
}

std::optional<VNSessionCredentialsStore::ProxyEntry> VNSessionCredentialsStore::findProxyEntry(const QString& host, int port) const
{
    std::lock_guard guard(m_lock);
    for (const ProxyEntry& entry : m_proxies) {
        if (entry.host == host && entry.port == port)
            return entry;
    }
    return std::nullopt;
}

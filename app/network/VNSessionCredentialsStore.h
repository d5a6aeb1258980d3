#pragma once

#include "platform/network/HTTPAuthentication.h"
#include "platform/network/HTTPCredential.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>
#include <optional>

// The credentials that worked, kept for later requests of the process: one
// ordered list for servers, one for proxies. A credential is identified by
// its object, not its contents, so a request removes exactly the one it
// applied. Guarded by its own recursive lock (the session credentials
// lock), which a caller may also hold around several steps.
class VNSessionCredentialsStore {
public:
    using Credentials = std::shared_ptr<const platform::HTTPCredential>;

    struct ServerEntry {
        // Absent for credentials sent before any challenge.
        std::shared_ptr<platform::HTTPAuthentication> authentication;
        Credentials credentials;
        QUrl url;
        QString authenticationScheme;
        // Null when not known.
        QString authenticationRealm;
    };
    struct ProxyEntry {
        std::shared_ptr<platform::HTTPAuthentication> authentication;
        Credentials credentials;
        QString host;
        int port = 0;
        QString authenticationScheme;
    };

    // The process's store.
    static VNSessionCredentialsStore& shared();

    std::recursive_mutex& lock() { return m_lock; }

    QList<ServerEntry> serverEntries() const;
    QList<ProxyEntry> proxyEntries() const;

    // Drops an entry holding the very same credentials object, then appends.
    void storeServerEntry(const ServerEntry& entry);
    void storeProxyEntry(const ProxyEntry& entry);
    // Removes the first entry holding that very credentials object.
    void removeServerCredentials(const Credentials& credentials);
    void removeProxyCredentials(const Credentials& credentials);
    // Empties the server list (the proxy list stays).
    void clearServers();

    // The entry for a request: one for the very URL wins at once; else the
    // first for the same host, port and scheme. With a realm, entries of
    // another or no realm are passed over; with a user name and password,
    // entries holding other ones are.
    std::optional<ServerEntry> findServerEntry(const QUrl& url, const QString& realm, const QString& user,
        const QString& password) const;
    // The first entry for that proxy host and port.
    std::optional<ProxyEntry> findProxyEntry(const QString& host, int port) const;

private:
    mutable std::recursive_mutex m_lock;
    QList<ServerEntry> m_servers;
    QList<ProxyEntry> m_proxies;
};

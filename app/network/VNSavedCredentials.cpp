#include "VNSavedCredentials.h"

using platform::HTTPCredential;
using platform::HTTPCredentialStorage;
using platform::HTTPProtectionSpace;

bool VNSavedCredentials::saveCredentials(const HTTPCredential& credential, const QString& host, int port,
    const QString& protocol, const QString& realm, HTTPCredentialStorage& storage)
{
    return storage.setDefaultCredential(credential, HTTPProtectionSpace::server(host, port, protocol, realm),
        HTTPCredentialStorage::Persistence::Permanent);
}

bool VNSavedCredentials::saveProxyCredentials(const HTTPCredential& credential, const QString& host, int port,
    const QString& realm, HTTPCredentialStorage& storage)
{
    return storage.setDefaultCredential(credential, HTTPProtectionSpace::proxy(host, port, realm),
        HTTPCredentialStorage::Persistence::Permanent);
}

std::optional<HTTPCredential> VNSavedCredentials::savedCredentials(const QString& host, int port,
    const QString& protocol, const QString& realm, HTTPCredentialStorage& storage)
{
    return storage.defaultCredential(HTTPProtectionSpace::server(host, port, protocol, realm));
}

std::optional<HTTPCredential> VNSavedCredentials::savedProxyCredentials(const QString& host, int port,
    const QString& /*protocol*/, const QString& realm, HTTPCredentialStorage& storage)
{
    return storage.defaultCredential(HTTPProtectionSpace::proxy(host, port, realm));
}

void VNSavedCredentials::removeCredentials(const QString& host, int port, const QString& protocol,
    const QString& realm, HTTPCredentialStorage& storage)
{
    storage.removeDefaultCredential(HTTPProtectionSpace::server(host, port, protocol, realm));
}

void VNSavedCredentials::removeProxyCredentials(const QString& host, int port, const QString& realm,
    HTTPCredentialStorage& storage)
{
    storage.removeDefaultCredential(HTTPProtectionSpace::proxy(host, port, realm));
}

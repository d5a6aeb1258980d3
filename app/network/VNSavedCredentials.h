#pragma once

#include "platform/network/HTTPCredential.h"
#include "platform/network/HTTPCredentialStorage.h"

#include <QString>

#include <optional>

// Credentials saved beyond the session, by protection space: a server's
// host, port, protocol and realm, or a proxy's host, port and realm. They
// are saved as permanent (a file only the user can read; see
// HTTPCredentialStorage). Each call takes the storage to use; requests use
// the shared one.
class VNSavedCredentials {
public:
    static bool saveCredentials(const platform::HTTPCredential& credential, const QString& host, int port,
        const QString& protocol, const QString& realm,
        platform::HTTPCredentialStorage& storage = platform::HTTPCredentialStorage::shared());
    static bool saveProxyCredentials(const platform::HTTPCredential& credential, const QString& host, int port,
        const QString& realm, platform::HTTPCredentialStorage& storage = platform::HTTPCredentialStorage::shared());
    static std::optional<platform::HTTPCredential> savedCredentials(const QString& host, int port, const QString& protocol,
        const QString& realm, platform::HTTPCredentialStorage& storage = platform::HTTPCredentialStorage::shared());
    // The protocol is not part of a proxy's space.
    static std::optional<platform::HTTPCredential> savedProxyCredentials(const QString& host, int port,
        const QString& protocol, const QString& realm,
        platform::HTTPCredentialStorage& storage = platform::HTTPCredentialStorage::shared());
    static void removeCredentials(const QString& host, int port, const QString& protocol, const QString& realm,
        platform::HTTPCredentialStorage& storage = platform::HTTPCredentialStorage::shared());
    static void removeProxyCredentials(const QString& host, int port, const QString& realm,
        platform::HTTPCredentialStorage& storage = platform::HTTPCredentialStorage::shared());
};

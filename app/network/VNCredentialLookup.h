#pragma once

#include "platform/network/HTTPCredential.h"
#include "platform/network/HTTPCredentialStorage.h"

#include <QString>
#include <QUrl>

#include <optional>

// Where a request's credentials come from, first hit wins: for a server
// the user name and password in the URL, the main request's, the
// request's own, then (when the request keeps credentials) the saved ones
// for the URL's space; for a proxy the main request's or the request's
// proxy fields, for NTLM the server fields, then the saved ones for the
// proxy. When the challenge needs an account domain it comes from the
// domain field, else from a user name written "DOMAIN\user". A null string
// means "not set"; a pair counts only when both halves are set.
class VNCredentialLookup {
public:
    struct ServerQuery {
        QUrl url;
        // Of the main request, for a HEAD request made on its behalf.
        QString mainUsername;
        QString mainPassword;
        QString username;
        QString password;
        QString domain;
        bool useKeychainPersistence = false;
        QString authenticationRealm;
        bool needsAccountDomain = false;
    };
    struct ProxyQuery {
        QUrl url;
        QString mainProxyUsername;
        QString mainProxyPassword;
        QString proxyUsername;
        QString proxyPassword;
        QString proxyDomain;
        QString username;
        QString password;
        QString domain;
        QString proxyHost;
        int proxyPort = 0;
        QString proxyAuthenticationScheme;
        QString proxyAuthenticationRealm;
        bool needsAccountDomain = false;
    };

    static std::optional<platform::HTTPCredential> findCredentials(const ServerQuery& query,
        platform::HTTPCredentialStorage& storage = platform::HTTPCredentialStorage::shared());
    static std::optional<platform::HTTPCredential> findProxyCredentials(const ProxyQuery& query,
        platform::HTTPCredentialStorage& storage = platform::HTTPCredentialStorage::shared());

    // The port a URL's saved credentials are kept under: the one written,
    // else the scheme's own.
    static int portOf(const QUrl& url);
};

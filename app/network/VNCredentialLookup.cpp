#include "VNCredentialLookup.h"

#include "VNSavedCredentials.h"

using platform::HTTPCredential;

namespace {

bool isPair(const QString& user, const QString& password)
{
    return !user.isNull() && !password.isNull();
}

// "DOMAIN\user" with exactly one backslash names its domain.
bool splitDomain(HTTPCredential& credential)
{
    if (credential.user.count(u'\\') != 1)
        return false;
    const qsizetype at = credential.user.indexOf(u'\\');
    credential.domain = credential.user.left(at);
    credential.user = credential.user.mid(at + 1);
    return true;
}

std::optional<HTTPCredential> complete(const std::optional<HTTPCredential>& found)
{
    if (!found || !isPair(found->user, found->password))
        return std::nullopt;
    return found;
}

} // namespace

int VNCredentialLookup::portOf(const QUrl& url)
{
    return url.port(url.scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

std::optional<HTTPCredential> VNCredentialLookup::findCredentials(const ServerQuery& q, platform::HTTPCredentialStorage& storage)
{
    std::optional<HTTPCredential> found;
    const QString urlUser = q.url.userName(QUrl::FullyDecoded);
    const QString urlPassword = q.url.password(QUrl::FullyDecoded);
    if (!urlUser.isEmpty() && !urlPassword.isNull())
        found = HTTPCredential { urlUser, urlPassword, QString() };
    else if (isPair(q.mainUsername, q.mainPassword))
        found = HTTPCredential { q.mainUsername, q.mainPassword, QString() };
    else if (isPair(q.username, q.password))
        found = HTTPCredential { q.username, q.password, QString() };
    else if (q.useKeychainPersistence)
        found = VNSavedCredentials::savedCredentials(q.url.host(), portOf(q.url), q.url.scheme(), q.authenticationRealm, storage);
    if (!found)
        return std::nullopt;
    found->domain = QString();
    if (q.needsAccountDomain) {
        if (!q.domain.isEmpty())
            found->domain = q.domain;
        else if (!splitDomain(*found))
            found->domain = QStringLiteral("");
    }
    return complete(found);
}

std::optional<HTTPCredential> VNCredentialLookup::findProxyCredentials(const ProxyQuery& q, platform::HTTPCredentialStorage& storage)
{
    std::optional<HTTPCredential> found;
    if (isPair(q.mainProxyUsername, q.mainProxyPassword))
        found = HTTPCredential { q.mainProxyUsername, q.mainProxyPassword, QString() };
    else if (isPair(q.proxyUsername, q.proxyPassword))
        found = HTTPCredential { q.proxyUsername, q.proxyPassword, QString() };
    else if (q.proxyAuthenticationScheme.compare(QStringLiteral("NTLM"), Qt::CaseInsensitive) == 0 && isPair(q.username, q.password))
        found = HTTPCredential { q.username, q.password, QString() };
    else
        found = VNSavedCredentials::savedProxyCredentials(q.proxyHost, q.proxyPort, q.url.scheme(), q.proxyAuthenticationRealm, storage);
    if (!found)
        return std::nullopt;
    found->domain = QString();
    if (q.needsAccountDomain) {
        if (!q.proxyDomain.isEmpty())
            found->domain = q.proxyDomain;
        else if (!splitDomain(*found))
            found->domain = q.domain.isEmpty() ? QStringLiteral("") : q.domain;
    }
    return complete(found);
}

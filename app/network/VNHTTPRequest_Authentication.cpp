// Answers to servers (401) and proxies (407) that want credentials: what
// is sent before any challenge, the challenge objects, where credentials
// come from, the session stores and saved credentials, and the delegate's
// turn when nothing else knows them.
//
// The credential steps run on the request's thread under the request lock
// (they stop and restart the connection, as the stream events and a cancel
// do); inside it they take the delegate authentication lock, then the
// session store's lock. Nothing that holds either of those takes a request
// lock, so the order holds for every request.
#include "VNHTTPRequest.h"

#include "VNCredentialLookup.h"
#include "VNProxy.h"
#include "VNSavedCredentials.h"

#include "platform/network/HTTPAuthentication.h"
#include "platform/network/NetworkError.h"

using platform::HTTPAuthentication;
using platform::HTTPCredential;
using platform::HTTPMessage;
using platform::NetworkError;

namespace {

// Lets one request at a time look through the stores and decide to ask.
std::recursive_mutex& delegateAuthenticationLock()
{
    static std::recursive_mutex lock;
    return lock;
}

VNHTTPRequest::Credentials shared(const std::optional<HTTPCredential>& credential)
{
    if (!credential)
        return nullptr;
    return std::make_shared<const HTTPCredential>(*credential);
}

bool isNTLM(const std::shared_ptr<HTTPAuthentication>& authentication)
{
    return authentication && authentication->scheme() == HTTPAuthentication::Scheme::NTLM;
}

} // namespace

// The fields one flow reads and writes: the server's or the proxy's.
struct VNHTTPRequest::AuthenticationSide {
    bool proxy;
    std::shared_ptr<HTTPAuthentication>& authentication;
    QString& scheme;
    QString& realm;
    Credentials& credentials;
    int& applications;
};

VNHTTPRequest::AuthenticationSide VNHTTPRequest::authenticationSide(bool proxy)
{
    if (proxy)
        return { true, m_proxyAuthentication, m_proxyAuthenticationScheme, m_proxyAuthenticationRealm, m_proxyCredentials,
            m_proxyChallengeApplications };
    return { false, m_requestAuthentication, m_authenticationScheme, m_authenticationRealm, m_requestCredentials,
        m_challengeApplications };
}

// ---- fields ----

#define VN_CREDENTIAL_FIELD(getter, setter, member)          \
    QString VNHTTPRequest::getter() const                     \
    {                                                         \
        std::lock_guard lock(m_credentialFieldsLock);         \
        return member;                                        \
    }                                                         \
    void VNHTTPRequest::setter(const QString& value)          \
    {                                                         \
        std::lock_guard lock(m_credentialFieldsLock);         \
        member = value;                                       \
    }

VN_CREDENTIAL_FIELD(username, setUsername, m_username)
VN_CREDENTIAL_FIELD(password, setPassword, m_password)
VN_CREDENTIAL_FIELD(domain, setDomain, m_domain)
VN_CREDENTIAL_FIELD(proxyUsername, setProxyUsername, m_proxyUsername)
VN_CREDENTIAL_FIELD(proxyPassword, setProxyPassword, m_proxyPassword)
VN_CREDENTIAL_FIELD(proxyDomain, setProxyDomain, m_proxyDomain)

#undef VN_CREDENTIAL_FIELD

QString VNHTTPRequest::authenticationScheme() const
{
    std::lock_guard lock(m_lock);
    return m_authenticationScheme;
}

void VNHTTPRequest::setAuthenticationScheme(const QString& scheme)
{
    std::lock_guard lock(m_lock);
    m_authenticationScheme = scheme;
}

QString VNHTTPRequest::authenticationRealm() const
{
    std::lock_guard lock(m_lock);
    return m_authenticationRealm;
}

QString VNHTTPRequest::proxyAuthenticationScheme() const
{
    std::lock_guard lock(m_lock);
    return m_proxyAuthenticationScheme;
}

QString VNHTTPRequest::proxyAuthenticationRealm() const
{
    std::lock_guard lock(m_lock);
    return m_proxyAuthenticationRealm;
}

VNHTTPRequest::Credentials VNHTTPRequest::requestCredentials() const
{
    std::lock_guard lock(m_lock);
    return m_requestCredentials;
}

VNHTTPRequest::Credentials VNHTTPRequest::proxyCredentials() const
{
    std::lock_guard lock(m_lock);
    return m_proxyCredentials;
}

int VNHTTPRequest::authenticationRetryCount() const
{
    std::lock_guard lock(m_lock);
    return m_authenticationRetryCount;
}

int VNHTTPRequest::proxyAuthenticationRetryCount() const
{
    std::lock_guard lock(m_lock);
    return m_proxyAuthenticationRetryCount;
}

void VNHTTPRequest::setAuthenticationNeededBlock(Block block)
{
    std::lock_guard lock(m_lock);
    m_authenticationNeededBlock = std::move(block);
}

void VNHTTPRequest::setProxyAuthenticationNeededBlock(Block block)
{
    std::lock_guard lock(m_lock);
    m_proxyAuthenticationNeededBlock = std::move(block);
}

void VNHTTPRequest::releaseAuthentication()
{
    m_requestAuthentication.reset();
    m_proxyAuthentication.reset();
}

void VNHTTPRequest::copyAuthenticationSettingsTo(VNHTTPRequest& other) const
{
    {
        std::scoped_lock locks(m_credentialFieldsLock, other.m_credentialFieldsLock);
        other.m_username = m_username;
        other.m_password = m_password;
        other.m_domain = m_domain;
        other.m_proxyUsername = m_proxyUsername;
        other.m_proxyPassword = m_proxyPassword;
        other.m_proxyDomain = m_proxyDomain;
    }
    other.m_useKeychainPersistence = m_useKeychainPersistence;
    other.m_useSessionPersistence = m_useSessionPersistence;
    other.m_shouldPresentCredentialsBeforeChallenge = m_shouldPresentCredentialsBeforeChallenge;
    other.m_shouldPresentAuthenticationDialog = m_shouldPresentAuthenticationDialog;
    other.m_shouldPresentProxyAuthenticationDialog = m_shouldPresentProxyAuthenticationDialog;
    other.m_authenticationScheme = m_authenticationScheme;
}

// ---- class-wide stores ----

void VNHTTPRequest::storeAuthenticationCredentialsInSessionStore(const VNSessionCredentialsStore::ServerEntry& entry)
{
    VNSessionCredentialsStore::shared().storeServerEntry(entry);
}

void VNHTTPRequest::storeProxyAuthenticationCredentialsInSessionStore(const VNSessionCredentialsStore::ProxyEntry& entry)
{
    VNSessionCredentialsStore::shared().storeProxyEntry(entry);
}

void VNHTTPRequest::removeAuthenticationCredentialsFromSessionStore(const Credentials& credentials)
{
    VNSessionCredentialsStore::shared().removeServerCredentials(credentials);
}

void VNHTTPRequest::removeProxyAuthenticationCredentialsFromSessionStore(const Credentials& credentials)
{
    VNSessionCredentialsStore::shared().removeProxyCredentials(credentials);
}

void VNHTTPRequest::saveCredentials(const HTTPCredential& credential, const QString& host, int port,
    const QString& protocol, const QString& realm)
{
    VNSavedCredentials::saveCredentials(credential, host, port, protocol, realm);
}

void VNHTTPRequest::saveCredentialsForProxy(const HTTPCredential& credential, const QString& host, int port, const QString& realm)
{
    VNSavedCredentials::saveProxyCredentials(credential, host, port, realm);
}

std::optional<HTTPCredential> VNHTTPRequest::savedCredentialsForHost(const QString& host, int port, const QString& protocol,
    const QString& realm)
{
    return VNSavedCredentials::savedCredentials(host, port, protocol, realm);
}

std::optional<HTTPCredential> VNHTTPRequest::savedCredentialsForProxy(const QString& host, int port, const QString& protocol,
    const QString& realm)
{
    return VNSavedCredentials::savedProxyCredentials(host, port, protocol, realm);
}

void VNHTTPRequest::removeCredentialsForHost(const QString& host, int port, const QString& protocol, const QString& realm)
{
    VNSavedCredentials::removeCredentials(host, port, protocol, realm);
}

void VNHTTPRequest::removeCredentialsForProxy(const QString& host, int port, const QString& realm)
{
    VNSavedCredentials::removeProxyCredentials(host, port, realm);
}

// ---- before any challenge ----

void VNHTTPRequest::addBasicAuthenticationHeaderWithUsername(const QString& user, const QString& password)
{
    addRequestHeader(QStringLiteral("Authorization"), HTTPAuthentication::basicFieldValue(user, password));
    m_authenticationScheme = QStringLiteral("Basic");
}

void VNHTTPRequest::applyCredentialsBeforeChallenge()
{
    if (m_shouldPresentCredentialsBeforeChallenge)
        applyAuthorizationHeader();
}

void VNHTTPRequest::applyAuthorizationHeader()
{
    m_sentBeforeChallenge.reset();
    m_proxySentBeforeChallenge.reset();
    if (!m_requestHeaders.contains(QStringLiteral("Authorization"))) {
        const QString user = username();
        const QString pass = password();
        if (!user.isNull() && !pass.isNull() && m_authenticationScheme == QStringLiteral("Basic")) {
            addBasicAuthenticationHeaderWithUsername(user, pass);
        } else if (m_useSessionPersistence) {
            if (const auto entry = findSessionAuthenticationCredentials(); entry && entry->credentials) {
                if (!isNTLM(entry->authentication)) {
                    m_sentBeforeChallenge = entry->credentials;
                    m_sentBeforeChallengeRealm = entry->authenticationRealm;
                }
                if (entry->authentication) {
                    if (entry->authentication->apply(m_message, *entry->credentials, proxySettingsForMessage()))
                        m_authenticationScheme = entry->authenticationScheme;
                    else
                        removeAuthenticationCredentialsFromSessionStore(entry->credentials);
                } else {
                    addBasicAuthenticationHeaderWithUsername(entry->credentials->user, entry->credentials->password);
                }
            }
        }
    }
    if (m_useSessionPersistence && sendsToHTTPProxy()) {
        if (const auto entry = findSessionProxyAuthenticationCredentials();
            entry && entry->authentication && entry->credentials) {
            if (!entry->authentication->apply(m_message, *entry->credentials, proxySettingsForMessage()))
                removeProxyAuthenticationCredentialsFromSessionStore(entry->credentials);
            else if (!isNTLM(entry->authentication))
                m_proxySentBeforeChallenge = entry->credentials;
        }
    }
}

// Basic credentials sent before any challenge and not refused are kept
// for the session's later requests to the same server.
void VNHTTPRequest::rememberCredentialsSentBeforeChallenge()
{
    if (m_requestAuthentication || !m_useSessionPersistence || m_authenticationScheme != QStringLiteral("Basic"))
        return;
    // Only a pair that really went to this server was accepted by it.
    if (!m_message.headerField(QStringLiteral("Authorization")).startsWith(QStringLiteral("Basic ")))
        return;
    const QString user = username();
    const QString pass = password();
    if (user.isNull() || pass.isNull())
        return;
    VNSessionCredentialsStore& store = VNSessionCredentialsStore::shared();
    std::lock_guard lock(store.lock());
    // Each request sends its own pair: keep one entry per address and pair.
    for (const auto& kept : store.serverEntries()) {
        if (kept.url == m_url && kept.credentials && kept.credentials->user == user && kept.credentials->password == pass)
            return;
    }
    VNSessionCredentialsStore::ServerEntry entry;
    entry.credentials = std::make_shared<const HTTPCredential>(HTTPCredential { user, pass, QString() });
    entry.url = m_url;
    entry.authenticationScheme = QStringLiteral("Basic");
    storeAuthenticationCredentialsInSessionStore(entry);
}

bool VNHTTPRequest::sendsToHTTPProxy() const
{
    const platform::ProxySettings proxy = proxySettingsForMessage();
    return proxy.isSet() && (proxy.type == platform::ProxySettings::Type::HTTP || proxy.type == platform::ProxySettings::Type::HTTPS);
}

bool VNHTTPRequest::answeredByProxy() const
{
    const platform::ProxySettings proxy = proxySettingsForMessage();
    if (!proxy.isSet())
        return false;
    if (proxy.type == platform::ProxySettings::Type::HTTP)
        return true;
    // Inside a tunnel (or through SOCKS) only the server speaks.
    return proxy.type == platform::ProxySettings::Type::HTTPS && m_readStream && m_readStream->proxyRefusedTunnel();
}

void VNHTTPRequest::dropCredentialsForOtherOrigin()
{
    {
        std::lock_guard lock(m_credentialFieldsLock);
        m_username = QString();
        m_password = QString();
        m_domain = QString();
    }
    m_requestCredentials.reset();
    m_sentBeforeChallenge.reset();
    m_sentBeforeChallengeRealm = QString();
    m_challengeApplications = 0;
    m_leftMainRequestOrigin = true;
    m_requestHeaders.remove(QStringLiteral("Authorization"));
}

platform::ProxySettings VNHTTPRequest::proxySettingsForMessage() const
{
    // The stream is opened with these too, so credentials answer the
    // proxy the message really goes through.
    platform::ProxySettings proxy;
    if (m_proxyHost.isEmpty() || m_proxyPort == 0)
        return proxy;
    proxy.host = m_proxyHost;
    proxy.port = m_proxyPort;
    if (m_proxyType == VNProxy::TypeSOCKS)
        proxy.type = platform::ProxySettings::Type::SOCKS;
    else if (m_url.scheme().toLower() == QStringLiteral("https"))
        proxy.type = platform::ProxySettings::Type::HTTPS;
    else
        proxy.type = platform::ProxySettings::Type::HTTP;
    return proxy;
}

// ---- finding credentials ----

std::optional<VNSessionCredentialsStore::ServerEntry> VNHTTPRequest::findSessionAuthenticationCredentials()
{
    VNSessionCredentialsStore& store = VNSessionCredentialsStore::shared();
    std::lock_guard lock(store.lock());
    return store.findServerEntry(m_url, m_authenticationRealm, username(), password());
}

std::optional<VNSessionCredentialsStore::ProxyEntry> VNHTTPRequest::findSessionProxyAuthenticationCredentials()
{
    VNSessionCredentialsStore& store = VNSessionCredentialsStore::shared();
    std::lock_guard lock(store.lock());
    return store.findProxyEntry(m_proxyHost, m_proxyPort);
}

VNHTTPRequest::Credentials VNHTTPRequest::findCredentials()
{
    VNCredentialLookup::ServerQuery query;
    query.url = m_url;
    if (auto main = m_mainRequest.lock(); main && !m_leftMainRequestOrigin) {
        query.mainUsername = main->username();
        query.mainPassword = main->password();
    }
    query.username = username();
    query.password = password();
    query.domain = domain();
    query.useKeychainPersistence = m_useKeychainPersistence;
    query.authenticationRealm = m_authenticationRealm;
    query.needsAccountDomain = m_requestAuthentication && m_requestAuthentication->requiresAccountDomain();
    return shared(VNCredentialLookup::findCredentials(query));
}

VNHTTPRequest::Credentials VNHTTPRequest::findProxyCredentials()
{
    VNCredentialLookup::ProxyQuery query;
    query.url = m_url;
    if (auto main = m_mainRequest.lock()) {
        query.mainProxyUsername = main->proxyUsername();
        query.mainProxyPassword = main->proxyPassword();
    }
    query.proxyUsername = proxyUsername();
    query.proxyPassword = proxyPassword();
    query.proxyDomain = proxyDomain();
    query.username = username();
    query.password = password();
    query.domain = domain();
    query.proxyHost = m_proxyHost;
    query.proxyPort = m_proxyPort;
    query.proxyAuthenticationScheme = m_proxyAuthenticationScheme;
    query.proxyAuthenticationRealm = m_proxyAuthenticationRealm;
    query.needsAccountDomain = m_proxyAuthentication && m_proxyAuthentication->requiresAccountDomain();
    return shared(VNCredentialLookup::findProxyCredentials(query));
}

// ---- applying ----

void VNHTTPRequest::saveCredentialsToKeychain(const Credentials& credentials)
{
    if (credentials)
        VNSavedCredentials::saveCredentials(*credentials, m_url.host(), VNCredentialLookup::portOf(m_url), m_url.scheme(),
            m_authenticationRealm);
}

void VNHTTPRequest::saveProxyCredentialsToKeychain(const Credentials& credentials)
{
    if (credentials)
        VNSavedCredentials::saveProxyCredentials(*credentials, m_proxyHost, m_proxyPort, m_proxyAuthenticationRealm);
}

bool VNHTTPRequest::applyCredentials(const Credentials& credentials)
{
    return applySideCredentials(false, credentials);
}

bool VNHTTPRequest::applyProxyCredentials(const Credentials& credentials)
{
    return applySideCredentials(true, credentials);
}

bool VNHTTPRequest::applySideCredentials(bool proxy, const Credentials& credentials)
{
    AuthenticationSide side = authenticationSide(proxy);
    ++(proxy ? m_proxyAuthenticationRetryCount : m_authenticationRetryCount);
    if (!credentials || !side.authentication || !m_message.isRequest())
        return false;
    ++side.applications;
    if (!side.authentication->apply(m_message, *credentials, proxySettingsForMessage())) {
        if (proxy)
            removeProxyAuthenticationCredentialsFromSessionStore(credentials);
        else
            removeAuthenticationCredentialsFromSessionStore(credentials);
        return false;
    }
    if (proxy) {
        if (m_useKeychainPersistence)
            saveProxyCredentialsToKeychain(credentials);
        if (m_useSessionPersistence) {
            VNSessionCredentialsStore::ProxyEntry entry;
            entry.authentication = side.authentication;
            entry.credentials = credentials;
            entry.host = m_proxyHost;
            entry.port = m_proxyPort;
            entry.authenticationScheme = m_proxyAuthenticationScheme;
            storeProxyAuthenticationCredentialsInSessionStore(entry);
        }
    } else {
        if (m_useKeychainPersistence)
            saveCredentialsToKeychain(credentials);
        if (m_useSessionPersistence) {
            VNSessionCredentialsStore::ServerEntry entry;
            entry.authentication = side.authentication;
            entry.credentials = credentials;
            entry.url = m_url;
            entry.authenticationScheme = m_authenticationScheme;
            if (!m_authenticationRealm.isEmpty())
                entry.authenticationRealm = m_authenticationRealm;
            storeAuthenticationCredentialsInSessionStore(entry);
        }
    }
    side.credentials = credentials;
    return true;
}

bool VNHTTPRequest::applySessionCredentials(bool proxy)
{
    if (!m_useSessionPersistence)
        return false;
    if (proxy) {
        const auto entry = findSessionProxyAuthenticationCredentials();
        return entry && applyProxyCredentials(entry->credentials);
    }
    const auto entry = findSessionAuthenticationCredentials();
    return entry && applyCredentials(entry->credentials);
}

// ---- answering a challenge ----

void VNHTTPRequest::handleAuthenticationChallenge()
{
    std::lock_guard lock(m_lock);
    guarded([this] { attemptToApplyCredentialsAndResume(); });
}

void VNHTTPRequest::attemptToApplyCredentialsAndResume()
{
    if (m_error || m_cancelled)
        return;
    if (m_authenticationNeeded == 2) {
        attemptToApplyProxyCredentialsAndResume();
        return;
    }
    answerChallenge(false);
}

void VNHTTPRequest::attemptToApplyProxyCredentialsAndResume()
{
    if (m_error || m_cancelled)
        return;
    answerChallenge(true);
}

void VNHTTPRequest::restartWithCredentials(bool proxy)
{
    const auto& authentication = proxy ? m_proxyAuthentication : m_requestAuthentication;
    // NTLM authenticates the connection its messages travel on: every
    // message of the exchange must go over the one kept-alive connection,
    // whatever the request would otherwise do.
    if (authentication && authentication->requiresConnectionKeptAlive()) {
        m_shouldAttemptPersistentConnection = true;
        if (m_message.headerField(QStringLiteral("Connection")).compare(QStringLiteral("close"), Qt::CaseInsensitive) == 0)
            m_message.removeHeaderField(QStringLiteral("Connection"));
    }
    // The connection the challenge came on was let go when its answer
    // ended; the exchange takes it back before anyone else can, and before
    // its time-out can close it.
    if (m_connectionInfo) {
        auto lock = VNConnectionPool::shared().lockForUpdate();
        if (m_connectionInfo->requestID == 0) {
            m_connectionInfo->requestID = m_requestID;
            m_connectionInfo->expires.reset();
        }
    }
    startRequest();
}

void VNHTTPRequest::failAuthentication()
{
    failWithError(requestError(AuthenticationErrorType, QStringLiteral("Authentication needed")));
}

void VNHTTPRequest::answerChallenge(bool proxy)
{
    AuthenticationSide side = authenticationSide(proxy);
    const QString applyFailed = proxy ? QStringLiteral("Failed to apply proxy credentials to request")
                                      : QStringLiteral("Failed to apply credentials to request");

    // A live stream holds a challenge not read yet; without one (the
    // delegate's retry) the step works from the last one read.
    bool fresh = false;
    if (m_readStream) {
        const HTTPMessage header = m_readStream->responseHeader();
        if (header.isHeaderComplete() && (header.statusCode() == 401 || header.statusCode() == 407)) {
            m_challengeResponse = header;
            fresh = true;
        }
    }
    const auto makeChallengeObject = [&] {
        side.authentication = HTTPAuthentication::create(m_challengeResponse);
        side.applications = 0;
        if (side.authentication)
            side.scheme = side.authentication->method();
        return bool(side.authentication);
    };
    if (!side.authentication) {
        if (!makeChallengeObject()) {
            cancelLoad();
            failWithError(requestError(InternalErrorWhileApplyingCredentialsType,
                QStringLiteral("Failed to get authentication object from response headers")));
            return;
        }
    } else if (fresh) {
        side.authentication->update(m_challengeResponse);
    }

    side.realm = QString();
    if (!side.authentication->requiresAccountDomain())
        side.realm = side.authentication->realm();

    // Session credentials that went out before the challenge and met one
    // for their own protection space were refused: forget them before
    // anything else is tried. (An NTLM entry's first message is always
    // met by a challenge, so it is never counted here.)
    Credentials& sentBefore = proxy ? m_proxySentBeforeChallenge : m_sentBeforeChallenge;
    if (fresh && sentBefore) {
        if (proxy)
            removeProxyAuthenticationCredentialsFromSessionStore(sentBefore);
        else if (m_sentBeforeChallengeRealm.isEmpty() || m_sentBeforeChallengeRealm == side.realm)
            removeAuthenticationCredentialsFromSessionStore(sentBefore);
        sentBefore.reset();
    }

    const auto waitForAnswer = [&] {
        // The request stays in progress with no time-out until the answer
        // comes, and can still be cancelled meanwhile.
        m_lastActivityTime.reset();
        m_complete = false;
    };

    NetworkError why;
    if (side.authentication->isValid(&why)) {
        cancelLoad();
        if (side.credentials) {
            const bool ntlm = isNTLM(side.authentication);
            if (!(ntlm && side.applications > 1) && applySideCredentials(proxy, side.credentials)) {
                restartWithCredentials(proxy);
                return;
            }
            if (ntlm && side.applications == 2)
                failAuthentication();
            else
                failWithError(requestError(InternalErrorWhileApplyingCredentialsType, applyFailed));
            return;
        }
        // Nothing to send and nothing to wait for: end here rather than
        // leave the request hanging.
        if (!side.authentication->requiresUserNameAndPassword()) {
            failAuthentication();
            return;
        }
        std::unique_lock turn(delegateAuthenticationLock());
        if (m_error || m_cancelled)
            return;
        if (applySessionCredentials(proxy)) {
            turn.unlock();
            restartWithCredentials(proxy);
            return;
        }
        if (const Credentials found = proxy ? findProxyCredentials() : findCredentials()) {
            const bool applied = applySideCredentials(proxy, found);
            turn.unlock();
            if (applied)
                restartWithCredentials(proxy);
            else
                failWithError(requestError(InternalErrorWhileApplyingCredentialsType, applyFailed));
            return;
        }
        if (willAskDelegate(proxy)) {
            waitForAnswer();
            return;
        }
        if (proxy ? m_shouldPresentProxyAuthenticationDialog : m_shouldPresentAuthenticationDialog)
            proxy ? showProxyAuthenticationDialog() : showAuthenticationDialog();
        turn.unlock();
        failAuthentication();
        return;
    }

    // Refused: the object is done with; credentials that were refused are
    // forgotten before anything else is tried.
    side.authentication.reset();
    if (why.domain == NetworkError::HTTPDomain && (why.code == NetworkError::BadUserName || why.code == NetworkError::BadPassword)) {
        std::unique_lock turn(delegateAuthenticationLock());
        if (proxy)
            removeProxyAuthenticationCredentialsFromSessionStore(side.credentials);
        else
            removeAuthenticationCredentialsFromSessionStore(side.credentials);
        side.credentials.reset();
        if (m_error || m_cancelled)
            return;
        cancelLoad();
        // Another request may have stored better ones meanwhile.
        if (makeChallengeObject() && applySessionCredentials(proxy)) {
            turn.unlock();
            restartWithCredentials(proxy);
            return;
        }
        if (willAskDelegate(proxy)) {
            waitForAnswer();
            return;
        }
        if (proxy ? m_shouldPresentProxyAuthenticationDialog : m_shouldPresentAuthenticationDialog)
            proxy ? showProxyAuthenticationDialog() : showAuthenticationDialog();
    }
    cancelLoad();
    failAuthentication();
}

// ---- the delegate's turn ----

bool VNHTTPRequest::willAskDelegateForCredentials()
{
    return willAskDelegate(false);
}

bool VNHTTPRequest::willAskDelegateForProxyCredentials()
{
    return willAskDelegate(true);
}

bool VNHTTPRequest::willAskDelegate(bool proxy)
{
    if (m_isSynchronous)
        return false;
    const auto receiverOf = [](VNHTTPRequest& r) {
        auto delegate = r.m_delegate.lock();
        return delegate ? delegate : r.m_queue;
    };
    const auto receiver = receiverOf(*this);
    const bool responds = receiver && receiver->handlesAuthentication();
    if (!responds && !(proxy ? m_proxyAuthenticationNeededBlock : m_authenticationNeededBlock))
        return false;
    // Asked without waiting: the answer comes back through
    // retryUsingSuppliedCredentials() or cancelAuthentication().
    performOnMainThread([proxy, receiverOf](VNHTTPRequest& r) {
        std::unique_lock lock(r.m_lock);
        const auto receiver = receiverOf(r);
        const Block block = proxy ? r.m_proxyAuthenticationNeededBlock : r.m_authenticationNeededBlock;
        lock.unlock();
        if (receiver && receiver->handlesAuthentication()) {
            if (proxy)
                receiver->proxyAuthenticationNeededForRequest(r);
            else
                receiver->authenticationNeededForRequest(r);
        } else if (block) {
            block();
        }
    });
    return true;
}

void VNHTTPRequest::retryUsingSuppliedCredentials()
{
    auto self = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    performOnRequestThread([self] {
        std::lock_guard lock(self->m_lock);
        if (self->m_cancelled || self->m_error || !self->m_inProgress)
            return;
        self->guarded([&] {
            if (!self->m_message.isRequest())
                self->runMain();
            else
                self->attemptToApplyCredentialsAndResume();
        });
    });
}

void VNHTTPRequest::cancelAuthentication()
{
    auto self = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    performOnRequestThread([self] {
        std::lock_guard lock(self->m_lock);
        if (self->m_cancelled || self->m_error)
            return;
        self->guarded([&] {
            self->cancelLoad();
            self->failAuthentication();
        });
    });
}

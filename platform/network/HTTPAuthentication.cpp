#include "HTTPAuthentication.h"

#include <QDateTime>
#include <QRandomGenerator>

namespace platform {

namespace {

// Windows file time counts 100 ns steps from 1601-01-01.
quint64 windowsFileTimeNow()
{
    constexpr quint64 secondsFrom1601To1970 = 11644473600ULL;
    const quint64 ms = quint64(QDateTime::currentMSecsSinceEpoch());
    return (ms + secondsFrom1601To1970 * 1000) * 10000;
}

// The quality of protection answered: "auth" when offered, empty for a
// server that names none; nothing when only others are offered.
std::optional<QString> chooseQop(const HTTPAuthChallenge& challenge)
{
    if (!challenge.hasParameter(QStringLiteral("qop")))
        return QString();
    const QStringList offered = challenge.parameter(QStringLiteral("qop")).split(u',');
    for (const QString& qop : offered) {
        if (qop.trimmed().compare(QStringLiteral("auth"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("auth");
    }
    return std::nullopt;
}

bool isStale(const HTTPAuthChallenge& challenge)
{
    return challenge.parameter(QStringLiteral("stale")).compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

QString schemeName(HTTPAuthentication::Scheme scheme)
{
    switch (scheme) {
    case HTTPAuthentication::Scheme::Basic: return QStringLiteral("Basic");
    case HTTPAuthentication::Scheme::Digest: return QStringLiteral("Digest");
    case HTTPAuthentication::Scheme::NTLM: return QStringLiteral("NTLM");
    }
    return QString();
}

std::optional<HTTPAuthChallenge> firstOf(const QList<HTTPAuthChallenge>& challenges, const QString& scheme)
{
    for (const HTTPAuthChallenge& c : challenges) {
        if (c.isScheme(scheme))
            return c;
    }
    return std::nullopt;
}

} // namespace

std::shared_ptr<HTTPAuthentication> HTTPAuthentication::create(const HTTPMessage& response)
{
    const int status = response.statusCode();
    if (status != 401 && status != 407)
        return nullptr;
    const bool proxy = status == 407;
    const QList<HTTPAuthChallenge> challenges = HTTPAuthChallenge::parse(
        response.headerFields().values(proxy ? QStringLiteral("Proxy-Authenticate") : QStringLiteral("WWW-Authenticate")));
    for (const Scheme scheme : { Scheme::NTLM, Scheme::Digest, Scheme::Basic }) {
        for (const HTTPAuthChallenge& challenge : challenges) {
            if (!challenge.isScheme(schemeName(scheme)))
                continue;
            std::shared_ptr<HTTPAuthentication> made(new HTTPAuthentication);
            made->m_scheme = scheme;
            made->m_proxy = proxy;
            if (made->takeChallenge(challenge))
                return made;
        }
    }
    return nullptr;
}

bool HTTPAuthentication::takeChallenge(const HTTPAuthChallenge& challenge)
{
    if (m_scheme == Scheme::Digest) {
        const QString nonce = challenge.parameter(QStringLiteral("nonce"));
        const QString algorithm = challenge.parameter(QStringLiteral("algorithm"));
        const std::optional<QString> qop = chooseQop(challenge);
        if (nonce.isEmpty() || !HTTPDigest::supportsAlgorithm(algorithm) || !qop)
            return false;
        m_nonce = nonce;
        m_algorithm = algorithm;
        m_qop = *qop;
        m_opaque = challenge.hasParameter(QStringLiteral("opaque")) ? challenge.parameter(QStringLiteral("opaque")) : QString();
        m_nonceCount = 0;
    }
    if (m_scheme != Scheme::NTLM)
        m_realm = challenge.parameter(QStringLiteral("realm"));
    return true;
}

QString HTTPAuthentication::method() const
{
    return schemeName(m_scheme);
}

QString HTTPAuthentication::realm() const
{
    std::lock_guard guard(m_lock);
    return m_realm;
}

bool HTTPAuthentication::isValid(NetworkError* why) const
{
    std::lock_guard guard(m_lock);
    if (why)
        *why = m_invalid;
    return m_invalid.isNull();
}

void HTTPAuthentication::update(const HTTPMessage& response)
{
    std::lock_guard guard(m_lock);
    if (!m_invalid.isNull() || response.statusCode() != (m_proxy ? 407 : 401))
        return;
    const bool applied = m_appliedSinceUpdate;
    m_appliedSinceUpdate = false;
    const std::optional<HTTPAuthChallenge> challenge = firstOf(HTTPAuthChallenge::parse(
        response.headerFields().values(m_proxy ? QStringLiteral("Proxy-Authenticate") : QStringLiteral("WWW-Authenticate"))),
        method());
    if (!challenge) {
        m_invalid = NetworkError::http(NetworkError::AuthenticationTypeUnsupported);
        return;
    }
    switch (m_scheme) {
    case Scheme::Basic:
        if (applied)
            m_invalid = NetworkError::http(NetworkError::BadPassword);
        else
            takeChallenge(*challenge);
        return;
    case Scheme::Digest:
        // A stale nonce is no refusal: the same credential answers the new one.
        if (applied && !isStale(*challenge))
            m_invalid = NetworkError::http(NetworkError::BadPassword);
        else if (!takeChallenge(*challenge))
            m_invalid = NetworkError::http(NetworkError::AuthenticationTypeUnsupported);
        return;
    case Scheme::NTLM:
        if (!challenge->token.isEmpty()) {
            m_ntlmChallenge = NTLMMessage::parseChallenge(QByteArray::fromBase64(challenge->token.toLatin1()));
            if (m_ntlmChallenge)
                m_ntlmStage = NTLMStage::ChallengeReceived;
            else
                m_invalid = NetworkError::http(NetworkError::AuthenticationTypeUnsupported,
                    QStringLiteral("The server sent a malformed NTLM challenge"));
        } else if (m_ntlmStage == NTLMStage::AuthenticateSent) {
            m_invalid = NetworkError::http(NetworkError::BadPassword);
        } else if (m_ntlmStage == NTLMStage::NegotiateSent) {
            m_invalid = NetworkError::http(NetworkError::AuthenticationTypeUnsupported,
                QStringLiteral("The server did not answer the NTLM negotiation"));
        }
        return;
    }
}

bool HTTPAuthentication::apply(HTTPMessage& request, const HTTPCredential& credential, const ProxySettings& via)
{
    std::lock_guard guard(m_lock);
    if (!m_invalid.isNull() || credential.user.isEmpty())
        return false;
    QString value;
    const quint32 nonceCount = m_nonceCount;
    const NTLMStage stage = m_ntlmStage;
    switch (m_scheme) {
    case Scheme::Basic: value = basicFieldValue(credential.user, credential.password); break;
    case Scheme::Digest: value = digestValue(request, credential, via); break;
    case Scheme::NTLM: value = ntlmValue(credential); break;
    }
    if (value.isEmpty() || !request.setHeaderField(fieldName(), value)) {
        m_nonceCount = nonceCount;
        m_ntlmStage = stage;
        return false;
    }
    m_appliedSinceUpdate = true;
    return true;
}

QString HTTPAuthentication::fieldName() const
{
    return m_proxy ? QStringLiteral("Proxy-Authorization") : QStringLiteral("Authorization");
}

QString HTTPAuthentication::basicFieldValue(const QString& user, const QString& password)
{
    return QStringLiteral("Basic ") + QString::fromLatin1((user + u':' + password).toUtf8().toBase64());
}

QString HTTPAuthentication::digestValue(const HTTPMessage& request, const HTTPCredential& credential, const ProxySettings& via)
{
    const QUrl url = request.url();
    HTTPDigest::Input in;
    in.user = credential.user;
    in.password = credential.password;
    in.realm = m_realm;
    in.nonce = m_nonce;
    in.method = request.method();
    // The request target the answer is for, as it travels.
    if (m_proxy && via.type == ProxySettings::Type::HTTPS) {
        const bool https = url.scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) == 0;
        in.method = QStringLiteral("CONNECT");
        in.uri = QStringLiteral("%1:%2").arg(url.host()).arg(url.port(https ? 443 : 80));
    } else if (m_proxy && via.type == ProxySettings::Type::HTTP) {
        in.uri = QString::fromLatin1(url.toEncoded(QUrl::RemoveFragment | QUrl::RemoveUserInfo));
    } else {
        in.uri = QString::fromLatin1(url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment));
        if (!in.uri.startsWith(u'/'))
            in.uri.prepend(u'/');
    }
    in.qop = m_qop;
    in.algorithm = m_algorithm;
    in.opaque = m_opaque;
    if (!m_qop.isEmpty() || in.algorithm.compare(QStringLiteral("MD5-sess"), Qt::CaseInsensitive) == 0) {
        in.nonceCount = ++m_nonceCount;
        in.clientNonce = QString::fromLatin1(clientNonce(8).toHex());
    }
    return HTTPDigest::authorization(in);
}

QString HTTPAuthentication::ntlmValue(const HTTPCredential& credential)
{
    QByteArray message;
    if (m_ntlmStage == NTLMStage::ChallengeReceived && m_ntlmChallenge) {
        NTLMMessage::Authentication with;
        with.user = credential.user;
        with.domain = credential.domain;
        with.password = credential.password;
        with.clientChallenge = clientNonce(8);
        with.timestamp = m_clock ? m_clock() : windowsFileTimeNow();
        message = NTLMMessage::authenticate(*m_ntlmChallenge, with);
        m_ntlmStage = NTLMStage::AuthenticateSent;
    } else {
        // Anything else starts the exchange again (a fresh connection, or
        // this object reused for a later request).
        message = NTLMMessage::negotiate();
        m_ntlmStage = NTLMStage::NegotiateSent;
    }
    if (message.isEmpty())
        return QString();
    return QStringLiteral("NTLM ") + QString::fromLatin1(message.toBase64());
}

QByteArray HTTPAuthentication::clientNonce(int bytes) const
{
    if (m_nonceSource)
        return m_nonceSource(bytes);
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        out[i] = char(QRandomGenerator::system()->bounded(256));
    return out;
}

void HTTPAuthentication::setClientNonceSource(std::function<QByteArray(int)> source)
{
    std::lock_guard guard(m_lock);
    m_nonceSource = std::move(source);
}

void HTTPAuthentication::setClock(std::function<quint64()> windowsFileTime)
{
    std::lock_guard guard(m_lock);
    m_clock = std::move(windowsFileTime);
}

} // namespace platform

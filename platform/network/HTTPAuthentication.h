#pragma once

#include "HTTPAuthChallenge.h"
#include "HTTPCredential.h"
#include "HTTPDigest.h"
#include "HTTPMessage.h"
#include "NetworkError.h"
#include "NTLMMessage.h"
#include "ProxySettings.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace platform {

// The answer to one server (401) or proxy (407) challenge: made from the
// response, it picks the strongest scheme it speaks (NTLM, then Digest,
// then Basic) and writes "Authorization" or "Proxy-Authorization" into
// later requests from a credential. It stays with the exchange: each later
// challenge response of the same exchange is handed to update(), which
// moves NTLM on to its third message, takes a fresh Digest nonce, or
// notices that the credential was refused (isValid() then answers false,
// with BadPassword). One object may serve several requests, from any
// thread.
class HTTPAuthentication {
public:
    enum class Scheme { Basic, Digest, NTLM };

    // Nothing when the response is no 401/407 or names no scheme spoken here.
    static std::shared_ptr<HTTPAuthentication> create(const HTTPMessage& response);

    Scheme scheme() const { return m_scheme; }
    // "Basic", "Digest" or "NTLM".
    QString method() const;
    QString realm() const;
    bool isProxy() const { return m_proxy; }
    bool requiresUserNameAndPassword() const { return true; }
    // NTLM sends the account domain with the user name.
    bool requiresAccountDomain() const { return m_scheme == Scheme::NTLM; }
    // NTLM authenticates a connection, not a request: its messages must
    // all travel on one kept-alive connection.
    bool requiresConnectionKeptAlive() const { return m_scheme == Scheme::NTLM; }

    bool isValid(NetworkError* why = nullptr) const;
    // Reads a later challenge response of the same exchange.
    void update(const HTTPMessage& response);
    // Writes the field into the request; `via` is the proxy the request
    // travels through (a CONNECT tunnel's Digest answer names the tunnel).
    // Answers false, changing nothing, for an incomplete credential, an
    // invalid challenge or a value the message refuses.
    bool apply(HTTPMessage& request, const HTTPCredential& credential, const ProxySettings& via = ProxySettings());

    // "Basic " and the base64 of the UTF-8 "user:password": also what a
    // request sends before any challenge.
    static QString basicFieldValue(const QString& user, const QString& password);

    // For tests: fixed client nonces and clock.
    void setClientNonceSource(std::function<QByteArray(int bytes)> source);
    void setClock(std::function<quint64()> windowsFileTime);

private:
    enum class NTLMStage { Start, NegotiateSent, ChallengeReceived, AuthenticateSent };

    HTTPAuthentication() = default;
    bool takeChallenge(const HTTPAuthChallenge& challenge);
    QString fieldName() const;
    QByteArray clientNonce(int bytes) const;
    QString digestValue(const HTTPMessage& request, const HTTPCredential& credential, const ProxySettings& via);
    QString ntlmValue(const HTTPCredential& credential);

    mutable std::mutex m_lock;
    Scheme m_scheme = Scheme::Basic;
    bool m_proxy = false;
    QString m_realm;
    NetworkError m_invalid;
    bool m_appliedSinceUpdate = false;

    QString m_nonce;
    QString m_opaque;
    QString m_algorithm;
    QString m_qop;
    quint32 m_nonceCount = 0;

    NTLMStage m_ntlmStage = NTLMStage::Start;
    std::optional<NTLMMessage::Challenge> m_ntlmChallenge;

    std::function<QByteArray(int)> m_nonceSource;
    std::function<quint64()> m_clock;
};

} // namespace platform

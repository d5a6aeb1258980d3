#pragma once

#include <QString>

namespace platform {

// What a stream reports when it fails: a domain and a code that the HTTP
// client reads to decide what happened, plus a text for people.
struct NetworkError {
    // errno values as this system gives them (EPIPE, ENOTCONN, ECONNREFUSED...).
    static const QString PosixDomain;
    // Codes of the HTTP stream itself.
    static const QString NetworkDomain;
    // TLS failures, with codes from -9800 to -9818 for the handshake and the
    // certificate checks (a reader can tell any TLS problem by that range).
    static const QString SecurityDomain;
    // HTTP authentication outcomes.
    static const QString HTTPDomain;

    enum NetworkCode {
        BadURL = -1000,
        HostNotFound = -1003,
        CannotConnectToHost = -1004,
        ConnectionLost = -1005,
        BadServerResponse = -1011,
        HeaderTooLarge = -1012,
        BodyCutShort = -1013,
        ProxyHandshakeFailed = -1014,
        RequestBodyFailed = -1015,
        // What a hostile server sends to exhaust memory: each is refused
        // once it passes a bound no honest answer reaches.
        ChunkLineTooLarge = -1016,
        TrailerTooLarge = -1017,
        ResponseTooLarge = -1018,
    };
    enum SecurityCode {
        ProtocolFailure = -9800,
        HandshakeFailed = -9806,
        CertificateChainInvalid = -9807,
        CertificateRejected = -9808,
        UnknownRootCertificate = -9812,
        NoRootCertificate = -9813,
        CertificateExpired = -9814,
        CertificateNameMismatch = -9815,
        ClientCertificateFailed = -9818,
    };
    enum HTTPCode {
        AuthenticationTypeUnsupported = -1000,
        BadUserName = -1001,
        BadPassword = -1002,
    };

    QString domain;
    int code = 0;
    QString description;

    bool isNull() const { return domain.isEmpty(); }
    bool isSecurityProblem() const { return domain == SecurityDomain && code >= -9818 && code <= -9800; }
    // A kept-alive connection that the server closed looks like one of these.
    bool isConnectionLost() const;

    static NetworkError posix(int errnoValue);
    static NetworkError network(NetworkCode code, const QString& description = QString());
    static NetworkError security(SecurityCode code, const QString& description = QString());
    static NetworkError http(HTTPCode code, const QString& description = QString());
};

} // namespace platform

#include "NetworkError.h"

#include <cerrno>
#include <cstring>

namespace platform {

const QString NetworkError::PosixDomain = QStringLiteral("POSIX");
const QString NetworkError::NetworkDomain = QStringLiteral("Network");
const QString NetworkError::SecurityDomain = QStringLiteral("OSStatus");
const QString NetworkError::HTTPDomain = QStringLiteral("HTTP");

bool NetworkError::isConnectionLost() const
{
    if (domain == PosixDomain)
        return code == EPIPE || code == ENOTCONN || code == ECONNRESET;
    return domain == NetworkDomain && code == ConnectionLost;
}

NetworkError NetworkError::posix(int errnoValue)
{
    return { PosixDomain, errnoValue, QString::fromLocal8Bit(std::strerror(errnoValue)) };
}

NetworkError NetworkError::network(NetworkCode code, const QString& description)
{
    QString text = description;
    if (text.isEmpty()) {
        switch (code) {
        case BadURL: text = QStringLiteral("The request cannot be sent to this URL"); break;
        case HostNotFound: text = QStringLiteral("The host could not be found"); break;
        case CannotConnectToHost: text = QStringLiteral("Could not connect to the host"); break;
        case ConnectionLost: text = QStringLiteral("The connection was lost"); break;
        case BadServerResponse: text = QStringLiteral("The server sent a malformed response"); break;
        case HeaderTooLarge: text = QStringLiteral("The response header is too large"); break;
        case BodyCutShort: text = QStringLiteral("The response body ended early"); break;
        case ProxyHandshakeFailed: text = QStringLiteral("The proxy refused the connection"); break;
        case RequestBodyFailed: text = QStringLiteral("The request body could not be read"); break;
        case ChunkLineTooLarge: text = QStringLiteral("A chunk line of the response is too large"); break;
        case TrailerTooLarge: text = QStringLiteral("The trailer of the response is too large"); break;
        case ResponseTooLarge: text = QStringLiteral("The response body is larger than the request allows"); break;
        }
    }
    return { NetworkDomain, int(code), text };
}

NetworkError NetworkError::security(SecurityCode code, const QString& description)
{
    return { SecurityDomain, int(code), description.isEmpty() ? QStringLiteral("Secure connection failed") : description };
}

NetworkError NetworkError::http(HTTPCode code, const QString& description)
{
    QString text = description;
    if (text.isEmpty()) {
        switch (code) {
        case AuthenticationTypeUnsupported: text = QStringLiteral("The server asks for an authentication scheme this client does not speak"); break;
        case BadUserName: text = QStringLiteral("The user name was not accepted"); break;
        case BadPassword: text = QStringLiteral("The password was not accepted"); break;
        }
    }
    return { HTTPDomain, int(code), text };
}

} // namespace platform

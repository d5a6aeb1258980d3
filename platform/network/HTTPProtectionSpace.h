#pragma once

#include <QString>

namespace platform {

// Where a credential applies: a server's host, port, protocol (the URL
// scheme) and realm, or a proxy's host, port and realm (a proxy's space
// has no protocol). Host names compare without regard to case.
class HTTPProtectionSpace {
public:
    // The method recorded when credentials are kept for any scheme.
    static const QString DefaultMethod;

    static HTTPProtectionSpace server(const QString& host, int port, const QString& protocol, const QString& realm,
        const QString& authenticationMethod = DefaultMethod);
    static HTTPProtectionSpace proxy(const QString& host, int port, const QString& realm,
        const QString& authenticationMethod = DefaultMethod);

    QString host() const { return m_host; }
    int port() const { return m_port; }
    QString protocol() const { return m_protocol; }
    QString realm() const { return m_realm; }
    QString authenticationMethod() const { return m_method; }
    bool isProxy() const { return m_proxy; }

    bool operator==(const HTTPProtectionSpace&) const = default;

private:
    HTTPProtectionSpace() = default;

    QString m_host;
    int m_port = 0;
    QString m_protocol;
    QString m_realm;
    QString m_method;
    bool m_proxy = false;
};

} // namespace platform

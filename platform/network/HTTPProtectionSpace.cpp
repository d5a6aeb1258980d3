#include "HTTPProtectionSpace.h"

namespace platform {

const QString HTTPProtectionSpace::DefaultMethod = QStringLiteral("Default");

HTTPProtectionSpace HTTPProtectionSpace::server(const QString& host, int port, const QString& protocol,
    const QString& realm, const QString& authenticationMethod)
{
    HTTPProtectionSpace space;
    space.m_host = host.toLower();
    space.m_port = port;
    space.m_protocol = protocol.toLower();
    space.m_realm = realm;
    space.m_method = authenticationMethod;
    return space;
}

HTTPProtectionSpace HTTPProtectionSpace::proxy(const QString& host, int port, const QString& realm,
    const QString& authenticationMethod)
{
    HTTPProtectionSpace space;
    space.m_host = host.toLower();
    space.m_port = port;
    space.m_realm = realm;
    space.m_method = authenticationMethod;
    space.m_proxy = true;
    return space;
}

} // namespace platform

#include "ProxySettings.h"

namespace platform {

QString ProxySettings::key() const
{
    if (!isSet())
        return QStringLiteral("direct");
    static const char* names[] = { "none", "http", "https", "socks" };
    return QStringLiteral("%1://%2:%3").arg(QLatin1String(names[int(type)]), host).arg(port);
}

} // namespace platform

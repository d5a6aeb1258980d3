#include "WebLinkPolicy.h"

namespace platform {

QString WebLinkPolicy::storeScheme()
{
    return QStringLiteral("macappstore");
}

bool WebLinkPolicy::mayOpenOutside(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == storeScheme());
}

bool WebLinkPolicy::isNavigable(const QUrl& url, bool fromLink)
{
    if (mayOpenOutside(url))
        return true;
    const QString scheme = url.scheme().toLower();
    return !fromLink && (scheme == QLatin1String("data") || scheme == QLatin1String("about"));
}

} // namespace platform

#include "VNSystemProxySettings.h"

#include <QStringList>

namespace {
QString environment(const char* lower, const char* upper)
{
    QString value = qEnvironmentVariable(lower);
    if (value.isEmpty())
        value = qEnvironmentVariable(upper);
    return value.trimmed();
}

bool bypassed(const QString& host, const QString& noProxy)
{
    const QString h = host.toLower();
    for (QString entry : noProxy.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        entry = entry.trimmed().toLower();
        const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
        if (colon > 0 && !entry.contains(QLatin1Char(']')) && entry.count(QLatin1Char(':')) == 1)
            entry = entry.left(colon);
        if (entry.isEmpty())
            continue;
        if (entry == QStringLiteral("*"))
            return true;
        if (entry.startsWith(QLatin1Char('.')))
            entry = entry.mid(1);
        if (h == entry || h.endsWith(QLatin1Char('.') + entry))
            return true;
    }
    return false;
}
} // namespace

std::optional<QList<VNProxy>> VNSystemProxySettings::proxiesForURL(const QUrl& url)
{
    return proxiesForURL(url, environment("http_proxy", "HTTP_PROXY"), environment("https_proxy", "HTTPS_PROXY"),
        environment("no_proxy", "NO_PROXY"));
}

std::optional<QList<VNProxy>> VNSystemProxySettings::proxiesForURL(const QUrl& url, const QString& httpProxy,
    const QString& httpsProxy, const QString& noProxy)
{
    const QString scheme = url.scheme().toLower();
    const QString setting = scheme == QStringLiteral("https") ? httpsProxy : scheme == QStringLiteral("http") ? httpProxy : QString();
    if (setting.isEmpty() || bypassed(url.host(), noProxy))
        return QList<VNProxy>();
    const QUrl proxyURL = QUrl::fromUserInput(setting.contains(QStringLiteral("://")) ? setting : QStringLiteral("http://") + setting);
    if (!proxyURL.isValid() || proxyURL.host().isEmpty())
        return std::nullopt;
    VNProxy proxy;
    proxy.host = proxyURL.host();
    const QString proxyScheme = proxyURL.scheme().toLower();
    if (proxyScheme.startsWith(QStringLiteral("socks"))) {
        proxy.type = VNProxy::TypeSOCKS;
        proxy.port = proxyURL.port(1080);
    } else {
        proxy.type = VNProxy::TypeHTTP;
        proxy.port = proxyURL.port(proxyScheme == QStringLiteral("https") ? 443 : 80);
    }
    return QList<VNProxy> { proxy };
}

#include "VNProxy.h"

#include <QStringList>

const QString VNProxy::TypeHTTP = QStringLiteral("HTTP");
const QString VNProxy::TypeHTTPS = QStringLiteral("HTTPS");
const QString VNProxy::TypeSOCKS = QStringLiteral("SOCKS");

QList<VNProxy> VNProxy::parsePACResult(const QString& result)
{
    QList<VNProxy> proxies;
    for (const QString& entry : result.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList words = entry.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString kind = words.first().toUpper();
        if (kind == QStringLiteral("DIRECT")) {
            proxies.append(VNProxy());
            continue;
        }
        if (words.size() != 2)
            continue;
        VNProxy proxy;
        if (kind == QStringLiteral("PROXY") || kind == QStringLiteral("HTTP"))
            proxy.type = TypeHTTP;
        else if (kind == QStringLiteral("HTTPS"))
            proxy.type = TypeHTTPS;
        else if (kind == QStringLiteral("SOCKS") || kind == QStringLiteral("SOCKS5"))
            proxy.type = TypeSOCKS;
        else
            continue;
        const QString address = words.at(1);
        const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        proxy.port = colon > 0 ? address.mid(colon + 1).toInt(&ok) : 0;
        if (!ok || proxy.port <= 0 || proxy.port > 65535)
            continue;
        proxy.host = address.left(colon);
        if (proxy.host.startsWith(QLatin1Char('[')) && proxy.host.endsWith(QLatin1Char(']')))
            proxy.host = proxy.host.mid(1, proxy.host.size() - 2);
        proxies.append(proxy);
    }
    return proxies;
}

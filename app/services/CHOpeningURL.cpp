#include "CHOpeningURL.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/web/WebLinkPolicy.h"

#include <QDesktopServices>

namespace {
// Deployment settings of the store page.
const QString kStoreHost = QStringLiteral("store.velumo.example");
const QString kStoreIdentifier = QStringLiteral("1000000001");

void openWithDesktop(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

CHOpeningURL::URLOpener& opener()
{
    static CHOpeningURL::URLOpener current = openWithDesktop;
    return current;
}
} // namespace

QString CHOpeningURL::notificationName()
{
    return QStringLiteral("VantrellNotificationOpeningURL");
}

QString CHOpeningURL::storeFormOfLink(const QString& link)
{
    const qsizetype at = link.lastIndexOf(QStringLiteral("://"));
    return QStringLiteral("macappstore://%1").arg(at < 0 ? link : link.mid(at + 3));
}

QString CHOpeningURL::storePageLink()
{
    return QStringLiteral("https://%1/app/id%2?mt=12").arg(kStoreHost, kStoreIdentifier);
}

void CHOpeningURL::openInStore(const QString& eventName, const QString& link, const void* sender)
{
    const QUrl url(storeFormOfLink(link));
    platform::NotificationCenter::defaultCenter().post(notificationName(), sender, {},
                                                       QStringLiteral("%1 - %2").arg(eventName, url.toString()));
    open(url);
}

void CHOpeningURL::setURLOpener(URLOpener replacement)
{
    opener() = replacement ? std::move(replacement) : URLOpener(openWithDesktop);
}

bool CHOpeningURL::mayOpen(const QUrl& url)
{
    // A link leaves the program only for the web or the store: never a
    // local file, a share or another program's scheme.
    return platform::WebLinkPolicy::mayOpenOutside(url);
}

void CHOpeningURL::open(const QUrl& url)
{
    if (mayOpen(url))
        opener()(url);
}

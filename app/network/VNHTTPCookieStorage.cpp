#include "VNHTTPCookieStorage.h"

#include <QNetworkCookieJar>

namespace {
// The jar keeps its list protected; this opens it for listing and clearing.
class OpenCookieJar : public QNetworkCookieJar {
public:
    using QNetworkCookieJar::allCookies;
    using QNetworkCookieJar::setAllCookies;
};
} // namespace

VNHTTPCookieStorage& VNHTTPCookieStorage::shared()
{
    // Never destroyed: requests may still finish while the process exits.
    static auto* storage = new VNHTTPCookieStorage();
    return *storage;
}

VNHTTPCookieStorage::VNHTTPCookieStorage()
    : m_jar(std::make_unique<OpenCookieJar>())
{
}

VNHTTPCookieStorage::~VNHTTPCookieStorage() = default;

QList<QNetworkCookie> VNHTTPCookieStorage::parseSetCookieValues(const QStringList& values, const QUrl& url)
{
    QList<QNetworkCookie> cookies;
    for (const QString& value : values) {
        for (QNetworkCookie cookie : QNetworkCookie::parseCookies(value.toUtf8())) {
            cookie.normalize(url);
            cookies.append(cookie);
        }
    }
    return cookies;
}

void VNHTTPCookieStorage::setCookies(const QList<QNetworkCookie>& cookies, const QUrl& url)
{
    std::lock_guard lock(m_lock);
    m_jar->setCookiesFromUrl(cookies, url);
}

QList<QNetworkCookie> VNHTTPCookieStorage::cookiesForURL(const QUrl& url) const
{
    std::lock_guard lock(m_lock);
    return m_jar->cookiesForUrl(url);
}

QList<QNetworkCookie> VNHTTPCookieStorage::allCookies() const
{
    std::lock_guard lock(m_lock);
    return static_cast<OpenCookieJar*>(m_jar.get())->allCookies();
}

void VNHTTPCookieStorage::deleteCookie(const QNetworkCookie& cookie)
{
    std::lock_guard lock(m_lock);
    m_jar->deleteCookie(cookie);
}

void VNHTTPCookieStorage::deleteAllCookies()
{
    std::lock_guard lock(m_lock);
    static_cast<OpenCookieJar*>(m_jar.get())->setAllCookies({});
}

// Set-Cookie reading and the cookie jar's rules, in a module of their own
// (libVelumoCookies.so): they rest on the toolkit's network library, which
// brings a proxy resolver and a Kerberos stack along; none of that is
// needed until a server sets the first cookie, so start-up loads none of it.
#include "network/VNCookieJar.h"
#include "network/VNHTTPCookie.h"

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QtGlobal>

namespace {
VNHTTPCookie::SameSite converted(QNetworkCookie::SameSite policy)
{
    switch (policy) {
    case QNetworkCookie::SameSite::None:
        return VNHTTPCookie::SameSite::None;
    case QNetworkCookie::SameSite::Lax:
        return VNHTTPCookie::SameSite::Lax;
    case QNetworkCookie::SameSite::Strict:
        return VNHTTPCookie::SameSite::Strict;
    case QNetworkCookie::SameSite::Default:
        break;
    }
    return VNHTTPCookie::SameSite::Default;
}

QNetworkCookie::SameSite converted(VNHTTPCookie::SameSite policy)
{
    switch (policy) {
    case VNHTTPCookie::SameSite::None:
        return QNetworkCookie::SameSite::None;
    case VNHTTPCookie::SameSite::Lax:
        return QNetworkCookie::SameSite::Lax;
    case VNHTTPCookie::SameSite::Strict:
        return QNetworkCookie::SameSite::Strict;
    case VNHTTPCookie::SameSite::Default:
        break;
    }
    return QNetworkCookie::SameSite::Default;
}

// Our cookie and the toolkit's have the same attributes under the same
// names: one copy serves both directions.
template <typename To, typename From>
To copiedCookie(const From& cookie)
{
    To result(cookie.name(), cookie.value());
    result.setDomain(cookie.domain());
    result.setPath(cookie.path());
    result.setExpirationDate(cookie.expirationDate());
    result.setSecure(cookie.isSecure());
    result.setHttpOnly(cookie.isHttpOnly());
    result.setSameSitePolicy(converted(cookie.sameSitePolicy()));
    return result;
}

template <typename To, typename From>
QList<To> copiedCookies(const QList<From>& cookies)
{
    QList<To> result;
    result.reserve(cookies.size());
    for (const From& cookie : cookies)
        result.append(copiedCookie<To>(cookie));
    return result;
}

class ToolkitCookieJar final : public VNCookieJar, private QNetworkCookieJar {
public:
    void setCookies(const QList<VNHTTPCookie>& cookies, const QUrl& url) override
    {
        setCookiesFromUrl(copiedCookies<QNetworkCookie>(cookies), url);
    }
    QList<VNHTTPCookie> cookiesForURL(const QUrl& url) const override { return copiedCookies<VNHTTPCookie>(cookiesForUrl(url)); }
    QList<VNHTTPCookie> allCookies() const override { return copiedCookies<VNHTTPCookie>(QNetworkCookieJar::allCookies()); }
    void deleteCookie(const VNHTTPCookie& cookie) override { QNetworkCookieJar::deleteCookie(copiedCookie<QNetworkCookie>(cookie)); }
    void deleteAllCookies() override { setAllCookies({}); }
};
} // namespace

// The cookies of the Set-Cookie values of a response from url into
// *cookies, each completed with the url's host and path where it names
// none; false (and nothing stored) if anything fails.
extern "C" Q_DECL_EXPORT bool velumoParseSetCookieValues(const QStringList& values, const QUrl& url,
    QList<VNHTTPCookie>* cookies)
{
    if (!cookies)
        return false;
    try {
        QList<VNHTTPCookie> parsed;
        for (const QString& value : values) {
            for (QNetworkCookie cookie : QNetworkCookie::parseCookies(value.toUtf8())) {
                cookie.normalize(url);
                parsed.append(copiedCookie<VNHTTPCookie>(cookie));
            }
        }
        *cookies = std::move(parsed);
        return true;
    } catch (...) {
        return false;
    }
}

// A new, empty jar that the caller owns; null if it cannot be made.
extern "C" Q_DECL_EXPORT VNCookieJar* velumoCreateCookieJar()
{
    try {
        return new ToolkitCookieJar();
    } catch (...) {
        return nullptr;
    }
}

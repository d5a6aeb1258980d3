#pragma once

#include "VNHTTPCookie.h"

#include <QList>
#include <QUrl>

// The rules of a cookie jar (domain, path, secure flag, expiry), as the
// cookie module gives them; VNHTTPCookieStorage owns one and guards it with
// its lock, so an implementation need not be safe across threads.
class VNCookieJar {
public:
    virtual ~VNCookieJar() = default;
    // Keeps those cookies that url may set.
    virtual void setCookies(const QList<VNHTTPCookie>& cookies, const QUrl& url) = 0;
    virtual QList<VNHTTPCookie> cookiesForURL(const QUrl& url) const = 0;
    virtual QList<VNHTTPCookie> allCookies() const = 0;
    // Drops the kept cookie with the same name, domain and path.
    virtual void deleteCookie(const VNHTTPCookie& cookie) = 0;
    virtual void deleteAllCookies() = 0;
};

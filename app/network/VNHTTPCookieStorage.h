#pragma once

#include "VNHTTPCookie.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <mutex>
#include <optional>

class VNCookieJar;

// The process's cookie store: cookies a server set, kept under the usual
// rules of domain, path, secure flag and expiry, and handed back only for
// addresses they belong to. Any thread may use it. The jar comes from the
// cookie module and is made with the first cookie kept, so a store that
// never held one loads nothing.
class VNHTTPCookieStorage {
public:
    static VNHTTPCookieStorage& shared();
    VNHTTPCookieStorage();
    ~VNHTTPCookieStorage();

    // The cookies of the Set-Cookie values of a response from url, each
    // completed with the url's host and path where it names none; nullopt
    // when there are values but the cookie module does not load.
    static std::optional<QList<VNHTTPCookie>> parseSetCookieValues(const QStringList& values, const QUrl& url);

    // Keeps those cookies that url may set; false when the cookie module
    // does not load (nothing is kept).
    bool setCookies(const QList<VNHTTPCookie>& cookies, const QUrl& url);
    QList<VNHTTPCookie> cookiesForURL(const QUrl& url) const;
    QList<VNHTTPCookie> allCookies() const;
    void deleteCookie(const VNHTTPCookie& cookie);
    void deleteAllCookies();

private:
    mutable std::mutex m_lock;
    std::unique_ptr<VNCookieJar> m_jar;
};

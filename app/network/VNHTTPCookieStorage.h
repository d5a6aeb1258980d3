#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QUrl>

#include <memory>
#include <mutex>

class QNetworkCookieJar;

// The process's cookie store: cookies a server set, kept under the usual
// rules of domain, path, secure flag and expiry, and handed back only for
// addresses they belong to. Any thread may use it.
class VNHTTPCookieStorage {
public:
    static VNHTTPCookieStorage& shared();
    VNHTTPCookieStorage();
    ~VNHTTPCookieStorage();

    // The cookies of the Set-Cookie values of a response from url, each
    // completed with the url's host and path where it names none.
    static QList<QNetworkCookie> parseSetCookieValues(const QStringList& values, const QUrl& url);

    // Keeps those cookies that url may set.
    void setCookies(const QList<QNetworkCookie>& cookies, const QUrl& url);
    QList<QNetworkCookie> cookiesForURL(const QUrl& url) const;
    QList<QNetworkCookie> allCookies() const;
    void deleteCookie(const QNetworkCookie& cookie);
    void deleteAllCookies();

private:
    mutable std::mutex m_lock;
    std::unique_ptr<QNetworkCookieJar> m_jar;
};

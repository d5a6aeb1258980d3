#include "VNHTTPCookieStorage.h"

#include "VNCookieJar.h"
#include "VNCookieModule.h"

VNHTTPCookieStorage& VNHTTPCookieStorage::shared()
{
    // Never destroyed: requests may still finish while the process exits.
    static auto* storage = new VNHTTPCookieStorage();
    return *storage;
}

VNHTTPCookieStorage::VNHTTPCookieStorage() = default;

VNHTTPCookieStorage::~VNHTTPCookieStorage() = default;

std::optional<QList<VNHTTPCookie>> VNHTTPCookieStorage::parseSetCookieValues(const QStringList& values,
    const QUrl& url)
{
    // Most answers set no cookie; they need no module.
    if (values.isEmpty())
        return QList<VNHTTPCookie>();
    return VNCookieModule::parseSetCookieValues(values, url);
}

bool VNHTTPCookieStorage::setCookies(const QList<VNHTTPCookie>& cookies, const QUrl& url)
{
    if (cookies.isEmpty())
        return true;
    std::lock_guard lock(m_lock);
    if (!m_jar)
        m_jar = VNCookieModule::createJar();
    if (!m_jar)
        return false;
    m_jar->setCookies(cookies, url);
    return true;
}

QList<VNHTTPCookie> VNHTTPCookieStorage::cookiesForURL(const QUrl& url) const
{
    std::lock_guard lock(m_lock);
    return m_jar ? m_jar->cookiesForURL(url) : QList<VNHTTPCookie>();
}

QList<VNHTTPCookie> VNHTTPCookieStorage::allCookies() const
{
    std::lock_guard lock(m_lock);
    return m_jar ? m_jar->allCookies() : QList<VNHTTPCookie>();
}

void VNHTTPCookieStorage::deleteCookie(const VNHTTPCookie& cookie)
{
    std::lock_guard lock(m_lock);
    if (m_jar)
        m_jar->deleteCookie(cookie);
}

void VNHTTPCookieStorage::deleteAllCookies()
{
    std::lock_guard lock(m_lock);
    if (m_jar)
        m_jar->deleteAllCookies();
}

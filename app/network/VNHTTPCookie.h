#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// A cookie as the HTTP client keeps and sends it. Everything is inline: the
// cookie module, which reads Set-Cookie values and keeps the jar, shares the
// type without linking the client.
class VNHTTPCookie {
public:
    enum class SameSite { Default, None, Lax, Strict };

    VNHTTPCookie() = default;
    VNHTTPCookie(const QByteArray& name, const QByteArray& value)
        : m_name(name)
        , m_value(value)
    {
    }

    QByteArray name() const { return m_name; }
    void setName(const QByteArray& name) { m_name = name; }
    QByteArray value() const { return m_value; }
    void setValue(const QByteArray& value) { m_value = value; }
    QString domain() const { return m_domain; }
    void setDomain(const QString& domain) { m_domain = domain; }
    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    // Invalid for a cookie that ends with the session.
    QDateTime expirationDate() const { return m_expirationDate; }
    void setExpirationDate(const QDateTime& date) { m_expirationDate = date; }
    bool isSessionCookie() const { return !m_expirationDate.isValid(); }
    bool isSecure() const { return m_secure; }
    void setSecure(bool on) { m_secure = on; }
    bool isHttpOnly() const { return m_httpOnly; }
    void setHttpOnly(bool on) { m_httpOnly = on; }
    SameSite sameSitePolicy() const { return m_sameSite; }
    void setSameSitePolicy(SameSite policy) { m_sameSite = policy; }

    // Same name, domain and path: one replaces the other in a store.
    bool hasSameIdentifier(const VNHTTPCookie& other) const
    {
        return m_name == other.m_name && m_domain == other.m_domain && m_path == other.m_path;
    }
    friend bool operator==(const VNHTTPCookie& a, const VNHTTPCookie& b)
    {
        return a.hasSameIdentifier(b) && a.m_value == b.m_value && a.m_expirationDate == b.m_expirationDate
            && a.m_secure == b.m_secure && a.m_httpOnly == b.m_httpOnly && a.m_sameSite == b.m_sameSite;
    }

private:
    QByteArray m_name;
    QByteArray m_value;
    QString m_domain;
    QString m_path;
    QDateTime m_expirationDate;
    bool m_secure = false;
    bool m_httpOnly = false;
    SameSite m_sameSite = SameSite::Default;
};

#include "VNHTTPCookieStorage.h"

#include <QTimeZone>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

// Every attribute a server may give survives the way into the cookie
// module and back.
TEST(HTTPCookieStorage, SetCookieValuesKeepEveryAttribute)
{
    const QUrl from(QStringLiteral("https://www.example.test/shop/cart"));
    const auto cookies = VNHTTPCookieStorage::parseSetCookieValues(
        { QStringLiteral("a=1; Domain=example.test; Path=/shop; Secure; HttpOnly; SameSite=Strict; "
                         "Expires=Wed, 21 Oct 2037 07:28:00 GMT"),
            QStringLiteral("b=2; Path=/; SameSite=Lax") },
        from);
    ASSERT_TRUE(cookies);
    ASSERT_EQ(cookies->size(), 2);
    const VNHTTPCookie& a = cookies->at(0);
    EXPECT_EQ(a.name(), "a");
    EXPECT_EQ(a.value(), "1");
    EXPECT_EQ(a.domain(), QStringLiteral(".example.test"));
    EXPECT_EQ(a.path(), QStringLiteral("/shop"));
    EXPECT_TRUE(a.isSecure());
    EXPECT_TRUE(a.isHttpOnly());
    EXPECT_EQ(a.sameSitePolicy(), VNHTTPCookie::SameSite::Strict);
    EXPECT_EQ(a.expirationDate(), QDateTime(QDate(2037, 10, 21), QTime(7, 28), QTimeZone::utc()));
    const VNHTTPCookie& b = cookies->at(1);
    EXPECT_EQ(b.name(), "b");
    EXPECT_EQ(b.domain(), QStringLiteral("www.example.test")); // no Domain: the host's own
    EXPECT_FALSE(b.isSecure());
    EXPECT_FALSE(b.isHttpOnly());
    EXPECT_TRUE(b.isSessionCookie());
    EXPECT_EQ(b.sameSitePolicy(), VNHTTPCookie::SameSite::Lax);

    const auto none = VNHTTPCookieStorage::parseSetCookieValues({}, from);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
}

// The store hands a cookie only to the addresses it belongs to.
TEST(HTTPCookieStorage, CookiesGoOnlyWhereTheyBelong)
{
    VNHTTPCookieStorage storage;
    EXPECT_TRUE(storage.cookiesForURL(QUrl(QStringLiteral("http://www.example.test/"))).isEmpty());
    const QUrl from(QStringLiteral("https://www.example.test/shop/cart"));
    const auto cookies = VNHTTPCookieStorage::parseSetCookieValues(
        { QStringLiteral("plain=1; Path=/"), QStringLiteral("shop=2; Path=/shop"), QStringLiteral("safe=3; Path=/; Secure"),
            QStringLiteral("other=4; Domain=elsewhere.test; Path=/") },
        from);
    ASSERT_TRUE(cookies);
    ASSERT_TRUE(storage.setCookies(*cookies, from));

    const struct {
        const char* url;
        QList<QByteArray> names;
    } cases[] = {
        { "https://www.example.test/shop/item", { "shop", "plain", "safe" } },
        { "http://www.example.test/shop/item", { "shop", "plain" } },
        { "https://www.example.test/", { "plain", "safe" } },
        { "https://another.example.test/shop/", {} },
        { "https://elsewhere.test/", {} },
    };
    for (const auto& c : cases) {
        QList<QByteArray> names;
        for (const VNHTTPCookie& cookie : storage.cookiesForURL(QUrl(QString::fromLatin1(c.url))))
            names.append(cookie.name());
        std::sort(names.begin(), names.end());
        QList<QByteArray> expected = c.names;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected) << c.url;
    }

    // A kept cookie is deleted by its name, domain and path, whatever its value.
    const QList<VNHTTPCookie> kept = storage.allCookies();
    const auto shop = std::find_if(kept.begin(), kept.end(), [](const VNHTTPCookie& c) { return c.name() == "shop"; });
    ASSERT_NE(shop, kept.end());
    VNHTTPCookie changed = *shop;
    changed.setValue("changed");
    storage.deleteCookie(changed);
    EXPECT_EQ(storage.allCookies().size(), 2);
    storage.deleteAllCookies();
    EXPECT_TRUE(storage.allCookies().isEmpty());
}

} // namespace

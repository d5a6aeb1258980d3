#include "VNSessionCredentialsStore.h"

#include <gtest/gtest.h>

using platform::HTTPCredential;

namespace {

using Credentials = VNSessionCredentialsStore::Credentials;

Credentials make(const QString& user, const QString& password)
{
    return std::make_shared<const HTTPCredential>(HTTPCredential { user, password, QString() });
}

VNSessionCredentialsStore::ServerEntry entry(const char* url, const Credentials& c, const QString& realm = QString())
{
    return { nullptr, c, QUrl(url), QStringLiteral("Basic"), realm };
}

} // namespace

TEST(VNSessionCredentialsStore, FindsTheExactURLThenTheFirstOfTheSameOrigin)
{
    const Credentials a = make("a", "1"), b = make("b", "2"), c = make("c", "3"), d = make("d", "4"), e = make("e", "5");
    VNSessionCredentialsStore store;
    store.storeServerEntry(entry("http://127.0.0.1:8080/other", a, "R1"));
    store.storeServerEntry(entry("http://127.0.0.1:8080/second", b, "R2"));
    store.storeServerEntry(entry("http://127.0.0.1:8080/private/page", c, "R1"));
    store.storeServerEntry(entry("http://127.0.0.1/private/page", d));
    store.storeServerEntry(entry("https://127.0.0.1:8080/x", e, "R1"));

    struct Case {
        const char* url;
        const char* realm;   // null: the request knows none
        const char* user;    // null: the request has no pair
        const char* password;
        Credentials expected;
    };
    const Case cases[] = {
        // The exact URL wins even over an earlier close match.
        { "http://127.0.0.1:8080/private/page", nullptr, nullptr, nullptr, c },
        { "http://127.0.0.1:8080/elsewhere", nullptr, nullptr, nullptr, a },
        { "http://127.0.0.1:8080/elsewhere", "R2", nullptr, nullptr, b },
        { "http://127.0.0.1:8080/elsewhere", "R3", nullptr, nullptr, nullptr },
        // The request's own pair passes over entries holding another.
        { "http://127.0.0.1:8080/elsewhere", nullptr, "b", "2", b },
        { "http://127.0.0.1:8080/private/page", nullptr, "a", "1", a },
        { "http://127.0.0.1:8080/elsewhere", nullptr, "a", "wrong", nullptr },
        // Port and scheme as written: no port is not port 80.
        { "http://127.0.0.1/anything", nullptr, nullptr, nullptr, d },
        { "http://127.0.0.1:80/anything", nullptr, nullptr, nullptr, nullptr },
        { "https://127.0.0.1:8080/y", nullptr, nullptr, nullptr, e },
        { "http://localhost:8080/other", nullptr, nullptr, nullptr, nullptr },
        // With a realm, an entry that knows none is passed over.
        { "http://127.0.0.1/private/page", "R1", nullptr, nullptr, nullptr },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.url) + " " + (k.realm ? k.realm : "-") + " " + (k.user ? k.user : "-"));
        const auto found = store.findServerEntry(QUrl(k.url), k.realm ? QString(k.realm) : QString(),
            k.user ? QString(k.user) : QString(), k.password ? QString(k.password) : QString());
        if (!k.expected)
            EXPECT_FALSE(found);
        else
            EXPECT_TRUE(found && found->credentials == k.expected) << (found ? found->credentials->user.toStdString() : "none");
    }
}

TEST(VNSessionCredentialsStore, CredentialsAreKnownByObjectNotContents)
{
    VNSessionCredentialsStore store;
    const Credentials first = make("u", "p");
    const Credentials twin = make("u", "p");
    store.storeServerEntry(entry("http://127.0.0.1/a", first));
    store.storeServerEntry(entry("http://127.0.0.1/b", twin));
    // Storing the same object again moves its entry to the end.
    store.storeServerEntry(entry("http://127.0.0.1/c", first));
    ASSERT_EQ(store.serverEntries().size(), 2);
    EXPECT_EQ(store.serverEntries()[0].url, QUrl("http://127.0.0.1/b"));
    EXPECT_EQ(store.serverEntries()[1].url, QUrl("http://127.0.0.1/c"));

    store.removeServerCredentials(make("u", "p"));
    EXPECT_EQ(store.serverEntries().size(), 2);
    store.removeServerCredentials(twin);
    ASSERT_EQ(store.serverEntries().size(), 1);
    EXPECT_EQ(store.serverEntries()[0].credentials, first);

    const Credentials proxyPair = make("pu", "pp");
    store.storeProxyEntry({ nullptr, proxyPair, "127.0.0.1", 3128, "Basic" });
    store.storeProxyEntry({ nullptr, make("other", "x"), "127.0.0.1", 3129, "Basic" });
    EXPECT_EQ(store.findProxyEntry("127.0.0.1", 3128)->credentials, proxyPair);
    EXPECT_FALSE(store.findProxyEntry("127.0.0.1", 8080));
    EXPECT_FALSE(store.findProxyEntry("localhost", 3128));

    // Clearing the session empties the server list only.
    store.clearServers();
    EXPECT_TRUE(store.serverEntries().isEmpty());
    EXPECT_EQ(store.proxyEntries().size(), 2);
    store.removeProxyCredentials(proxyPair);
    EXPECT_FALSE(store.findProxyEntry("127.0.0.1", 3128));
}

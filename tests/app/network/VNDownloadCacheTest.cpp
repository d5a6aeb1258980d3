// The on-disk response cache: keys and file names, what is stored, when
// stored data may answer a request, validators, stores and their folders.
#include "VNCacheException.h"
#include "VNDownloadCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using platform::HTTPHeaderFields;

namespace {

const QDateTime start = QDateTime(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc());

HTTPHeaderFields headers(std::initializer_list<std::pair<const char*, const char*>> fields)
{
    HTTPHeaderFields h;
    for (const auto& [name, value] : fields)
        h.add(QString::fromLatin1(name), QString::fromLatin1(value));
    return h;
}

VNCacheRequestInfo response(const char* url, int status, HTTPHeaderFields fields, const QByteArray& body = "body")
{
    VNCacheRequestInfo r;
    r.url = QUrl(QString::fromLatin1(url));
    r.hasResponseHeaders = true;
    r.responseHeaders = std::move(fields);
    r.responseStatusCode = status;
    r.responseData = body;
    r.complete = true;
    return r;
}

struct VNDownloadCacheTest : ::testing::Test {
    QTemporaryDir dir;
    VNDownloadCache cache;
    QDateTime now = start;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        cache.setStoragePath(dir.filePath(QStringLiteral("cache")));
        cache.setNow([this] { return now; });
    }
    // A request about to start for a URL, with a policy.
    VNCacheRequestInfo starting(const char* url, int policy) const
    {
        VNCacheRequestInfo r;
        r.url = QUrl(QString::fromLatin1(url));
        r.cachePolicy = policy;
        return r;
    }
};

} // namespace

TEST(VNDownloadCacheNames, KeysAreTheUpperCaseMD5OfTheURLWithoutOneTrailingSlash)
{
    EXPECT_EQ(VNDownloadCache::keyForURL(QUrl(QStringLiteral("http://127.0.0.1:8080/a/b.png"))),
              QStringLiteral("7B8C724FE98FC319CCA5AB0D6AFFD856"));
    const QString plain = VNDownloadCache::keyForURL(QUrl(QStringLiteral("http://127.0.0.1/dir")));
    EXPECT_EQ(VNDownloadCache::keyForURL(QUrl(QStringLiteral("http://127.0.0.1/dir/"))), plain);
    EXPECT_NE(VNDownloadCache::keyForURL(QUrl(QStringLiteral("http://127.0.0.1/dir//"))), plain);
    EXPECT_TRUE(VNDownloadCache::keyForURL(QUrl()).isEmpty());
}

TEST(VNDownloadCacheNames, BodyExtensionIsTheURLsOwnOnlyWhenPlainAndNotAScript)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://127.0.0.1/image.PNG", "PNG"},
        {"http://127.0.0.1/archive.tar.gz?x=1", "gz"},
        {"http://127.0.0.1/page.php", "html"},
        {"http://127.0.0.1/page.PhP", "html"},
        {"http://127.0.0.1/run.cgi", "html"},
        {"http://127.0.0.1/folder/", "html"},
        {"http://127.0.0.1/noextension", "html"},
        {"http://127.0.0.1/a.p%20ng", "html"},
        {"http://127.0.0.1/a.x%2F..%2F..%2Fetc", "html"},
        {"http://127.0.0.1/a.%E2%82%AC", "html"},
        {"http://127.0.0.1/a.abcdefghijklmnop", "abcdefghijklmnop"},
        {"http://127.0.0.1/a.abcdefghijklmnopq", "html"},
        {"http://127.0.0.1/dir.d/file", "html"},
    };
    for (const auto& [url, extension] : cases)
        EXPECT_EQ(VNDownloadCache::bodyFileExtension(QUrl(QString::fromLatin1(url))), QString::fromLatin1(extension)) << url;
}

TEST(VNDownloadCacheDecisions, WhatIsStored)
{
    struct Case {
        const char* what;
        int status;
        HTTPHeaderFields fields;
        int policy;
        bool error;
        bool respect;
        bool stored;
    };
    const Case cases[] = {
        {"plain 200", 200, {}, 0, false, true, true},
        {"redirects", 301, {}, 0, false, true, true},
        {"temporary redirect", 307, {}, 0, false, true, true},
        {"not found", 404, {}, 0, false, true, false},
        {"not modified", 304, {}, 0, false, true, false},
        {"partial", 206, {}, 0, false, true, false},
        {"failed request", 200, {}, 0, true, true, false},
        {"do-not-write policy", 200, {}, 2, false, true, false},
        {"no-cache alone", 200, headers({{"Cache-Control", "no-cache"}}), 0, false, true, false},
        {"no-cache ignored", 200, headers({{"Cache-Control", "no-cache"}}), 0, false, false, true},
        {"no-cache among others", 200, headers({{"Cache-Control", "no-cache, max-age=60"}}), 0, false, true, true},
        {"no-store alone", 200, headers({{"Cache-Control", "no-store"}}), 0, false, true, false},
        {"no-store among others", 200, headers({{"Cache-Control", "private, max-age=60, No-Store"}}), 0, false, true, false},
        {"no-store with spaces", 200, headers({{"cache-control", "max-age=5 ,  no-store  "}}), 0, false, true, false},
        {"no-store in two fields", 200, headers({{"Cache-Control", "max-age=5"}, {"Cache-Control", "no-store"}}), 0, false, true, false},
        {"pragma no-cache", 200, headers({{"Pragma", "no-cache"}}), 0, false, true, false},
        {"max-age only", 200, headers({{"Cache-Control", "max-age=60"}}), 0, false, true, true},
    };
    for (const Case& c : cases) {
        VNCacheRequestInfo r = response("http://127.0.0.1/x", c.status, c.fields);
        r.cachePolicy = c.policy;
        r.hasError = c.error;
        EXPECT_EQ(VNDownloadCache::shouldStoreResponse(r, c.respect), c.stored) << c.what;
    }
    VNCacheRequestInfo noHeaders = response("http://127.0.0.1/x", 200, {});
    noHeaders.hasResponseHeaders = false;
    EXPECT_FALSE(VNDownloadCache::shouldStoreResponse(noHeaders, true));
}

TEST(VNDownloadCacheDecisions, ExpiryFromMaxAgeThenCacheControlThenExpires)
{
    const QDateTime expires = QDateTime(QDate(1994, 11, 6), QTime(8, 49, 37), QTimeZone::utc());
    struct Case {
        const char* what;
        HTTPHeaderFields fields;
        double maxAge;
        std::optional<QDateTime> expected;
    };
    const Case cases[] = {
        {"given max age wins", headers({{"Cache-Control", "max-age=5"}}), 30, start.addSecs(30)},
        {"response max-age", headers({{"Cache-Control", "public, Max-Age=120"}}), 0, start.addSecs(120)},
        {"max-age 0 falls to Expires", headers({{"Cache-Control", "max-age=0"}, {"Expires", "Sun, 06 Nov 1994 08:49:37 GMT"}}), 0, expires},
        {"Expires alone", headers({{"Expires", "Sun, 06 Nov 1994 08:49:37 GMT"}}), 0, expires},
        {"Expires unreadable", headers({{"Expires", "0"}}), 0, std::nullopt},
        {"nothing", {}, 0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VNDownloadCache::expiryDate(c.fields, c.maxAge, start), c.expected) << c.what;

    EXPECT_EQ(VNDownloadCache::dateFromRFC1123String(QStringLiteral("06 Nov 1994 08:49 GMT")), expires.addSecs(-37));
    EXPECT_EQ(VNDownloadCache::dateFromRFC1123String(QStringLiteral("Sun, 06 Nov 1994 10:49:37 +0200")), expires);
    EXPECT_FALSE(VNDownloadCache::dateFromRFC1123String(QStringLiteral("Sun, 31 Feb 1994 08:49:37 GMT")));
}

TEST(VNDownloadCacheDecisions, WhenStoredHeadersAreCurrent)
{
    const QString later = QString::number(start.addSecs(60).toSecsSinceEpoch());
    const QString earlier = QString::number(start.addSecs(-1).toSecsSinceEpoch());
    HTTPHeaderFields fresh = headers({{"ETag", "\"v1\""}, {"Last-Modified", "Sun, 01 Mar 2026 10:00:00 GMT"}});
    fresh.set(VNDownloadCache::expiresHeader, later);
    HTTPHeaderFields stale = fresh;
    stale.set(VNDownloadCache::expiresHeader, earlier);
    const HTTPHeaderFields noExpiry = headers({{"ETag", "\"v1\""}});

    VNCacheRequestInfo starting;
    VNCacheRequestInfo notModified;
    notModified.responseStatusCode = 304;
    VNCacheRequestInfo sameVersion = response("http://127.0.0.1/x", 200,
                                              headers({{"Etag", "\"v1\""}, {"last-modified", "Sun, 01 Mar 2026 10:00:00 GMT"}}));
    VNCacheRequestInfo newVersion = response("http://127.0.0.1/x", 200,
                                             headers({{"ETag", "\"v2\""}, {"Last-Modified", "Sun, 01 Mar 2026 10:00:00 GMT"}}));
    VNCacheRequestInfo noValidators = response("http://127.0.0.1/x", 200, {});

    struct Case {
        const char* what;
        const HTTPHeaderFields& stored;
        const VNCacheRequestInfo& request;
        bool respect;
        bool current;
    };
    const Case cases[] = {
        {"fresh", fresh, starting, true, true},
        {"stale", stale, starting, true, false},
        {"stale, expiry not respected", stale, starting, false, true},
        {"no expiry", noExpiry, starting, true, false},
        {"no expiry, not respected", noExpiry, starting, false, true},
        {"not modified, even stale", stale, notModified, true, true},
        {"same validators (any case)", fresh, sameVersion, true, true},
        {"changed ETag", fresh, newVersion, true, false},
        {"response without validators", fresh, noValidators, true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VNDownloadCache::isStoredResponseCurrent(c.stored, c.request, c.respect, start), c.current) << c.what;
}

TEST(VNDownloadCacheDecisions, ValidatorsComeFromTheStoredHeaders)
{
    const HTTPHeaderFields both = VNDownloadCache::validatorHeaders(
        headers({{"ETag", "\"abc\""}, {"Last-Modified", "Sun, 01 Mar 2026 10:00:00 GMT"}, {"Content-Type", "text/plain"}}));
    EXPECT_EQ(both.size(), 2);
    EXPECT_EQ(both.value(QStringLiteral("If-None-Match")), QStringLiteral("\"abc\""));
    EXPECT_EQ(both.value(QStringLiteral("If-Modified-Since")), QStringLiteral("Sun, 01 Mar 2026 10:00:00 GMT"));
    const HTTPHeaderFields one = VNDownloadCache::validatorHeaders(headers({{"etag", "W/\"w\""}}));
    EXPECT_EQ(one.size(), 1);
    EXPECT_EQ(one.value(QStringLiteral("If-None-Match")), QStringLiteral("W/\"w\""));
    EXPECT_TRUE(VNDownloadCache::validatorHeaders({}).isEmpty());
}

TEST_F(VNDownloadCacheTest, StoresHeadersWithExpiryAndStatusAndTheBodyUnderItsKey)
{
    VNCacheRequestInfo r = response("http://127.0.0.1/pics/cat.png", 200,
                                    headers({{"Content-Type", "image/png"}, {"ETag", "\"1\""}, {"Cache-Control", "max-age=600"}}), "PNGDATA");
    cache.storeResponseForRequest(r, 0);

    const QString key = VNDownloadCache::keyForURL(r.url);
    const QString session = cache.storagePath() + QStringLiteral("/SessionStore/");
    EXPECT_EQ(cache.pathToCachedResponseHeadersForURL(r.url), session + key + QStringLiteral(".cachedheaders"));
    EXPECT_EQ(cache.pathToCachedResponseDataForURL(r.url), session + key + QStringLiteral(".png"));
    EXPECT_EQ(cache.cachedResponseDataForURL(r.url), QByteArray("PNGDATA"));
    const auto stored = cache.cachedResponseHeadersForURL(r.url);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->value(QStringLiteral("Content-Type")), QStringLiteral("image/png"));
    EXPECT_EQ(stored->value(VNDownloadCache::statusCodeHeader), QStringLiteral("200"));
    EXPECT_EQ(stored->value(VNDownloadCache::expiresHeader), QString::number(start.addSecs(600).toSecsSinceEpoch()));

    // Not stored at all: a 404 for another URL.
    VNCacheRequestInfo missing = response("http://127.0.0.1/pics/none.png", 404, {});
    cache.storeResponseForRequest(missing, 0);
    EXPECT_TRUE(cache.pathToCachedResponseHeadersForURL(missing.url).isEmpty());
    EXPECT_FALSE(cache.cachedResponseDataForURL(missing.url));

    // Later the expiry moves when the server confirms the copy.
    now = start.addSecs(1000);
    VNCacheRequestInfo confirmed = response("http://127.0.0.1/pics/cat.png", 304, headers({{"Cache-Control", "max-age=60"}}));
    EXPECT_FALSE(cache.isCachedDataCurrentForRequest(starting("http://127.0.0.1/pics/cat.png", 4)));
    cache.updateExpiryForRequest(confirmed, 0);
    EXPECT_EQ(cache.cachedResponseHeadersForURL(r.url)->value(VNDownloadCache::expiresHeader),
              QString::number(start.addSecs(1060).toSecsSinceEpoch()));
    EXPECT_TRUE(cache.isCachedDataCurrentForRequest(starting("http://127.0.0.1/pics/cat.png", 4)));

    cache.removeCachedDataForURL(r.url);
    EXPECT_TRUE(cache.pathToCachedResponseHeadersForURL(r.url).isEmpty());
    EXPECT_TRUE(cache.pathToCachedResponseDataForURL(r.url).isEmpty());
}

TEST_F(VNDownloadCacheTest, AnInflatedBodyIsStoredWithItsOwnLength)
{
    const QByteArray inflated(5000, 'z');
    VNCacheRequestInfo r = response("http://127.0.0.1/big.txt", 200,
                                    headers({{"Content-Encoding", "gzip"}, {"Content-Length", "61"}, {"Cache-Control", "max-age=60"}}), inflated);
    r.isResponseCompressed = true;
    cache.storeResponseForRequest(r, 0);
    const auto stored = cache.cachedResponseHeadersForURL(r.url);
    ASSERT_TRUE(stored);
    EXPECT_FALSE(stored->contains(QStringLiteral("Content-Encoding")));
    EXPECT_EQ(stored->value(QStringLiteral("Content-Length")), QStringLiteral("5000"));
    EXPECT_EQ(cache.cachedResponseDataForURL(r.url), inflated);

    // The same from a download file.
    const QString file = dir.filePath(QStringLiteral("download.bin"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray(1234, 'd'));
    out.close();
    VNCacheRequestInfo toFile = response("http://127.0.0.1/file.bin", 200,
                                         headers({{"Content-Encoding", "gzip"}, {"Content-Length", "40"}}), QByteArray());
    toFile.isResponseCompressed = true;
    toFile.downloadDestinationPath = file;
    cache.storeResponseForRequest(toFile, 60);
    EXPECT_EQ(cache.cachedResponseHeadersForURL(toFile.url)->value(QStringLiteral("Content-Length")), QStringLiteral("1234"));
    EXPECT_EQ(cache.cachedResponseDataForURL(toFile.url), QByteArray(1234, 'd'));
}

TEST_F(VNDownloadCacheTest, WhenARequestMayUseStoredData)
{
    cache.storeResponseForRequest(response("http://127.0.0.1/fresh.txt", 200, headers({{"Cache-Control", "max-age=60"}})), 0);
    cache.storeResponseForRequest(response("http://127.0.0.1/stale.txt", 200, headers({{"Cache-Control", "max-age=60"}})), 0);
    now = start.addSecs(30);
    // Make the second one stale by moving its expiry back.
    cache.updateExpiryForRequest(response("http://127.0.0.1/stale.txt", 304, {}), -60);

    struct Case {
        const char* url;
        int policy;
        bool complete;
        bool headersIn;
        bool expected;
    };
    const Case cases[] = {
        {"/fresh.txt", 1 | 16, false, false, false}, // never read wins
        {"/none.txt", 32, false, false, true},       // never load, even with nothing stored
        {"/none.txt", 16, false, false, false},
        {"/stale.txt", 16, false, false, true},
        {"/stale.txt", 64, true, true, true},        // load failed: fall back
        {"/stale.txt", 64, false, false, false},
        {"/fresh.txt", 4, false, false, true},
        {"/stale.txt", 4, false, false, false},
        {"/fresh.txt", 8, false, false, false},      // always ask first
        {"/fresh.txt", 0, false, false, false},
    };
    for (const Case& c : cases) {
        VNCacheRequestInfo r = starting((QByteArray("http://127.0.0.1") + c.url).constData(), c.policy);
        r.complete = c.complete;
        r.hasResponseHeaders = c.headersIn;
        EXPECT_EQ(cache.canUseCachedDataForRequest(r), c.expected) << c.url << " policy " << c.policy;
    }

    // A 304 to an "always ask" request makes the copy current.
    VNCacheRequestInfo asked = starting("http://127.0.0.1/stale.txt", 8);
    asked.hasResponseHeaders = true;
    asked.responseStatusCode = 304;
    EXPECT_TRUE(cache.canUseCachedDataForRequest(asked));
}

TEST_F(VNDownloadCacheTest, ValidatorsAreSentOnlyWhenThePolicyAsksTheServer)
{
    cache.storeResponseForRequest(response("http://127.0.0.1/v.txt", 200, headers({{"ETag", "\"7\""}, {"Cache-Control", "max-age=1"}})), 0);
    for (const int policy : {4, 8, 4 | 64})
        EXPECT_EQ(cache.validatorHeadersForRequest(starting("http://127.0.0.1/v.txt", policy)).value(QStringLiteral("If-None-Match")),
                  QStringLiteral("\"7\"")) << policy;
    for (const int policy : {16, 64, 2})
        EXPECT_TRUE(cache.validatorHeadersForRequest(starting("http://127.0.0.1/v.txt", policy)).isEmpty()) << policy;
    EXPECT_TRUE(cache.validatorHeadersForRequest(starting("http://127.0.0.1/other.txt", 4)).isEmpty());
}

TEST_F(VNDownloadCacheTest, SessionStoreLastsOneRunAndThePermanentOneUntilCleared)
{
    VNCacheRequestInfo session = response("http://127.0.0.1/s.txt", 200, headers({{"Cache-Control", "max-age=60"}}));
    VNCacheRequestInfo permanent = response("http://127.0.0.1/p.txt", 200, headers({{"Cache-Control", "max-age=60"}}));
    permanent.cacheStoragePolicy = VNDownloadCache::CachePermanentlyCacheStoragePolicy;
    cache.storeResponseForRequest(session, 0);
    cache.storeResponseForRequest(permanent, 0);
    EXPECT_TRUE(cache.pathToCachedResponseDataForURL(permanent.url).contains(QStringLiteral("/PermanentStore/")));

    // A new run sets the same path again.
    VNDownloadCache nextRun;
    nextRun.setStoragePath(cache.storagePath());
    EXPECT_FALSE(nextRun.cachedResponseDataForURL(session.url));
    EXPECT_EQ(nextRun.cachedResponseDataForURL(permanent.url), QByteArray("body"));

    nextRun.clearCachedResponsesForStoragePolicy(VNDownloadCache::CachePermanentlyCacheStoragePolicy);
    EXPECT_FALSE(nextRun.cachedResponseDataForURL(permanent.url));
    EXPECT_TRUE(QFileInfo(cache.storagePath() + QStringLiteral("/PermanentStore")).isDir());

    // Without a path nothing is stored or found.
    VNDownloadCache none;
    none.storeResponseForRequest(session, 0);
    EXPECT_TRUE(none.pathToStoreCachedResponseDataForRequest(session).isEmpty());
    EXPECT_FALSE(none.canUseCachedDataForRequest(starting("http://127.0.0.1/s.txt", 16)));
}

TEST_F(VNDownloadCacheTest, FolderFailuresRaiseNamedExceptions)
{
    const QString file = dir.filePath(QStringLiteral("plain-file"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    VNDownloadCache other;
    try {
        other.setStoragePath(file);
        FAIL() << "no exception";
    } catch (const VNCacheException& e) {
        EXPECT_EQ(e.name(), QStringLiteral("FileExistsAtCachePath"));
        EXPECT_EQ(e.reason(), QStringLiteral("Cannot create a directory for the cache at '%1', because a file already exists").arg(file));
    }
    try {
        other.setStoragePath(dir.filePath(QStringLiteral("no/such/parent")));
        FAIL() << "no exception";
    } catch (const VNCacheException& e) {
        EXPECT_EQ(e.name(), QStringLiteral("FailedToCreateCacheDirectory"));
    }
}

TEST(VNDownloadCacheShared, LivesInTheUsersCacheFolder)
{
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit());
    VNDownloadCache& shared = VNDownloadCache::sharedCache();
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/VNHTTPRequestCache");
    EXPECT_TRUE(expected.startsWith(home.path()));
    EXPECT_EQ(shared.storagePath(), expected);
    EXPECT_TRUE(QFileInfo(expected + QStringLiteral("/SessionStore")).isDir());
    EXPECT_TRUE(QFileInfo(expected + QStringLiteral("/PermanentStore")).isDir());
    EXPECT_EQ(shared.defaultCachePolicy(), int(VNDownloadCache::AskServerIfModifiedWhenStaleCachePolicy));
    EXPECT_TRUE(shared.shouldRespectCacheControlHeaders());
    // Nothing of it may outlive the test's folder.
    shared.setStoragePath(QString());
    qunsetenv("XDG_CACHE_HOME");
}

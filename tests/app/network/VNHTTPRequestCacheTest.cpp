#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"
#include "VNCacheRequestInfo.h"
#include "VNDataDecompressor.h"
#include "VNDownloadCache.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class HTTPRequestCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearProxyEnvironment();
        ASSERT_TRUE(dir.isValid());
        cache.setStoragePath(dir.filePath(QStringLiteral("cache")));
    }

    static void needNginx()
    {
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    }
    static QUrl nginxURL(const QString& path)
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(LocalServers::shared().nginxPort()).arg(path));
    }
    static QByteArray serve(const QString& name, const QByteArray& content)
    {
        QFile f(LocalServers::shared().nginxDocumentPath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return content;
    }
    // Lines nginx logged for that path so far.
    static QStringList hits(const QString& path)
    {
        QStringList lines;
        QFile log(LocalServers::shared().nginxAccessLogPath());
        if (!log.open(QIODevice::ReadOnly))
            return lines;
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (line.contains(" " + path.toUtf8() + " HTTP/"))
                lines.append(QString::fromUtf8(line));
        }
        return lines;
    }
    // nginx writes its log line as the answer leaves; give it the moment.
    static bool waitForHits(const QString& path, int count)
    {
        return waitUntil([&] { return hits(path).size() >= count; }, 30s);
    }

    // Runs the request to its end and answers the delegate's events.
    QStringList run(const std::shared_ptr<VNHTTPRequest>& r)
    {
        auto delegate = std::make_shared<RecordingDelegate>();
        r->setDelegate(delegate);
        r->startAsynchronous();
        EXPECT_TRUE(waitUntil([&] { return delegate->ended(); }));
        EXPECT_TRUE(waitUntil([&] { return r->isFinished(); }));
        return delegate->events();
    }
    std::shared_ptr<VNHTTPRequest> cached(const QUrl& url, int policy = 0)
    {
        return VNHTTPRequest::requestWithURL(url, &cache, policy);
    }

    QTemporaryDir dir;
    VNDownloadCache cache;
};

} // namespace

// The first load stores headers (with status and expiry) and body; within
// the time to cache the next request is answered from disk, and nginx
// never hears of it.
TEST_F(HTTPRequestCache, FreshEntryAnswersWithoutTheServer)
{
    needNginx();
    const QByteArray content = serve(QStringLiteral("fresh.bin"), QByteArray(5000, 'f'));
    const QUrl url = nginxURL(QStringLiteral("/fresh.bin"));
    const int before = int(hits(QStringLiteral("/fresh.bin")).size());

    auto first = cached(url);
    first->setSecondsToCache(3600);
    EXPECT_EQ(run(first).last(), QStringLiteral("finished"));
    EXPECT_FALSE(first->didUseCachedResponse());
    ASSERT_TRUE(waitForHits(QStringLiteral("/fresh.bin"), before + 1));

    const QString headersPath = cache.pathToCachedResponseHeadersForURL(url);
    ASSERT_FALSE(headersPath.isEmpty());
    EXPECT_TRUE(headersPath.startsWith(dir.filePath(QStringLiteral("cache/SessionStore/"))));
    const auto stored = cache.cachedResponseHeadersForURL(url);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->value(VNDownloadCache::statusCodeHeader), QStringLiteral("200"));
    EXPECT_FALSE(stored->value(VNDownloadCache::expiresHeader).isEmpty());
    EXPECT_EQ(cache.cachedResponseDataForURL(url), content);

    auto second = cached(url);
    EXPECT_EQ(run(second).last(), QStringLiteral("finished"));
    EXPECT_TRUE(second->didUseCachedResponse());
    EXPECT_EQ(second->responseData(), content);
    EXPECT_EQ(second->responseStatusCode(), 200);
    EXPECT_EQ(second->contentLength(), quint64(content.size()));
    drainMainThread();
    EXPECT_EQ(hits(QStringLiteral("/fresh.bin")).size(), before + 1);
}

// Stored without an expiry, the entry is stale: the next request asks with
// its validator, nginx answers 304, and the stored body is the answer.
TEST_F(HTTPRequestCache, StaleEntryIsRevalidatedWithItsETag)
{
    needNginx();
    const QByteArray content = serve(QStringLiteral("stale.bin"), QByteArray(3000, 's'));
    const QUrl url = nginxURL(QStringLiteral("/stale.bin"));
    const int before = int(hits(QStringLiteral("/stale.bin")).size());

    auto first = cached(url);
    EXPECT_EQ(run(first).last(), QStringLiteral("finished"));
    const auto stored = cache.cachedResponseHeadersForURL(url);
    ASSERT_TRUE(stored);
    ASSERT_FALSE(stored->value(QStringLiteral("ETag")).isEmpty());
    EXPECT_TRUE(stored->value(VNDownloadCache::expiresHeader).isEmpty());

    auto second = cached(url);
    EXPECT_EQ(run(second).last(), QStringLiteral("finished"));
    EXPECT_EQ(second->requestHeaders().value(QStringLiteral("If-None-Match")), stored->value(QStringLiteral("ETag")));
    EXPECT_TRUE(second->didUseCachedResponse());
    EXPECT_EQ(second->responseData(), content);
    EXPECT_EQ(second->responseStatusCode(), 200);
    ASSERT_TRUE(waitForHits(QStringLiteral("/stale.bin"), before + 2));
    EXPECT_TRUE(hits(QStringLiteral("/stale.bin")).at(before + 1).contains(QStringLiteral("\" 304 ")));
}

// Answers the cache must not keep: an error status, and anything the
// server marks "no-store", also among other directives.
TEST_F(HTTPRequestCache, NotFoundAndNoStoreAnswersAreNeverStored)
{
    needNginx();
    ScriptedHTTPServer server;
    const QUrl missing = nginxURL(QStringLiteral("/not-there.bin"));
    auto r = cached(missing);
    r->setSecondsToCache(3600);
    run(r);
    EXPECT_EQ(r->responseStatusCode(), 404);
    EXPECT_TRUE(cache.pathToCachedResponseHeadersForURL(missing).isEmpty());
    EXPECT_TRUE(cache.pathToCachedResponseDataForURL(missing).isEmpty());

    for (const char* value : { "no-store", "max-age=600, no-store", "private, No-Store" }) {
        const QUrl url(server.url(QStringLiteral("/headers?h=%1").arg(QString::fromLatin1(
            QUrl::toPercentEncoding(QStringLiteral("Cache-Control: ") + QString::fromLatin1(value))))));
        auto noStore = cached(url);
        EXPECT_EQ(run(noStore).last(), QStringLiteral("finished")) << value;
        EXPECT_EQ(noStore->responseData(), QByteArray("headers"));
        EXPECT_TRUE(cache.pathToCachedResponseHeadersForURL(url).isEmpty()) << value;
        EXPECT_TRUE(cache.pathToCachedResponseDataForURL(url).isEmpty()) << value;
    }
    // The same answer without the directive is kept.
    const QUrl plain(server.url(QStringLiteral("/headers?h=%1").arg(QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("Cache-Control: max-age=600"))))));
    run(cached(plain));
    EXPECT_FALSE(cache.pathToCachedResponseHeadersForURL(plain).isEmpty());
}

// A compressed answer is kept inflated, with the length of what is kept,
// and a request served from the store reports that length.
TEST_F(HTTPRequestCache, CompressedAnswerIsStoredWithTheInflatedLength)
{
    needNginx();
    QByteArray text;
    for (int i = 0; i < 400; ++i)
        text += "line " + QByteArray::number(i) + " of a text nginx compresses\n";
    serve(QStringLiteral("zipped.txt"), text);
    const QUrl url = nginxURL(QStringLiteral("/zipped.txt"));

    auto first = cached(url);
    first->setSecondsToCache(3600);
    run(first);
    ASSERT_TRUE(first->isResponseCompressed());
    const auto stored = cache.cachedResponseHeadersForURL(url);
    ASSERT_TRUE(stored);
    EXPECT_FALSE(stored->contains(QStringLiteral("Content-Encoding")));
    EXPECT_EQ(stored->value(QStringLiteral("Content-Length")), QString::number(text.size()));
    EXPECT_EQ(cache.cachedResponseDataForURL(url), text);

    auto second = cached(url);
    run(second);
    EXPECT_TRUE(second->didUseCachedResponse());
    EXPECT_EQ(second->responseData(), text);
    EXPECT_EQ(second->contentLength(), quint64(text.size()));
}

// With the server gone, a request that may fall back to the store gets the
// stored body instead of the failure; one that may not, fails.
TEST_F(HTTPRequestCache, FallbackPolicyAnswersFromTheStoreWhenTheServerIsGone)
{
    needNginx();
    const QByteArray content = serve(QStringLiteral("fallback.bin"), QByteArray(2000, 'b'));
    const QUrl url = nginxURL(QStringLiteral("/fallback.bin"));
    EXPECT_EQ(run(cached(url)).last(), QStringLiteral("finished"));
    ASSERT_FALSE(cache.pathToCachedResponseDataForURL(url).isEmpty());

    LocalServers::shared().stopAll();

    auto plain = cached(url, VNDownloadCache::DoNotReadFromCacheCachePolicy);
    EXPECT_EQ(run(plain).last(), QStringLiteral("failed 1"));

    auto fallback = cached(url, VNDownloadCache::FallbackToCacheIfLoadFailsCachePolicy);
    EXPECT_EQ(run(fallback), QStringList({ QStringLiteral("started"), QStringLiteral("finished") }));
    EXPECT_FALSE(fallback->error());
    EXPECT_TRUE(fallback->didUseCachedResponse());
    EXPECT_EQ(fallback->responseData(), content);
}

// A request that is not a GET never touches the cache.
TEST_F(HTTPRequestCache, OnlyGetRequestsUseTheCache)
{
    ScriptedHTTPServer server;
    const QUrl url(server.url(QStringLiteral("/echo")));
    auto post = cached(url);
    post->appendPostData("body");
    run(post);
    EXPECT_EQ(post->downloadCache(), nullptr);
    EXPECT_TRUE(cache.pathToCachedResponseHeadersForURL(url).isEmpty());
}

// Cancelling is not a failed load: the stored answer does not stand in
// for it, and the request reports the cancel.
TEST_F(HTTPRequestCache, CancelledRequestIsNotAnsweredFromTheStore)
{
    ScriptedHTTPServer server;
    const QUrl url(server.url(QStringLiteral("/silent")));
    VNCacheRequestInfo stored;
    stored.url = url;
    stored.hasResponseHeaders = true;
    stored.responseHeaders.set(QStringLiteral("Content-Length"), QStringLiteral("6"));
    stored.responseStatusCode = 200;
    stored.responseData = "stored";
    stored.complete = true;
    cache.storeResponseForRequest(stored, 3600);
    ASSERT_EQ(cache.cachedResponseDataForURL(url), QByteArray("stored"));

    auto r = cached(url, VNDownloadCache::FallbackToCacheIfLoadFailsCachePolicy);
    auto delegate = std::make_shared<RecordingDelegate>();
    r->setDelegate(delegate);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return server.acceptedConnections() == 1; }));
    r->cancel();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(delegate->events().last(), QStringLiteral("failed 4"));
    EXPECT_FALSE(r->didUseCachedResponse());
    EXPECT_TRUE(r->responseData().isEmpty());
}

// New requests take the class's default cache; clearing the session
// empties its session store and leaves the permanent one.
TEST_F(HTTPRequestCache, DefaultCacheIsTakenByNewRequestsAndClearedWithTheSession)
{
    VNHTTPRequest::setDefaultCache(&cache);
    auto r = VNHTTPRequest::requestWithURL(QUrl(QStringLiteral("http://127.0.0.1:1/x")));
    EXPECT_EQ(r->downloadCache(), &cache);

    VNCacheRequestInfo info;
    info.hasResponseHeaders = true;
    info.responseHeaders.set(QStringLiteral("Content-Type"), QStringLiteral("text/plain"));
    info.responseStatusCode = 200;
    info.responseData = "kept";
    info.complete = true;
    info.url = QUrl(QStringLiteral("http://127.0.0.1:1/session"));
    cache.storeResponseForRequest(info, 60);
    info.url = QUrl(QStringLiteral("http://127.0.0.1:1/permanent"));
    info.cacheStoragePolicy = VNDownloadCache::CachePermanentlyCacheStoragePolicy;
    cache.storeResponseForRequest(info, 60);

    VNHTTPRequest::clearSession();
    VNHTTPRequest::setDefaultCache(nullptr);
    EXPECT_FALSE(cache.cachedResponseDataForURL(QUrl(QStringLiteral("http://127.0.0.1:1/session"))));
    EXPECT_EQ(cache.cachedResponseDataForURL(QUrl(QStringLiteral("http://127.0.0.1:1/permanent"))), QByteArray("kept"));
    EXPECT_EQ(VNHTTPRequest::requestWithURL(QUrl(QStringLiteral("http://127.0.0.1:1/x")))->downloadCache(), nullptr);
}

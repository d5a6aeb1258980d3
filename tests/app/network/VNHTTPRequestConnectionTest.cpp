#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"
#include "VNPACScriptRunner.h"
#include "VNSystemProxySettings.h"

#include "platform/network/NetworkConnection.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include <arpa/inet.h>
#include <netinet/in.h>

using namespace std::chrono_literals;

namespace {

class HTTPRequestConnection : public ::testing::Test {
protected:
    void SetUp() override { clearProxyEnvironment(); }
    void TearDown() override { clearProxyEnvironment(); }

    static std::shared_ptr<VNHTTPRequest> get(const QString& url)
    {
        auto r = VNHTTPRequest::requestWithURL(QUrl(url));
        r->startSynchronous();
        EXPECT_FALSE(r->error()) << url.toStdString() << ": " << r->error()->message.toStdString();
        return r;
    }

    static void needServers(bool squid)
    {
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
        if (squid) {
            const QString problem = LocalServers::shared().startSquid();
            ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        }
    }
    static QString nginxURL(const QString& path)
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(LocalServers::shared().nginxPort()).arg(path);
    }

    ScriptedHTTPServer server;
    QTemporaryDir dir;
};

} // namespace

TEST_F(HTTPRequestConnection, RequestsInTurnToOneServerShareAConnection)
{
    auto first = get(server.url(QStringLiteral("/connection")));
    auto second = get(server.url(QStringLiteral("/connection")));
    EXPECT_EQ(first->responseData(), second->responseData());
    EXPECT_EQ(server.acceptedConnections(), 1);
    EXPECT_NE(first->connectionID(), 0u);
    EXPECT_EQ(first->connectionID(), second->connectionID());
    EXPECT_TRUE(first->connectionCanBeReused());

    // Another port is another connection.
    ScriptedHTTPServer other;
    auto elsewhere = get(other.url(QStringLiteral("/connection")));
    EXPECT_NE(elsewhere->connectionID(), first->connectionID());

    // A POST does not ask for a kept connection and takes no pool entry.
    auto post = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/connection"))));
    post->setRequestMethod(QStringLiteral("POST"));
    post->startSynchronous();
    EXPECT_EQ(post->connectionID(), 0u);
    EXPECT_EQ(post->responseData(), "2");
}

TEST_F(HTTPRequestConnection, AKeptConnectionTheServerClosedIsRetriedOnceOnANewOne)
{
    auto first = get(server.url(QStringLiteral("/close-after")));
    EXPECT_EQ(first->responseData(), "bye");
    ASSERT_TRUE(waitUntil([&] { return server.closedConnections() == 1; }));
    auto delegate = std::make_shared<RecordingDelegate>();
    auto second = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/hello"))));
    second->setDelegate(delegate);
    second->startSynchronous();
    ASSERT_FALSE(second->error()) << second->error()->message.toStdString();
    EXPECT_EQ(second->responseStatusCode(), 200);
    EXPECT_EQ(second->responseData(), "hello");
    EXPECT_EQ(second->retryCount(), 1);
    EXPECT_EQ(delegate->count(QStringLiteral("finished")), 1);
    EXPECT_EQ(delegate->count(QStringLiteral("failed")), 0);
    EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST_F(HTTPRequestConnection, KeepAliveHeaderDecidesReuseAndItsTimeOut)
{
    const struct {
        const char* header;
        bool reusable;
        double seconds;
    } cases[] = {
        { "timeout=15, max=100", true, 15.0 },
        { "timeout=15, max=5", false, 60.0 },
        { "timeout=7", false, 60.0 },
    };
    for (const auto& c : cases) {
        ScriptedHTTPServer fresh;
        auto r = get(fresh.url(QStringLiteral("/keepalive?h=") + QString::fromLatin1(QUrl::toPercentEncoding(c.header))));
        EXPECT_EQ(r->connectionCanBeReused(), c.reusable) << c.header;
        EXPECT_DOUBLE_EQ(r->persistentConnectionTimeoutSeconds(), c.seconds) << c.header;
    }
}

TEST_F(HTTPRequestConnection, AConnectionCutBeforeTheBodyEndsIsAFailure)
{
    for (const QString& path : { QStringLiteral("/truncate"), QStringLiteral("/truncate-chunked") }) {
        auto delegate = std::make_shared<RecordingDelegate>();
        auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(path)));
        r->setDelegate(delegate);
        r->startSynchronous();
        ASSERT_TRUE(r->error()) << path.toStdString();
        EXPECT_EQ(r->error()->code, VNHTTPRequest::ConnectionFailureErrorType) << path.toStdString();
        EXPECT_EQ(delegate->count(QStringLiteral("finished")), 0) << path.toStdString();
        EXPECT_TRUE(r->responseData().isEmpty()) << path.toStdString();
    }
}

TEST_F(HTTPRequestConnection, RefusedConnectionFailsWithCode1)
{
    const int closedPort = LocalServers::freePort();
    auto r = VNHTTPRequest::requestWithURL(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort)));
    r->startSynchronous();
    ASSERT_TRUE(r->error());
    EXPECT_EQ(r->error()->code, VNHTTPRequest::ConnectionFailureErrorType);
    EXPECT_EQ(r->error()->message, QStringLiteral("A connection failure occurred"));
    ASSERT_TRUE(r->error()->underlyingError);
}

TEST_F(HTTPRequestConnection, ProxiesComeFromTheRequestTheEnvironmentOrAScript)
{
    needServers(true);
    const int squid = LocalServers::shared().squidPort();
    const auto writeScript = [&](const QString& name, const QString& body) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body.toUtf8());
        return QUrl::fromLocalFile(f.fileName());
    };
    // nginx also serves one script, to fetch it over HTTP.
    {
        QFile served(LocalServers::shared().nginxDocumentPath(QStringLiteral("proxy.pac")));
        ASSERT_TRUE(served.open(QIODevice::WriteOnly));
        served.write(QStringLiteral("function FindProxyForURL(url, host) { return 'PROXY 127.0.0.1:%1'; }").arg(squid).toUtf8());
        served.setPermissions(served.permissions() | QFile::ReadOther);
    }
    const struct {
        const char* name;
        std::function<void(VNHTTPRequest&)> setup;
        bool throughSquid;
    } cases[] = {
        { "fixed proxy", [&](VNHTTPRequest& r) { r.setProxyHost(QStringLiteral("127.0.0.1")); r.setProxyPort(squid); }, true },
        { "environment", [&](VNHTTPRequest&) { qputenv("http_proxy", QByteArray("http://127.0.0.1:") + QByteArray::number(squid)); }, true },
        { "environment, host excluded", [&](VNHTTPRequest&) {
             qputenv("http_proxy", QByteArray("127.0.0.1:") + QByteArray::number(squid));
             qputenv("no_proxy", "localhost, 127.0.0.1");
         }, false },
        { "script: PROXY", [&](VNHTTPRequest& r) {
             r.setPACurl(writeScript(QStringLiteral("proxy.pac"),
                 QStringLiteral("function FindProxyForURL(url, host) { return isPlainHostName(host) ? 'DIRECT' : 'PROXY 127.0.0.1:%1; DIRECT'; }").arg(squid)));
         }, true },
        { "script over HTTP", [&](VNHTTPRequest& r) { r.setPACurl(QUrl(nginxURL(QStringLiteral("/proxy.pac")))); }, true },
        { "script: DIRECT", [&](VNHTTPRequest& r) {
             r.setPACurl(writeScript(QStringLiteral("direct.pac"), QStringLiteral("function FindProxyForURL(url, host) { return 'DIRECT'; }")));
         }, false },
        { "script that never ends", [&](VNHTTPRequest& r) {
             r.setTimeOutSeconds(2);
             r.setPACurl(writeScript(QStringLiteral("loop.pac"), QStringLiteral("function FindProxyForURL(url, host) { for (;;) {} }")));
         }, false },
        { "script that throws", [&](VNHTTPRequest& r) {
             r.setPACurl(writeScript(QStringLiteral("throw.pac"), QStringLiteral("function FindProxyForURL(url, host) { throw 'no'; }")));
         }, false },
        { "script that is not one", [&](VNHTTPRequest& r) { r.setPACurl(writeScript(QStringLiteral("junk.pac"), QStringLiteral("}}} not a script"))); }, false },
    };
    for (const auto& c : cases) {
        clearProxyEnvironment();
        for (bool synchronous : { true, false }) {
            auto delegate = std::make_shared<RecordingDelegate>();
            auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL(QStringLiteral("/hello.txt"))));
            r->setDelegate(delegate);
            c.setup(*r);
            if (synchronous)
                r->startSynchronous();
            else
                r->startAsynchronous();
            ASSERT_TRUE(waitUntil([&] { return delegate->ended(); })) << c.name;
            ASSERT_FALSE(r->error()) << c.name << ": " << r->error()->message.toStdString();
            EXPECT_EQ(r->responseData(), "Hello from nginx\n") << c.name;
            EXPECT_EQ(r->responseHeaders().contains(QStringLiteral("Via")), c.throughSquid) << c.name << (synchronous ? " (synchronous)" : "");
        }
    }
}

TEST_F(HTTPRequestConnection, SocksProxyCarriesTheRequest)
{
    needServers(false);
    const QString dante = LocalServers::shared().startDante();
    ASSERT_TRUE(dante.isEmpty()) << dante.toStdString();
    auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL(QStringLiteral("/hello.txt"))));
    r->setProxyHost(QStringLiteral("127.0.0.1"));
    r->setProxyPort(LocalServers::shared().dantePort());
    r->setProxyType(VNProxy::TypeSOCKS);
    r->startSynchronous();
    ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
    EXPECT_EQ(r->responseData(), "Hello from nginx\n");
}

TEST_F(HTTPRequestConnection, ScriptAnswersAndEnvironmentSettingsAreRead)
{
    const QList<VNProxy> parsed = VNProxy::parsePACResult(QStringLiteral(" PROXY a.test:8080 ; SOCKS5 [::1]:1080;direct; PROXY nope; HTTPS b.test:443 "));
    ASSERT_EQ(parsed.size(), 4);
    EXPECT_EQ(parsed[0], (VNProxy { QStringLiteral("a.test"), 8080, VNProxy::TypeHTTP }));
    EXPECT_EQ(parsed[1], (VNProxy { QStringLiteral("::1"), 1080, VNProxy::TypeSOCKS }));
    EXPECT_TRUE(parsed[2].isDirect());
    EXPECT_EQ(parsed[3], (VNProxy { QStringLiteral("b.test"), 443, VNProxy::TypeHTTPS }));

    const QUrl plain(QStringLiteral("http://app.example.test/x")), secure(QStringLiteral("https://app.example.test/x"));
    const struct {
        QUrl url;
        const char *http, *https, *noProxy;
        std::optional<QList<VNProxy>> expected;
    } cases[] = {
        { plain, "", "", "", QList<VNProxy>() },
        { plain, "http://p.test:3128", "", "", QList<VNProxy> { { QStringLiteral("p.test"), 3128, VNProxy::TypeHTTP } } },
        { secure, "http://p.test:3128", "", "", QList<VNProxy>() },
        { secure, "", "p.test:8443", "", QList<VNProxy> { { QStringLiteral("p.test"), 8443, VNProxy::TypeHTTP } } },
        { plain, "socks5://s.test", "", "", QList<VNProxy> { { QStringLiteral("s.test"), 1080, VNProxy::TypeSOCKS } } },
        { plain, "http://p.test:3128", "", ".example.test", QList<VNProxy>() },
        { plain, "http://p.test:3128", "", "other.test,*", QList<VNProxy>() },
        { plain, "http://p.test:3128", "", "ample.test", QList<VNProxy> { { QStringLiteral("p.test"), 3128, VNProxy::TypeHTTP } } },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VNSystemProxySettings::proxiesForURL(c.url, QString::fromLatin1(c.http), QString::fromLatin1(c.https), QString::fromLatin1(c.noProxy)),
            c.expected)
            << c.http << " " << c.https << " " << c.noProxy;
    }
}

TEST_F(HTTPRequestConnection, ScriptsRunWithoutReachingOutAndWithinTheirTime)
{
    const QUrl url(QStringLiteral("http://10.1.2.3/page"));
    const struct {
        const char* script;
        std::optional<QString> firstHost;
    } cases[] = {
        { "function FindProxyForURL(u, h) { return isInNet(h, '10.0.0.0', '255.0.0.0') ? 'PROXY in.test:1' : 'DIRECT'; }", QStringLiteral("in.test") },
        { "function FindProxyForURL(u, h) { return shExpMatch(u, 'http://10.*/pa?e') ? 'PROXY m.test:2' : 'DIRECT'; }", QStringLiteral("m.test") },
        // A name is never looked up on a script's behalf.
        { "function FindProxyForURL(u, h) { return dnsResolve('host.invalid') === null ? 'PROXY n.test:3' : 'DIRECT'; }", QStringLiteral("n.test") },
        { "function FindProxyForURL(u, h) { return typeof XMLHttpRequest == 'undefined' ? 'PROXY s.test:4' : 'DIRECT'; }", QStringLiteral("s.test") },
        { "function FindProxyForURL(u, h) { while (true) {} }", std::nullopt },
        { "var x = 1;", std::nullopt },
        { "function FindProxyForURL(u, h) { return 42; }", std::nullopt },
    };
    for (const auto& c : cases) {
        const auto proxies = VNPACScriptRunner::proxiesForURL(QString::fromLatin1(c.script), url, 1000ms);
        if (!c.firstHost) {
            EXPECT_FALSE(proxies) << c.script;
            continue;
        }
        ASSERT_TRUE(proxies && !proxies->isEmpty()) << c.script;
        EXPECT_EQ(proxies->first().host, *c.firstHost) << c.script;
    }
}

TEST_F(HTTPRequestConnection, EveryHopOfARedirectChainMayRetryOnAFreshConnection)
{
    // Each connection answers one request; the next one sent on it finds
    // it closed without a word, as a server's idle time-out leaves it.
    std::mutex lock;
    QSet<int> answered;
    const auto hop = [&](const QByteArray& next) {
        return [&, next](ScriptedHTTPServer::Exchange& e) {
            {
                std::lock_guard guard(lock);
                if (answered.contains(e.connection))
                    return false;
                answered.insert(e.connection);
            }
            if (next.isEmpty())
                return e.send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nhome");
            return e.send("HTTP/1.1 302 Found\r\nLocation: " + next + "\r\nContent-Length: 0\r\n\r\n");
        };
    };
    server.setScript(QStringLiteral("/hop1"), hop("/hop2"));
    server.setScript(QStringLiteral("/hop2"), hop("/hop3"));
    server.setScript(QStringLiteral("/hop3"), hop("/hop4"));
    server.setScript(QStringLiteral("/hop4"), hop(QByteArray()));
    auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/hop1"))));
    r->startSynchronous();
    ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
    EXPECT_EQ(r->responseData(), QByteArray("home"));
    EXPECT_EQ(r->redirectCount(), 3);
    EXPECT_EQ(server.acceptedConnections(), 4);
}

namespace {

platform::NetworkConnection::Address loopback(int port)
{
    platform::NetworkConnection::Address address;
    auto* in = reinterpret_cast<sockaddr_in*>(&address.storage);
    in->sin_family = AF_INET;
    in->sin_port = htons(quint16(port));
    in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.length = sizeof(sockaddr_in);
    return address;
}

// Names answered by the test itself, never by a resolver: "slow.test"
// waits until released, "two.test" has a dead address before the live one.
class NamedHosts : public HTTPRequestConnection {
protected:
    void SetUp() override
    {
        HTTPRequestConnection::SetUp();
        const int live = server.port();
        const int dead = LocalServers::freePort();
        platform::NetworkConnection::setLookup([this, live, dead](const QString& host, int, platform::NetworkError&) {
            if (host == QStringLiteral("slow.test")) {
                std::unique_lock lock(m_lock);
                ++m_waiting;
                m_changed.notify_all();
                m_changed.wait_for(lock, 60s, [this] { return m_released; });
            }
            if (host == QStringLiteral("two.test"))
                return std::vector { loopback(dead), loopback(live) };
            return std::vector { loopback(live) };
        });
    }
    void TearDown() override
    {
        release();
        platform::NetworkConnection::setLookup(nullptr);
        HTTPRequestConnection::TearDown();
    }
    void release()
    {
        std::lock_guard lock(m_lock);
        m_released = true;
        m_changed.notify_all();
    }
    bool someoneWaits()
    {
        std::lock_guard lock(m_lock);
        return m_waiting > 0;
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_waiting = 0;
    bool m_released = false;
};

} // namespace

TEST_F(NamedHosts, ASlowLookUpHoldsOnlyItsOwnRequest)
{
    auto slowDelegate = std::make_shared<RecordingDelegate>();
    auto slow = VNHTTPRequest::requestWithURL(QUrl(QStringLiteral("http://slow.test:%1/hello").arg(server.port())));
    slow->setDelegate(slowDelegate);
    slow->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return someoneWaits(); }));

    auto otherDelegate = std::make_shared<RecordingDelegate>();
    auto other = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/hello"))));
    other->setDelegate(otherDelegate);
    other->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return otherDelegate->ended(); }));
    EXPECT_EQ(otherDelegate->events().last(), QStringLiteral("finished"));
    EXPECT_FALSE(slowDelegate->ended());

    release();
    ASSERT_TRUE(waitUntil([&] { return slowDelegate->ended(); }));
    EXPECT_EQ(slowDelegate->events().last(), QStringLiteral("finished"));
    EXPECT_EQ(slow->responseData(), QByteArray("hello"));
}

TEST_F(NamedHosts, ARefusedAddressGivesWayToTheNext)
{
    auto r = VNHTTPRequest::requestWithURL(QUrl(QStringLiteral("http://two.test:%1/hello").arg(server.port())));
    r->startSynchronous();
    ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
    EXPECT_EQ(r->responseData(), QByteArray("hello"));
}

TEST_F(HTTPRequestConnection, AScriptThatLoopsHoldsOnlyItsOwnRequest)
{
    const QString path = dir.filePath(QStringLiteral("loop.pac"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("function FindProxyForURL(url, host) { for (;;) {} }");
    }
    auto loopingDelegate = std::make_shared<RecordingDelegate>();
    auto looping = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/hello"))));
    looping->setDelegate(loopingDelegate);
    looping->setPACurl(QUrl::fromLocalFile(path));
    looping->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return loopingDelegate->count(QStringLiteral("started")) == 0 && looping->isExecuting(); }));

    // The script's watchdog allows it ten seconds; the other request
    // does not wait for them.
    auto otherDelegate = std::make_shared<RecordingDelegate>();
    auto other = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/connection"))));
    other->setDelegate(otherDelegate);
    other->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return otherDelegate->ended(); }));
    EXPECT_EQ(otherDelegate->events().last(), QStringLiteral("finished"));
    EXPECT_FALSE(loopingDelegate->ended());

    // Stopped, the script yields nothing and the request goes direct.
    ASSERT_TRUE(waitUntil([&] { return loopingDelegate->ended(); }));
    EXPECT_EQ(loopingDelegate->events().last(), QStringLiteral("finished"));
    EXPECT_EQ(looping->responseData(), QByteArray("hello"));
}

namespace {
// The most the process has held at once (its high-water mark), in bytes.
qint64 residentPeak()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}
} // namespace

TEST_F(HTTPRequestConnection, AScriptThatGrowsIsStoppedByItsMemoryBound)
{
    const qint64 before = residentPeak();
    const auto started = std::chrono::steady_clock::now();
    // Half a megabyte more each turn; the time bound alone would let it
    // reach many gigabytes.
    const auto proxies = VNPACScriptRunner::proxiesForURL(
        QStringLiteral("function FindProxyForURL(u, h) { var a = []; for (;;) a.push(new Array(65536).fill(7)); }"),
        QUrl(QStringLiteral("http://127.0.0.1/")), 600s);
    EXPECT_FALSE(proxies);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 600s);
    EXPECT_LT(residentPeak() - before, qint64(1) << 30);
}

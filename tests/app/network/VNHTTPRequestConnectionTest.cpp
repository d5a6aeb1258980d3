#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"
#include "VNPACScriptRunner.h"
#include "VNSystemProxySettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

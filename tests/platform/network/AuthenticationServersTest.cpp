#include "StreamTestRunner.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"
#include "platform/network/HTTPAuthentication.h"

#include <gtest/gtest.h>

using namespace platform;

// The authentication objects against real servers: each test reads the
// challenge of a refused request, answers it with a new request carrying
// the computed field, and expects the server or proxy to let it through.
namespace {

std::shared_ptr<HTTPReadStream> stream(const HTTPMessage& request, const ProxySettings& proxy = ProxySettings(),
    quint64 connection = 0)
{
    auto s = HTTPReadStream::create(request);
    s->setProxy(proxy);
    TLSSettings tls;
    tls.validatesCertificateChain = false;
    s->setTLSSettings(tls);
    if (connection != 0) {
        s->setPersistentConnection(true);
        s->setConnectionID(connection);
    }
    return s;
}

ProxySettings squid(ProxySettings::Type type)
{
    ProxySettings proxy;
    proxy.type = type;
    proxy.host = QStringLiteral("127.0.0.1");
    proxy.port = LocalServers::shared().squidAuthPort();
    return proxy;
}

// The same response offering only one of its schemes, so each can be tried.
HTTPMessage onlyScheme(const HTTPMessage& response, const QString& scheme)
{
    HTTPMessage out = HTTPMessage::response(response.statusCode(), response.statusLine(), response.version());
    const QString field = response.statusCode() == 407 ? "Proxy-Authenticate" : "WWW-Authenticate";
    for (const QString& value : response.headerFields().values(field)) {
        if (value.startsWith(scheme + " ", Qt::CaseInsensitive) || value.compare(scheme, Qt::CaseInsensitive) == 0)
            out.addHeaderField(field, value);
    }
    return out;
}

HTTPCredential good() { return { LocalServers::userName(), LocalServers::password(), QString() }; }

QString nginxUrl(const QString& path) { return QStringLiteral("http://127.0.0.1:%1%2").arg(LocalServers::shared().nginxPort()).arg(path); }
QString nginxTLSUrl(const QString& path) { return QStringLiteral("https://127.0.0.1:%1%2").arg(LocalServers::shared().nginxTLSPort()).arg(path); }

class AuthenticationServers : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    }
    void startSquid()
    {
        const QString problem = LocalServers::shared().startSquid();
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    }
};

} // namespace

TEST_F(AuthenticationServers, NginxLetsABasicAnswerIn)
{
    const QUrl url(nginxUrl("/private/secret.txt"));
    auto refused = runStream(stream(HTTPMessage::request("GET", url)));
    ASSERT_EQ(refused.header.statusCode(), 401);
    auto auth = HTTPAuthentication::create(refused.header);
    ASSERT_TRUE(auth);
    EXPECT_EQ(auth->method(), "Basic");
    EXPECT_EQ(auth->realm(), "Velumo test");

    HTTPMessage again = HTTPMessage::request("GET", url);
    ASSERT_TRUE(auth->apply(again, good()));
    auto let = runStream(stream(again));
    EXPECT_EQ(let.header.statusCode(), 200);

    // A wrong password: the server asks again and the object sees the refusal.
    HTTPMessage wrong = HTTPMessage::request("GET", url);
    ASSERT_TRUE(auth->apply(wrong, { LocalServers::userName(), "wrong", QString() }));
    auto denied = runStream(stream(wrong));
    ASSERT_EQ(denied.header.statusCode(), 401);
    auth->update(denied.header);
    NetworkError why;
    EXPECT_FALSE(auth->isValid(&why));
    EXPECT_EQ(why.code, NetworkError::BadPassword);
}

TEST_F(AuthenticationServers, ScriptedServerAcceptsDigestAnswers)
{
    ScriptedHTTPServer server;
    const HTTPCredential right { ScriptedHTTPServer::digestUser(), ScriptedHTTPServer::digestPassword(), QString() };
    for (const QString& kind : { QStringLiteral("auth"), QStringLiteral("legacy"), QStringLiteral("stale") }) {
        SCOPED_TRACE(kind.toStdString());
        const QUrl url(server.url("/digest/" + kind + "/a%20file?x=1&y=2"));
        auto refused = runStream(stream(HTTPMessage::request("GET", url)));
        ASSERT_EQ(refused.header.statusCode(), 401);
        auto auth = HTTPAuthentication::create(refused.header);
        ASSERT_TRUE(auth);
        ASSERT_EQ(auth->method(), "Digest");

        StreamOutcome answered;
        // Bounded: a stale nonce costs one more round.
        for (int round = 0; round < 3; ++round) {
            HTTPMessage request = HTTPMessage::request("GET", url);
            ASSERT_TRUE(auth->apply(request, right));
            answered = runStream(stream(request));
            if (answered.header.statusCode() != 401)
                break;
            auth->update(answered.header);
            ASSERT_TRUE(auth->isValid()) << answered.header.headerField("WWW-Authenticate").toStdString();
        }
        EXPECT_EQ(answered.header.statusCode(), 200);
        EXPECT_EQ(answered.body, "digest ok");
    }

    // A wrong password is refused with a fresh, not stale, nonce: the object gives up.
    const QUrl url(server.url("/digest/auth/x"));
    auto auth = HTTPAuthentication::create(runStream(stream(HTTPMessage::request("GET", url))).header);
    ASSERT_TRUE(auth);
    HTTPMessage wrong = HTTPMessage::request("GET", url);
    ASSERT_TRUE(auth->apply(wrong, { ScriptedHTTPServer::digestUser(), "nope", QString() }));
    auto denied = runStream(stream(wrong));
    ASSERT_EQ(denied.header.statusCode(), 401);
    auth->update(denied.header);
    EXPECT_FALSE(auth->isValid());

    // No challenge at all: nothing to answer with.
    auto bare = runStream(stream(HTTPMessage::request("GET", QUrl(server.url("/no-challenge")))));
    EXPECT_EQ(bare.header.statusCode(), 401);
    EXPECT_FALSE(HTTPAuthentication::create(bare.header));
}

TEST_F(AuthenticationServers, SquidTakesBasicAndDigestForPlainRequestsAndTunnels)
{
    startSquid();
    struct Route {
        const char* name;
        ProxySettings::Type type;
        QString url;
    };
    const Route routes[] = {
        { "plain", ProxySettings::Type::HTTP, nginxUrl("/hello.txt") },
        { "tunnel", ProxySettings::Type::HTTPS, nginxTLSUrl("/hello.txt") },
    };
    for (const Route& route : routes) {
        for (const QString& scheme : { QStringLiteral("Basic"), QStringLiteral("Digest") }) {
            SCOPED_TRACE(std::string(route.name) + " " + scheme.toStdString());
            const ProxySettings proxy = squid(route.type);
            const QUrl url(route.url);
            auto refused = runStream(stream(HTTPMessage::request("GET", url), proxy));
            ASSERT_EQ(refused.header.statusCode(), 407);
            auto auth = HTTPAuthentication::create(onlyScheme(refused.header, scheme));
            ASSERT_TRUE(auth);
            EXPECT_EQ(auth->method(), scheme);
            EXPECT_TRUE(auth->isProxy());
            EXPECT_EQ(auth->realm(), "Velumo proxy");

            HTTPMessage request = HTTPMessage::request("GET", url);
            ASSERT_TRUE(auth->apply(request, good(), proxy));
            auto let = runStream(stream(request, proxy));
            ASSERT_TRUE(let.ended) << let.error.description.toStdString();
            EXPECT_EQ(let.header.statusCode(), 200);
            EXPECT_EQ(let.body, "Hello from nginx\n");

            HTTPMessage wrong = HTTPMessage::request("GET", url);
            ASSERT_TRUE(auth->apply(wrong, { LocalServers::userName(), "wrong", QString() }, proxy));
            EXPECT_EQ(runStream(stream(wrong, proxy)).header.statusCode(), 407);
        }
    }
}

TEST_F(AuthenticationServers, SquidTakesTheNTLMExchangeOnOneConnection)
{
    startSquid();
    struct Route {
        const char* name;
        ProxySettings::Type type;
        QString url;
        quint64 connection;
    };
    const Route routes[] = {
        { "plain", ProxySettings::Type::HTTP, nginxUrl("/hello.txt"), 0x4e544c4d01 },
        // The proxy refuses the CONNECT twice on one connection, then opens the tunnel.
        { "tunnel", ProxySettings::Type::HTTPS, nginxTLSUrl("/hello.txt"), 0x4e544c4d02 },
    };
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        const ProxySettings proxy = squid(route.type);
        const QUrl url(route.url);
        auto refused = runStream(stream(HTTPMessage::request("GET", url), proxy));
        ASSERT_EQ(refused.header.statusCode(), 407);
        // Offered everything, the object takes NTLM.
        auto auth = HTTPAuthentication::create(refused.header);
        ASSERT_TRUE(auth);
        ASSERT_EQ(auth->method(), "NTLM");
        ASSERT_TRUE(auth->requiresConnectionKeptAlive());
        const HTTPCredential who { LocalServers::userName(), LocalServers::password(), "VELUMO" };

        HTTPMessage negotiate = HTTPMessage::request("GET", url);
        ASSERT_TRUE(auth->apply(negotiate, who, proxy));
        auto challenged = runStream(stream(negotiate, proxy, route.connection));
        ASSERT_EQ(challenged.header.statusCode(), 407);
        auth->update(challenged.header);
        ASSERT_TRUE(auth->isValid());

        HTTPMessage authenticate = HTTPMessage::request("GET", url);
        ASSERT_TRUE(auth->apply(authenticate, who, proxy));
        auto last = stream(authenticate, proxy, route.connection);
        auto let = runStream(last);
        ASSERT_TRUE(let.ended) << let.error.description.toStdString();
        EXPECT_TRUE(last->isOnReusedConnection());
        EXPECT_EQ(let.header.statusCode(), 200);
        EXPECT_EQ(let.body, "Hello from nginx\n");
        last->close();
    }
}

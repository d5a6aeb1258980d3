#include "StreamTestRunner.h"

#include "LocalServers.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

class ProxyStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    }
    static QString plainUrl() { return QStringLiteral("http://127.0.0.1:%1/hello.txt").arg(LocalServers::shared().nginxPort()); }
    static QString tlsUrl() { return QStringLiteral("https://127.0.0.1:%1/hello.txt").arg(LocalServers::shared().nginxTLSPort()); }
    static std::shared_ptr<HTTPReadStream> through(const QString& url, ProxySettings::Type type, int port,
        const QString& proxyAuthorization = QString())
    {
        HTTPMessage m = HTTPMessage::request("GET", QUrl(url));
        if (!proxyAuthorization.isEmpty())
            m.setHeaderField("Proxy-Authorization", proxyAuthorization);
        auto s = HTTPReadStream::create(m);
        ProxySettings proxy;
        proxy.type = type;
        proxy.host = QStringLiteral("127.0.0.1");
        proxy.port = port;
        s->setProxy(proxy);
        TLSSettings tls;
        tls.validatesCertificateChain = false;
        s->setTLSSettings(tls);
        return s;
    }
    static QString basic() { return "Basic " + (LocalServers::userName() + ":" + LocalServers::password()).toUtf8().toBase64(); }
};

} // namespace

TEST_F(ProxyStream, SquidCarriesPlainRequestsAndTunnels)
{
    const QString problem = LocalServers::shared().startSquid();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    const int port = LocalServers::shared().squidPort();

    auto plain = runStream(through(plainUrl(), ProxySettings::Type::HTTP, port));
    ASSERT_TRUE(plain.ended) << plain.error.description.toStdString();
    EXPECT_EQ(plain.header.statusCode(), 200);
    EXPECT_EQ(plain.body, "Hello from nginx\n");
    EXPECT_TRUE(plain.header.headerFields().contains("Via"));

    auto tunnel = runStream(through(tlsUrl(), ProxySettings::Type::HTTPS, port));
    ASSERT_TRUE(tunnel.ended) << tunnel.error.description.toStdString();
    EXPECT_EQ(tunnel.body, "Hello from nginx\n");
    // Inside the tunnel nginx answers directly.
    EXPECT_FALSE(tunnel.header.headerFields().contains("Via"));
}

TEST_F(ProxyStream, SquidAskingForCredentialsAnswersEvenACONNECT)
{
    const QString problem = LocalServers::shared().startSquid();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    const int port = LocalServers::shared().squidAuthPort();

    auto tunnelRefused = runStream(through(tlsUrl(), ProxySettings::Type::HTTPS, port));
    ASSERT_TRUE(tunnelRefused.ended) << tunnelRefused.error.description.toStdString();
    EXPECT_EQ(tunnelRefused.header.statusCode(), 407);
    const QStringList offered = tunnelRefused.header.headerFields().values("Proxy-Authenticate");
    EXPECT_TRUE(offered.filter("Basic").size() == 1) << offered.join(" | ").toStdString();
    EXPECT_TRUE(offered.filter("Digest").size() == 1);
    EXPECT_TRUE(offered.filter("NTLM").size() == 1);

    auto plainRefused = runStream(through(plainUrl(), ProxySettings::Type::HTTP, port));
    EXPECT_EQ(plainRefused.header.statusCode(), 407);

    auto tunnel = runStream(through(tlsUrl(), ProxySettings::Type::HTTPS, port, basic()));
    ASSERT_TRUE(tunnel.ended) << tunnel.error.description.toStdString();
    EXPECT_EQ(tunnel.header.statusCode(), 200);
    EXPECT_EQ(tunnel.body, "Hello from nginx\n");

    auto plain = runStream(through(plainUrl(), ProxySettings::Type::HTTP, port, basic()));
    EXPECT_EQ(plain.header.statusCode(), 200);

    auto wrong = runStream(through(plainUrl(), ProxySettings::Type::HTTP, port, "Basic " + QByteArray("velumo:wrong").toBase64()));
    EXPECT_EQ(wrong.header.statusCode(), 407);
}

TEST_F(ProxyStream, DanteCarriesPlainAndTLS)
{
    const QString problem = LocalServers::shared().startDante();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    const int port = LocalServers::shared().dantePort();
    for (const QString& url : { plainUrl(), tlsUrl() }) {
        SCOPED_TRACE(url.toStdString());
        auto got = runStream(through(url, ProxySettings::Type::SOCKS, port));
        ASSERT_TRUE(got.ended) << got.error.description.toStdString();
        EXPECT_EQ(got.body, "Hello from nginx\n");
    }
}

TEST_F(ProxyStream, ProxyOfTheOtherSchemeIsNotUsed)
{
    // An HTTP proxy port that nothing listens on is ignored for an https URL.
    auto direct = runStream(through(tlsUrl(), ProxySettings::Type::HTTP, LocalServers::freePort()));
    EXPECT_TRUE(direct.ended) << direct.error.description.toStdString();
}

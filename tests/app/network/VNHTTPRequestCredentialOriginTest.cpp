// Credentials stay with the origin (scheme, host, port) they were given for
// or learned from, and proxy credentials with their proxy. Two scripted
// servers on different ports are two origins; each records every request
// head it received, so what crossed over is read from the servers' side.
#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"
#include "VNSessionCredentialsStore.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QString User = QStringLiteral("alice");
const QString Password = QStringLiteral("only-for-a");

QByteArray basic(const QString& user, const QString& password)
{
    return "Basic " + (user + u':' + password).toUtf8().toBase64();
}

class CredentialOrigin : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearProxyEnvironment();
        VNSessionCredentialsStore::shared().clearServers();
        for (ScriptedHTTPServer* s : { &a, &b }) {
            // 200 for the right Basic pair, else a Basic challenge.
            s->setScript(QStringLiteral("/secret"), [](ScriptedHTTPServer::Exchange& e) {
                if (e.field("Authorization") == basic(User, Password))
                    return e.send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
                return e.send("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"here\"\r\nContent-Length: 0\r\n\r\n");
            });
            s->setScript(QStringLiteral("/open"), [](ScriptedHTTPServer::Exchange& e) {
                return e.send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nopen");
            });
            s->setScript(QStringLiteral("/proxy-challenge"), [](ScriptedHTTPServer::Exchange& e) {
                return e.send("HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"p\"\r\n"
                              "Content-Length: 4\r\n\r\nmine");
            });
        }
    }
    void TearDown() override { VNSessionCredentialsStore::shared().clearServers(); }

    // A redirect on server from to the path on server to.
    static void redirectFrom(ScriptedHTTPServer& from, const QString& path, const QString& target)
    {
        from.setScript(path, [target](ScriptedHTTPServer::Exchange& e) {
            return e.send("HTTP/1.1 302 Found\r\nLocation: " + target.toUtf8() + "\r\nContent-Length: 0\r\n\r\n");
        });
    }

    static int headsWith(const ScriptedHTTPServer& s, const QByteArray& field)
    {
        int n = 0;
        for (const QByteArray& head : s.requestHeads())
            n += head.toLower().contains("\n" + field.toLower() + ":");
        return n;
    }

    static std::shared_ptr<VNHTTPRequest> run(const QString& url, const std::function<void(VNHTTPRequest&)>& setUp)
    {
        auto r = VNHTTPRequest::requestWithURL(QUrl(url));
        setUp(r.operator*());
        r->startSynchronous();
        return r;
    }

    ScriptedHTTPServer a, b;
};

} // namespace

TEST_F(CredentialOrigin, ARedirectToAnotherOriginLeavesTheRequestsCredentialsBehind)
{
    redirectFrom(a, QStringLiteral("/go"), b.url(QStringLiteral("/secret")));
    // Answering B's challenge, and sent before any challenge.
    for (const bool beforeChallenge : { false, true }) {
        auto r = run(a.url(QStringLiteral("/go")), [&](VNHTTPRequest& r) {
            r.setUsername(User);
            r.setPassword(Password);
            if (beforeChallenge)
                r.setAuthenticationScheme(QStringLiteral("Basic"));
        });
        ASSERT_TRUE(r->error()) << beforeChallenge;
        EXPECT_EQ(r->error()->code, VNHTTPRequest::AuthenticationErrorType) << beforeChallenge;
        EXPECT_EQ(headsWith(b, "Authorization"), 0) << beforeChallenge;
        // A had them, since it is their origin, only when sent unasked.
        EXPECT_EQ(headsWith(a, "Authorization"), beforeChallenge ? 1 : 0);
    }
}

TEST_F(CredentialOrigin, FromHTTPSToPlainHTTPThePasswordDoesNotCrossInClear)
{
    // A speaks TLS with the test certificate (self-signed, so the request
    // is told not to check it); B is plain HTTP.
    const QString nginx = LocalServers::shared().startNginx();
    ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    const QString certificate = LocalServers::shared().certificateFile();
    ScriptedHTTPServer secure;
    ASSERT_TRUE(secure.enableTLS(certificate, QFileInfo(certificate).dir().filePath(QStringLiteral("key.pem"))));
    redirectFrom(secure, QStringLiteral("/go"), b.url(QStringLiteral("/secret")));
    for (const bool beforeChallenge : { false, true }) {
        auto r = run(secure.url(QStringLiteral("/go")), [&](VNHTTPRequest& r) {
            r.setValidatesSecureCertificate(false);
            r.setUsername(User);
            r.setPassword(Password);
            if (beforeChallenge)
                r.setAuthenticationScheme(QStringLiteral("Basic"));
        });
        ASSERT_TRUE(r->error()) << beforeChallenge;
        EXPECT_EQ(r->error()->code, VNHTTPRequest::AuthenticationErrorType) << r->error()->message.toStdString();
        EXPECT_EQ(headsWith(b, "Authorization"), 0) << beforeChallenge;
        EXPECT_EQ(b.requestHeads().size(), beforeChallenge ? 2 : 1);
    }
    EXPECT_EQ(secure.requestHeads().size(), 2);
}

TEST_F(CredentialOrigin, CredentialsSentToOneOriginAreNotStoredForTheNext)
{
    redirectFrom(a, QStringLiteral("/go"), b.url(QStringLiteral("/open")));
    auto first = run(a.url(QStringLiteral("/go")), [&](VNHTTPRequest& r) {
        r.setUsername(User);
        r.setPassword(Password);
        r.setAuthenticationScheme(QStringLiteral("Basic"));
    });
    ASSERT_FALSE(first->error()) << first->error()->message.toStdString();
    EXPECT_EQ(first->responseData(), QByteArray("open"));
    for (const auto& entry : VNSessionCredentialsStore::shared().serverEntries())
        EXPECT_NE(entry.url.port(), b.port()) << entry.url.toString().toStdString();

    // A later request to B with nothing of its own sends nothing.
    auto later = run(b.url(QStringLiteral("/open")), [](VNHTTPRequest&) {});
    ASSERT_FALSE(later->error());
    EXPECT_EQ(headsWith(b, "Authorization"), 0);
}

TEST_F(CredentialOrigin, AServersOwn407GetsNoProxyCredentials)
{
    auto r = run(a.url(QStringLiteral("/proxy-challenge")), [](VNHTTPRequest& r) {
        r.setProxyUsername(User);
        r.setProxyPassword(Password);
    });
    ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
    EXPECT_EQ(r->responseStatusCode(), 407);
    EXPECT_EQ(r->responseData(), QByteArray("mine"));
    EXPECT_EQ(headsWith(a, "Proxy-Authorization"), 0);
    EXPECT_EQ(a.requestHeads().size(), 1);
}

TEST_F(CredentialOrigin, ARedirectWithinTheOriginStillAuthenticates)
{
    redirectFrom(a, QStringLiteral("/go"), QStringLiteral("/secret"));
    for (const bool beforeChallenge : { false, true }) {
        auto r = run(a.url(QStringLiteral("/go")), [&](VNHTTPRequest& r) {
            r.setUsername(User);
            r.setPassword(Password);
            r.setUseSessionPersistence(false);
            if (beforeChallenge)
                r.setAuthenticationScheme(QStringLiteral("Basic"));
        });
        ASSERT_FALSE(r->error()) << beforeChallenge << ": " << r->error()->message.toStdString();
        EXPECT_EQ(r->responseStatusCode(), 200);
        EXPECT_EQ(r->responseData(), QByteArray("ok"));
    }
    EXPECT_EQ(headsWith(b, "Authorization"), 0);
}

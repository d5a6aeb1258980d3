#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"
#include "VNSessionCredentialsStore.h"

#include "platform/network/HTTPCredentialStorage.h"
#include "platform/network/SharedConnections.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using platform::HTTPCredential;

namespace {

const QString Right = LocalServers::password();
const QString Wrong = QStringLiteral("not-the-password");

// Answers a request's call for credentials as told, recording what it saw.
class AnsweringDelegate : public RecordingDelegate {
public:
    enum class Answer { Retry, Cancel };

    bool handlesAuthentication() const override { return true; }
    void authenticationNeededForRequest(VNHTTPRequest& request) override { answer(request, false); }
    void proxyAuthenticationNeededForRequest(VNHTTPRequest& request) override { answer(request, true); }

    Answer reply = Answer::Retry;
    std::atomic<int> asked { 0 };
    std::atomic<int> askedForProxy { 0 };
    std::atomic<bool> askedOnMainThread { true };
    // Session entries holding the wrong password when the question came.
    std::atomic<int> wrongEntriesWhenAsked { 0 };

private:
    void answer(VNHTTPRequest& request, bool proxy)
    {
        ++(proxy ? askedForProxy : asked);
        if (!platform::MainThread::isCurrent())
            askedOnMainThread = false;
        for (const auto& e : VNSessionCredentialsStore::shared().serverEntries())
            wrongEntriesWhenAsked += e.credentials && e.credentials->password == Wrong;
        for (const auto& e : VNSessionCredentialsStore::shared().proxyEntries())
            wrongEntriesWhenAsked += e.credentials && e.credentials->password == Wrong;
        if (reply == Answer::Cancel) {
            request.cancelAuthentication();
            return;
        }
        if (proxy)
            request.setProxyPassword(Right);
        else
            request.setPassword(Right);
        // From another thread, as a delegate may.
        std::thread([&request] { request.retryUsingSuppliedCredentials(); }).join();
    }
};

int sessionEntriesWithPassword(const QString& password)
{
    int n = 0;
    for (const auto& e : VNSessionCredentialsStore::shared().serverEntries())
        n += e.credentials && e.credentials->password == password;
    for (const auto& e : VNSessionCredentialsStore::shared().proxyEntries())
        n += e.credentials && e.credentials->password == password;
    return n;
}

class HTTPRequestAuthentication : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearProxyEnvironment();
        resetSessionStores();
        // A connection an earlier test left authenticated (a proxy tunnel,
        // an NTLM connection) would answer without the challenge these
        // tests are about.
        platform::SharedConnections::shared().closeAll();
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    }
    void TearDown() override
    {
        clearProxyEnvironment();
        resetSessionStores();
    }
    static void resetSessionStores()
    {
        VNSessionCredentialsStore& store = VNSessionCredentialsStore::shared();
        store.clearServers();
        for (const auto& e : store.proxyEntries())
            store.removeProxyCredentials(e.credentials);
    }

    static QString nginxURL(const QString& path, const QString& userInfo = QString())
    {
        const QString prefix = userInfo.isEmpty() ? QString() : userInfo + u'@';
        return QStringLiteral("http://") + prefix
            + QStringLiteral("127.0.0.1:%1%2").arg(LocalServers::shared().nginxPort()).arg(path);
    }
    static QString nginxTLSURL(const QString& path)
    {
        return QStringLiteral("https://127.0.0.1:%1%2").arg(LocalServers::shared().nginxTLSPort()).arg(path);
    }

    // Runs the request on the network thread and waits for its one outcome.
    static void run(const std::shared_ptr<VNHTTPRequest>& request, const std::shared_ptr<RecordingDelegate>& delegate)
    {
        request->setDelegate(delegate);
        request->startAsynchronous();
        ASSERT_TRUE(waitUntil([&] { return delegate->ended(); })) << request->url().toString().toStdString();
        drainMainThread();
    }

    ScriptedHTTPServer server;
};

} // namespace

TEST_F(HTTPRequestAuthentication, CredentialsInTheURLGetInAndTheNextPathSendsThemFirst)
{
    QFile other(LocalServers::shared().nginxDocumentRoot() + QStringLiteral("/private/other.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("other secret\n");
    other.close();
    other.setPermissions(other.permissions() | QFile::ReadOther | QFile::ReadGroup);

    auto first = VNHTTPRequest::requestWithURL(QUrl(nginxURL("/private/secret.txt", "velumo:" + Right)));
    auto delegate = std::make_shared<AnsweringDelegate>();
    run(first, delegate);
    ASSERT_FALSE(first->error()) << first->error()->message.toStdString();
    EXPECT_EQ(delegate->events().last(), "finished");
    EXPECT_EQ(first->responseStatusCode(), 200);
    EXPECT_EQ(first->responseData(), "the secret\n");
    EXPECT_EQ(first->authenticationScheme(), "Basic");
    EXPECT_EQ(first->authenticationRealm(), "Velumo test");
    EXPECT_EQ(first->authenticationRetryCount(), 1);
    EXPECT_EQ(delegate->asked, 0);
    ASSERT_TRUE(first->requestCredentials());
    EXPECT_EQ(first->requestCredentials()->user, "velumo");

    // Same host, scheme and port, another path: the session's credentials
    // go out with the first request, so no challenge is answered.
    auto second = VNHTTPRequest::requestWithURL(QUrl(nginxURL("/private/other.txt")));
    auto secondDelegate = std::make_shared<AnsweringDelegate>();
    run(second, secondDelegate);
    EXPECT_EQ(secondDelegate->events().last(), "finished");
    EXPECT_EQ(second->responseData(), "other secret\n");
    EXPECT_EQ(second->authenticationRetryCount(), 0);
    EXPECT_EQ(secondDelegate->asked, 0);
}

TEST_F(HTTPRequestAuthentication, SessionCredentialsGoOutBeforeAnyChallenge)
{
    // What the server is sent, seen from its side: a close match (same
    // origin, another path; not the entry for another port), the Basic
    // pair given with the scheme named, or nothing when told so.
    const auto pair = [](const char* user, const char* password) {
        return std::make_shared<const HTTPCredential>(HTTPCredential { user, password, QString() });
    };
    const auto basic = [](const char* pair) { return QStringLiteral("Basic ") + QString::fromLatin1(QByteArray(pair).toBase64()); };
    VNHTTPRequest::storeAuthenticationCredentialsInSessionStore({ nullptr, pair("eve", "pw0"),
        QUrl(QStringLiteral("http://127.0.0.1:%1/echo").arg(LocalServers::freePort())), QStringLiteral("Basic"), QString() });
    VNHTTPRequest::storeAuthenticationCredentialsInSessionStore(
        { nullptr, pair("ann", "pw1"), QUrl(server.url("/somewhere/else")), QStringLiteral("Basic"), QString() });
    struct Case {
        const char* name;
        std::function<void(VNHTTPRequest&)> setUp;
        QString url;
        QString expected;
    };
    const Case cases[] = {
        { "session entry", [](VNHTTPRequest&) {}, server.url("/echo"), basic("ann:pw1") },
        { "own Basic pair",
            [](VNHTTPRequest& r) {
                r.setUsername("bob");
                r.setPassword("pw2");
                r.setAuthenticationScheme("Basic");
            },
            server.url("/echo"), basic("bob:pw2") },
        { "not before a challenge",
            [](VNHTTPRequest& r) { r.setShouldPresentCredentialsBeforeChallenge(false); }, server.url("/echo"), QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = VNHTTPRequest::requestWithURL(QUrl(c.url));
        c.setUp(*r);
        r->startSynchronous();
        ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
        EXPECT_EQ(EchoedRequest::parse(r->responseData()).fields.value("authorization"), c.expected);
    }
    // The pair that got through is kept for the session.
    bool kept = false;
    for (const auto& e : VNSessionCredentialsStore::shared().serverEntries())
        kept = kept || (e.credentials && e.credentials->user == "bob" && !e.authentication && e.authenticationScheme == "Basic");
    EXPECT_TRUE(kept);

    // Clearing the session forgets the servers' credentials, not the proxies'.
    VNHTTPRequest::storeProxyAuthenticationCredentialsInSessionStore(
        { nullptr, pair("pat", "pw3"), QStringLiteral("127.0.0.1"), 3128, QStringLiteral("Basic") });
    VNHTTPRequest::clearSession();
    EXPECT_TRUE(VNSessionCredentialsStore::shared().serverEntries().isEmpty());
    EXPECT_EQ(VNSessionCredentialsStore::shared().proxyEntries().size(), 1);
}

TEST_F(HTTPRequestAuthentication, ARefusedPasswordIsForgottenThenTheDelegateIsAskedOrTheRequestFails)
{
    struct Case {
        const char* name;
        bool withDelegate;
        AnsweringDelegate::Answer reply;
        bool synchronous;
        bool fromSession; // the wrong pair comes from the session store, not the request
        int expectedError; // 0: finished
    };
    const Case cases[] = {
        { "delegate retries", true, AnsweringDelegate::Answer::Retry, false, false, 0 },
        { "delegate retries, refused pair from the session", true, AnsweringDelegate::Answer::Retry, false, true, 0 },
        { "delegate cancels", true, AnsweringDelegate::Answer::Cancel, false, false, 3 },
        { "no one to ask", false, AnsweringDelegate::Answer::Retry, false, false, 3 },
        { "synchronous requests ask no one", true, AnsweringDelegate::Answer::Retry, true, false, 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetSessionStores();
        auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL("/private/secret.txt")));
        if (c.fromSession) {
            VNHTTPRequest::storeAuthenticationCredentialsInSessionStore({ nullptr,
                std::make_shared<const HTTPCredential>(HTTPCredential { "velumo", Wrong, QString() }),
                QUrl(nginxURL("/private/")), QStringLiteral("Basic"), QString() });
            r->setUsername("velumo"); // the delegate fills in the password
        } else {
            r->setUsername("velumo");
            r->setPassword(Wrong);
        }
        auto delegate = c.withDelegate ? std::make_shared<AnsweringDelegate>() : nullptr;
        auto recorder = delegate ? std::static_pointer_cast<RecordingDelegate>(delegate) : std::make_shared<RecordingDelegate>();
        if (delegate)
            delegate->reply = c.reply;
        if (c.synchronous) {
            r->setDelegate(recorder);
            r->startSynchronous();
            drainMainThread();
        } else {
            run(r, recorder);
        }
        if (c.expectedError == 0) {
            EXPECT_FALSE(r->error()) << r->error()->message.toStdString();
            EXPECT_EQ(r->responseData(), "the secret\n");
        } else {
            ASSERT_TRUE(r->error());
            EXPECT_EQ(r->error()->code, c.expectedError);
            EXPECT_EQ(r->error()->message, "Authentication needed");
        }
        EXPECT_TRUE(r->isFinished());
        EXPECT_EQ(recorder->count("finished") + recorder->count("failed"), 1);
        if (delegate) {
            EXPECT_EQ(delegate->asked, c.synchronous ? 0 : 1);
            EXPECT_TRUE(delegate->askedOnMainThread);
            EXPECT_EQ(delegate->wrongEntriesWhenAsked, 0);
        }
        EXPECT_EQ(sessionEntriesWithPassword(Wrong), 0);
        EXPECT_EQ(sessionEntriesWithPassword(Right), c.expectedError == 0 ? 1 : 0);
    }
}

TEST_F(HTTPRequestAuthentication, TheBlockIsAskedWhenTheDelegateDoesNotAnswer)
{
    auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL("/private/secret.txt")));
    r->setUsername("velumo");
    std::atomic<int> asked { 0 };
    std::weak_ptr<VNHTTPRequest> weak = r;
    r->setAuthenticationNeededBlock([&asked, weak] {
        ++asked;
        if (auto request = weak.lock()) {
            request->setPassword(Right);
            request->retryUsingSuppliedCredentials();
        }
    });
    auto delegate = std::make_shared<RecordingDelegate>();
    run(r, delegate);
    EXPECT_EQ(delegate->events().last(), "finished");
    EXPECT_EQ(asked, 1);
}

TEST_F(HTTPRequestAuthentication, ARequestWaitingForCredentialsCanBeCancelled)
{
    auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL("/private/secret.txt")));
    std::atomic<int> asked { 0 };
    r->setAuthenticationNeededBlock([&asked] { ++asked; });
    auto delegate = std::make_shared<RecordingDelegate>();
    r->setDelegate(delegate);
    r->startAsynchronous();
    ASSERT_TRUE(waitUntil([&] { return asked == 1; }));
    EXPECT_FALSE(delegate->ended());
    r->cancel();
    ASSERT_TRUE(waitUntil([&] { return delegate->ended(); }));
    EXPECT_EQ(r->error()->code, 4);
    EXPECT_TRUE(waitUntil([&] { return r->isFinished(); }));
}

TEST_F(HTTPRequestAuthentication, ChallengesThatCannotBeAnsweredFailWithCode7)
{
    auto bare = VNHTTPRequest::requestWithURL(QUrl(server.url("/no-challenge")));
    bare->setUsername("velumo");
    bare->setPassword(Right);
    auto delegate = std::make_shared<AnsweringDelegate>();
    run(bare, delegate);
    ASSERT_TRUE(bare->error());
    EXPECT_EQ(bare->error()->code, 7);
    EXPECT_EQ(bare->error()->message, "Failed to get authentication object from response headers");
    EXPECT_EQ(delegate->asked, 0);

    // A pair the challenge cannot carry (no user name).
    auto nameless = VNHTTPRequest::requestWithURL(QUrl(nginxURL("/private/secret.txt")));
    nameless->setUsername(QStringLiteral(""));
    nameless->setPassword(Right);
    nameless->startSynchronous();
    ASSERT_TRUE(nameless->error());
    EXPECT_EQ(nameless->error()->code, 7);
    EXPECT_EQ(nameless->error()->message, "Failed to apply credentials to request");
    EXPECT_EQ(sessionEntriesWithPassword(Right), 0);
}

TEST_F(HTTPRequestAuthentication, DigestAnswersTheScriptedServer)
{
    struct Case {
        const char* kind;
        int applications; // a stale nonce takes a second answer
    };
    for (const Case c : { Case { "auth", 1 }, Case { "legacy", 1 }, Case { "stale", 2 } }) {
        SCOPED_TRACE(c.kind);
        resetSessionStores();
        auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/digest/%1/a%20file?x=1").arg(c.kind))));
        r->setUsername(QString::fromLatin1(ScriptedHTTPServer::digestUser()));
        r->setPassword(QString::fromLatin1(ScriptedHTTPServer::digestPassword()));
        auto delegate = std::make_shared<AnsweringDelegate>();
        run(r, delegate);
        ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
        EXPECT_EQ(r->responseData(), "digest ok");
        EXPECT_EQ(r->authenticationScheme(), "Digest");
        EXPECT_EQ(r->authenticationRealm(), QString::fromLatin1(ScriptedHTTPServer::digestRealm()));
        EXPECT_EQ(r->authenticationRetryCount(), c.applications);
    }
    // A wrong password is refused and, with no one to ask, fails.
    auto wrong = VNHTTPRequest::requestWithURL(QUrl(server.url("/digest/auth/x")));
    wrong->setUsername(QString::fromLatin1(ScriptedHTTPServer::digestUser()));
    wrong->setPassword(Wrong);
    wrong->startSynchronous();
    ASSERT_TRUE(wrong->error());
    EXPECT_EQ(wrong->error()->code, 3);
}

TEST_F(HTTPRequestAuthentication, PermanentCredentialsGoOnlyToTheUsersOwnFile)
{
    const QString file = platform::HTTPCredentialStorage::shared().filePath();
    auto r = VNHTTPRequest::requestWithURL(QUrl(nginxURL("/private/secret.txt")));
    r->setUsername("velumo");
    r->setPassword(Right);
    r->setUseKeychainPersistence(true);
    r->startSynchronous();
    ASSERT_FALSE(r->error());
    ASSERT_TRUE(QFileInfo::exists(file));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const auto saved = VNHTTPRequest::savedCredentialsForHost("127.0.0.1", LocalServers::shared().nginxPort(), "http", "Velumo test");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->password, Right);

    // A later request with nothing of its own finds them there.
    resetSessionStores();
    auto later = VNHTTPRequest::requestWithURL(QUrl(nginxURL("/private/secret.txt")));
    later->setUseKeychainPersistence(true);
    later->startSynchronous();
    EXPECT_FALSE(later->error());
    EXPECT_EQ(later->responseData(), "the secret\n");
    VNHTTPRequest::removeCredentialsForHost("127.0.0.1", LocalServers::shared().nginxPort(), "http", "Velumo test");
    EXPECT_FALSE(VNHTTPRequest::savedCredentialsForHost("127.0.0.1", LocalServers::shared().nginxPort(), "http", "Velumo test"));
}

// ---- proxies ----

namespace {

class ProxyAuthentication : public HTTPRequestAuthentication {
protected:
    int squidFor(const QString& scheme)
    {
        const QString problem = LocalServers::shared().startSquidForScheme(scheme);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        return LocalServers::shared().squidSchemePort(scheme);
    }
    std::shared_ptr<VNHTTPRequest> throughProxy(const QString& url, int port)
    {
        auto r = VNHTTPRequest::requestWithURL(QUrl(url));
        r->setProxyHost(QStringLiteral("127.0.0.1"));
        r->setProxyPort(port);
        r->setValidatesSecureCertificate(false);
        return r;
    }
};

} // namespace

TEST_F(ProxyAuthentication, SquidLetsEachSchemeThroughForPlainRequestsAndTunnels)
{
    for (const QString& scheme : { QStringLiteral("basic"), QStringLiteral("digest"), QStringLiteral("ntlm") }) {
        const int port = squidFor(scheme);
        ASSERT_NE(port, 0);
        for (const bool tunnel : { false, true }) {
            SCOPED_TRACE(scheme.toStdString() + (tunnel ? " tunnel" : " plain"));
            resetSessionStores();
            const QString url = tunnel ? nginxTLSURL("/hello.txt") : nginxURL("/hello.txt");
            auto r = throughProxy(url, port);
            r->setProxyUsername(LocalServers::userName());
            r->setProxyPassword(Right);
            auto delegate = std::make_shared<AnsweringDelegate>();
            run(r, delegate);
            ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
            EXPECT_EQ(r->responseStatusCode(), 200);
            EXPECT_EQ(r->responseData(), "Hello from nginx\n");
            EXPECT_EQ(r->proxyAuthenticationScheme().toLower(), scheme);
            EXPECT_EQ(delegate->askedForProxy, 0);
            ASSERT_TRUE(r->proxyCredentials());

            // A later request through the same proxy sends what worked
            // before the proxy asks (NTLM's belongs to its connection).
            if (scheme != QStringLiteral("ntlm")) {
                auto later = throughProxy(url, port);
                later->startSynchronous();
                ASSERT_FALSE(later->error()) << later->error()->message.toStdString();
                EXPECT_EQ(later->responseData(), "Hello from nginx\n");
                EXPECT_EQ(later->proxyAuthenticationRetryCount(), 0);
            }
        }
    }
}

TEST_F(ProxyAuthentication, AWrongProxyPasswordIsForgottenAndTheDelegateRetries)
{
    const int port = squidFor(QStringLiteral("basic"));
    ASSERT_NE(port, 0);
    for (const bool tunnel : { false, true }) {
        SCOPED_TRACE(tunnel ? "tunnel" : "plain");
        resetSessionStores();
        auto r = throughProxy(tunnel ? nginxTLSURL("/hello.txt") : nginxURL("/hello.txt"), port);
        r->setProxyUsername(LocalServers::userName());
        r->setProxyPassword(Wrong);
        auto delegate = std::make_shared<AnsweringDelegate>();
        run(r, delegate);
        ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
        EXPECT_EQ(r->responseData(), "Hello from nginx\n");
        EXPECT_EQ(delegate->askedForProxy, 1);
        EXPECT_EQ(delegate->wrongEntriesWhenAsked, 0);
        EXPECT_EQ(sessionEntriesWithPassword(Wrong), 0);

        auto alone = throughProxy(tunnel ? nginxTLSURL("/hello.txt") : nginxURL("/hello.txt"), port);
        resetSessionStores();
        // A fresh connection, so a tunnel kept open from above is not used.
        alone->setShouldAttemptPersistentConnection(false);
        alone->setProxyUsername(LocalServers::userName());
        alone->setProxyPassword(Wrong);
        alone->startSynchronous();
        ASSERT_TRUE(alone->error());
        EXPECT_EQ(alone->error()->code, 3);
        EXPECT_EQ(sessionEntriesWithPassword(Wrong), 0);
    }
}

TEST_F(ProxyAuthentication, NTLMKeepsItsConnectionEvenForARequestThatWouldNot)
{
    const int port = squidFor(QStringLiteral("ntlm"));
    ASSERT_NE(port, 0);
    for (const bool tunnel : { false, true }) {
        SCOPED_TRACE(tunnel ? "tunnel" : "plain");
        auto r = throughProxy(tunnel ? nginxTLSURL("/hello.txt") : nginxURL("/hello.txt"), port);
        r->setShouldAttemptPersistentConnection(false);
        r->addRequestHeader(QStringLiteral("Connection"), QStringLiteral("close"));
        // For NTLM the server's pair serves the proxy too, and a
        // "DOMAIN\user" name gives the domain.
        r->setUsername(QStringLiteral("VELUMO\\") + LocalServers::userName());
        r->setPassword(Right);
        auto delegate = std::make_shared<AnsweringDelegate>();
        run(r, delegate);
        ASSERT_FALSE(r->error()) << r->error()->message.toStdString();
        EXPECT_EQ(r->responseData(), "Hello from nginx\n");
        EXPECT_EQ(r->proxyAuthenticationScheme(), "NTLM");
        EXPECT_EQ(r->proxyAuthenticationRetryCount(), 2);
        ASSERT_TRUE(r->proxyCredentials());
        EXPECT_EQ(r->proxyCredentials()->domain, "VELUMO");
        EXPECT_EQ(r->proxyCredentials()->user, LocalServers::userName());
    }
}

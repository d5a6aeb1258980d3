#include "StreamTestRunner.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"

#include "platform/network/MainThread.h"
#include "platform/network/NetworkThread.h"
#include "platform/network/SharedConnections.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

using namespace platform;

namespace {

std::shared_ptr<HTTPReadStream> get(const QString& url, const QString& method = "GET")
{
    return HTTPReadStream::create(HTTPMessage::request(method, QUrl(url)));
}

TLSSettings unverified()
{
    TLSSettings tls;
    tls.validatesCertificateChain = false;
    return tls;
}

class NginxStream : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        const QString problem = LocalServers::shared().startNginx();
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    }
    bool tls() const { return GetParam(); }
    QString url(const QString& path) const
    {
        auto& s = LocalServers::shared();
        return tls() ? QStringLiteral("https://127.0.0.1:%1%2").arg(s.nginxTLSPort()).arg(path)
                     : QStringLiteral("http://127.0.0.1:%1%2").arg(s.nginxPort()).arg(path);
    }
    std::shared_ptr<HTTPReadStream> stream(const HTTPMessage& m)
    {
        auto s = HTTPReadStream::create(m);
        if (tls())
            s->setTLSSettings(unverified());
        return s;
    }
};

} // namespace

TEST_P(NginxStream, GetHeadPostAndChunked)
{
    auto got = runStream(stream(HTTPMessage::request("GET", QUrl(url("/hello.txt")))));
    ASSERT_TRUE(got.ended) << got.error.description.toStdString();
    EXPECT_EQ(got.header.statusCode(), 200);
    EXPECT_EQ(got.body, "Hello from nginx\n");
    EXPECT_EQ(got.header.headerField("content-length"), "17");

    auto head = runStream(stream(HTTPMessage::request("HEAD", QUrl(url("/hello.txt")))));
    ASSERT_TRUE(head.ended);
    EXPECT_EQ(head.header.statusCode(), 200);
    EXPECT_EQ(head.header.headerField("Content-Length"), "17");
    EXPECT_TRUE(head.body.isEmpty());

    HTTPMessage post = HTTPMessage::request("POST", QUrl(url("/post")));
    post.setBody("a=1&b=2");
    auto postStream = stream(post);
    auto posted = runStream(postStream);
    ASSERT_TRUE(posted.ended);
    EXPECT_EQ(posted.header.statusCode(), 200);
    EXPECT_EQ(posted.body, "posted\n");
    EXPECT_EQ(postStream->requestBytesWritten(), 7);

    // A directory listing has no length in advance: nginx sends it chunked.
    auto listing = runStream(stream(HTTPMessage::request("GET", QUrl(url("/list/")))));
    ASSERT_TRUE(listing.ended);
    EXPECT_EQ(listing.header.headerField("Transfer-Encoding"), "chunked");
    EXPECT_TRUE(listing.body.contains("file4.txt"));
    EXPECT_TRUE(listing.body.trimmed().endsWith("</html>"));

    // Gzip is compressed on the fly, so chunked too; the stream leaves the
    // content coding alone.
    HTTPMessage zipped = HTTPMessage::request("GET", QUrl(url("/big.txt")));
    zipped.setHeaderField("Accept-Encoding", "gzip");
    auto gz = runStream(stream(zipped));
    ASSERT_TRUE(gz.ended);
    EXPECT_EQ(gz.header.headerField("Content-Encoding"), "gzip");
    EXPECT_TRUE(gz.body.startsWith("\x1f\x8b"));
}

TEST_P(NginxStream, StatusAnswersArriveAsResponses)
{
    auto denied = runStream(stream(HTTPMessage::request("GET", QUrl(url("/private/secret.txt")))));
    ASSERT_TRUE(denied.ended);
    EXPECT_EQ(denied.header.statusCode(), 401);
    EXPECT_TRUE(denied.header.headerField("WWW-Authenticate").startsWith("Basic"));

    HTTPMessage withCredentials = HTTPMessage::request("GET", QUrl(url("/private/secret.txt")));
    withCredentials.setHeaderField("Authorization",
        "Basic " + (LocalServers::userName() + ":" + LocalServers::password()).toUtf8().toBase64());
    auto allowed = runStream(stream(withCredentials));
    EXPECT_EQ(allowed.header.statusCode(), 200);
    EXPECT_EQ(allowed.body, "the secret\n");

    // The stream does not follow redirects; that is its client's business.
    auto redirect = runStream(stream(HTTPMessage::request("GET", QUrl(url("/redirect/1")))));
    EXPECT_EQ(redirect.header.statusCode(), 302);
    EXPECT_TRUE(redirect.header.headerField("Location").endsWith("/redirect/2"));
}

TEST_P(NginxStream, StreamsWithOneIdentifierShareTheirConnection)
{
    const quint64 id = 7001 + (tls() ? 1 : 0);
    auto first = stream(HTTPMessage::request("GET", QUrl(url("/hello.txt"))));
    first->setPersistentConnection(true);
    first->setConnectionID(id);
    ASSERT_TRUE(runStream(first).ended);
    EXPECT_FALSE(first->isOnReusedConnection());
    EXPECT_TRUE(SharedConnections::shared().hasIdleConnection(id));

    auto second = stream(HTTPMessage::request("GET", QUrl(url("/hello.txt"))));
    second->setPersistentConnection(true);
    second->setConnectionID(id);
    auto again = runStream(second);
    ASSERT_TRUE(again.ended);
    EXPECT_TRUE(second->isOnReusedConnection());
    EXPECT_EQ(again.body, "Hello from nginx\n");
    // Closing the old stream leaves the connection to the new one.
    first->close();
    EXPECT_TRUE(SharedConnections::shared().hasIdleConnection(id));
    second->close();
    EXPECT_FALSE(SharedConnections::shared().hasIdleConnection(id));
}

INSTANTIATE_TEST_SUITE_P(PlainAndTLS, NginxStream, ::testing::Values(false, true),
    [](const auto& info) { return info.param ? "TLS" : "Plain"; });

TEST(HTTPReadStreamTLS, CertificateChecks)
{
    const QString problem = LocalServers::shared().startNginx();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    const QString url = QStringLiteral("https://127.0.0.1:%1/hello.txt").arg(LocalServers::shared().nginxTLSPort());

    // Verification is on by default: a self-signed certificate fails.
    auto refused = runStream(get(url));
    ASSERT_TRUE(refused.failed);
    EXPECT_TRUE(refused.error.isSecurityProblem()) << refused.error.description.toStdString();
    EXPECT_EQ(refused.error.code, NetworkError::CertificateChainInvalid);

    // Trusting the certificate lets it pass, and only for the name it carries.
    const QByteArray previous = qgetenv("SSL_CERT_FILE");
    qputenv("SSL_CERT_FILE", LocalServers::shared().certificateFile().toLocal8Bit());
    auto trusted = runStream(get(url));
    EXPECT_TRUE(trusted.ended) << trusted.error.description.toStdString();
    EXPECT_EQ(trusted.body, "Hello from nginx\n");

    auto other = get(url);
    TLSSettings otherName;
    otherName.peerName = QStringLiteral("someone-else.invalid");
    other->setTLSSettings(otherName);
    auto mismatch = runStream(other);
    ASSERT_TRUE(mismatch.failed);
    EXPECT_EQ(mismatch.error.code, NetworkError::CertificateNameMismatch);
    if (previous.isNull())
        qunsetenv("SSL_CERT_FILE");
    else
        qputenv("SSL_CERT_FILE", previous);

    // A relaxed root check alone is enough for a self-signed certificate.
    auto anyRoot = get(url);
    TLSSettings relaxed;
    relaxed.allowsAnyRoot = true;
    anyRoot->setTLSSettings(relaxed);
    EXPECT_TRUE(runStream(anyRoot).ended);

    // Plain HTTP spoken to a TLS port is a malformed answer, not a hang.
    auto plain = runStream(get(QStringLiteral("http://127.0.0.1:%1/hello.txt").arg(LocalServers::shared().nginxTLSPort())));
    EXPECT_TRUE(plain.ended || plain.failed);
}

TEST(HTTPReadStreamScripted, ReusedConnectionTheServerClosedIsConnectionLost)
{
    ScriptedHTTPServer server;
    const quint64 id = 7101;
    auto first = get(server.url("/close-after"));
    first->setPersistentConnection(true);
    first->setConnectionID(id);
    auto answered = runStream(first);
    ASSERT_TRUE(answered.ended);
    EXPECT_EQ(answered.body, "bye");
    ASSERT_TRUE(SharedConnections::shared().hasIdleConnection(id));
    QDeadlineTimer deadline(30000);
    while (server.closedConnections() < 1 && !deadline.hasExpired())
        QThread::msleep(5);
    ASSERT_EQ(server.closedConnections(), 1);

    auto second = get(server.url("/hello"));
    second->setPersistentConnection(true);
    second->setConnectionID(id);
    auto lost = runStream(second);
    EXPECT_TRUE(second->isOnReusedConnection());
    ASSERT_TRUE(lost.failed);
    EXPECT_TRUE(lost.error.isConnectionLost()) << lost.error.domain.toStdString() << " " << lost.error.code;
    EXPECT_EQ(lost.error.code, NetworkError::ConnectionLost);
}

TEST(HTTPReadStreamScripted, ScriptedAnswers)
{
    ScriptedHTTPServer server;
    struct Case {
        const char* path;
        bool ends;
        int status;
        QByteArray body;
        int errorCode;
    };
    const Case cases[] = {
        { "/truncate", false, 200, QByteArray(40, 'x'), NetworkError::BodyCutShort },
        { "/truncate-chunked", false, 200, "hello", NetworkError::BodyCutShort },
        { "/drip", true, 200, "0123456789", 0 },
        { "/corrupt-gzip", true, 200, "this is not gzip at all", 0 },
        { "/range", true, 200, "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuv", 0 },
        { "/huge-header", false, 0, "", NetworkError::HeaderTooLarge },
        { "/missing", true, 404, "no such script", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto outcome = runStream(get(server.url(c.path)));
        EXPECT_FALSE(outcome.timedOut);
        EXPECT_EQ(outcome.ended, c.ends);
        EXPECT_EQ(outcome.failed, !c.ends);
        if (c.status) {
            EXPECT_EQ(outcome.header.statusCode(), c.status);
        }
        EXPECT_EQ(outcome.body, c.body);
        EXPECT_EQ(outcome.error.code, c.errorCode);
    }

    HTTPMessage range = HTTPMessage::request("GET", QUrl(server.url("/range")));
    range.setHeaderField("Range", "bytes=98-");
    auto partial = runStream(HTTPReadStream::create(range));
    EXPECT_EQ(partial.header.statusCode(), 206);
    EXPECT_EQ(partial.header.headerField("Content-Range"), "bytes 98-99/100");
    EXPECT_EQ(partial.body, "uv");
    range.setHeaderField("Range", "bytes=100-");
    EXPECT_EQ(runStream(HTTPReadStream::create(range)).header.statusCode(), 416);

    auto keepAlive = runStream(get(server.url("/keepalive?h=timeout%3D15%2C%20max%3D5")));
    EXPECT_EQ(keepAlive.header.headerField("Keep-Alive"), "timeout=15, max=5");
}

TEST(HTTPReadStreamScripted, BodyFromASourceGoesOutChunkedAndIsCounted)
{
    ScriptedHTTPServer server;
    QByteArray payload;
    for (int i = 0; i < 20000; ++i)
        payload += char('A' + i % 26);
    qint64 offset = 0;
    auto stream = HTTPReadStream::create(HTTPMessage::request("PUT", QUrl(server.url("/echo"))),
        [&](char* buffer, qint64 max) {
            const qint64 n = std::min<qint64>(max, std::min<qint64>(7000, payload.size() - offset));
            std::memcpy(buffer, payload.constData() + offset, size_t(n));
            offset += n;
            return n;
        });
    auto echoed = runStream(stream);
    ASSERT_TRUE(echoed.ended);
    EXPECT_TRUE(echoed.body.startsWith("PUT /echo HTTP/1.1\r\n"));
    EXPECT_TRUE(echoed.body.contains("Transfer-Encoding: chunked"));
    EXPECT_TRUE(echoed.body.endsWith("\r\n\r\n" + payload));
    EXPECT_EQ(stream->requestBytesWritten(), payload.size());

    // A failing body source fails the stream rather than sending a short body.
    auto broken = HTTPReadStream::create(HTTPMessage::request("PUT", QUrl(server.url("/echo"))),
        [](char*, qint64) { return qint64(-1); });
    auto failed = runStream(broken);
    ASSERT_TRUE(failed.failed);
    EXPECT_EQ(failed.error.code, NetworkError::RequestBodyFailed);
}

TEST(HTTPReadStreamScripted, RefusedConnectionAndBadRequests)
{
    // A port nobody listens on (taken and released at once).
    const int port = LocalServers::freePort();
    auto refused = runStream(get(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
    ASSERT_TRUE(refused.failed);
    EXPECT_EQ(refused.error.domain, NetworkError::PosixDomain);
    EXPECT_EQ(refused.error.code, ECONNREFUSED);

    EXPECT_FALSE(get("ftp://127.0.0.1/file")->open());
    EXPECT_FALSE(get("http://127.0.0.1/", "GET /x HTTP/1.1\r\nHost")->open());
}

TEST(HTTPReadStreamScripted, EventsFollowTheModesTheStreamIsScheduledIn)
{
    ScriptedHTTPServer server;
    RunLoop& loop = RunLoop::current();
    const QString first = QStringLiteral("FirstStreamMode"), second = QStringLiteral("SecondStreamMode");
    auto stream = get(server.url("/drip"));
    int byteEvents = 0;
    bool ended = false;
    QByteArray body;
    stream->setClient(HTTPReadStream::HasBytesAvailable | HTTPReadStream::EndEncountered | HTTPReadStream::ErrorOccurred,
        [&](HTTPReadStream& s, HTTPReadStream::Event event) {
            if (event == HTTPReadStream::HasBytesAvailable) {
                ++byteEvents;
                body += s.read(100);
            }
            ended = ended || event == HTTPReadStream::EndEncountered;
        });
    stream->schedule(loop, first);
    ASSERT_TRUE(stream->open());
    stream->unschedule(loop, first);
    stream->schedule(loop, second);
    // The first mode has nothing left to serve.
    EXPECT_EQ(loop.runMode(first, std::chrono::seconds(5), true), RunLoop::RunResult::Finished);
    EXPECT_EQ(byteEvents, 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!ended && std::chrono::steady_clock::now() < until)
        loop.runMode(second, std::chrono::milliseconds(200), true);
    ASSERT_TRUE(ended);
    EXPECT_EQ(body, "0123456789");
    // The bytes came one at a time, each announced as it came.
    EXPECT_GT(byteEvents, 1);
    EXPECT_EQ(stream->status(), HTTPReadStream::Status::AtEnd);
}

TEST(HTTPReadStreamScripted, ClosedStreamReportsNothingMore)
{
    ScriptedHTTPServer server;
    RunLoop& loop = RunLoop::current();
    const QString mode = QStringLiteral("CloseTestMode");
    for (const char* path : { "/silent", "/drip" }) {
        SCOPED_TRACE(path);
        auto stream = get(server.url(path));
        int events = 0;
        stream->setClient(HTTPReadStream::HasBytesAvailable | HTTPReadStream::EndEncountered | HTTPReadStream::ErrorOccurred,
            [&](HTTPReadStream& s, HTTPReadStream::Event) {
                ++events;
                s.close(); // a client may close from inside its callback
            });
        stream->schedule(loop, mode);
        const int accepted = server.acceptedConnections();
        ASSERT_TRUE(stream->open());
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        const bool silent = QByteArray(path) == "/silent";
        while ((silent ? server.acceptedConnections() == accepted : events == 0) && std::chrono::steady_clock::now() < until)
            loop.runMode(mode, std::chrono::milliseconds(100), true);
        if (silent)
            stream->close();
        EXPECT_EQ(events, silent ? 0 : 1);
        EXPECT_EQ(stream->status(), HTTPReadStream::Status::Closed);
        // Nothing of the stream is left in the mode.
        EXPECT_EQ(loop.runMode(mode, std::chrono::seconds(5), false), RunLoop::RunResult::Finished);
        EXPECT_EQ(events, silent ? 0 : 1);
    }
}

TEST(HTTPReadStreamTLS, ClientCertificateOpensTheDoor)
{
    auto& servers = LocalServers::shared();
    const QString problem = servers.startNginx();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    const QString url = QStringLiteral("https://127.0.0.1:%1/hello.txt").arg(servers.nginxClientCertificatePort());

    auto anonymous = get(url);
    anonymous->setTLSSettings(unverified());
    auto refused = runStream(anonymous);
    ASSERT_TRUE(refused.ended) << refused.error.description.toStdString();
    EXPECT_EQ(refused.header.statusCode(), 400);

    auto identified = get(url);
    TLSSettings tls = unverified();
    tls.clientCertificateChainFile = servers.clientCertificateFile();
    tls.clientPrivateKeyFile = servers.clientKeyFile();
    identified->setTLSSettings(tls);
    auto admitted = runStream(identified);
    ASSERT_TRUE(admitted.ended) << admitted.error.description.toStdString();
    EXPECT_EQ(admitted.header.statusCode(), 200);
    EXPECT_EQ(admitted.body, "Hello from nginx\n");

    // A key that does not belong to the certificate is refused before anything is sent.
    auto mismatched = get(url);
    tls.clientPrivateKeyFile = servers.certificateFile().replace("cert.pem", "key.pem");
    mismatched->setTLSSettings(tls);
    auto bad = runStream(mismatched);
    ASSERT_TRUE(bad.failed);
    EXPECT_EQ(bad.error.code, NetworkError::ClientCertificateFailed);
}

TEST(HTTPReadStreamScripted, StreamOnTheNetworkThreadReportsToTheMainThread)
{
    ScriptedHTTPServer server;
    NetworkThread& network = NetworkThread::shared();
    std::shared_ptr<HTTPReadStream> stream;
    QByteArray body;
    bool endedOnMain = false;
    bool eventsOnNetworkThread = true;
    network.perform([&] {
        stream = get(server.url("/drip"));
        stream->setClient(HTTPReadStream::HasBytesAvailable | HTTPReadStream::EndEncountered,
            [&](HTTPReadStream& s, HTTPReadStream::Event event) {
                eventsOnNetworkThread = eventsOnNetworkThread && network.isCurrent();
                if (event == HTTPReadStream::HasBytesAvailable) {
                    const QByteArray part = s.read(100);
                    MainThread::perform([&, part] { body += part; });
                } else {
                    MainThread::perform([&] { endedOnMain = MainThread::isCurrent(); });
                }
            });
        stream->schedule(network.runLoop(), RunLoop::defaultMode);
        stream->open();
    });
    QDeadlineTimer deadline(60000);
    while (!endedOnMain && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(endedOnMain);
    EXPECT_TRUE(eventsOnNetworkThread);
    EXPECT_EQ(body, "0123456789");
    network.perform([&] { stream.reset(); }, true);
}

TEST(HTTPReadStreamNginx, ConnectionPastTheServersKeepAliveIsLost)
{
    auto& servers = LocalServers::shared();
    const QString problem = servers.startNginx();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    const QString url = QStringLiteral("http://127.0.0.1:%1/hello.txt").arg(servers.nginxShortKeepAlivePort());
    const quint64 id = 7201;
    auto first = get(url);
    first->setPersistentConnection(true);
    first->setConnectionID(id);
    ASSERT_TRUE(runStream(first).ended);
    ASSERT_TRUE(SharedConnections::shared().hasIdleConnection(id));

    // A second connection, opened later and idle as long, is closed by the
    // server after ours: once it is gone, ours is too.
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(servers.nginxShortKeepAlivePort()));
    ASSERT_EQ(::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const QByteArray request = "GET /hello.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    ASSERT_EQ(::send(probe, request.constData(), size_t(request.size()), MSG_NOSIGNAL), request.size());
    bool closedByServer = false;
    for (int round = 0; round < 300 && !closedByServer; ++round) {
        pollfd p { probe, POLLIN, 0 };
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buffer[4096];
        closedByServer = ::recv(probe, buffer, sizeof buffer, 0) <= 0;
    }
    ::close(probe);
    ASSERT_TRUE(closedByServer);

    auto second = get(url);
    second->setPersistentConnection(true);
    second->setConnectionID(id);
    auto lost = runStream(second);
    EXPECT_TRUE(second->isOnReusedConnection());
    ASSERT_TRUE(lost.failed);
    EXPECT_TRUE(lost.error.isConnectionLost()) << lost.error.description.toStdString();
}

// Servers built to hurt: each case ends the request with a clear error
// within a bound of memory and time that no honest answer comes near.
// The servers count what they sent themselves, so a bound is checked
// against their figures, not the client's.
#include "RequestTestSupport.h"

#include "LocalServers.h"
#include "ScriptedHTTPServer.h"

#include "platform/network/NetworkError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zlib.h>

#include <atomic>
#include <thread>

using platform::NetworkError;
using namespace std::chrono_literals;

namespace {

constexpr qint64 MiB = 1 << 20;

// The gzip form of data, made by zlib itself.
QByteArray gzip(const QByteArray& data)
{
    z_stream z {};
    deflateInit2(&z, 9, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))) + 64, Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

// Text that compresses as text does (a few times, not a thousand).
QByteArray prose(qint64 size)
{
    QByteArray out;
    out.reserve(size);
    quint32 x = 12345;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        out += "word" + QByteArray::number(x % 5000) + (x % 7 == 0 ? ".\n" : " ");
    }
    out.truncate(size);
    return out;
}

class HostileServer : public ::testing::Test {
protected:
    void SetUp() override { clearProxyEnvironment(); }

    // Sends the head, then the piece again and again until the client
    // goes or the total is reached; answers what went out.
    static qint64 flood(const ScriptedHTTPServer::Exchange& exchange, const QByteArray& head, const QByteArray& piece,
        qint64 total)
    {
        if (!exchange.send(head))
            return 0;
        qint64 sent = 0;
        while (sent < total && exchange.send(piece))
            sent += piece.size();
        return sent;
    }

    std::shared_ptr<VNHTTPRequest> run(const QString& path, const std::function<void(VNHTTPRequest&)>& setUp = {})
    {
        auto r = VNHTTPRequest::requestWithURL(QUrl(server.url(path)));
        if (setUp)
            setUp(*r);
        r->startSynchronous();
        return r;
    }

    static void expectStreamFailure(const VNHTTPRequest& r, int networkCode)
    {
        const auto error = r.error();
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain, QString::fromLatin1(VNHTTPRequestErrorDomain));
        EXPECT_EQ(error->code, VNHTTPRequest::ConnectionFailureErrorType) << error->message.toStdString();
        ASSERT_TRUE(error->underlyingError);
        EXPECT_EQ(error->underlyingError->domain, NetworkError::NetworkDomain);
        EXPECT_EQ(error->underlyingError->code, networkCode) << error->underlyingError->message.toStdString();
        EXPECT_FALSE(error->underlyingError->message.isEmpty());
    }

    ScriptedHTTPServer server;
    QTemporaryDir dir;
};

} // namespace

TEST_F(HostileServer, OversizedBodiesFailWithoutBeingHeldInMemory)
{
    EXPECT_EQ(VNHTTPRequest::requestWithURL(QUrl(server.url(QStringLiteral("/hello"))))->maxResponseBodySize(),
        quint64(256 * MiB));

    std::atomic<qint64> sent { 0 };
    server.setScript(QStringLiteral("/announced"), [&](ScriptedHTTPServer::Exchange& e) {
        sent = flood(e, "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(768 * MiB) + "\r\n\r\n",
            QByteArray(64 * 1024, 'a'), 768 * MiB);
        return false;
    });
    server.setScript(QStringLiteral("/chunked"), [&](ScriptedHTTPServer::Exchange& e) {
        const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, 'c') + "\r\n";
        sent = flood(e, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", chunk, 768 * MiB);
        return false;
    });
    server.setScript(QStringLiteral("/until-close"), [&](ScriptedHTTPServer::Exchange& e) {
        sent = flood(e, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", QByteArray(64 * 1024, 'e'), 768 * MiB);
        return false;
    });
    for (const char* path : { "/announced", "/chunked", "/until-close" }) {
        sent = 0;
        auto r = run(QString::fromLatin1(path), [](VNHTTPRequest& r) { r.setMaxResponseBodySize(quint64(4 * MiB)); });
        expectStreamFailure(*r, NetworkError::ResponseTooLarge);
        EXPECT_TRUE(r->responseData().isEmpty()) << path;
        // What the server got out before the client left: the limit plus
        // what the sockets' buffers hold, nowhere near the 768 MiB offered.
        ASSERT_TRUE(waitUntil([&] { return sent.load() > 0; })) << path;
        EXPECT_LT(sent.load(), 64 * MiB) << path;
    }
}

TEST_F(HostileServer, TheBodyLimitBoundsMemoryNotFilesOrListeners)
{
    const QByteArray body(3 * MiB, 'f');
    server.setScript(QStringLiteral("/big"), [&](ScriptedHTTPServer::Exchange& e) {
        return e.send("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    });
    const QString path = dir.filePath(QStringLiteral("big.bin"));
    auto toFile = run(QStringLiteral("/big"), [&](VNHTTPRequest& r) {
        r.setMaxResponseBodySize(quint64(MiB));
        r.setDownloadDestinationPath(path);
    });
    ASSERT_FALSE(toFile->error()) << toFile->error()->message.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), body);

    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->takeData = true;
    auto toListener = run(QStringLiteral("/big"), [&](VNHTTPRequest& r) {
        r.setMaxResponseBodySize(quint64(MiB));
        r.setDelegate(delegate);
    });
    ASSERT_FALSE(toListener->error()) << toListener->error()->message.toStdString();
    drainMainThread();
    EXPECT_EQ(delegate->received, body);

    // Exactly at the limit is still accepted.
    auto atLimit = run(QStringLiteral("/big"), [&](VNHTTPRequest& r) { r.setMaxResponseBodySize(quint64(body.size())); });
    ASSERT_FALSE(atLimit->error()) << atLimit->error()->message.toStdString();
    EXPECT_EQ(atLimit->responseData(), body);
}

TEST_F(HostileServer, AGzipBombFailsEveryWayItIsInflated)
{
    const QByteArray bomb = gzip(QByteArray(48 * MiB, '\0'));
    ASSERT_LT(bomb.size(), 200 * 1024);
    const QByteArray text = prose(6 * MiB);
    const QByteArray packedText = gzip(text);
    const auto serve = [](const QByteArray& body) {
        return [body](ScriptedHTTPServer::Exchange& e) {
            return e.send("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " + QByteArray::number(body.size())
                + "\r\n\r\n" + body);
        };
    };
    server.setScript(QStringLiteral("/bomb"), serve(bomb));
    server.setScript(QStringLiteral("/text"), serve(packedText));

    const struct {
        const char* name;
        bool inflateWhileReading;
        bool toFile;
    } ways[] = {
        { "in memory, at the end", false, false },
        { "in memory, while reading", true, false },
        { "to a file, at the end", false, true },
        { "to a file, while reading", true, true },
    };
    for (const auto& way : ways) {
        const QString path = dir.filePath(QStringLiteral("out-") + QString::number(int(way.toFile)) + QString::number(int(way.inflateWhileReading)));
        const auto setUp = [&](VNHTTPRequest& r) {
            r.setShouldWaitToInflateCompressedResponses(!way.inflateWhileReading);
            if (way.toFile)
                r.setDownloadDestinationPath(path);
        };
        auto bombed = run(QStringLiteral("/bomb"), setUp);
        ASSERT_TRUE(bombed->error()) << way.name;
        EXPECT_EQ(bombed->error()->code, VNHTTPRequest::CompressionError) << way.name;
        EXPECT_TRUE(bombed->error()->message.contains(QStringLiteral("times the input"))) << way.name << ": "
                                                                                          << bombed->error()->message.toStdString();
        EXPECT_TRUE(bombed->responseData().isEmpty()) << way.name;

        // An honest answer of the same size class inflates whole.
        auto honest = run(QStringLiteral("/text"), setUp);
        ASSERT_FALSE(honest->error()) << way.name << ": " << honest->error()->message.toStdString();
        if (way.toFile) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << way.name;
            EXPECT_TRUE(file.readAll() == text) << way.name;
        } else {
            EXPECT_TRUE(honest->responseData() == text) << way.name;
            EXPECT_TRUE(honest->responseData() == text) << way.name;
        }
    }

    // In memory the body limit holds for what inflates, whatever the ratio.
    for (const bool whileReading : { false, true }) {
        auto r = run(QStringLiteral("/text"), [&](VNHTTPRequest& r) {
            r.setShouldWaitToInflateCompressedResponses(!whileReading);
            r.setMaxResponseBodySize(quint64(4 * MiB));
        });
        ASSERT_TRUE(r->error()) << whileReading;
        EXPECT_EQ(r->error()->code, VNHTTPRequest::CompressionError) << whileReading;
        EXPECT_TRUE(r->error()->message.contains(QString::number(4 * MiB))) << r->error()->message.toStdString();
    }
}

TEST_F(HostileServer, EndlessChunkLinesAndTrailersFailAtTheLimit)
{
    std::atomic<qint64> sent { 0 };
    // A chunk extension that never ends, and a trailer field that never ends.
    server.setScript(QStringLiteral("/extension"), [&](ScriptedHTTPServer::Exchange& e) {
        sent = flood(e, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;ext=", QByteArray(64 * 1024, 'x'), 1024 * MiB);
        return false;
    });
    server.setScript(QStringLiteral("/trailer"), [&](ScriptedHTTPServer::Exchange& e) {
        sent = flood(e, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\nX-Trailer: ",
            QByteArray(64 * 1024, 't'), 1024 * MiB);
        return false;
    });
    server.setScript(QStringLiteral("/many-trailers"), [&](ScriptedHTTPServer::Exchange& e) {
        sent = flood(e, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n",
            QByteArray("X-T: 1\r\n").repeated(4096), 1024 * MiB);
        return false;
    });
    const struct {
        const char* path;
        int code;
    } cases[] = {
        { "/extension", NetworkError::ChunkLineTooLarge },
        { "/trailer", NetworkError::TrailerTooLarge },
        { "/many-trailers", NetworkError::TrailerTooLarge },
    };
    for (const auto& c : cases) {
        sent = 0;
        auto r = run(QString::fromLatin1(c.path));
        expectStreamFailure(*r, c.code);
        ASSERT_TRUE(waitUntil([&] { return sent.load() > 0; })) << c.path;
        EXPECT_LT(sent.load(), 64 * MiB) << c.path;
    }
}

TEST_F(HostileServer, ACutMidHeaderAndASelfSignedCertificateFailClearly)
{
    server.setScript(QStringLiteral("/cut"), [](ScriptedHTTPServer::Exchange& e) {
        e.send("HTTP/1.1 200 OK\r\nContent-Len");
        return false;
    });
    auto cut = run(QStringLiteral("/cut"));
    expectStreamFailure(*cut, NetworkError::BadServerResponse);

    const QString nginx = LocalServers::shared().startNginx();
    ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    auto tls = VNHTTPRequest::requestWithURL(
        QUrl(QStringLiteral("https://127.0.0.1:%1/hello.txt").arg(LocalServers::shared().nginxTLSPort())));
    tls->startSynchronous();
    ASSERT_TRUE(tls->error());
    EXPECT_EQ(tls->error()->code, VNHTTPRequest::ConnectionFailureErrorType);
    EXPECT_TRUE(tls->error()->message.contains(QStringLiteral("SSL problem"))) << tls->error()->message.toStdString();
    ASSERT_TRUE(tls->error()->underlyingError);
    EXPECT_EQ(tls->error()->underlyingError->domain, NetworkError::SecurityDomain);
}

// The request's clock is the test's: a server "second" passes when the
// server says so, however fast or slow the machine runs.
class HostileServerClock : public HostileServer {
protected:
    using Clock = VNHTTPRequest::Clock;
    void SetUp() override
    {
        HostileServer::SetUp();
        fake->store(Clock::now().time_since_epoch().count());
        VNHTTPRequest::setTimeSource([fake = fake] { return Clock::time_point(Clock::duration(fake->load())); });
    }
    void TearDown() override { VNHTTPRequest::setTimeSource(nullptr); }
    // Moves the request's clock on; scripts hold it by value, so one that
    // runs on after the test body cannot reach a fixture that is gone.
    static void advance(const std::shared_ptr<std::atomic<Clock::rep>>& clock, std::chrono::milliseconds by)
    {
        *clock += std::chrono::duration_cast<Clock::duration>(by).count();
    }

    std::shared_ptr<std::atomic<Clock::rep>> fake = std::make_shared<std::atomic<Clock::rep>>(0);
};

TEST_F(HostileServerClock, ADripFailsWithTheTimeOutButASlowHonestBodyCompletes)
{
    auto sent = std::make_shared<std::atomic<qint64>>(0);
    // One byte a second: never idle long enough for the time-out.
    server.setScript(QStringLiteral("/drip"), [sent, clock = fake](ScriptedHTTPServer::Exchange& e) {
        if (!e.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n"))
            return false;
        for (int i = 0; i < 100000 && e.send("d"); ++i) {
            ++*sent;
            advance(clock, 1000ms);
            std::this_thread::sleep_for(2ms);
        }
        return false;
    });
    // Two hundred bytes a second, for over three minutes.
    const QByteArray slow = prose(40000);
    server.setScript(QStringLiteral("/slow"), [slow, clock = fake](ScriptedHTTPServer::Exchange& e) {
        if (!e.send("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(slow.size()) + "\r\n\r\n"))
            return false;
        for (qsizetype at = 0; at < slow.size(); at += 200) {
            if (!e.send(slow.mid(at, 200)))
                return false;
            advance(clock, 1000ms);
            std::this_thread::sleep_for(2ms);
        }
        return true;
    });

    // Only the rate can end it: the inactivity time-out is far off.
    auto drip = run(QStringLiteral("/drip"), [](VNHTTPRequest& r) { r.setTimeOutSeconds(3600); });
    ASSERT_TRUE(drip->error());
    EXPECT_EQ(drip->error()->code, VNHTTPRequest::RequestTimedOutErrorType);
    // It went within a stretch or two of the server's clock.
    EXPECT_GE(sent->load(), qint64(VNHTTPRequest::SlowTransferStretch.count()));
    EXPECT_LT(sent->load(), 100000);

    // (A long time-out: a loaded machine may read late while the server's
    // clock runs on, and idleness is not what this case is about.)
    auto honest = run(QStringLiteral("/slow"), [](VNHTTPRequest& r) { r.setTimeOutSeconds(3600); });
    ASSERT_FALSE(honest->error()) << honest->error()->message.toStdString();
    EXPECT_TRUE(honest->responseData() == slow);
}

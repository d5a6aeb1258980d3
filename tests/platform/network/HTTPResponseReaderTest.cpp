#include "platform/network/HTTPResponseReader.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

struct Dialogue {
    const char* name;
    QByteArray wire;
    bool closeAfter; // the server closes its side after the bytes
    HTTPResponseReader::RequestKind kind;
    // Expected:
    bool complete;
    int status;
    QByteArray body;
    QString errorDomain;
    int errorCode;
};

const QString Net = NetworkError::NetworkDomain;

constexpr qsizetype Limit = qsizetype(HTTPResponseReader::DefaultHeaderLimit);

// A header of exactly size bytes, blank line included.
QByteArray headerOfSize(qsizetype size, const QByteArray& fields)
{
    const QByteArray start = "HTTP/1.1 200 OK\r\n" + fields + "X-F: ";
    return start + QByteArray(size - start.size() - 4, 'f') + "\r\n\r\n";
}

// A chunk line (extension, CR LF included) of exactly size bytes for a 5-byte chunk.
QByteArray chunkLineOfSize(qsizetype size)
{
    return "5;e=" + QByteArray(size - 6, 'e') + "\r\n";
}

// The trailer section (fields and the blank line) of exactly size bytes.
QByteArray trailerOfSize(qsizetype size)
{
    return "X-T: " + QByteArray(size - 9, 't') + "\r\n\r\n";
}

const QByteArray Chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

std::vector<Dialogue> dialogues()
{
    using K = HTTPResponseReader::RequestKind;
    return {
        { "header at the limit", headerOfSize(Limit, "Content-Length: 2\r\n") + "ok", false, K::Normal, true, 200, "ok", {}, 0 },
        { "header one over the limit", headerOfSize(Limit + 1, "Content-Length: 2\r\n") + "ok", false, K::Normal, false, 0, "", Net, NetworkError::HeaderTooLarge },
        { "chunk line at the limit", Chunked + chunkLineOfSize(Limit) + "hello\r\n0\r\n\r\n", false, K::Normal, true, 200, "hello", {}, 0 },
        { "chunk line one over", Chunked + chunkLineOfSize(Limit + 1) + "hello\r\n0\r\n\r\n", false, K::Normal, false, 200, "", Net, NetworkError::ChunkLineTooLarge },
        { "chunk line that never ends", Chunked + "5;e=" + QByteArray(3 * Limit, 'e'), false, K::Normal, false, 200, "", Net, NetworkError::ChunkLineTooLarge },
        { "later chunk line one over", Chunked + "5\r\nhello\r\n" + chunkLineOfSize(Limit + 1) + "hello\r\n0\r\n\r\n", false, K::Normal, false, 200, "hello", Net, NetworkError::ChunkLineTooLarge },
        { "trailer at the limit", Chunked + "5\r\nhello\r\n0\r\n" + trailerOfSize(Limit), false, K::Normal, true, 200, "hello", {}, 0 },
        { "trailer one over", Chunked + "5\r\nhello\r\n0\r\n" + trailerOfSize(Limit + 1), false, K::Normal, false, 200, "hello", Net, NetworkError::TrailerTooLarge },
        { "trailer that never ends", Chunked + "5\r\nhello\r\n0\r\nX-T: " + QByteArray(3 * Limit, 't'), false, K::Normal, false, 200, "hello", Net, NetworkError::TrailerTooLarge },
        { "header that never ends", "HTTP/1.1 200 OK\r\nX-F: " + QByteArray(3 * Limit, 'f'), false, K::Normal, false, 0, "", Net, NetworkError::HeaderTooLarge },
        { "content-length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, K::Normal, true, 200, "hello", {}, 0 },
        { "chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", false, K::Normal, true, 200, "hello world", {}, 0 },
        { "close-delimited", "HTTP/1.1 200 OK\r\n\r\nuntil the end", true, K::Normal, true, 200, "until the end", {}, 0 },
        { "head ignores length", "HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n", false, K::Head, true, 200, "", {}, 0 },
        { "interim answer skipped", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 201 Created\r\nContent-Length: 2\r\n\r\nok", false, K::Normal, true, 201, "ok", {}, 0 },
        { "no body for 304", "HTTP/1.1 304 Not Modified\r\nContent-Length: 20\r\n\r\n", false, K::Normal, true, 304, "", {}, 0 },
        { "connect success has no body", "HTTP/1.1 200 Connection established\r\n\r\n", false, K::Connect, true, 200, "", {}, 0 },
        { "connect refusal has its body", "HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 3\r\n\r\nno!", false, K::Connect, true, 407, "no!", {}, 0 },
        { "length cut short", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", true, K::Normal, false, 200, "hello", Net, NetworkError::BodyCutShort },
        { "chunked cut short", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", true, K::Normal, false, 200, "hello", Net, NetworkError::BodyCutShort },
        { "nothing at all", "", true, K::Normal, false, 0, "", Net, NetworkError::ConnectionLost },
        { "header cut short", "HTTP/1.1 200 OK\r\nContent-", true, K::Normal, false, 0, "", Net, NetworkError::BadServerResponse },
        { "garbage", "SSH-2.0-Something\r\n\r\n", false, K::Normal, false, 0, "", Net, NetworkError::BadServerResponse },
        { "bad chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, K::Normal, false, 200, "", Net, NetworkError::BadServerResponse },
        { "header too large", "HTTP/1.1 200 OK\r\nX-Filler: " + QByteArray(70000, 'f') + "\r\n\r\n", false, K::Normal, false, 0, "", Net, NetworkError::HeaderTooLarge },
        { "newline inside field", "HTTP/1.1 200 OK\r\nX-A: a\rb\r\n\r\n", false, K::Normal, false, 0, "", Net, NetworkError::BadServerResponse },
    };
}

} // namespace

// However the bytes are split on the way, the verdict is the same.
TEST(HTTPResponseReader, DialoguesGiveOneVerdictHoweverTheBytesArrive)
{
    for (const Dialogue& d : dialogues()) {
        for (const qsizetype piece : { qsizetype(0), qsizetype(1), qsizetype(3), qsizetype(7), qsizetype(1000), qsizetype(4096),
                 Limit - 1, Limit + 5 }) {
            if (piece == 1 && d.wire.size() > 4 * Limit)
                continue; // byte by byte adds nothing here but time
            SCOPED_TRACE(std::string(d.name) + " in pieces of " + std::to_string(piece));
            HTTPResponseReader reader(d.kind);
            QByteArray body;
            const qsizetype step = piece == 0 ? std::max<qsizetype>(d.wire.size(), 1) : piece;
            for (qsizetype at = 0; at < d.wire.size(); at += step) {
                reader.feed(d.wire.constData() + at, std::size_t(std::min(step, d.wire.size() - at)));
                body += reader.takeBody(1 << 20);
            }
            if (d.closeAfter)
                reader.feedEnd();
            body += reader.takeBody(1 << 20);
            EXPECT_EQ(reader.isComplete(), d.complete);
            EXPECT_EQ(body, d.body);
            if (d.status) {
                EXPECT_EQ(reader.response().statusCode(), d.status);
            }
            EXPECT_EQ(reader.error().domain, d.errorDomain);
            EXPECT_EQ(reader.error().code, d.errorCode);
        }
    }
}

TEST(HTTPResponseReader, HeaderFieldsAndReuse)
{
    const QByteArray wire = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nSet-Cookie: a=1\r\n"
                            "Set-Cookie: b=2\r\nContent-Length: 2\r\n\r\nnoHTTP/1.1 200";
    HTTPResponseReader reader;
    reader.feed(wire.constData(), std::size_t(wire.size()));
    ASSERT_TRUE(reader.isComplete());
    const HTTPMessage& r = reader.response();
    EXPECT_EQ(r.statusLine(), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(r.version(), HTTPMessage::Version1_1);
    EXPECT_EQ(r.headerField("content-type"), "text/plain");
    EXPECT_EQ(r.headerFields().values("set-cookie"), (QStringList { "a=1", "b=2" }));
    // Bytes after the message make the connection unfit for another exchange.
    EXPECT_EQ(reader.leftover(), "HTTP/1.1 200");
    EXPECT_FALSE(reader.connectionReusable());

    HTTPResponseReader clean;
    const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
    clean.feed(ok.constData(), std::size_t(ok.size()));
    EXPECT_TRUE(clean.connectionReusable());

    HTTPResponseReader closing;
    const QByteArray closed = "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
    closing.feed(closed.constData(), std::size_t(closed.size()));
    EXPECT_TRUE(closing.isComplete());
    EXPECT_FALSE(closing.connectionReusable());

    HTTPResponseReader old;
    const QByteArray http10 = "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n";
    old.feed(http10.constData(), std::size_t(http10.size()));
    EXPECT_EQ(old.response().version(), HTTPMessage::Version1_0);
    EXPECT_FALSE(old.connectionReusable());
}

TEST(HTTPResponseReader, BytesAfterAnOpenedTunnelAreNotBody)
{
    // However the bytes are cut, what follows the proxy's 200 is the tunnel's.
    const QByteArray wire = "HTTP/1.1 200 Connection established\r\nContent-Length: 5\r\n\r\n\x16\x03\x01tls";
    for (qsizetype piece = 1; piece <= wire.size(); ++piece) {
        HTTPResponseReader reader(HTTPResponseReader::RequestKind::Connect);
        for (qsizetype at = 0; at < wire.size(); at += piece) {
            const QByteArray part = wire.mid(at, piece);
            reader.feed(part.constData(), std::size_t(part.size()));
        }
        ASSERT_TRUE(reader.isComplete()) << piece;
        EXPECT_EQ(reader.bodyBytesAvailable(), 0) << piece;
        EXPECT_EQ(reader.leftover(), "\x16\x03\x01tls") << piece;
    }
}

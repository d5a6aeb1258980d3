// Arbitrary bytes as a server's answer. The first byte picks the request
// kind (plain, HEAD, CONNECT), the piece size and whether the answer also
// goes through a real stream over a loopback connection; the rest is the
// answer. The last byte also sets the limit for the header, each chunk
// line and the trailer section (32 to 8192 bytes), so that small inputs
// reach the limits of chunk extensions and trailers as well as of the
// header. Fed whole and in pieces the reader must agree with itself, hold
// no more unparsed bytes than the limit and one piece, and the stream must
// end exactly when the reader says the answer is whole.
#include "platform/network/HTTPReadStream.h"
#include "platform/network/HTTPResponseReader.h"
#include "platform/network/RunLoop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>

using namespace platform;

namespace {

struct Result {
    bool complete;
    bool failed;
    int code;
    int status;
    QByteArray body;
};

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

Result readAnswer(HTTPResponseReader::RequestKind kind, const QByteArray& wire, qsizetype piece, std::size_t limit)
{
    HTTPResponseReader reader(kind, limit);
    QByteArray body;
    for (qsizetype at = 0; at < wire.size(); at += piece) {
        const QByteArray part = wire.mid(at, piece);
        reader.feed(part.constData(), std::size_t(part.size()));
        check(reader.heldBytes() <= qsizetype(2 * limit) + piece + 8, "more bytes held than the limits allow");
        body += reader.takeBody(1 << 20);
    }
    reader.feedEnd();
    body += reader.takeBody(qint64(1) << 40);
    return { reader.isComplete(), reader.hasFailed(), reader.error().code,
        reader.isHeaderComplete() ? reader.response().statusCode() : 0, body };
}

int listener()
{
    static const int fd = [] {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(s, 16);
        return s;
    }();
    return fd;
}

int listenerPort()
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    ::getsockname(listener(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

void throughStream(HTTPResponseReader::RequestKind kind, const QByteArray& wire, const Result& expected, std::size_t limit)
{
    const QString method = kind == HTTPResponseReader::RequestKind::Head ? QStringLiteral("HEAD") : QStringLiteral("GET");
    auto stream = HTTPReadStream::create(HTTPMessage::request(method,
        QUrl(QStringLiteral("http://127.0.0.1:%1/fuzz").arg(listenerPort()))));
    stream->setHeaderLimit(limit);
    bool ended = false, failed = false;
    QByteArray body;
    stream->setClient(HTTPReadStream::HasBytesAvailable | HTTPReadStream::ErrorOccurred | HTTPReadStream::EndEncountered,
        [&](HTTPReadStream& s, HTTPReadStream::Event event) {
            if (event == HTTPReadStream::HasBytesAvailable)
                body += s.read(1 << 20);
            ended = ended || event == HTTPReadStream::EndEncountered;
            failed = failed || event == HTTPReadStream::ErrorOccurred;
        });
    const QString mode = QStringLiteral("FuzzMode");
    RunLoop& loop = RunLoop::current();
    stream->schedule(loop, mode);
    stream->open();
    const int server = ::accept4(listener(), nullptr, nullptr, SOCK_CLOEXEC);
    check(server >= 0, "accept");
    qsizetype sent = 0;
    while (sent < wire.size()) {
        const ssize_t n = ::send(server, wire.constData() + sent, std::size_t(wire.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    ::shutdown(server, SHUT_WR);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ended && !failed && std::chrono::steady_clock::now() < until)
        loop.runMode(mode, std::chrono::milliseconds(100), true);
    ::close(server);
    check(ended || failed, "the stream reported neither end nor error");
    check(ended == expected.complete, "stream and reader disagree on completion");
    if (ended)
        check(body == expected.body, "stream and reader disagree on the body");
    stream->close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const auto kind = HTTPResponseReader::RequestKind((data[0] & 3) % 3);
    const qsizetype piece = 1 + ((data[0] >> 2) & 31);
    const QByteArray wire(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const std::size_t limit = 32 + std::size_t(data[size - 1]) * 32;

    const Result whole = readAnswer(kind, wire, wire.size() + 1, limit);
    const Result pieces = readAnswer(kind, wire, piece, limit);
    check(whole.complete == pieces.complete, "completion depends on how the bytes arrive");
    check(whole.failed == pieces.failed, "failure depends on how the bytes arrive");
    check(whole.code == pieces.code, "error depends on how the bytes arrive");
    check(whole.status == pieces.status, "status depends on how the bytes arrive");
    check(whole.body == pieces.body, "body depends on how the bytes arrive");
    check(!(whole.complete && whole.failed), "complete and failed at once");

    // A stream asks a server directly, so a CONNECT answer has no place there.
    if ((data[0] & 0x80) && kind != HTTPResponseReader::RequestKind::Connect)
        throughStream(kind, wire, whole, limit);
    return 0;
}

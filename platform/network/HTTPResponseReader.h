#pragma once

#include "HTTPMessage.h"
#include "NetworkError.h"

#include <QByteArray>

#include <memory>

namespace platform {

// The response side of an HTTP exchange: takes the bytes a server sends,
// as they come and in pieces of any size, and yields the response header
// and the body with any chunked framing removed. Interim 1xx answers are
// skipped. A header larger than the limit, a malformed message or a body
// that ends before its announced end is a failure, never a short success.
class HTTPResponseReader {
public:
    static constexpr std::size_t DefaultHeaderLimit = 64 * 1024;

    // A response to HEAD (or a successful one to CONNECT) has no body
    // whatever its header says.
    enum class RequestKind { Normal, Head, Connect };

    explicit HTTPResponseReader(RequestKind kind = RequestKind::Normal, std::size_t headerLimit = DefaultHeaderLimit);
    ~HTTPResponseReader();

    void feed(const char* data, std::size_t size);
    // The peer closed its side.
    void feedEnd();

    bool gotAnyBytes() const { return m_gotBytes; }
    bool isHeaderComplete() const { return m_response.isHeaderComplete(); }
    const HTTPMessage& response() const { return m_response; }

    qint64 bodyBytesAvailable() const { return m_body.size(); }
    QByteArray takeBody(qint64 maxLength);

    bool isComplete() const { return m_complete; }
    bool hasFailed() const { return !m_error.isNull(); }
    NetworkError error() const { return m_error; }
    // After completion: whether the connection can carry another exchange.
    bool connectionReusable() const { return m_complete && m_keepAlive && m_leftover.isEmpty(); }
    // Bytes that came after the end of the message.
    QByteArray leftover() const { return m_leftover; }

private:
    class Parser;
    void startParser();
    void parse();
    void fail(const NetworkError& error);

    friend class Parser;
    RequestKind m_kind;
    std::size_t m_headerLimit;
    std::unique_ptr<Parser> m_parser;
    QByteArray m_input;
    QByteArray m_body;
    QByteArray m_leftover;
    HTTPMessage m_response;
    bool m_gotBytes = false;
    bool m_complete = false;
    bool m_keepAlive = false;
    NetworkError m_error;
};

} // namespace platform

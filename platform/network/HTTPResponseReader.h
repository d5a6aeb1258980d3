#pragma once

#include "HTTPMessage.h"
#include "NetworkError.h"

#include <QByteArray>

#include <memory>

namespace platform {

// The response side of an HTTP exchange: takes the bytes a server sends,
// as they come and in pieces of any size, and yields the response header
// and the body with any chunked framing removed. Interim 1xx answers are
// skipped. A header larger than the limit, a chunk line or a trailer
// section larger than the same limit, a malformed message or a body that
// ends before its announced end is a failure, never a short success.
//
// Each element with a size of its own (the header, a chunk line, the last
// chunk with its trailer) is gathered whole before the parser sees it, and
// only up to the limit, so the bytes held are bounded and the verdict on
// an answer is the same however its bytes are split on the way.
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
    // Bytes received and not yet parsed: never more than the last chunk
    // line and the trailer section within their limits, plus the last
    // arrival.
    qsizetype heldBytes() const { return m_input.size(); }
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
    // Where the next bytes belong.
    enum class Stage { Header, Body, ChunkLine, ChunkData, Trailer };
    void startParser();
    void parse();
    bool parseHeader();
    bool parseChunkLine();
    bool parseTrailer();
    bool checkStatusLine();
    // Gives the parser the first length bytes held; answers how many it
    // took (its verdict stays with it).
    std::size_t put(qsizetype length);
    void failParse();
    void finish();
    void fail(const NetworkError& error);

    friend class Parser;
    RequestKind m_kind;
    std::size_t m_headerLimit;
    std::unique_ptr<Parser> m_parser;
    Stage m_stage = Stage::Header;
    // Unparsed bytes: at most one element being gathered (bounded by the
    // limit) plus what the last arrival brought.
    QByteArray m_input;
    // Where the search for the end of the element goes on.
    qsizetype m_scanFrom = 0;
    bool m_statusLineChecked = false;
    bool m_expectChunkCRLF = false;
    quint64 m_chunkLeft = 0;
    // Where the last chunk's line ends its size (its CR LF starts there).
    qsizetype m_trailerStart = 0;
    QByteArray m_body;
    QByteArray m_leftover;
    HTTPMessage m_response;
    bool m_gotBytes = false;
    bool m_complete = false;
    bool m_keepAlive = false;
    NetworkError m_error;
};

} // namespace platform

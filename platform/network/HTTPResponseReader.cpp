#include "HTTPResponseReader.h"

#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>

#include <limits>

namespace platform {

namespace http = boost::beast::http;
using boost::beast::error_code;
using boost::beast::string_view;

namespace {
constexpr char EndOfHeader[] = "\r\n\r\n";
}

class HTTPResponseReader::Parser : public http::basic_parser<false> {
public:
    explicit Parser(HTTPResponseReader& owner)
        : m_owner(owner)
    {
    }

    HTTPMessage header;
    error_code verdict;
    bool sawChunkHeader = false;
    std::uint64_t chunkSize = 0;

private:
    void on_request_impl(http::verb, string_view, string_view, int, error_code& ec) override
    {
        ec = http::error::bad_method;
    }

    void on_response_impl(int code, string_view reason, int version, error_code&) override
    {
        const QString v = version == 10 ? HTTPMessage::Version1_0 : HTTPMessage::Version1_1;
        const QString line = QStringLiteral("HTTP/%1.%2 %3 %4")
                                 .arg(version / 10)
                                 .arg(version % 10)
                                 .arg(code)
                                 .arg(QString::fromLatin1(reason.data(), int(reason.size())));
        header = HTTPMessage::response(code, line.trimmed(), v);
    }

    void on_field_impl(http::field, string_view name, string_view value, error_code&) override
    {
        // The parser has already refused CR, LF and NUL inside fields.
        header.addHeaderField(QString::fromLatin1(name.data(), int(name.size())),
            QString::fromLatin1(value.data(), int(value.size())));
    }

    void on_header_impl(error_code&) override { }

    void on_body_init_impl(boost::optional<std::uint64_t> const&, error_code&) override { }

    std::size_t on_body_impl(string_view body, error_code&) override
    {
        m_owner.m_body.append(body.data(), qsizetype(body.size()));
        return body.size();
    }

    void on_chunk_header_impl(std::uint64_t size, string_view, error_code&) override
    {
        sawChunkHeader = true;
        chunkSize = size;
    }

    std::size_t on_chunk_body_impl(std::uint64_t, string_view body, error_code&) override
    {
        m_owner.m_body.append(body.data(), qsizetype(body.size()));
        return body.size();
    }

    void on_finish_impl(error_code&) override { }

    HTTPResponseReader& m_owner;
};

HTTPResponseReader::HTTPResponseReader(RequestKind kind, std::size_t headerLimit)
    : m_kind(kind)
    , m_headerLimit(headerLimit)
{
    startParser();
}

HTTPResponseReader::~HTTPResponseReader() = default;

void HTTPResponseReader::startParser()
{
    m_parser = std::make_unique<Parser>(*this);
    // Elements are handed over whole and one at a time (see parse()).
    m_parser->eager(false);
    // No cap on the body (not boost::none: this version compares a length
    // against an empty limit as if it were exceeded).
    m_parser->body_limit(std::numeric_limits<std::uint64_t>::max());
    // The limit is ours to apply: a header reaches the parser only whole
    // and within it, so the parser's own count never decides.
    m_parser->header_limit(std::uint32_t(std::min<std::size_t>(m_headerLimit * 2 + 1024, std::numeric_limits<std::uint32_t>::max())));
    if (m_kind == RequestKind::Head)
        m_parser->skip(true);
    m_stage = Stage::Header;
    m_scanFrom = 0;
    m_statusLineChecked = false;
    m_expectChunkCRLF = false;
    m_chunkLeft = 0;
}

void HTTPResponseReader::fail(const NetworkError& error)
{
    if (m_error.isNull())
        m_error = error;
}

void HTTPResponseReader::failParse()
{
    const error_code ec = m_parser->verdict;
    fail(NetworkError::network(NetworkError::BadServerResponse,
        QStringLiteral("The server sent a malformed response (%1)").arg(QString::fromStdString(ec.message()))));
}

std::size_t HTTPResponseReader::put(qsizetype length)
{
    m_parser->verdict = {};
    const std::size_t used = m_parser->put(boost::asio::const_buffer(m_input.constData(), std::size_t(length)), m_parser->verdict);
    m_input.remove(0, qsizetype(used));
    return used;
}

void HTTPResponseReader::feed(const char* data, std::size_t size)
{
    if (size == 0)
        return;
    m_gotBytes = true;
    if (m_complete || hasFailed()) {
        m_leftover.append(data, qsizetype(size));
        return;
    }
    m_input.append(data, qsizetype(size));
    parse();
}

void HTTPResponseReader::finish()
{
    m_keepAlive = m_parser->keep_alive();
    m_complete = true;
    m_leftover = m_input;
    m_input.clear();
}

void HTTPResponseReader::parse()
{
    // Each step answers whether it made progress and may go on.
    for (;;) {
        if (m_complete || hasFailed() || m_input.isEmpty())
            return;
        bool more = false;
        switch (m_stage) {
        case Stage::Header:
            more = parseHeader();
            break;
        case Stage::Body: {
            put(m_input.size());
            if (m_parser->verdict && m_parser->verdict != http::error::need_more) {
                failParse();
                return;
            }
            if (m_parser->is_done())
                finish();
            return;
        }
        case Stage::ChunkLine:
            more = parseChunkLine();
            break;
        case Stage::ChunkData: {
            const qsizetype n = qsizetype(std::min<quint64>(m_chunkLeft, quint64(m_input.size())));
            const std::size_t used = put(n);
            if (m_parser->verdict && m_parser->verdict != http::error::need_more) {
                failParse();
                return;
            }
            m_chunkLeft -= used;
            if (m_chunkLeft == 0) {
                m_stage = Stage::ChunkLine;
                m_expectChunkCRLF = true;
                m_scanFrom = 0;
            }
            more = used > 0;
            break;
        }
        case Stage::Trailer:
            more = parseTrailer();
            break;
        }
        if (!more)
            return;
    }
}

// The status line alone, as soon as it is in: an answer that is no HTTP
// at all fails at once instead of waiting for a header end that never
// comes. The verdict depends on that line only, so it is the one the whole
// header would get.
bool HTTPResponseReader::checkStatusLine()
{
    // Only a line that fits in the limit is looked at: a longer one makes
    // the header too large, whatever it holds.
    const qsizetype lineEnd = m_input.indexOf("\r\n");
    if (lineEnd < 0 || std::size_t(lineEnd + 2) > m_headerLimit)
        return true;
    m_statusLineChecked = true;
    Parser probe(*this);
    probe.eager(false);
    probe.skip(true);
    probe.header_limit(std::uint32_t(std::min<std::size_t>(m_headerLimit * 2 + 1024, std::numeric_limits<std::uint32_t>::max())));
    const QByteArray line = m_input.left(lineEnd + 2) + "\r\n";
    error_code ec;
    probe.put(boost::asio::const_buffer(line.constData(), std::size_t(line.size())), ec);
    if (ec && ec != http::error::need_more) {
        m_parser->verdict = ec;
        failParse();
        return false;
    }
    return true;
}

bool HTTPResponseReader::parseHeader()
{
    // The status line first, whether or not the rest is in, so the
    // verdict on it does not depend on how much arrived with it.
    if (!m_statusLineChecked && !checkStatusLine())
        return false;
    const qsizetype at = m_input.indexOf(EndOfHeader, std::max<qsizetype>(0, m_scanFrom - 3));
    if (at < 0) {
        m_scanFrom = m_input.size();
        if (std::size_t(m_input.size()) >= m_headerLimit)
            fail(NetworkError::network(NetworkError::HeaderTooLarge));
        return false;
    }
    const qsizetype end = at + 4;
    if (std::size_t(end) > m_headerLimit) {
        fail(NetworkError::network(NetworkError::HeaderTooLarge));
        return false;
    }
    const std::size_t used = put(end);
    if ((m_parser->verdict && m_parser->verdict != http::error::need_more) || !m_parser->is_header_done()) {
        if (!m_parser->verdict || m_parser->verdict == http::error::need_more)
            m_parser->verdict = http::error::partial_message;
        failParse();
        return false;
    }
    Q_ASSERT(used == std::size_t(end));
    const int status = m_parser->header.statusCode();
    const bool interim = status >= 100 && status < 200 && status != 101;
    if (interim) {
        // An interim answer: the real one follows.
        m_body.clear();
        startParser();
        return true;
    }
    m_parser->header.setHeaderComplete(true);
    m_response = m_parser->header;
    if (m_kind == RequestKind::Connect && status >= 200 && status < 300) {
        // A tunnel is open: whatever follows belongs to it.
        m_keepAlive = false;
        m_complete = true;
        m_leftover = m_input;
        m_input.clear();
        return false;
    }
    if (m_parser->is_done()) {
        finish();
        return false;
    }
    m_parser->eager(true);
    m_scanFrom = 0;
    m_stage = m_parser->chunked() ? Stage::ChunkLine : Stage::Body;
    m_expectChunkCRLF = false;
    return true;
}

bool HTTPResponseReader::parseChunkLine()
{
    // After chunk data its CR LF comes first; the parser takes it with the
    // next line.
    const qsizetype start = m_expectChunkCRLF ? 2 : 0;
    if (m_input.size() < start)
        return false;
    if (m_expectChunkCRLF && !m_input.startsWith("\r\n")) {
        m_parser->verdict = http::error::bad_chunk;
        failParse();
        return false;
    }
    // Only within the limit: what lies beyond cannot change the verdict.
    const qsizetype scanEnd = std::min<qsizetype>(m_input.size(), start + qsizetype(m_headerLimit));
    qsizetype lineEnd = -1;
    for (qsizetype i = std::max(start, m_scanFrom); i < scanEnd; ++i) {
        if (m_input.at(i) != '\r')
            continue;
        if (i + 1 >= scanEnd)
            break;
        if (m_input.at(i + 1) != '\n') {
            m_parser->verdict = http::error::bad_line_ending;
            failParse();
            return false;
        }
        lineEnd = i + 2;
        break;
    }
    if (lineEnd < 0) {
        m_scanFrom = std::max(start, scanEnd - 1);
        if (std::size_t(m_input.size() - start) >= m_headerLimit)
            fail(NetworkError::network(NetworkError::ChunkLineTooLarge));
        return false;
    }
    if (std::size_t(lineEnd - start) > m_headerLimit) {
        fail(NetworkError::network(NetworkError::ChunkLineTooLarge));
        return false;
    }
    m_parser->sawChunkHeader = false;
    const std::size_t used = put(lineEnd);
    m_scanFrom = 0;
    if (m_parser->verdict == http::error::need_more && !m_parser->sawChunkHeader && used == 0) {
        // The last chunk: it ends with the trailer section, taken whole.
        m_stage = Stage::Trailer;
        m_trailerStart = lineEnd - 2;
        m_scanFrom = m_trailerStart;
        return true;
    }
    if (m_parser->verdict || !m_parser->sawChunkHeader || used != std::size_t(lineEnd)) {
        if (!m_parser->verdict)
            m_parser->verdict = http::error::bad_chunk;
        failParse();
        return false;
    }
    m_chunkLeft = m_parser->chunkSize;
    m_stage = Stage::ChunkData;
    return true;
}

bool HTTPResponseReader::parseTrailer()
{
    const qsizetype at = m_input.indexOf(EndOfHeader, std::max(m_trailerStart, m_scanFrom - 3));
    // The trailer fields and the blank line that ends them.
    const qsizetype trailerFrom = m_trailerStart + 2;
    if (at < 0) {
        m_scanFrom = m_input.size();
        if (std::size_t(m_input.size() - trailerFrom) >= m_headerLimit)
            fail(NetworkError::network(NetworkError::TrailerTooLarge));
        return false;
    }
    const qsizetype end = at + 4;
    if (std::size_t(end - trailerFrom) > m_headerLimit) {
        fail(NetworkError::network(NetworkError::TrailerTooLarge));
        return false;
    }
    put(end);
    if (m_parser->verdict || !m_parser->is_done()) {
        if (!m_parser->verdict)
            m_parser->verdict = http::error::partial_message;
        failParse();
        return false;
    }
    finish();
    return false;
}

void HTTPResponseReader::feedEnd()
{
    if (m_complete || hasFailed())
        return;
    if (!m_parser->is_header_done() || m_stage == Stage::Header) {
        fail(m_gotBytes ? NetworkError::network(NetworkError::BadServerResponse,
                 QStringLiteral("The connection closed in the middle of the response header"))
                        : NetworkError::network(NetworkError::ConnectionLost));
        return;
    }
    if (m_stage != Stage::Body) {
        fail(NetworkError::network(NetworkError::BodyCutShort));
        return;
    }
    error_code ec;
    m_parser->put_eof(ec);
    if (ec) {
        fail(NetworkError::network(NetworkError::BodyCutShort));
        return;
    }
    // A body delimited by the end of the connection is now whole.
    m_response = m_parser->header;
    m_response.setHeaderComplete(true);
    m_complete = true;
    m_keepAlive = false;
}

QByteArray HTTPResponseReader::takeBody(qint64 maxLength)
{
    if (maxLength >= m_body.size()) {
        QByteArray all;
        all.swap(m_body);
        return all;
    }
    QByteArray part = m_body.left(maxLength);
    m_body.remove(0, maxLength);
    return part;
}

} // namespace platform

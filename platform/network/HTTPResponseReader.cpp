#include "HTTPResponseReader.h"

#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>

#include <limits>

namespace platform {

namespace http = boost::beast::http;
using boost::beast::error_code;
using boost::beast::string_view;

class HTTPResponseReader::Parser : public http::basic_parser<false> {
public:
    explicit Parser(HTTPResponseReader& owner)
        : m_owner(owner)
    {
    }

    HTTPMessage header;

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

    void on_chunk_header_impl(std::uint64_t, string_view, error_code&) override { }

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
    // Stop after the header so that nothing past it is taken as body
    // before the header is looked at (after a CONNECT it is the tunnel's).
    m_parser->eager(false);
    // No cap on the body (not boost::none: this version compares a length
    // against an empty limit as if it were exceeded).
    m_parser->body_limit(std::numeric_limits<std::uint64_t>::max());
    m_parser->header_limit(std::uint32_t(m_headerLimit));
    if (m_kind == RequestKind::Head)
        m_parser->skip(true);
}

void HTTPResponseReader::fail(const NetworkError& error)
{
    if (m_error.isNull())
        m_error = error;
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

void HTTPResponseReader::parse()
{
    while (!m_complete && !hasFailed() && !m_input.isEmpty()) {
        error_code ec;
        const std::size_t used = m_parser->put(boost::asio::const_buffer(m_input.constData(), std::size_t(m_input.size())), ec);
        m_input.remove(0, qsizetype(used));
        if (m_parser->is_header_done() && !m_response.isHeaderComplete()) {
            const int status = m_parser->header.statusCode();
            const bool interim = status >= 100 && status < 200 && status != 101;
            if (!interim) {
                m_parser->header.setHeaderComplete(true);
                m_response = m_parser->header;
            }
            if (!ec && m_kind == RequestKind::Connect && status >= 200 && status < 300) {
                // A tunnel is open: whatever follows belongs to it.
                m_keepAlive = false;
                m_complete = true;
                m_leftover = m_input;
                m_input.clear();
                return;
            }
            m_parser->eager(true);
        }
        if (ec == http::error::need_more)
            return;
        if (ec) {
            if (ec == http::error::header_limit)
                fail(NetworkError::network(NetworkError::HeaderTooLarge));
            else
                fail(NetworkError::network(NetworkError::BadServerResponse,
                    QStringLiteral("The server sent a malformed response (%1)").arg(QString::fromStdString(ec.message()))));
            return;
        }
        if (m_parser->is_done()) {
            const int status = m_parser->header.statusCode();
            if (status >= 100 && status < 200 && status != 101) {
                // An interim answer: the real one follows.
                m_body.clear();
                startParser();
                continue;
            }
            m_keepAlive = m_parser->keep_alive();
            m_complete = true;
            m_leftover = m_input;
            m_input.clear();
            return;
        }
        if (used == 0)
            return;
    }
}

void HTTPResponseReader::feedEnd()
{
    if (m_complete || hasFailed())
        return;
    if (!m_parser->is_header_done()) {
        fail(m_gotBytes ? NetworkError::network(NetworkError::BadServerResponse,
                 QStringLiteral("The connection closed in the middle of the response header"))
                        : NetworkError::network(NetworkError::ConnectionLost));
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

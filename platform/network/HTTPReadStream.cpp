#include "HTTPReadStream.h"

#include "HTTPResponseReader.h"
#include "NetworkConnection.h"
#include "RunLoop.h"
#include "RunLoopFdSource.h"
#include "SharedConnections.h"

#include <arpa/inet.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <thread>

namespace platform {

namespace {

constexpr qint64 ReadChunk = 64 * 1024;
// Past this much unread body the stream stops reading the socket until
// its client catches up.
constexpr qint64 BufferedBodyLimit = 1024 * 1024;

quint64 nextSerial()
{
    static std::atomic<quint64> serial { 0 };
    return ++serial;
}

} // namespace

std::shared_ptr<HTTPReadStream> HTTPReadStream::create(const HTTPMessage& request)
{
    return std::shared_ptr<HTTPReadStream>(new HTTPReadStream(request, nullptr));
}

std::shared_ptr<HTTPReadStream> HTTPReadStream::create(const HTTPMessage& request, BodySource body)
{
    return std::shared_ptr<HTTPReadStream>(new HTTPReadStream(request, std::move(body)));
}

HTTPReadStream::HTTPReadStream(const HTTPMessage& request, BodySource body)
    : m_request(request)
    , m_bodySource(std::move(body))
    , m_headerLimit(HTTPResponseReader::DefaultHeaderLimit)
    , m_serial(nextSerial())
{
}

HTTPReadStream::~HTTPReadStream()
{
    if (m_source)
        m_source->invalidate();
    // A connection parked by this stream stays for the next stream with
    // the same identifier; only close() gives it up.
}

void HTTPReadStream::setClient(int events, Client client)
{
    m_clientEvents = client ? events : 0;
    m_client = std::move(client);
}

void HTTPReadStream::schedule(RunLoop& loop, const QString& mode)
{
    bool found = false;
    for (auto& s : m_schedules) {
        if (s.loop == &loop) {
            if (!s.modes.contains(mode))
                s.modes.append(mode);
            found = true;
        }
    }
    if (!found)
        m_schedules.push_back({ &loop, QStringList { mode } });
    if (m_source)
        m_source->schedule(loop, mode);
    if (m_pendingEvents)
        queueEvent(Event(0));
}

void HTTPReadStream::unschedule(RunLoop& loop, const QString& mode)
{
    for (auto it = m_schedules.begin(); it != m_schedules.end(); ++it) {
        if (it->loop == &loop) {
            it->modes.removeAll(mode);
            if (it->modes.isEmpty())
                m_schedules.erase(it);
            break;
        }
    }
    if (m_source)
        m_source->unschedule(loop, mode);
}

QString HTTPReadStream::targetHost() const
{
    return m_request.url().host();
}

int HTTPReadStream::targetPort() const
{
    const bool https = m_request.url().scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) == 0;
    return m_request.url().port(https ? 443 : 80);
}

QString HTTPReadStream::endpointKey() const
{
    // A connection opened under other checks or another identity must not
    // carry this exchange.
    return QStringLiteral("%1://%2:%3 %4 %5%6 %7")
        .arg(m_request.url().scheme().toLower(), targetHost())
        .arg(targetPort())
        .arg(m_proxy.key())
        .arg(m_tls.validatesCertificateChain ? 1 : 0)
        .arg(m_tls.checksPeerName ? 1 : 0)
        .arg(m_tls.clientCertificateChainFile);
}

bool HTTPReadStream::open()
{
    if (m_status != Status::NotOpen)
        return false;
    const QUrl url = m_request.url();
    const QString scheme = url.scheme().toLower();
    const bool https = scheme == QStringLiteral("https");
    if (url.host().isEmpty() || (scheme != QStringLiteral("http") && !https)
        || !HTTPHeaderFields::isValidName(m_request.method())) {
        // Refused outright: the caller learns it from the answer, not from an event.
        m_error = NetworkError::network(NetworkError::BadURL);
        m_status = Status::Error;
        return false;
    }
    const QByteArray body = m_request.body();
    if (m_bodySource) {
        if (!m_request.headerFields().contains(QStringLiteral("Content-Length"))) {
            m_request.setHeaderField(QStringLiteral("Transfer-Encoding"), QStringLiteral("chunked"));
            m_chunkedUpload = true;
        }
    } else if (!body.isEmpty() && !m_request.headerFields().contains(QStringLiteral("Content-Length"))) {
        m_request.setHeaderField(QStringLiteral("Content-Length"), QString::number(body.size()));
    }
    const bool isHead = m_request.method() == QStringLiteral("HEAD");
    m_reader = std::make_unique<HTTPResponseReader>(
        isHead ? HTTPResponseReader::RequestKind::Head : HTTPResponseReader::RequestKind::Normal, m_headerLimit);
    m_status = Status::Opening;

    bool askForTunnel = false;
    if (m_persistent && m_connectionID != 0) {
        auto connection = SharedConnections::shared().take(m_connectionID, endpointKey());
        if (!connection && m_proxy.isSet() && m_proxy.type == ProxySettings::Type::HTTPS && https) {
            connection = SharedConnections::shared().take(m_connectionID, refusedTunnelKey());
            askForTunnel = connection != nullptr;
        }
        if (connection) {
            m_connection = std::move(connection);
            m_connection->setUsed();
            m_reused = true;
        }
    }
    if (!m_connection) {
        QString host = targetHost();
        int port = targetPort();
        const bool proxied = m_proxy.isSet()
            && (m_proxy.type == ProxySettings::Type::SOCKS
                || (m_proxy.type == ProxySettings::Type::HTTP && !https)
                || (m_proxy.type == ProxySettings::Type::HTTPS && https));
        if (!proxied)
            m_proxy = ProxySettings();
        if (m_proxy.isSet()) {
            host = m_proxy.host;
            port = m_proxy.port;
        }
        if (!NetworkConnection::isAddressLiteral(host) || NetworkConnection::hasLookup()) {
            // A name is looked up on a thread of its own: a slow resolver
            // holds this request only, never the loop it shares.
            m_phase = Phase::Resolving;
            RunLoop& loop = RunLoop::current();
            QStringList modes;
            for (const auto& s : m_schedules) {
                if (s.loop == &loop)
                    modes += s.modes;
            }
            if (modes.isEmpty())
                modes = QStringList { RunLoop::defaultMode };
            std::thread([weak = weak_from_this(), host, port, serial = loop.serial(), modes] {
                NetworkError error;
                const auto addresses = NetworkConnection::resolve(host, port, error);
                RunLoop::performOnLoop(serial, [weak, addresses, error] {
                    if (auto self = weak.lock())
                        self->resolved(addresses, error);
                }, modes);
            }).detach();
            return true;
        }
        NetworkError error;
        m_connection = NetworkConnection::connectTo(host, port, error);
        if (!m_connection) {
            fail(error);
            return true;
        }
        m_phase = Phase::Connecting;
    }
    attachSource();
    if (askForTunnel)
        startConnectRequest();
    else if (m_reused)
        beginExchange();
    return true;
}

void HTTPReadStream::resolved(const std::vector<NetworkConnection::Address>& addresses, const NetworkError& lookupError)
{
    if (m_phase != Phase::Resolving)
        return;
    NetworkError error = lookupError;
    if (!addresses.empty())
        m_connection = NetworkConnection::connectTo(addresses, error);
    if (!m_connection) {
        fail(error.isNull() ? NetworkError::network(NetworkError::HostNotFound) : error);
        return;
    }
    m_phase = Phase::Connecting;
    attachSource();
}

void HTTPReadStream::attachSource()
{
    if (m_source)
        m_source->invalidate();
    m_source = RunLoopFdSource::create(m_connection->fd(), RunLoopFdSource::Writable,
        [weak = weak_from_this()](int events) {
            if (auto self = weak.lock())
                self->onSocket(events);
        });
    for (auto& s : m_schedules)
        for (auto& mode : s.modes)
            m_source->schedule(*s.loop, mode);
}

void HTTPReadStream::resumeBody()
{
    if (!m_bodyWaiting)
        return;
    m_bodyWaiting = false;
    if (m_phase == Phase::Sending)
        setInterest((m_readingPaused ? 0 : RunLoopFdSource::Readable) | RunLoopFdSource::Writable);
}

void HTTPReadStream::setInterest(int interest)
{
    if (m_source)
        m_source->setInterest(interest);
}

void HTTPReadStream::onSocket(int events)
{
    auto keep = shared_from_this();
    // An allocation failure (or any other exception) ends this exchange
    // with an error its client hears of, not the thread it runs on.
    try {
        handleSocket(events);
    } catch (const std::exception& e) {
        fail(NetworkError::network(NetworkError::BadServerResponse,
            QStringLiteral("The response could not be handled: %1").arg(QString::fromLocal8Bit(e.what()))));
    } catch (...) {
        fail(NetworkError::network(NetworkError::BadServerResponse, QStringLiteral("The response could not be handled")));
    }
}

void HTTPReadStream::handleSocket(int events)
{
    if (m_phase == Phase::Connecting) {
        if (!(events & RunLoopFdSource::Writable))
            return;
        NetworkError error;
        if (!m_connection->finishConnect(error)) {
            // The name's next address, if it has one.
            NetworkError next;
            if (m_connection->connectNext(next)) {
                attachSource();
                return;
            }
            fail(error);
            return;
        }
        if (m_proxy.type == ProxySettings::Type::SOCKS) {
            m_out = QByteArray("\x05\x01\x00", 3);
            m_phase = Phase::SocksGreeting;
        } else if (m_proxy.type == ProxySettings::Type::HTTPS) {
            startConnectRequest();
        } else {
            afterTunnel();
            if (m_phase == Phase::Done)
                return;
        }
    }
    advance();
}

void HTTPReadStream::startConnectRequest()
{
    const QString authority = QStringLiteral("%1:%2").arg(targetHost()).arg(targetPort());
    m_out = "CONNECT " + authority.toUtf8() + " HTTP/1.1\r\nHost: " + authority.toUtf8() + "\r\n";
    const QString proxyAuthorization = m_request.headerField(QStringLiteral("Proxy-Authorization"));
    if (!proxyAuthorization.isEmpty())
        m_out += "Proxy-Authorization: " + proxyAuthorization.toUtf8() + "\r\n";
    m_out += "\r\n";
    m_tunnelReader = std::make_unique<HTTPResponseReader>(HTTPResponseReader::RequestKind::Connect, m_headerLimit);
    m_phase = Phase::ProxyConnect;
}

// A proxy connection whose CONNECT was refused is kept apart from open
// tunnels: the next stream must ask for its tunnel, not speak through it.
QString HTTPReadStream::refusedTunnelKey() const
{
    return endpointKey() + QStringLiteral(" awaiting tunnel");
}

void HTTPReadStream::afterTunnel()
{
    const bool https = m_request.url().scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) == 0;
    if (https) {
        NetworkError error;
        if (!m_connection->startTLS(m_tls, targetHost(), error)) {
            fail(error);
            return;
        }
        m_phase = Phase::TLSHandshake;
    } else {
        beginExchange();
    }
}

void HTTPReadStream::beginExchange()
{
    // The tunnel is ours alone: its proxy's credentials stay out of it.
    const bool tunnel = m_proxy.type == ProxySettings::Type::HTTPS;
    HTTPMessage head = m_request;
    if (tunnel)
        head.removeHeaderField(QStringLiteral("Proxy-Authorization"));
    m_out = head.serializedHead(m_proxy.type == ProxySettings::Type::HTTP);
    m_phase = Phase::Sending;
    setInterest(RunLoopFdSource::Readable | RunLoopFdSource::Writable);
}

bool HTTPReadStream::pullBody()
{
    if (m_bodyEnded)
        return false;
    if (!m_bodySource) {
        m_out = m_request.body();
        m_bodyBytesQueued = m_out.size();
        m_bodyEnded = true;
        return !m_out.isEmpty();
    }
    QByteArray buffer(ReadChunk, Qt::Uninitialized);
    const qint64 n = m_bodySource(buffer.data(), buffer.size());
    if (n == BodyNotReady) {
        m_bodyWaiting = true;
        return false;
    }
    if (n < 0) {
        fail(NetworkError::network(NetworkError::RequestBodyFailed));
        return false;
    }
    if (n == 0) {
        m_bodyEnded = true;
        if (m_chunkedUpload) {
            m_out = "0\r\n\r\n";
            m_bodyBytesQueued = 0;
            return true;
        }
        return false;
    }
    buffer.truncate(n);
    m_out = m_chunkedUpload ? QByteArray::number(n, 16) + "\r\n" + buffer + "\r\n" : buffer;
    m_bodyBytesQueued = n;
    return true;
}

bool HTTPReadStream::flushOut(bool& blocked)
{
    blocked = false;
    int rounds = 0;
    while (!m_out.isEmpty() && rounds++ < 64) {
        std::size_t sent = 0;
        NetworkError error;
        const auto io = m_connection->write(m_out.constData(), std::size_t(m_out.size()), sent, error);
        if (io == NetworkConnection::IO::WantWrite || io == NetworkConnection::IO::WantRead) {
            blocked = true;
            return true;
        }
        if (io == NetworkConnection::IO::Closed || (io == NetworkConnection::IO::Failed && error.isConnectionLost())) {
            fail(NetworkError::network(NetworkError::ConnectionLost));
            return false;
        }
        if (io == NetworkConnection::IO::Failed) {
            fail(error);
            return false;
        }
        m_out.remove(0, qsizetype(sent));
        if (m_phase == Phase::Sending && m_bodyBytesQueued > 0) {
            if (!m_chunkedUpload) {
                m_bodyBytesWritten += qint64(sent);
                m_bodyBytesQueued -= qint64(sent);
            } else if (m_out.isEmpty()) {
                m_bodyBytesWritten += m_bodyBytesQueued;
                m_bodyBytesQueued = 0;
            }
        }
    }
    blocked = !m_out.isEmpty();
    return true;
}

bool HTTPReadStream::readInto(QByteArray& into, bool& closed, bool& blocked)
{
    closed = blocked = false;
    char buffer[4096];
    std::size_t got = 0;
    NetworkError error;
    const auto io = m_connection->read(buffer, sizeof buffer, got, error);
    switch (io) {
    case NetworkConnection::IO::Done:
        into.append(buffer, qsizetype(got));
        return true;
    case NetworkConnection::IO::WantRead:
    case NetworkConnection::IO::WantWrite:
        blocked = true;
        return true;
    case NetworkConnection::IO::Closed:
        closed = true;
        return true;
    case NetworkConnection::IO::Failed:
        fail(error.isConnectionLost() ? NetworkError::network(NetworkError::ProxyHandshakeFailed) : error);
        return false;
    }
    return false;
}

void HTTPReadStream::advance()
{
    for (int step = 0; step < 64 && m_phase != Phase::Done; ++step) {
        bool blocked = false;
        bool closed = false;
        switch (m_phase) {
        case Phase::Idle:
        case Phase::Resolving:
        case Phase::Connecting:
        case Phase::Done:
            return;
        case Phase::SocksGreeting:
        case Phase::SocksConnect: {
            if (!flushOut(blocked))
                return;
            if (blocked) {
                setInterest(RunLoopFdSource::Writable);
                return;
            }
            if (!readInto(m_handshakeIn, closed, blocked))
                return;
            if (closed) {
                fail(NetworkError::network(NetworkError::ProxyHandshakeFailed));
                return;
            }
            if (m_phase == Phase::SocksGreeting) {
                if (m_handshakeIn.size() < 2) {
                    setInterest(RunLoopFdSource::Readable);
                    return;
                }
                if (m_handshakeIn[0] != 5 || m_handshakeIn[1] != 0) {
                    fail(NetworkError::network(NetworkError::ProxyHandshakeFailed,
                        QStringLiteral("The SOCKS proxy wants an authentication method this stream does not offer")));
                    return;
                }
                m_handshakeIn.clear();
                const QString host = targetHost();
                const int port = targetPort();
                QByteArray request("\x05\x01\x00", 3);
                const QByteArray hostBytes = host.toLatin1();
                unsigned char ip[16];
                if (::inet_pton(AF_INET, hostBytes.constData(), ip) == 1) {
                    request += char(1);
                    request += QByteArray(reinterpret_cast<const char*>(ip), 4);
                } else if (::inet_pton(AF_INET6, hostBytes.constData(), ip) == 1) {
                    request += char(4);
                    request += QByteArray(reinterpret_cast<const char*>(ip), 16);
                } else {
                    const QByteArray name = host.toUtf8().left(255);
                    request += char(3);
                    request += char(name.size());
                    request += name;
                }
                request += char((port >> 8) & 0xff);
                request += char(port & 0xff);
                m_out = request;
                m_phase = Phase::SocksConnect;
                continue;
            }
            if (m_handshakeIn.size() < 5) {
                setInterest(RunLoopFdSource::Readable);
                return;
            }
            const int type = quint8(m_handshakeIn[3]);
            const int addressLength = type == 1 ? 4 : type == 4 ? 16 : type == 3 ? 1 + quint8(m_handshakeIn[4]) : -1;
            if (m_handshakeIn[0] != 5 || addressLength < 0) {
                fail(NetworkError::network(NetworkError::ProxyHandshakeFailed));
                return;
            }
            if (m_handshakeIn[1] != 0) {
                fail(NetworkError::network(NetworkError::ProxyHandshakeFailed,
                    QStringLiteral("The SOCKS proxy refused the connection (reply %1)").arg(int(quint8(m_handshakeIn[1])))));
                return;
            }
            if (m_handshakeIn.size() < 4 + addressLength + 2) {
                setInterest(RunLoopFdSource::Readable);
                return;
            }
            m_handshakeIn.clear();
            afterTunnel();
            continue;
        }
        case Phase::ProxyConnect: {
            if (!flushOut(blocked))
                return;
            if (blocked) {
                setInterest(RunLoopFdSource::Writable);
                return;
            }
            QByteArray in;
            if (!readInto(in, closed, blocked))
                return;
            m_tunnelReader->feed(in.constData(), std::size_t(in.size()));
            if (closed)
                m_tunnelReader->feedEnd();
            if (m_tunnelReader->hasFailed()) {
                fail(NetworkError::network(NetworkError::ProxyHandshakeFailed));
                return;
            }
            if (!m_tunnelReader->isHeaderComplete()) {
                setInterest(RunLoopFdSource::Readable);
                return;
            }
            const int status = m_tunnelReader->response().statusCode();
            if (status >= 200 && status < 300) {
                m_tunnelReader.reset();
                afterTunnel();
                continue;
            }
            // The proxy's refusal (a 407 asking for credentials, say) is the
            // response this stream reports; a connection the proxy keeps
            // waits for the next stream's CONNECT.
            m_tunnelRefused = true;
            m_reader = std::move(m_tunnelReader);
            m_status = Status::Open;
            m_phase = Phase::Receiving;
            queueEvent(HasBytesAvailable);
            if (m_reader->isComplete() || closed) {
                finishExchange();
                return;
            }
            setInterest(RunLoopFdSource::Readable);
            return;
        }
        case Phase::TLSHandshake: {
            NetworkError error;
            const auto io = m_connection->handshake(error);
            if (io == NetworkConnection::IO::WantRead) {
                setInterest(RunLoopFdSource::Readable);
                return;
            }
            if (io == NetworkConnection::IO::WantWrite) {
                setInterest(RunLoopFdSource::Writable);
                return;
            }
            if (io != NetworkConnection::IO::Done) {
                fail(error.isNull() ? NetworkError::security(NetworkError::HandshakeFailed) : error);
                return;
            }
            beginExchange();
            continue;
        }
        case Phase::Sending: {
            if (!flushOut(blocked))
                return;
            while (!blocked && m_out.isEmpty() && !m_bodyWaiting && pullBody()) {
                if (!flushOut(blocked))
                    return;
            }
            if (m_phase == Phase::Done)
                return;
            if (m_bodyWaiting && m_out.isEmpty()) {
                // Nothing may go out for now: listen only, until resumeBody().
                setInterest(RunLoopFdSource::Readable);
                receive();
                return;
            }
            if (blocked) {
                // A server may answer (and close) before it has read the
                // whole body; listen while writing.
                setInterest(RunLoopFdSource::Readable | RunLoopFdSource::Writable);
                receive();
                return;
            }
            m_phase = Phase::Receiving;
            setInterest(RunLoopFdSource::Readable);
            continue;
        }
        case Phase::Receiving:
            receive();
            return;
        }
    }
}

void HTTPReadStream::receive()
{
    const bool headerBefore = m_reader->isHeaderComplete();
    for (int round = 0; round < 16; ++round) {
        if (m_reader->bodyBytesAvailable() > BufferedBodyLimit) {
            m_readingPaused = true;
            setInterest(m_phase == Phase::Sending && !m_bodyWaiting ? RunLoopFdSource::Writable : 0);
            break;
        }
        char buffer[ReadChunk];
        std::size_t got = 0;
        NetworkError error;
        const auto io = m_connection->read(buffer, sizeof buffer, got, error);
        if (io == NetworkConnection::IO::WantRead || io == NetworkConnection::IO::WantWrite)
            break;
        if (io == NetworkConnection::IO::Failed) {
            if (error.isConnectionLost()) {
                if (!m_reader->gotAnyBytes())
                    error = NetworkError::network(NetworkError::ConnectionLost);
                else if (m_reader->isHeaderComplete())
                    error = NetworkError::network(NetworkError::BodyCutShort);
            }
            fail(error);
            return;
        }
        if (io == NetworkConnection::IO::Closed)
            m_reader->feedEnd();
        else
            m_reader->feed(buffer, got);
        // What arrived before a failure is still the client's to read.
        if (m_reader->bodyBytesAvailable() > 0 || (m_reader->isHeaderComplete() && !headerBefore))
            queueEvent(HasBytesAvailable);
        if (m_reader->hasFailed()) {
            fail(m_reader->error());
            return;
        }
        if (m_reader->isHeaderComplete() && m_status == Status::Opening)
            m_status = Status::Open;
        if (m_reader->isComplete()) {
            finishExchange();
            return;
        }
        if (io == NetworkConnection::IO::Closed)
            return;
    }
}

void HTTPReadStream::finishExchange()
{
    m_phase = Phase::Done;
    if (m_source) {
        m_source->invalidate();
        m_source.reset();
    }
    const bool requestSaysClose = m_request.headerField(QStringLiteral("Connection")).compare(QStringLiteral("close"), Qt::CaseInsensitive) == 0;
    const bool reusable = m_connection && m_reader->connectionReusable() && m_persistent && m_connectionID != 0
        && !requestSaysClose && m_out.isEmpty();
    if (reusable && m_tunnelRefused) {
        SharedConnections::shared().park(m_connectionID, refusedTunnelKey(), m_connection, m_serial);
        m_parked = true;
    } else if (reusable && m_bodyEnded) {
        SharedConnections::shared().park(m_connectionID, endpointKey(), m_connection, m_serial);
        m_parked = true;
    } else if (m_connection) {
        m_connection->close();
    }
    m_connection.reset();
    queueEvent(EndEncountered);
}

void HTTPReadStream::fail(const NetworkError& error)
{
    if (m_phase == Phase::Done && !m_error.isNull())
        return;
    m_error = error;
    m_status = Status::Error;
    m_phase = Phase::Done;
    if (m_source) {
        m_source->invalidate();
        m_source.reset();
    }
    if (m_connection) {
        m_connection->close();
        m_connection.reset();
    }
    queueEvent(ErrorOccurred);
}

void HTTPReadStream::close()
{
    if (m_status == Status::Closed)
        return;
    m_status = Status::Closed;
    m_phase = Phase::Done;
    if (m_source) {
        m_source->invalidate();
        m_source.reset();
    }
    if (m_connection) {
        m_connection->close();
        m_connection.reset();
    }
    if (m_parked) {
        SharedConnections::shared().closeOwned(m_connectionID, m_serial);
        m_parked = false;
    }
    m_pendingEvents = 0;
}

void HTTPReadStream::queueEvent(Event event)
{
    m_pendingEvents |= event;
    if (m_deliveryPosted || m_schedules.empty() || !m_pendingEvents)
        return;
    m_deliveryPosted = true;
    const Schedule& s = m_schedules.front();
    s.loop->perform([weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->deliverEvents();
    },
        s.modes);
}

void HTTPReadStream::deliverEvents()
{
    auto keep = shared_from_this();
    m_deliveryPosted = false;
    if (m_status == Status::Closed)
        return;
    if (m_pendingEvents & HasBytesAvailable) {
        m_pendingEvents &= ~HasBytesAvailable;
        if (m_client && (m_clientEvents & HasBytesAvailable))
            m_client(*this, HasBytesAvailable);
        if (m_status == Status::Closed)
            return;
    }
    if ((m_pendingEvents & ErrorOccurred) && !m_errorDelivered) {
        m_pendingEvents = 0;
        m_errorDelivered = true;
        if (m_client && (m_clientEvents & ErrorOccurred))
            m_client(*this, ErrorOccurred);
        return;
    }
    if ((m_pendingEvents & EndEncountered) && !m_endDelivered && m_reader && m_reader->isComplete()
        && m_reader->bodyBytesAvailable() == 0 && m_status != Status::Error) {
        m_pendingEvents &= ~EndEncountered;
        m_endDelivered = true;
        m_status = Status::AtEnd;
        if (m_client && (m_clientEvents & EndEncountered))
            m_client(*this, EndEncountered);
    }
}

bool HTTPReadStream::hasBytesAvailable() const
{
    return m_reader && m_reader->bodyBytesAvailable() > 0;
}

qint64 HTTPReadStream::read(char* buffer, qint64 maxLength)
{
    if (!m_reader || maxLength <= 0 || m_status == Status::Closed)
        return 0;
    const QByteArray part = m_reader->takeBody(maxLength);
    std::memcpy(buffer, part.constData(), std::size_t(part.size()));
    if (m_readingPaused && m_reader->bodyBytesAvailable() <= BufferedBodyLimit / 2 && m_source) {
        m_readingPaused = false;
        setInterest(RunLoopFdSource::Readable | (m_phase == Phase::Sending && !m_bodyWaiting ? RunLoopFdSource::Writable : 0));
    }
    if (m_reader->isComplete() && m_reader->bodyBytesAvailable() == 0 && !m_endDelivered && m_status != Status::Error)
        queueEvent(EndEncountered);
    return part.size();
}

QByteArray HTTPReadStream::read(qint64 maxLength)
{
    QByteArray buffer(qsizetype(std::max<qint64>(0, std::min<qint64>(maxLength, m_reader ? m_reader->bodyBytesAvailable() : 0))), Qt::Uninitialized);
    const qint64 n = read(buffer.data(), buffer.size());
    buffer.truncate(qsizetype(n));
    return buffer;
}

HTTPMessage HTTPReadStream::responseHeader() const
{
    if (!m_reader)
        return HTTPMessage();
    return m_reader->response();
}

} // namespace platform

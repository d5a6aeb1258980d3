#pragma once

#include "HTTPMessage.h"
#include "NetworkConnection.h"
#include "NetworkError.h"
#include "ProxySettings.h"
#include "TLSSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class HTTPResponseReader;
class RunLoop;
class RunLoopFdSource;

// One HTTP exchange over a non-blocking connection: writes the request
// (head, then the body from memory or from a body source), reads the
// response and hands out its body with the transfer framing removed (the
// content itself, gzip or not, is left as sent). Its client hears of
// bytes, an error or the end through events delivered in the run loops
// and modes the stream is scheduled in, never from inside a call the
// client made. Connections are shared between streams that carry the same
// sharing identifier with persistent connections on: a connection whose
// exchange ended cleanly stays open for the next such stream. That holds
// for a proxy's refusal of a CONNECT too: the next stream asks again on
// the same connection, so a proxy's NTLM exchange, which authenticates a
// connection, can finish before the tunnel opens.
class HTTPReadStream : public std::enable_shared_from_this<HTTPReadStream> {
public:
    enum Event { HasBytesAvailable = 1, ErrorOccurred = 2, EndEncountered = 4 };
    enum class Status { NotOpen, Opening, Open, AtEnd, Closed, Error };
    using Client = std::function<void(HTTPReadStream& stream, Event event)>;
    // Fills the buffer with up to maxLength bytes of the body: the count,
    // 0 at the end, BodyNotReady when nothing may go out now (the stream
    // then waits for resumeBody()), or another negative number on failure.
    using BodySource = std::function<qint64(char* buffer, qint64 maxLength)>;
    static constexpr qint64 BodyNotReady = -2;

    static std::shared_ptr<HTTPReadStream> create(const HTTPMessage& request);
    // Sends the body from the source; without a "Content-Length" field in
    // the request it goes out chunked.
    static std::shared_ptr<HTTPReadStream> create(const HTTPMessage& request, BodySource body);
    ~HTTPReadStream();

    // Properties; set them before open().
    void setTLSSettings(const TLSSettings& settings) { m_tls = settings; }
    void setProxy(const ProxySettings& proxy) { m_proxy = proxy; }
    void setPersistentConnection(bool persistent) { m_persistent = persistent; }
    void setConnectionID(quint64 id) { m_connectionID = id; }
    quint64 connectionID() const { return m_connectionID; }
    // Largest response header accepted.
    void setHeaderLimit(std::size_t bytes) { m_headerLimit = bytes; }
    // Body bytes written so far.
    qint64 requestBytesWritten() const { return m_bodyBytesWritten; }
    // Whether the exchange runs on a connection an earlier stream used.
    bool isOnReusedConnection() const { return m_reused; }
    // Whether the response is the proxy's refusal of the tunnel, not an
    // answer of the server the request is for.
    bool proxyRefusedTunnel() const { return m_tunnelRefused; }

    // The body source has more to give after answering BodyNotReady.
    void resumeBody();
    bool isBodyWaiting() const { return m_bodyWaiting; }

    void setClient(int events, Client client);
    void schedule(RunLoop& loop, const QString& mode);
    void unschedule(RunLoop& loop, const QString& mode);

    // Answers false when the request cannot be sent at all (no host, a
    // refused method); otherwise the outcome arrives as events.
    bool open();
    void close();

    Status status() const { return m_status; }
    NetworkError error() const { return m_error; }
    bool hasBytesAvailable() const;
    qint64 read(char* buffer, qint64 maxLength);
    QByteArray read(qint64 maxLength);
    // The response header, incomplete until it has wholly arrived.
    HTTPMessage responseHeader() const;

private:
    enum class Phase { Idle, Resolving, Connecting, SocksGreeting, SocksConnect, ProxyConnect, TLSHandshake, Sending, Receiving, Done };

    HTTPReadStream(const HTTPMessage& request, BodySource body);
    void onSocket(int events);
    void resolved(const std::vector<NetworkConnection::Address>& addresses, const NetworkError& error);
    void attachSource();
    void handleSocket(int events);
    void advance();
    bool flushOut(bool& blocked);
    bool readInto(QByteArray& into, bool& closed, bool& blocked);
    bool pullBody();
    void beginExchange();
    void afterTunnel();
    void startConnectRequest();
    QString refusedTunnelKey() const;
    void receive();
    void finishExchange();
    void fail(const NetworkError& error);
    void queueEvent(Event event);
    void deliverEvents();
    void setInterest(int interest);
    QString endpointKey() const;
    QString targetHost() const;
    int targetPort() const;

    HTTPMessage m_request;
    BodySource m_bodySource;
    bool m_chunkedUpload = false;
    bool m_bodyEnded = false;
    bool m_bodyWaiting = false;
    TLSSettings m_tls;
    ProxySettings m_proxy;
    bool m_persistent = false;
    quint64 m_connectionID = 0;
    std::size_t m_headerLimit;
    const quint64 m_serial;

    Status m_status = Status::NotOpen;
    Phase m_phase = Phase::Idle;
    NetworkError m_error;
    std::shared_ptr<NetworkConnection> m_connection;
    std::shared_ptr<RunLoopFdSource> m_source;
    std::unique_ptr<HTTPResponseReader> m_reader;
    std::unique_ptr<HTTPResponseReader> m_tunnelReader;
    QByteArray m_out;
    QByteArray m_handshakeIn;
    qint64 m_bodyBytesWritten = 0;
    qint64 m_bodyBytesQueued = 0;
    bool m_reused = false;
    bool m_parked = false;
    // The proxy refused the CONNECT (asking for credentials, say).
    bool m_tunnelRefused = false;
    bool m_readingPaused = false;

    Client m_client;
    int m_clientEvents = 0;
    int m_pendingEvents = 0;
    bool m_deliveryPosted = false;
    bool m_endDelivered = false;
    bool m_errorDelivered = false;
    struct Schedule {
        RunLoop* loop;
        QStringList modes;
    };
    std::vector<Schedule> m_schedules;
};

} // namespace platform

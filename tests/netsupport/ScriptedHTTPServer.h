#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// An HTTP server of our own on 127.0.0.1 for what real servers will not do
// on request. Each path is a scripted answer:
//   /hello            200 with "hello", kept alive
//   /close-after      200 with "bye", then the server closes the connection
//   /silent           reads the request and never answers
//   /stall            announces 100 body bytes, sends 10, then nothing
//   /drip             10 body bytes sent one at a time
//   /truncate         announces 100 bytes, sends 40 and closes
//   /truncate-chunked one chunk, then closes without the last chunk
//   /corrupt-gzip     "Content-Encoding: gzip" over bytes that are not gzip
//   /keepalive?h=...  answers with the "Keep-Alive" value h
//   /range            a 100-byte resource honouring "Range: bytes=N-" (206 or 416)
//   /echo             the request line, header fields and body as the body
//   /connection       the server's number of the connection (first is 1),
//                     also sent by /echo in the field "X-Connection"
//   /set-cookie?c=... sets the cookie given (a Set-Cookie value)
//   /redirect?status=N&to=URL   status N with that Location
//   /status?code=N    status N
//   /headers?h=...    200 with each h value as a header line
//   /range-shifted    a 206 that always starts at byte 0, whatever was asked
//   /range-ignored    the whole 100-byte resource with 200, whatever was asked
//   /huge-header      a header far larger than any client should accept
//   /digest/auth/...  Digest (MD5, qop "auth") for digestUser()/digestPassword():
//                     200 "digest ok" for a right answer, else 401 with a challenge
//   /digest/legacy/...  the same without qop (the older form of the answer)
//   /digest/stale/... a right answer to the first nonce gets 401 with
//                     stale=true and a new nonce; a right answer to that, 200
//   /no-challenge     401 without any WWW-Authenticate field
//   /hold             200 "held", answered only once releaseHeld() is called
//                     (or the server stops, or a minute passes)
// A test may script further paths of its own (setScript). Everything else
// is 404. The server runs on threads of the test process
// and stops (closing every connection) when destroyed.
class ScriptedHTTPServer {
public:
    ScriptedHTTPServer();
    ~ScriptedHTTPServer();

    static QByteArray digestUser() { return "velumo"; }
    static QByteArray digestPassword() { return "s3cret"; }
    static QByteArray digestRealm() { return "Velumo digest"; }

    int port() const { return m_port; }
    // With a certificate and its key the server speaks TLS on every
    // connection accepted from then on, and its URLs are "https".
    bool enableTLS(const QString& certificateFile, const QString& keyFile);
    QString url(const QString& path) const;
    // Connections the server closed on purpose after answering.
    int closedConnections() const { return m_closed.load(); }
    int acceptedConnections() const { return m_accepted.load(); }
    // /hold requests waiting now, and the most that ever waited at once.
    int heldRequests() const { return m_held.load(); }
    int mostHeldAtOnce() const { return m_mostHeld.load(); }
    // Answers every /hold request, now and from here on.
    void releaseHeld();

    // One request as a script sees it, with the connection to answer on.
    struct Exchange {
        int fd;
        int stopFd;
        int connection;
        QByteArray method;
        QByteArray target;
        QByteArray head;
        QByteArray body;
        // Sends the bytes; false once the client is gone.
        bool send(const QByteArray& bytes) const;
        // Waits up to the time given for the client to close its side (or
        // the server to stop); false when it is still there.
        bool clientGone(int waitMs) const;
        // A request header field's value (empty when absent).
        QByteArray field(const QByteArray& name) const;
    };
    // Answers the path with the script (run on the connection's own
    // thread); it answers whether the connection may carry another request.
    using Script = std::function<bool(Exchange&)>;
    void setScript(const QString& path, Script script);
    // The head (request line and fields) of every request received, in order.
    QList<QByteArray> requestHeads() const;

private:
    void acceptLoop();
    void serve(int fd, int connection);
    bool answer(int fd, int connection, const QByteArray& method, const QByteArray& target, const QByteArray& head, const QByteArray& body);
    bool answerDigest(int fd, const QString& kind, const QByteArray& method, const QByteArray& target, const QByteArray& authorization);

    int m_listenFd = -1;
    int m_stopPipe[2] = { -1, -1 };
    int m_port = 0;
    std::atomic<bool> m_stopping { false };
    std::atomic<int> m_closed { 0 };
    std::atomic<int> m_accepted { 0 };
    std::atomic<int> m_nonces { 0 };
    std::atomic<int> m_held { 0 };
    std::atomic<int> m_mostHeld { 0 };
    bool m_released = false;
    std::condition_variable m_releasedChanged;
    std::thread m_acceptor;
    mutable std::mutex m_lock;
    void* m_tlsContext = nullptr; // an SSL_CTX
    QMap<QString, Script> m_scripts;
    QList<QByteArray> m_requestHeads;
    std::vector<std::thread> m_workers;
    std::vector<int> m_connections;
};

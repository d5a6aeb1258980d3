#include "ScriptedHTTPServer.h"

#include <QCryptographicHash>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QUrl>

#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <chrono>

namespace {

// The TLS session of the connection this thread serves, if it speaks TLS
// (each connection has a thread of its own).
thread_local SSL* tlsSession = nullptr;

ssize_t sendSome(int fd, const char* data, size_t length)
{
    if (tlsSession) {
        const int n = SSL_write(tlsSession, data, int(std::min<size_t>(length, 1 << 20)));
        return n > 0 ? n : -1;
    }
    return ::send(fd, data, length, MSG_NOSIGNAL);
}

ssize_t receiveSome(int fd, char* data, size_t length)
{
    if (tlsSession) {
        const int n = SSL_read(tlsSession, data, int(length));
        return n > 0 ? n : 0;
    }
    return ::recv(fd, data, length, 0);
}

bool sendAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = sendSome(fd, data.constData() + done, size_t(data.size() - done));
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray response(int status, const QByteArray& reason, const QList<QByteArray>& fields, const QByteArray& body)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    for (const auto& f : fields)
        out += f + "\r\n";
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    return out;
}

// Waits (bounded) for something to read; false on time-out or stop.
bool waitReadable(int fd, int stopFd, int timeoutMs)
{
    if (tlsSession && SSL_pending(tlsSession) > 0)
        return true;
    pollfd fds[2] = { { fd, POLLIN, 0 }, { stopFd, POLLIN, 0 } };
    const int n = ::poll(fds, 2, timeoutMs);
    return n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN);
}

QByteArray md5Hex(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

// The parameters of a "Digest ..." field value; quoted values unescaped.
QMap<QByteArray, QByteArray> digestParameters(const QByteArray& value)
{
    QMap<QByteArray, QByteArray> out;
    static const QRegularExpression pair(QStringLiteral(R"re(([A-Za-z-]+)\s*=\s*(?:"((?:[^"\\]|\\.)*)"|([^,\s]*)))re"));
    auto it = pair.globalMatch(QString::fromLatin1(value.mid(value.indexOf(' ') + 1)));
    while (it.hasNext()) {
        const auto m = it.next();
        QString v = m.captured(2).isNull() ? m.captured(3) : m.captured(2);
        v.replace(QRegularExpression(QStringLiteral(R"(\\(.))")), QStringLiteral("\\1"));
        out.insert(m.captured(1).toLower().toLatin1(), v.toLatin1());
    }
    return out;
}

} // namespace

ScriptedHTTPServer::ScriptedHTTPServer()
{
    ::pipe(m_stopPipe);
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(m_listenFd, 64);
    socklen_t length = sizeof address;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

bool ScriptedHTTPServer::enableTLS(const QString& certificateFile, const QString& keyFile)
{
    // TLS writes to a client that has gone would raise SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (!context || SSL_CTX_use_certificate_chain_file(context, certificateFile.toLocal8Bit().constData()) != 1
        || SSL_CTX_use_PrivateKey_file(context, keyFile.toLocal8Bit().constData(), SSL_FILETYPE_PEM) != 1) {
        SSL_CTX_free(context);
        return false;
    }
    std::lock_guard lock(m_lock);
    if (m_tlsContext)
        SSL_CTX_free(static_cast<SSL_CTX*>(m_tlsContext));
    m_tlsContext = context;
    return true;
}

ScriptedHTTPServer::~ScriptedHTTPServer()
{
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    m_releasedChanged.notify_all();
    [[maybe_unused]] auto n = ::write(m_stopPipe[1], "x", 1);
    m_acceptor.join();
    {
        std::lock_guard lock(m_lock);
        for (int fd : m_connections)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (auto& worker : m_workers)
        worker.join();
    ::close(m_listenFd);
    ::close(m_stopPipe[0]);
    ::close(m_stopPipe[1]);
    if (m_tlsContext)
        SSL_CTX_free(static_cast<SSL_CTX*>(m_tlsContext));
}

void ScriptedHTTPServer::releaseHeld()
{
    {
        std::lock_guard lock(m_lock);
        m_released = true;
    }
    m_releasedChanged.notify_all();
}

void ScriptedHTTPServer::setScript(const QString& path, Script script)
{
    std::lock_guard lock(m_lock);
    m_scripts.insert(path, std::move(script));
}

QList<QByteArray> ScriptedHTTPServer::requestHeads() const
{
    std::lock_guard lock(m_lock);
    return m_requestHeads;
}

bool ScriptedHTTPServer::Exchange::send(const QByteArray& bytes) const
{
    return sendAll(fd, bytes);
}

bool ScriptedHTTPServer::Exchange::clientGone(int waitMs) const
{
    pollfd fds[2] = { { fd, POLLIN, 0 }, { stopFd, POLLIN, 0 } };
    if (::poll(fds, 2, waitMs) <= 0)
        return false;
    if (fds[1].revents & POLLIN)
        return true;
    char c;
    if (tlsSession)
        return SSL_peek(tlsSession, &c, 1) <= 0;
    return ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) <= 0;
}

QByteArray ScriptedHTTPServer::Exchange::field(const QByteArray& name) const
{
    for (const auto& line : head.split('\n')) {
        const QByteArray l = line.trimmed();
        const qsizetype colon = l.indexOf(':');
        if (colon > 0 && l.left(colon).trimmed().toLower() == name.toLower())
            return l.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

QString ScriptedHTTPServer::url(const QString& path) const
{
    std::lock_guard lock(m_lock);
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_tlsContext ? QStringLiteral("https") : QStringLiteral("http")).arg(m_port).arg(path);
}

void ScriptedHTTPServer::acceptLoop()
{
    while (!m_stopping) {
        if (!waitReadable(m_listenFd, m_stopPipe[0], 1000))
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const int number = ++m_accepted;
        std::lock_guard lock(m_lock);
        m_connections.push_back(fd);
        m_workers.emplace_back([this, fd, number] { serve(fd, number); });
    }
}

void ScriptedHTTPServer::serve(int fd, int connection)
{
    SSL* session = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_tlsContext)
            session = SSL_new(static_cast<SSL_CTX*>(m_tlsContext));
    }
    if (session) {
        SSL_set_fd(session, fd);
        if (SSL_accept(session) != 1) {
            SSL_free(session);
            std::lock_guard lock(m_lock);
            m_connections.erase(std::remove(m_connections.begin(), m_connections.end(), fd), m_connections.end());
            ::close(fd);
            return;
        }
        tlsSession = session;
    }
    QByteArray buffer;
    // Appends what the peer sends next; false when it closed, or sent
    // nothing for 30 s, or the server is stopping.
    const auto readMore = [&] {
        if (!waitReadable(fd, m_stopPipe[0], 30000))
            return false;
        char chunk[4096];
        const ssize_t n = receiveSome(fd, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer.append(chunk, n);
        return true;
    };
    // A connection carries at most a bounded number of requests, each
    // waited for at most 30 s.
    for (int exchange = 0; exchange < 100 && !m_stopping; ++exchange) {
        qsizetype headEnd = -1;
        while ((headEnd = buffer.indexOf("\r\n\r\n")) < 0) {
            if (!readMore())
                goto done;
        }
        {
            const QByteArray head = buffer.left(headEnd + 2);
            buffer.remove(0, headEnd + 4);
            const QList<QByteArray> lines = head.split('\n');
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            qsizetype contentLength = 0;
            bool chunked = false;
            for (const auto& line : lines) {
                const QByteArray l = line.trimmed().toLower();
                if (l.startsWith("content-length:"))
                    contentLength = l.mid(15).trimmed().toLongLong();
                if (l.startsWith("transfer-encoding:") && l.contains("chunked"))
                    chunked = true;
            }
            QByteArray body;
            if (chunked) {
                for (;;) {
                    qsizetype lineEnd;
                    while ((lineEnd = buffer.indexOf("\r\n")) < 0) {
                        if (!readMore())
                            goto done;
                    }
                    const qsizetype size = buffer.left(lineEnd).toLongLong(nullptr, 16);
                    while (buffer.size() < lineEnd + 2 + size + 2) {
                        if (!readMore())
                            goto done;
                    }
                    body += buffer.mid(lineEnd + 2, size);
                    buffer.remove(0, lineEnd + 2 + size + 2);
                    if (size == 0)
                        break;
                }
            } else {
                while (buffer.size() < contentLength) {
                    if (!readMore())
                        goto done;
                }
                body = buffer.left(contentLength);
                buffer.remove(0, contentLength);
            }
            if (!answer(fd, connection, requestLine.value(0), requestLine.value(1), head, body))
                goto done;
        }
    }
done:
    if (session) {
        SSL_shutdown(session);
        SSL_free(session);
        tlsSession = nullptr;
    }
    std::lock_guard lock(m_lock);
    m_connections.erase(std::remove(m_connections.begin(), m_connections.end(), fd), m_connections.end());
    ::close(fd);
}

bool ScriptedHTTPServer::answer(int fd, int connection, const QByteArray& method, const QByteArray& target, const QByteArray& head, const QByteArray& body)
{
    const QUrl url(QString::fromLatin1(target));
    const QString path = url.path();
    Script script;
    {
        std::lock_guard lock(m_lock);
        m_requestHeads.append(head);
        script = m_scripts.value(path);
    }
    if (script) {
        Exchange exchange { fd, m_stopPipe[0], connection, method, target, head, body };
        return script(exchange);
    }
    QByteArray rangeValue;
    QByteArray authorization;
    for (const auto& line : head.split('\n')) {
        if (line.trimmed().toLower().startsWith("range:"))
            rangeValue = line.trimmed().mid(6).trimmed();
        if (line.trimmed().toLower().startsWith("authorization:"))
            authorization = line.trimmed().mid(14).trimmed();
    }
    if (path.startsWith(QStringLiteral("/digest/")))
        return answerDigest(fd, path.section(u'/', 2, 2), method, target, authorization);
    if (path == QStringLiteral("/no-challenge"))
        return sendAll(fd, response(401, "Unauthorized", {}, "who are you"));
    if (path == QStringLiteral("/hello"))
        return sendAll(fd, response(200, "OK", {}, "hello"));
    if (path == QStringLiteral("/hold")) {
        {
            std::unique_lock lock(m_lock);
            const int now = ++m_held;
            m_mostHeld = std::max(m_mostHeld.load(), now);
            m_releasedChanged.wait_for(lock, std::chrono::minutes(1), [this] { return m_released || m_stopping.load(); });
            --m_held;
        }
        return sendAll(fd, response(200, "OK", {}, "held"));
    }
    if (path == QStringLiteral("/close-after")) {
        sendAll(fd, response(200, "OK", {}, "bye"));
        ::shutdown(fd, SHUT_RDWR);
        ++m_closed;
        return false;
    }
    if (path == QStringLiteral("/silent")) {
        // Holds the connection until the client goes or the server stops.
        waitReadable(fd, m_stopPipe[0], 60000);
        return false;
    }
    if (path == QStringLiteral("/stall")) {
        // Part of the body, then nothing until the client goes.
        sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + QByteArray(10, 's'));
        waitReadable(fd, m_stopPipe[0], 60000);
        return false;
    }
    if (path == QStringLiteral("/drip")) {
        if (!sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n"))
            return false;
        for (char c = '0'; c <= '9'; ++c) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (!sendAll(fd, QByteArray(1, c)))
                return false;
        }
        return true;
    }
    if (path == QStringLiteral("/truncate")) {
        sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + QByteArray(40, 'x'));
        return false;
    }
    if (path == QStringLiteral("/truncate-chunked")) {
        sendAll(fd, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n");
        return false;
    }
    if (path == QStringLiteral("/corrupt-gzip"))
        return sendAll(fd, response(200, "OK", { "Content-Encoding: gzip" }, "this is not gzip at all"));
    if (path == QStringLiteral("/keepalive")) {
        const QByteArray value = QUrlQuery(url).queryItemValue(QStringLiteral("h"), QUrl::FullyDecoded).toLatin1();
        return sendAll(fd, response(200, "OK", { "Connection: keep-alive", "Keep-Alive: " + value }, "kept"));
    }
    if (path == QStringLiteral("/range")) {
        QByteArray resource;
        for (int i = 0; i < 100; ++i)
            resource += char('a' + i % 26);
        if (rangeValue.startsWith("bytes=") && rangeValue.endsWith('-')) {
            const qsizetype from = rangeValue.mid(6, rangeValue.size() - 7).toLongLong();
            if (from >= resource.size())
                return sendAll(fd, response(416, "Range Not Satisfiable", { "Content-Range: bytes */100" }, ""));
            return sendAll(fd, response(206, "Partial Content",
                                   { "Content-Range: bytes " + QByteArray::number(from) + "-99/100" }, resource.mid(from)));
        }
        return sendAll(fd, response(200, "OK", {}, resource));
    }
    const QByteArray connectionField = "X-Connection: " + QByteArray::number(connection);
    if (path == QStringLiteral("/echo"))
        return sendAll(fd, response(200, "OK", { "Content-Type: text/plain", connectionField }, head + "\r\n" + body));
    if (path == QStringLiteral("/connection"))
        return sendAll(fd, response(200, "OK", { connectionField }, QByteArray::number(connection)));
    if (path == QStringLiteral("/set-cookie")) {
        const QByteArray cookie = QUrlQuery(url).queryItemValue(QStringLiteral("c"), QUrl::FullyDecoded).toUtf8();
        return sendAll(fd, response(200, "OK", { "Set-Cookie: " + cookie }, "set"));
    }
    if (path.startsWith(QStringLiteral("/redirect"))) {
        const QUrlQuery query(url);
        const int status = query.queryItemValue(QStringLiteral("status")).toInt();
        const QByteArray to = query.queryItemValue(QStringLiteral("to"), QUrl::FullyDecoded).toUtf8();
        return sendAll(fd, response(status, "Redirect", { "Location: " + to }, "moved"));
    }
    if (path == QStringLiteral("/headers")) {
        QList<QByteArray> fields;
        for (const QString& field : QUrlQuery(url).allQueryItemValues(QStringLiteral("h"), QUrl::FullyDecoded))
            fields.append(field.toUtf8());
        return sendAll(fd, response(200, "OK", fields, "headers"));
    }
    if (path == QStringLiteral("/status")) {
        const int status = QUrlQuery(url).queryItemValue(QStringLiteral("code")).toInt();
        return sendAll(fd, response(status, "Status", {}, "status"));
    }
    if (path == QStringLiteral("/range-shifted") || path == QStringLiteral("/range-ignored")) {
        QByteArray resource;
        for (int i = 0; i < 100; ++i)
            resource += char('A' + i % 26);
        if (path == QStringLiteral("/range-ignored"))
            return sendAll(fd, response(200, "OK", {}, resource));
        return sendAll(fd, response(206, "Partial Content", { "Content-Range: bytes 0-99/100" }, resource));
    }
    if (path == QStringLiteral("/huge-header"))
        return sendAll(fd, response(200, "OK", { "X-Filler: " + QByteArray(200 * 1024, 'f') }, "x"));
    Q_UNUSED(method);
    return sendAll(fd, response(404, "Not Found", {}, "no such script"));
}

// Checks the answer with its own arithmetic (Qt's MD5, not the client's).
bool ScriptedHTTPServer::answerDigest(int fd, const QString& kind, const QByteArray& method, const QByteArray& target,
    const QByteArray& authorization)
{
    const bool withQop = kind != QStringLiteral("legacy");
    const bool stale = kind == QStringLiteral("stale");
    const auto challenge = [&](const QByteArray& nonce, bool isStale) {
        QByteArray value = "WWW-Authenticate: Digest realm=\"" + digestRealm() + "\", nonce=\"" + nonce + "\", opaque=\"velumo-opaque\"";
        if (withQop)
            value += ", qop=\"auth,auth-int\"";
        if (isStale)
            value += ", stale=true";
        return sendAll(fd, response(401, "Unauthorized", { value }, "digest needed"));
    };
    const QByteArray fresh = (stale ? "first-" : "nonce-") + QByteArray::number(++m_nonces);
    if (!authorization.startsWith("Digest "))
        return challenge(fresh, false);
    const auto p = digestParameters(authorization);
    const QByteArray ha1 = md5Hex(digestUser() + ':' + digestRealm() + ':' + digestPassword());
    const QByteArray ha2 = md5Hex(method + ':' + target);
    const QByteArray expected = withQop
        ? md5Hex(ha1 + ':' + p.value("nonce") + ':' + p.value("nc") + ':' + p.value("cnonce") + ":auth:" + ha2)
        : md5Hex(ha1 + ':' + p.value("nonce") + ':' + ha2);
    const bool right = p.value("username") == digestUser() && p.value("realm") == digestRealm() && p.value("uri") == target
        && p.value("opaque") == "velumo-opaque" && p.value("response") == expected
        && (withQop ? p.value("qop") == "auth" && p.value("nc").size() == 8 && !p.value("cnonce").isEmpty() : !p.contains("qop"));
    if (!right)
        return challenge(fresh, false);
    if (stale && p.value("nonce").startsWith("first-"))
        return challenge("second-" + QByteArray::number(++m_nonces), true);
    return sendAll(fd, response(200, "OK", {}, "digest ok"));
}

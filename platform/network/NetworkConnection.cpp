#include "NetworkConnection.h"

#include "platform/libraries/SystemLibraries.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>

namespace platform {

namespace {
// TLS writes go through write(), not send() with MSG_NOSIGNAL: to a server
// that has closed its side they raise SIGPIPE, whose default action ends
// the process. The failed write is reported as an error instead.
void ignoreBrokenPipes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            ::signal(SIGPIPE, SIG_IGN);
    });
}
} // namespace

struct NetworkConnection::TLSContext {
    SSL_CTX* ctx = nullptr;
    TLSSettings settings;
    ~TLSContext()
    {
        if (ctx)
            SSL_CTX_free(ctx);
    }
};

namespace {

int settingsIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// Lets the checks that the settings relax pass; every other one stands.
int verifyCallback(int preverified, X509_STORE_CTX* store)
{
    if (preverified)
        return 1;
    auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* settings = ssl ? static_cast<const TLSSettings*>(SSL_get_ex_data(ssl, settingsIndex())) : nullptr;
    if (!settings)
        return 0;
    switch (X509_STORE_CTX_get_error(store)) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return settings->allowsExpiredCertificates ? 1 : 0;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
        return settings->allowsAnyRoot ? 1 : 0;
    default:
        return 0;
    }
}

NetworkError verifyError(long result)
{
    const QString text = QStringLiteral("The server's certificate was refused: %1")
                             .arg(QString::fromLatin1(X509_verify_cert_error_string(result)));
    switch (result) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return NetworkError::security(NetworkError::CertificateChainInvalid, text);
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return NetworkError::security(NetworkError::UnknownRootCertificate, text);
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return NetworkError::security(NetworkError::CertificateExpired, text);
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return NetworkError::security(NetworkError::CertificateNameMismatch, text);
    default:
        return NetworkError::security(NetworkError::CertificateRejected, text);
    }
}

QString openSSLErrors()
{
    QString text;
    while (unsigned long e = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(e, buffer, sizeof buffer);
        if (!text.isEmpty())
            text += QStringLiteral("; ");
        text += QString::fromLatin1(buffer);
    }
    return text;
}

} // namespace

bool NetworkConnection::isAddressLiteral(const QString& host)
{
    const QByteArray bytes = host.toLatin1();
    unsigned char address[16];
    return ::inet_pton(AF_INET, bytes.constData(), address) == 1 || ::inet_pton(AF_INET6, bytes.constData(), address) == 1;
}

namespace {
std::mutex& lookupLock()
{
    static std::mutex lock;
    return lock;
}
NetworkConnection::Lookup& lookupOverride()
{
    static NetworkConnection::Lookup lookup;
    return lookup;
}
} // namespace

void NetworkConnection::setLookup(Lookup lookup)
{
    std::lock_guard lock(lookupLock());
    lookupOverride() = std::move(lookup);
}

bool NetworkConnection::hasLookup()
{
    std::lock_guard lock(lookupLock());
    return bool(lookupOverride());
}

std::vector<NetworkConnection::Address> NetworkConnection::resolve(const QString& host, int port, NetworkError& error)
{
    Lookup lookup;
    {
        std::lock_guard lock(lookupLock());
        lookup = lookupOverride();
    }
    if (lookup)
        return lookup(host, port, error);
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // An address literal needs no look-up at all.
    if (isAddressLiteral(host))
        hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    const QByteArray name = host.toUtf8();
    const QByteArray service = QByteArray::number(port);
    std::vector<Address> addresses;
    if (::getaddrinfo(name.constData(), service.constData(), &hints, &found) != 0 || !found) {
        error = NetworkError::network(NetworkError::HostNotFound);
        return addresses;
    }
    // A name with a great many addresses is tried on its first few.
    for (addrinfo* a = found; a && addresses.size() < 16; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        Address address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        addresses.push_back(address);
    }
    ::freeaddrinfo(found);
    if (addresses.empty())
        error = NetworkError::network(NetworkError::HostNotFound);
    return addresses;
}

std::shared_ptr<NetworkConnection> NetworkConnection::connectTo(const QString& host, int port, NetworkError& error)
{
    std::vector<Address> addresses = resolve(host, port, error);
    if (addresses.empty())
        return nullptr;
    return connectTo(std::move(addresses), error);
}

std::shared_ptr<NetworkConnection> NetworkConnection::connectTo(std::vector<Address> addresses, NetworkError& error)
{
    if (addresses.empty()) {
        error = NetworkError::network(NetworkError::HostNotFound);
        return nullptr;
    }
    std::shared_ptr<NetworkConnection> connection(new NetworkConnection());
    connection->m_addresses = std::move(addresses);
    if (!connection->connectNext(error))
        return nullptr;
    return connection;
}

bool NetworkConnection::connectNext(NetworkError& error)
{
    while (m_nextAddress < m_addresses.size()) {
        if (startConnect(error))
            return true;
    }
    return false;
}

bool NetworkConnection::startConnect(NetworkError& error)
{
    const Address& address = m_addresses[m_nextAddress++];
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    const int fd = ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = NetworkError::posix(errno);
        return false;
    }
    m_fd = fd;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length);
    const int err = errno;
    if (result != 0 && err != EINPROGRESS) {
        error = NetworkError::posix(err);
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

NetworkConnection::~NetworkConnection()
{
    close();
}

void NetworkConnection::close()
{
    if (m_ssl) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    m_tls.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool NetworkConnection::finishConnect(NetworkError& error)
{
    int err = 0;
    socklen_t length = sizeof err;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &err, &length) != 0)
        err = errno;
    if (err != 0) {
        error = NetworkError::posix(err);
        return false;
    }
    return true;
}

bool NetworkConnection::startTLS(const TLSSettings& settings, const QString& host, NetworkError& error)
{
    // The TLS libraries are loaded by the first network use (or here).
    if (QString why; !systemlibraries::tls().load(&why) || !systemlibraries::crypto().load(&why)) {
        error = NetworkError::security(NetworkError::ProtocolFailure, why);
        return false;
    }
    m_tls = std::make_unique<TLSContext>();
    m_tls->settings = settings;
    m_tls->ctx = SSL_CTX_new(TLS_client_method());
    if (!m_tls->ctx) {
        error = NetworkError::security(NetworkError::ProtocolFailure, openSSLErrors());
        return false;
    }
    SSL_CTX_set_min_proto_version(m_tls->ctx, TLS1_2_VERSION);
    // The system's trust store is read only when it will be consulted.
    if (settings.validatesCertificateChain)
        SSL_CTX_set_default_verify_paths(m_tls->ctx);
    m_ssl = SSL_new(m_tls->ctx);
    if (!m_ssl) {
        error = NetworkError::security(NetworkError::ProtocolFailure, openSSLErrors());
        return false;
    }
    SSL_set_mode(m_ssl, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER | SSL_MODE_ENABLE_PARTIAL_WRITE);
    SSL_set_ex_data(m_ssl, settingsIndex(), &m_tls->settings);
    SSL_set_fd(m_ssl, m_fd);
    ignoreBrokenPipes();
    const bool isAddress = isAddressLiteral(host);
    const QByteArray hostBytes = host.toUtf8();
    // Server name indication is for names only, never for addresses.
    if (!isAddress)
        SSL_set_tlsext_host_name(m_ssl, hostBytes.constData());
    if (settings.validatesCertificateChain) {
        SSL_set_verify(m_ssl, SSL_VERIFY_PEER, verifyCallback);
        if (settings.checksPeerName) {
            const QString expected = settings.peerName.isEmpty() ? host : settings.peerName;
            const QByteArray expectedBytes = expected.toUtf8();
            X509_VERIFY_PARAM* param = SSL_get0_param(m_ssl);
            if (isAddressLiteral(expected))
                X509_VERIFY_PARAM_set1_ip_asc(param, expectedBytes.constData());
            else
                X509_VERIFY_PARAM_set1_host(param, expectedBytes.constData(), 0);
        }
    } else {
        SSL_set_verify(m_ssl, SSL_VERIFY_NONE, nullptr);
    }
    if (!settings.clientCertificateChainFile.isEmpty()) {
        const QByteArray chain = settings.clientCertificateChainFile.toLocal8Bit();
        const QByteArray key = (settings.clientPrivateKeyFile.isEmpty() ? settings.clientCertificateChainFile
                                                                        : settings.clientPrivateKeyFile)
                                   .toLocal8Bit();
        if (SSL_use_certificate_chain_file(m_ssl, chain.constData()) != 1
            || SSL_use_PrivateKey_file(m_ssl, key.constData(), SSL_FILETYPE_PEM) != 1
            || SSL_check_private_key(m_ssl) != 1) {
            error = NetworkError::security(NetworkError::ClientCertificateFailed,
                QStringLiteral("The client certificate could not be used: %1").arg(openSSLErrors()));
            return false;
        }
    }
    SSL_set_connect_state(m_ssl);
    return true;
}

NetworkConnection::IO NetworkConnection::tlsResult(int result, NetworkError& error, bool handshaking)
{
    const int reason = SSL_get_error(m_ssl, result);
    switch (reason) {
    case SSL_ERROR_WANT_READ:
        return IO::WantRead;
    case SSL_ERROR_WANT_WRITE:
        return IO::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
        return IO::Closed;
    case SSL_ERROR_SYSCALL:
        if (errno == 0 || errno == ECONNRESET || errno == EPIPE) {
            ERR_clear_error();
            if (handshaking) {
                error = NetworkError::security(NetworkError::HandshakeFailed,
                    QStringLiteral("The server closed the connection during the secure handshake"));
                return IO::Failed;
            }
            // A peer that closes without a TLS close alert ends the stream
            // all the same; whether the body was whole is the parser's call.
            return IO::Closed;
        }
        error = NetworkError::posix(errno);
        ERR_clear_error();
        return IO::Failed;
    default:
        if (handshaking) {
            const long verify = SSL_get_verify_result(m_ssl);
            if (verify != X509_V_OK) {
                ERR_clear_error();
                error = verifyError(verify);
            } else {
                error = NetworkError::security(NetworkError::HandshakeFailed,
                    QStringLiteral("The secure handshake failed: %1").arg(openSSLErrors()));
            }
        } else {
            error = NetworkError::security(NetworkError::ProtocolFailure, openSSLErrors());
        }
        return IO::Failed;
    }
}

NetworkConnection::IO NetworkConnection::handshake(NetworkError& error)
{
    ERR_clear_error();
    const int result = SSL_do_handshake(m_ssl);
    if (result == 1)
        return IO::Done;
    return tlsResult(result, error, true);
}

NetworkConnection::IO NetworkConnection::read(char* buffer, std::size_t size, std::size_t& got, NetworkError& error)
{
    got = 0;
    if (m_ssl) {
        ERR_clear_error();
        errno = 0;
        const int result = SSL_read_ex(m_ssl, buffer, size, &got) == 1 ? 1 : 0;
        if (result == 1)
            return IO::Done;
        return tlsResult(result, error, false);
    }
    const ssize_t n = ::recv(m_fd, buffer, size, 0);
    if (n > 0) {
        got = std::size_t(n);
        return IO::Done;
    }
    if (n == 0)
        return IO::Closed;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return IO::WantRead;
    error = NetworkError::posix(errno);
    return IO::Failed;
}

NetworkConnection::IO NetworkConnection::write(const char* buffer, std::size_t size, std::size_t& sent, NetworkError& error)
{
    sent = 0;
    if (m_ssl) {
        ERR_clear_error();
        errno = 0;
        if (SSL_write_ex(m_ssl, buffer, size, &sent) == 1)
            return IO::Done;
        return tlsResult(0, error, false);
    }
    const ssize_t n = ::send(m_fd, buffer, size, MSG_NOSIGNAL);
    if (n >= 0) {
        sent = std::size_t(n);
        return IO::Done;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return IO::WantWrite;
    error = NetworkError::posix(errno);
    return IO::Failed;
}

} // namespace platform

#pragma once

#include "NetworkError.h"
#include "TLSSettings.h"

#include <QString>

#include <cstddef>
#include <memory>

typedef struct ssl_st SSL;

namespace platform {

// One non-blocking TCP connection, optionally carrying TLS. The stream
// drives it; the connection only moves bytes and reports what it waits for.
class NetworkConnection {
public:
    enum class IO { Done, WantRead, WantWrite, Closed, Failed };

    // Starts connecting; the result is known once the socket is writable.
    static std::shared_ptr<NetworkConnection> connectTo(const QString& host, int port, NetworkError& error);
    ~NetworkConnection();
    NetworkConnection(const NetworkConnection&) = delete;
    NetworkConnection& operator=(const NetworkConnection&) = delete;

    static bool isAddressLiteral(const QString& host);

    int fd() const { return m_fd; }
    // After the socket turned writable: whether the connection was made.
    bool finishConnect(NetworkError& error);

    bool startTLS(const TLSSettings& settings, const QString& host, NetworkError& error);
    bool isTLS() const { return m_ssl != nullptr; }
    IO handshake(NetworkError& error);

    IO read(char* buffer, std::size_t size, std::size_t& got, NetworkError& error);
    IO write(const char* buffer, std::size_t size, std::size_t& sent, NetworkError& error);
    void close();

    // Set when a second exchange runs on the connection.
    bool hasBeenUsed() const { return m_used; }
    void setUsed() { m_used = true; }

private:
    NetworkConnection() = default;
    IO tlsResult(int result, NetworkError& error, bool handshaking);

    int m_fd = -1;
    SSL* m_ssl = nullptr;
    bool m_used = false;
    struct TLSContext;
    std::unique_ptr<TLSContext> m_tls;
};

} // namespace platform

#pragma once

#include "NetworkError.h"
#include "TLSSettings.h"

#include <QString>

#include <sys/socket.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

typedef struct ssl_st SSL;

namespace platform {

// One non-blocking TCP connection, optionally carrying TLS. The stream
// drives it; the connection only moves bytes and reports what it waits for.
class NetworkConnection {
public:
    enum class IO { Done, WantRead, WantWrite, Closed, Failed };

    // One address a host name stands for, with its port.
    struct Address {
        sockaddr_storage storage {};
        socklen_t length = 0;
    };
    // Looks the name up (blocking: call it where waiting harms no one) and
    // answers its addresses in the resolver's order.
    static std::vector<Address> resolve(const QString& host, int port, NetworkError& error);
    // What resolve() asks; a test may answer for the system's resolver
    // (null goes back to it).
    using Lookup = std::function<std::vector<Address>(const QString& host, int port, NetworkError& error)>;
    static void setLookup(Lookup lookup);
    static bool hasLookup();

    // Starts connecting to the first address that takes a socket; the
    // result is known once the socket is writable.
    static std::shared_ptr<NetworkConnection> connectTo(std::vector<Address> addresses, NetworkError& error);
    // Resolves (blocking) and connects.
    static std::shared_ptr<NetworkConnection> connectTo(const QString& host, int port, NetworkError& error);
    // After a failed connect: starts on the next address (a new socket);
    // false when none is left.
    bool connectNext(NetworkError& error);
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

    bool startConnect(NetworkError& error);

    int m_fd = -1;
    std::vector<Address> m_addresses;
    std::size_t m_nextAddress = 0;
    SSL* m_ssl = nullptr;
    bool m_used = false;
    struct TLSContext;
    std::unique_ptr<TLSContext> m_tls;
};

} // namespace platform

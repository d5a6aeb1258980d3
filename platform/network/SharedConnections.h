#pragma once

#include <QString>

#include <map>
#include <memory>
#include <mutex>

namespace platform {

class NetworkConnection;

// Idle connections kept alive between exchanges, by the sharing
// identifier that streams carry. A connection waits here, still belonging
// to the stream whose exchange ended on it, until a stream with the same
// identifier and endpoint takes it or the owning stream is closed.
class SharedConnections {
public:
    static SharedConnections& shared();

    void park(quint64 id, const QString& endpoint, std::shared_ptr<NetworkConnection> connection, quint64 owner);
    std::shared_ptr<NetworkConnection> take(quint64 id, const QString& endpoint);
    // Closes the connection parked under id when owner still owns it.
    void closeOwned(quint64 id, quint64 owner);
    bool hasIdleConnection(quint64 id) const;
    // Closes every idle connection, as if the program had just started:
    // nothing kept alive before carries what comes next.
    void closeAll();

private:
    struct Entry {
        QString endpoint;
        std::shared_ptr<NetworkConnection> connection;
        quint64 owner;
    };
    mutable std::mutex m_lock;
    std::map<quint64, Entry> m_idle;
};

} // namespace platform

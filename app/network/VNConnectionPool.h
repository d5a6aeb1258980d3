#pragma once

#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {
class HTTPReadStream;
}

// The process's kept-alive connections, one entry per connection, keyed
// by host, scheme and port. A request holds an entry while its exchange
// runs; a free entry waits, with the last stream opened on it, until it
// expires. The connection number goes on every stream opened on the
// entry, which is what lets the streams share the one socket. Everything
// here runs under the class's recursive lock, which callers may also take
// to group several steps (lockForUpdate()).
class VNConnectionPool {
public:
    using Clock = std::chrono::steady_clock;

    struct Entry {
        quint64 id = 0;
        QString host;
        int port = 0;
        QString scheme;
        quint64 requestID = 0; // 0 while free
        std::shared_ptr<platform::HTTPReadStream> stream;
        std::optional<Clock::time_point> expires;
    };

    static VNConnectionPool& shared();

    std::unique_lock<std::recursive_mutex> lockForUpdate() { return std::unique_lock(m_lock); }

    // Whether a held entry may carry an exchange to url now: same host,
    // scheme and port, not expired (an expired one leaves the pool), and
    // held by no other request.
    bool canKeep(const std::shared_ptr<Entry>& entry, const QUrl& url, quint64 requestID);
    // The last free entry for url's host, scheme and port, or a new one.
    std::shared_ptr<Entry> entryFor(const QUrl& url);
    void remove(const std::shared_ptr<Entry>& entry);
    // Closes and drops every free entry whose time is up.
    void expire();
    // Lets the entry go free for seconds more.
    void release(const std::shared_ptr<Entry>& entry, double seconds);

    quint64 nextRequestID();
    int size();
    // Streams scheduled right now (what says the network is in use).
    void streamScheduled();
    void streamUnscheduled();
    int runningRequestCount();

private:
    std::recursive_mutex m_lock;
    std::vector<std::shared_ptr<Entry>> m_entries;
    quint64 m_nextConnectionID = 0;
    quint64 m_nextRequestID = 0;
    int m_running = 0;
};

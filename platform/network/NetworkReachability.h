#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

struct sockaddr_in;

namespace platform {

class RunLoop;
class RunLoopFdSource;

// Whether packets for a host name or an IPv4 address would leave this
// machine, from the kernel's own routing: the route it would choose is
// read over a netlink socket, and while scheduled the object listens to
// the kernel's notices of links, addresses and routes and calls back when
// the answer changes. Nothing is sent to the target.
class NetworkReachability {
public:
    enum Flag : quint32 {
        TransientConnection = 1,
        Reachable = 2,
        ConnectionRequired = 4,
        ConnectionOnTraffic = 8,
        InterventionRequired = 16,
        IsLocalAddress = 65536,
        IsDirect = 131072,
    };
    using Callback = std::function<void(quint32 flags)>;

    // Null for an empty name.
    static std::unique_ptr<NetworkReachability> createWithName(const QString& hostName);
    // Null unless the record is an IPv4 one.
    static std::unique_ptr<NetworkReachability> createWithAddress(const sockaddr_in& address);
    ~NetworkReachability();

    // Read afresh each time; nothing when the kernel cannot be asked. A
    // host name is looked up first (that may wait on the resolver); one
    // that does not resolve is not reachable. 0.0.0.0 stands for "any
    // route out": reachable when there is a default route.
    std::optional<quint32> flags() const;

    void setCallback(Callback callback);
    // Listens on the loop's mode; the callback runs there, after a batch of
    // notices, when the flags differ from those seen last.
    bool schedule(RunLoop& loop, const QString& mode);
    void unschedule(RunLoop& loop, const QString& mode);

private:
    NetworkReachability() = default;
    void handleNotices();

    QString hostName_;
    quint32 address_ = 0; // network byte order
    bool byName_ = false;
    Callback callback_;
    int socket_ = -1;
    std::shared_ptr<RunLoopFdSource> source_;
    std::optional<quint32> lastFlags_;
};

} // namespace platform

#include "NetworkReachability.h"

#include "RunLoop.h"
#include "RunLoopFdSource.h"

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// A netlink request socket that gives up after a second: the kernel
// answers at once, so the bound only matters when something is broken.
int openRouteSocket()
{
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0)
        return -1;
    timeval timeout {1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_nl local {};
    local.nl_family = AF_NETLINK;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct RouteRequest {
    nlmsghdr header;
    rtmsg route;
    char attributes[32];
};

bool sendRequest(int fd, RouteRequest& request)
{
    sockaddr_nl kernel {};
    kernel.nl_family = AF_NETLINK;
    return ::sendto(fd, &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel)
        == ssize_t(request.header.nlmsg_len);
}

// What a route says about its destination.
quint32 flagsForRoute(const rtmsg* route, int length)
{
    if (route->rtm_type == RTN_LOCAL)
        return NetworkReachability::Reachable | NetworkReachability::IsLocalAddress | NetworkReachability::IsDirect;
    if (route->rtm_type != RTN_UNICAST)
        return 0;
    bool gateway = false;
    int remaining = length;
    for (const rtattr* a = RTM_RTA(route); RTA_OK(a, remaining); a = RTA_NEXT(a, remaining)) {
        if (a->rta_type == RTA_GATEWAY || a->rta_type == RTA_VIA || a->rta_type == RTA_MULTIPATH)
            gateway = true;
    }
    return NetworkReachability::Reachable | (gateway ? 0u : quint32(NetworkReachability::IsDirect));
}

// The route the kernel would take to the address; 0 when it has none.
std::optional<quint32> flagsForAddress(quint32 address)
{
    const int fd = openRouteSocket();
    if (fd < 0)
        return std::nullopt;
    RouteRequest request {};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.header.nlmsg_seq = 1;
    request.route.rtm_family = AF_INET;
    request.route.rtm_dst_len = 32;
    auto* destination = reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&request) + NLMSG_ALIGN(request.header.nlmsg_len));
    destination->rta_type = RTA_DST;
    destination->rta_len = RTA_LENGTH(sizeof address);
    std::memcpy(RTA_DATA(destination), &address, sizeof address);
    request.header.nlmsg_len = NLMSG_ALIGN(request.header.nlmsg_len) + RTA_LENGTH(sizeof address);

    std::optional<quint32> result;
    alignas(nlmsghdr) char buffer[8192];
    if (sendRequest(fd, request)) {
        const ssize_t received = ::recv(fd, buffer, sizeof buffer, 0);
        if (received > 0) {
            int remaining = int(received);
            for (auto* m = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(m, remaining); m = NLMSG_NEXT(m, remaining)) {
                if (m->nlmsg_type == NLMSG_ERROR) {
                    // No route (unreachable network, no interface up) is an
                    // answer, not a failure.
                    result = 0;
                    break;
                }
                if (m->nlmsg_type == RTM_NEWROUTE) {
                    result = flagsForRoute(static_cast<rtmsg*>(NLMSG_DATA(m)), int(RTM_PAYLOAD(m)));
                    break;
                }
            }
        }
    }
    ::close(fd);
    return result;
}

// "Any route out": a default route in the main table.
std::optional<quint32> flagsForDefaultRoute()
{
    const int fd = openRouteSocket();
    if (fd < 0)
        return std::nullopt;
    RouteRequest request {};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.route.rtm_family = AF_INET;

    std::optional<quint32> result;
    if (sendRequest(fd, request)) {
        quint32 flags = 0;
        bool done = false;
        // A dump comes in several datagrams; the routing table is finite,
        // and the receive time-out ends a kernel that stops answering.
        for (int datagrams = 0; !done && datagrams < 4096; ++datagrams) {
            alignas(nlmsghdr) char buffer[16384];
            const ssize_t received = ::recv(fd, buffer, sizeof buffer, 0);
            if (received <= 0)
                break;
            int remaining = int(received);
            for (auto* m = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(m, remaining); m = NLMSG_NEXT(m, remaining)) {
                if (m->nlmsg_type == NLMSG_DONE || m->nlmsg_type == NLMSG_ERROR) {
                    done = true;
                    break;
                }
                const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(m));
                if (m->nlmsg_type == RTM_NEWROUTE && route->rtm_dst_len == 0 && route->rtm_table == RT_TABLE_MAIN
                    && route->rtm_type == RTN_UNICAST && !(flags & NetworkReachability::Reachable))
                    flags = flagsForRoute(route, int(RTM_PAYLOAD(m)));
            }
        }
        if (done)
            result = flags;
    }
    ::close(fd);
    return result;
}

} // namespace

std::unique_ptr<NetworkReachability> NetworkReachability::createWithName(const QString& hostName)
{
    if (hostName.isEmpty())
        return nullptr;
    std::unique_ptr<NetworkReachability> r(new NetworkReachability());
    r->hostName_ = hostName;
    r->byName_ = true;
    return r;
}

std::unique_ptr<NetworkReachability> NetworkReachability::createWithAddress(const sockaddr_in& address)
{
    if (address.sin_family != AF_INET)
        return nullptr;
    std::unique_ptr<NetworkReachability> r(new NetworkReachability());
    r->address_ = address.sin_addr.s_addr;
    return r;
}

NetworkReachability::~NetworkReachability()
{
    if (source_)
        source_->invalidate();
    if (socket_ >= 0)
        ::close(socket_);
}

std::optional<quint32> NetworkReachability::flags() const
{
    quint32 address = address_;
    if (byName_) {
        addrinfo hints {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(hostName_.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
            return 0u;
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        ::freeaddrinfo(found);
    } else if (address == htonl(INADDR_ANY)) {
        return flagsForDefaultRoute();
    }
    return flagsForAddress(address);
}

void NetworkReachability::setCallback(Callback callback)
{
    callback_ = std::move(callback);
}

bool NetworkReachability::schedule(RunLoop& loop, const QString& mode)
{
    if (!source_) {
        const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
        if (fd < 0)
            return false;
        sockaddr_nl local {};
        local.nl_family = AF_NETLINK;
        local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) < 0) {
            ::close(fd);
            return false;
        }
        socket_ = fd;
        source_ = RunLoopFdSource::create(fd, RunLoopFdSource::Readable, [this](int) { handleNotices(); });
        lastFlags_ = flags();
    }
    source_->schedule(loop, mode);
    return true;
}

void NetworkReachability::unschedule(RunLoop& loop, const QString& mode)
{
    if (source_)
        source_->unschedule(loop, mode);
}

void NetworkReachability::handleNotices()
{
    // Drain the batch first: one change of the network comes as several
    // notices (link, address, routes) and is reported once.
    alignas(nlmsghdr) char buffer[16384];
    for (int reads = 0; reads < 1024; ++reads) {
        const ssize_t received = ::recv(socket_, buffer, sizeof buffer, 0);
        if (received < 0 && errno == EINTR)
            continue;
        // ENOBUFS means notices were lost: the flags are read afresh anyway.
        if (received <= 0)
            break;
    }
    const std::optional<quint32> current = flags();
    if (current == lastFlags_)
        return;
    lastFlags_ = current;
    if (callback_)
        callback_(current.value_or(0));
}

} // namespace platform

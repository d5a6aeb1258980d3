#include "Reachability.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/network/MainThread.h"
#include "platform/network/NetworkReachability.h"
#include "platform/network/RunLoop.h"

#include <arpa/inet.h>
#include <netinet/in.h>

using platform::NetworkReachability;

const QString Reachability::changedNotification = QStringLiteral("NetworkReachabilityChangedNotification");
const QString Reachability::internetConnectionKey = QStringLiteral("InternetConnection");
const QString Reachability::localWiFiKey = QStringLiteral("LocalWiFiConnection");

Reachability::Reachability(std::unique_ptr<NetworkReachability> reachabilityRef)
    : reachabilityRef_(std::move(reachabilityRef))
{
}

Reachability::~Reachability()
{
    *alive_ = false;
    stopNotifier();
}

std::unique_ptr<Reachability> Reachability::reachabilityWithHostName(const QString& hostName)
{
    auto ref = NetworkReachability::createWithName(hostName);
    if (!ref)
        return nullptr;
    auto r = std::make_unique<Reachability>(std::move(ref));
    r->key_ = hostName;
    return r;
}

std::unique_ptr<Reachability> Reachability::reachabilityWithAddress(const sockaddr_in& address)
{
    auto ref = NetworkReachability::createWithAddress(address);
    if (!ref)
        return nullptr;
    auto r = std::make_unique<Reachability>(std::move(ref));
    r->key_ = makeAddressKey(address.sin_addr.s_addr);
    return r;
}

std::unique_ptr<Reachability> Reachability::reachabilityForInternetConnection()
{
    sockaddr_in zero {};
    zero.sin_family = AF_INET;
    auto r = reachabilityWithAddress(zero);
    if (r)
        r->key_ = internetConnectionKey;
    return r;
}

std::unique_ptr<Reachability> Reachability::reachabilityForLocalWiFi()
{
    sockaddr_in linkLocal {};
    linkLocal.sin_family = AF_INET;
    linkLocal.sin_addr.s_addr = htonl(0xA9FE0000u); // 169.254.0.0
    auto r = reachabilityWithAddress(linkLocal);
    if (r)
        r->key_ = localWiFiKey;
    return r;
}

QString Reachability::makeAddressKey(quint32 address)
{
    const quint32 host = ntohl(address);
    return QStringLiteral("%1.%2.%3.%4").arg(host >> 24).arg((host >> 16) & 0xFF).arg((host >> 8) & 0xFF).arg(host & 0xFF);
}

bool Reachability::startNotifier()
{
    if (!reachabilityRef_)
        return false;
    if (notifierLoop_)
        return true;
    std::weak_ptr<std::atomic<bool>> alive = alive_;
    reachabilityRef_->setCallback([this, alive](quint32) {
        // Observers live on the main thread, as does the notification centre.
        auto post = [this, alive] {
            const auto still = alive.lock();
            if (still && *still)
                platform::NotificationCenter::defaultCenter().post(changedNotification, this);
        };
        if (platform::MainThread::isCurrent())
            post();
        else
            platform::MainThread::perform(post);
    });
    platform::RunLoop& loop = platform::RunLoop::current();
    if (!reachabilityRef_->schedule(loop, platform::RunLoop::defaultMode))
        return false;
    notifierLoop_ = &loop;
    return true;
}

void Reachability::stopNotifier()
{
    if (reachabilityRef_ && notifierLoop_)
        reachabilityRef_->unschedule(*notifierLoop_, platform::RunLoop::defaultMode);
    notifierLoop_ = nullptr;
}

quint32 Reachability::reachabilityFlags() const
{
    if (!reachabilityRef_)
        return 0;
    return reachabilityRef_->flags().value_or(0);
}

Reachability::NetworkStatus Reachability::networkStatusForFlags(quint32 flags) const
{
    if (!(flags & NetworkReachability::Reachable))
        return NotReachable;
    if (key_ == localWiFiKey)
        return (flags & NetworkReachability::IsDirect) ? ReachableViaWiFi : NotReachable;
    const quint32 rest = flags & ~quint32(NetworkReachability::Reachable | NetworkReachability::IsLocalAddress | NetworkReachability::IsDirect);
    if (rest == (NetworkReachability::TransientConnection | NetworkReachability::ConnectionRequired))
        return NotReachable;
    if (rest & NetworkReachability::TransientConnection)
        return ReachableViaWiFi;
    if (rest == 0)
        return ReachableViaWiFi;
    return (rest & NetworkReachability::ConnectionRequired) ? ReachableViaWiFi : NotReachable;
}

Reachability::NetworkStatus Reachability::currentReachabilityStatus() const
{
    if (!reachabilityRef_)
        return NotReachable;
    const std::optional<quint32> flags = reachabilityRef_->flags();
    return flags ? networkStatusForFlags(*flags) : NotReachable;
}

bool Reachability::isReachable() const
{
    return currentReachabilityStatus() != NotReachable;
}

bool Reachability::isReachableViaWWAN() const
{
    return currentReachabilityStatus() == ReachableViaWWAN;
}

bool Reachability::isReachableViaWiFi() const
{
    return currentReachabilityStatus() == ReachableViaWiFi;
}

bool Reachability::isConnectionRequired() const
{
    return reachabilityFlags() & NetworkReachability::ConnectionRequired;
}

bool Reachability::isConnectionOnDemand() const
{
    const quint32 flags = reachabilityFlags();
    return (flags & NetworkReachability::ConnectionRequired) && (flags & NetworkReachability::ConnectionOnTraffic);
}

bool Reachability::isInterventionRequired() const
{
    const quint32 flags = reachabilityFlags();
    return (flags & NetworkReachability::ConnectionRequired) && (flags & NetworkReachability::InterventionRequired);
}

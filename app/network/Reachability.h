#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <memory>

struct sockaddr_in;

namespace platform {
class NetworkReachability;
class RunLoop;
}

// Whether a host name or address can be reached, as a three-valued status
// from the platform's reachability flags, and a notification when they
// change. Two objects are equal when they watch the same key.
class Reachability {
public:
    enum NetworkStatus { NotReachable = 0, ReachableViaWWAN = 1, ReachableViaWiFi = 2 };

    static const QString changedNotification; // "NetworkReachabilityChangedNotification"
    static const QString internetConnectionKey; // "InternetConnection"
    static const QString localWiFiKey;          // "LocalWiFiConnection"

    explicit Reachability(std::unique_ptr<platform::NetworkReachability> reachabilityRef);
    ~Reachability(); // stops the notifier

    // Null when the platform cannot make a handle for it.
    static std::unique_ptr<Reachability> reachabilityWithHostName(const QString& hostName);
    static std::unique_ptr<Reachability> reachabilityWithAddress(const sockaddr_in& address);
    static std::unique_ptr<Reachability> reachabilityForInternetConnection();
    static std::unique_ptr<Reachability> reachabilityForLocalWiFi();
    // The address (network byte order) as "a.b.c.d".
    static QString makeAddressKey(quint32 address);

    QString key() const { return key_; }
    void setKey(const QString& key) { key_ = key; }
    bool operator==(const Reachability& other) const { return key_ == other.key_; }

    // Posts changedNotification on the main thread, with this object as
    // sender, whenever the flags change; listens on the calling thread's
    // run loop in its default mode.
    bool startNotifier();
    void stopNotifier();

    NetworkStatus currentReachabilityStatus() const;
    bool isReachable() const;
    bool isReachableViaWWAN() const;
    bool isReachableViaWiFi() const;
    bool isConnectionRequired() const;
    bool connectionRequired() const { return isConnectionRequired(); }
    bool isConnectionOnDemand() const;
    bool isInterventionRequired() const;
    // The raw flags, 0 when they cannot be read.
    quint32 reachabilityFlags() const;

    NetworkStatus networkStatusForFlags(quint32 flags) const;

private:
    std::unique_ptr<platform::NetworkReachability> reachabilityRef_;
    QString key_;
    // Lets a notice queued for the main thread see that this object is gone.
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
    // The loop the notifier listens on, while it does.
    platform::RunLoop* notifierLoop_ = nullptr;
};

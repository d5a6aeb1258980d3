// Reachability: the status table over the platform's flags, and real
// notices from the kernel in a network namespace of the test's own.
#include "Reachability.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/network/NetworkReachability.h"
#include "platform/network/RunLoopQtBridge.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using platform::NetworkReachability;

namespace {

sockaddr_in ipv4(const char* text)
{
    sockaddr_in a {};
    a.sin_family = AF_INET;
    inet_pton(AF_INET, text, &a.sin_addr);
    return a;
}

// Moves the calling thread into a fresh network namespace (with only a
// loopback interface, down) and back again when it goes. Commands the
// thread starts run in the namespace too; the machine's own interfaces
// are never touched.
class PrivateNetwork {
public:
    PrivateNetwork()
    {
        original_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        if (original_ < 0) {
            problem_ = std::string("cannot keep the current network namespace: ") + std::strerror(errno);
            return;
        }
        if (::unshare(CLONE_NEWNET) != 0) {
            problem_ = std::string("network namespaces are not allowed here (unshare: ") + std::strerror(errno) + ")";
            ::close(original_);
            original_ = -1;
        }
    }
    ~PrivateNetwork()
    {
        if (original_ >= 0) {
            EXPECT_EQ(::setns(original_, CLONE_NEWNET), 0) << std::strerror(errno);
            ::close(original_);
        }
    }
    bool ok() const { return original_ >= 0; }
    const std::string& problem() const { return problem_; }

private:
    int original_ = -1;
    std::string problem_;
};

bool ip(const QStringList& arguments, QString* error = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("ip"), arguments);
    if (!process.waitForFinished(30'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed() + process.errorString();
        return false;
    }
    return true;
}

} // namespace

TEST(Reachability, StatusFromFlags)
{
    constexpr quint32 transient = 1, reachable = 2, required = 4, onTraffic = 8, intervention = 16, local = 65536, direct = 131072;
    const auto address = Reachability::reachabilityWithAddress(ipv4("127.0.0.1"));
    const auto wifi = Reachability::reachabilityForLocalWiFi();
    ASSERT_TRUE(address && wifi);
    struct Case {
        quint32 flags;
        Reachability::NetworkStatus forAddress;
        Reachability::NetworkStatus forWiFi;
    };
    using R = Reachability;
    const Case cases[] = {
        {0, R::NotReachable, R::NotReachable},
        {direct | local, R::NotReachable, R::NotReachable},
        {reachable, R::ReachableViaWiFi, R::NotReachable},
        {reachable | direct, R::ReachableViaWiFi, R::ReachableViaWiFi},
        {reachable | local | direct, R::ReachableViaWiFi, R::ReachableViaWiFi},
        {reachable | transient | required, R::NotReachable, R::NotReachable},
        {reachable | transient | required | direct, R::NotReachable, R::ReachableViaWiFi},
        {reachable | transient, R::ReachableViaWiFi, R::NotReachable},
        {reachable | transient | onTraffic, R::ReachableViaWiFi, R::NotReachable},
        {reachable | onTraffic, R::NotReachable, R::NotReachable},
        {reachable | onTraffic | required, R::ReachableViaWiFi, R::NotReachable},
        {reachable | required | intervention, R::ReachableViaWiFi, R::NotReachable},
        {reachable | intervention, R::NotReachable, R::NotReachable},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(address->networkStatusForFlags(c.flags), c.forAddress) << "flags " << c.flags;
        EXPECT_EQ(wifi->networkStatusForFlags(c.flags), c.forWiFi) << "flags " << c.flags;
    }
}

TEST(Reachability, KeysAndHandles)
{
    EXPECT_EQ(Reachability::makeAddressKey(ipv4("192.168.1.2").sin_addr.s_addr), QStringLiteral("192.168.1.2"));
    EXPECT_EQ(Reachability::reachabilityWithAddress(ipv4("10.0.0.255"))->key(), QStringLiteral("10.0.0.255"));
    EXPECT_EQ(Reachability::reachabilityForInternetConnection()->key(), Reachability::internetConnectionKey);
    EXPECT_EQ(Reachability::reachabilityForLocalWiFi()->key(), Reachability::localWiFiKey);
    EXPECT_EQ(Reachability::reachabilityWithHostName(QStringLiteral("localhost"))->key(), QStringLiteral("localhost"));
    EXPECT_FALSE(Reachability::reachabilityWithHostName(QString()));
    sockaddr_in notIPv4 {};
    notIPv4.sin_family = AF_INET6;
    EXPECT_FALSE(Reachability::reachabilityWithAddress(notIPv4));
    EXPECT_TRUE(*Reachability::reachabilityWithAddress(ipv4("10.1.2.3")) == *Reachability::reachabilityWithAddress(ipv4("10.1.2.3")));
    EXPECT_FALSE(*Reachability::reachabilityWithAddress(ipv4("10.1.2.3")) == *Reachability::reachabilityWithAddress(ipv4("10.1.2.4")));
}

// In a namespace of its own the test brings an interface up and down: the
// kernel's notices give exactly one notification for each change, and the
// flags follow the routes the kernel has.
TEST(Reachability, InterfaceComingUpAndGoingDownNotifiesOnceEach)
{
    platform::RunLoopQtBridge::install();
    PrivateNetwork network;
    if (!network.ok())
        GTEST_SKIP() << network.problem();

    // A dummy interface where the kernel has them, else a pair of virtual
    // ethernet ends; both exist only in this namespace.
    QString problem;
    QString device = QStringLiteral("vlm0");
    if (!ip({QStringLiteral("link"), QStringLiteral("add"), device, QStringLiteral("type"), QStringLiteral("dummy")}, &problem)) {
        device = QStringLiteral("vlm1");
        if (!ip({QStringLiteral("link"), QStringLiteral("add"), device, QStringLiteral("type"), QStringLiteral("veth"),
                 QStringLiteral("peer"), QStringLiteral("name"), QStringLiteral("vlm2")}, &problem))
            GTEST_SKIP() << "no dummy or virtual ethernet interface can be made in a namespace here: " << problem.toStdString();
    }
    ASSERT_TRUE(ip({QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.99.0.1/24"), QStringLiteral("dev"), device}, &problem))
        << problem.toStdString();

    const auto neighbour = Reachability::reachabilityWithAddress(ipv4("10.99.0.7"));
    const auto own = Reachability::reachabilityWithAddress(ipv4("10.99.0.1"));
    const auto internet = Reachability::reachabilityForInternetConnection();
    ASSERT_TRUE(neighbour && own && internet);
    EXPECT_EQ(neighbour->reachabilityFlags(), 0u);
    EXPECT_FALSE(neighbour->isReachable());

    std::vector<quint32> seen;
    const int owner = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        &owner, Reachability::changedNotification, neighbour.get(),
        [&](const platform::Notification& n) {
            EXPECT_EQ(n.sender, neighbour.get());
            seen.push_back(neighbour->reachabilityFlags());
        });
    ASSERT_TRUE(neighbour->startNotifier());
    ASSERT_TRUE(neighbour->startNotifier()); // a second start changes nothing

    auto waitFor = [&](size_t count) {
        const QDeadlineTimer deadline(20'000);
        while (seen.size() < count && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    };

    ASSERT_TRUE(ip({QStringLiteral("link"), QStringLiteral("set"), device, QStringLiteral("up")}, &problem)) << problem.toStdString();
    waitFor(1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], quint32(NetworkReachability::Reachable | NetworkReachability::IsDirect));
    EXPECT_EQ(neighbour->currentReachabilityStatus(), Reachability::ReachableViaWiFi);
    EXPECT_EQ(own->reachabilityFlags(),
              quint32(NetworkReachability::Reachable | NetworkReachability::IsLocalAddress | NetworkReachability::IsDirect));
    EXPECT_EQ(internet->reachabilityFlags(), 0u); // no default route in here

    // Going down is the next notice: had the first change been reported
    // twice, it would stand between the two.
    ASSERT_TRUE(ip({QStringLiteral("link"), QStringLiteral("set"), device, QStringLiteral("down")}, &problem)) << problem.toStdString();
    waitFor(2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], 0u);

    // A default route makes the Internet reachable (through a gateway: not direct).
    ASSERT_TRUE(ip({QStringLiteral("link"), QStringLiteral("set"), device, QStringLiteral("up")}, &problem));
    ASSERT_TRUE(ip({QStringLiteral("route"), QStringLiteral("add"), QStringLiteral("default"), QStringLiteral("via"),
                    QStringLiteral("10.99.0.254"), QStringLiteral("dev"), device}, &problem)) << problem.toStdString();
    EXPECT_EQ(internet->reachabilityFlags(), quint32(NetworkReachability::Reachable));
    EXPECT_TRUE(internet->isReachable());

    neighbour->stopNotifier();
    platform::NotificationCenter::defaultCenter().removeObserver(&owner);
}

#include "CHUserAnalytics.h"

#include "CHServerConfig.h"
#include "CHServerConfigInfo.h"
#include "CHOpeningURL.h"
#include "CHSingletonSlot.h"
#include "CHStringsTable.h"

#include "platform/appkit/Alert.h"
#include "platform/appkit/Application.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DeferredPerform.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"

namespace {
const QString kRunCountKey = QStringLiteral("dadEziCHAppRunCountKey");
const QString kReviewedKey = QStringLiteral("dadEziCHUserAlreadyReviewedAppKey");
// The count at which the review request would be offered. Launch counts
// only grow from zero, so the request stays unused.
constexpr qint64 kReviewRequestLaunchCount = -999999999;
QString dadeziString(const QString& key)
{
    return CHStringsTable::named(QStringLiteral("dadezistrings")).localizedString(key);
}
} // namespace

qint64 CHAppRunCount()
{
    const qint64 count = platform::UserDefaults::standard().value(kRunCountKey).toLongLong();
    if (count != 0)
        return count;
    platform::nsLog(QStringLiteral(
        "********* Warning.. Why app run count is 0?? Please MAKE SURE [CHUserAnalytics sharedCHUserAnalytics] "
        "calling is at the first place in application:didFinishLaunchingWithOptions *****"));
    return 1;
}

CHUserAnalytics* CHUserAnalytics::sharedCHUserAnalytics()
{
    return CHSingletonSlot<CHUserAnalytics>::shared([] { return new CHUserAnalytics; });
}

CHUserAnalytics* CHUserAnalytics::alloc()
{
    return CHSingletonSlot<CHUserAnalytics>::allocate([] { return new CHUserAnalytics; });
}

CHUserAnalytics::CHUserAnalytics()
{
    platform::exceptionGuard([this] {
        platform::nsLog(QStringLiteral("ENABLE_FLURRY:%1, ENABLE_LOCALYTICS:%2").arg(0).arg(0));
        platform::NotificationCenter::defaultCenter().addObserver(
            this, platform::Application::willTerminateNotification(), nullptr,
            [this](const platform::Notification& n) { appEndNotification(n); });
        appStartNotification();
    });
}

void CHUserAnalytics::appStartNotification()
{
    platform::exceptionGuard([this] { appStarted(); });
}

void CHUserAnalytics::appEndNotification(const platform::Notification& notification)
{
    platform::exceptionGuard([this, &notification] {
        platform::nsLog(QStringLiteral("CHUserAnalytics <=> appEndNotification, notification:%1").arg(notification.name));
        appEnded();
    });
}

void CHUserAnalytics::appStarted()
{
    platform::exceptionGuard([this] {
        auto& defaults = platform::UserDefaults::standard();
        const qint64 count = defaults.value(kRunCountKey).toLongLong() + 1;
        defaults.setValue(kRunCountKey, count);
        defaults.synchronize();
        const bool reviewed = defaults.boolean(kReviewedKey);
        if (count == kReviewRequestLaunchCount && !reviewed) {
            platform::DeferredPerform::shared().perform(this, QStringLiteral("showReviewingAlert"),
                                                        [this] { showReviewingAlert(); }, 10000);
        }
    });
}

void CHUserAnalytics::showReviewingAlert()
{
    platform::Alert alert;
    alert.setMessageText(dadeziString(QStringLiteral("喜欢《%@》"))
                             .replace(QStringLiteral("%@"), platform::Bundle::name()));
    alert.setInformativeText(dadeziString(QStringLiteral("亲，觉得好用，请给我们5星哦!")));
    alert.addButton(dadeziString(QStringLiteral("去App Store评价")));
    alert.addButton(dadeziString(QStringLiteral("取消")));
    handleAlertResult(alert.runModal() == platform::Alert::FirstButton);
}

QString CHUserAnalytics::storePageLink()
{
    return CHOpeningURL::storePageLink();
}

QString CHUserAnalytics::storeFormOfLink(const QString& link)
{
    return CHOpeningURL::storeFormOfLink(link);
}

void CHUserAnalytics::setURLOpener(URLOpener opener)
{
    CHOpeningURL::setURLOpener(std::move(opener));
}

void CHUserAnalytics::handleAlertResult(bool confirmed)
{
    if (!confirmed)
        return;
    auto& defaults = platform::UserDefaults::standard();
    defaults.setValue(kReviewedKey, true);
    defaults.synchronize();
    QString link;
    if (const auto info = CHServerConfig::sharedCHServerConfig()->serverConfigInfo())
        link = info->appUrl;
    if (link.isEmpty())
        link = storePageLink();
    CHOpeningURL::openInStore(QStringLiteral("UserReviewConfirmed"), link, this);
}

#include "CHServerConfig.h"

#include "CHServerConfigDelegate.h"
#include "CHServerConfigInfo.h"
#include "CHSingletonSlot.h"
#include "CHUserAnalytics.h"

#include "platform/appkit/Application.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"

namespace {
// Build setting: the ad network identifier stored on the first launch.
const QString kDefaultAdmobId;
const QString kAdmobIdKey = QStringLiteral("kCHSCUDKeyAdmobId");
const QString kAdEnableKey = QStringLiteral("kCHSCUDKeyAdEnable");
} // namespace

QString CHServerConfig::requestSuccessNotification() { return QStringLiteral("kCHSCRequestNotificationSuccess"); }
QString CHServerConfig::requestFailedNotification() { return QStringLiteral("kCHSCRequestNotificationFailed"); }
QString CHServerConfig::requestTypeKey() { return QStringLiteral("kCHSCRequestType"); }
QString CHServerConfig::requestDataKey() { return QStringLiteral("kCHSCRequestData"); }
QString CHServerConfig::parseErrorDomain() { return QStringLiteral("kCHSCRequestParseErrorDomain"); }

CHServerConfig* CHServerConfig::sharedCHServerConfig()
{
    return CHSingletonSlot<CHServerConfig>::shared([] { return new CHServerConfig; });
}

CHServerConfig* CHServerConfig::alloc()
{
    return CHSingletonSlot<CHServerConfig>::allocate([] { return new CHServerConfig; });
}

CHServerConfig* CHServerConfig::sharedCHServerConfigIfMade()
{
    return CHSingletonSlot<CHServerConfig>::existing();
}

CHServerConfig::CHServerConfig()
{
    platform::exceptionGuard([this] {
        setDelegate(nullptr);
        appStartNotification();
        platform::NotificationCenter::defaultCenter().addObserver(
            this, platform::Application::willTerminateNotification(), nullptr,
            [this](const platform::Notification& n) { appEndNotification(n); });
        if (CHAppRunCount() == 1 && !kDefaultAdmobId.isEmpty()) {
            auto& defaults = platform::UserDefaults::standard();
            defaults.setValue(kAdmobIdKey, kDefaultAdmobId);
            defaults.synchronize();
            defaults.setValue(kAdEnableKey, QStringLiteral("1"));
            defaults.synchronize();
        }
    });
}

void CHServerConfig::appStartNotification()
{
    platform::exceptionGuard([this] {
        (void)platform::UserDefaults::standard().value(kAdmobIdKey);
        setCurrentShowingAlertType(0);
        auto& center = platform::NotificationCenter::defaultCenter();
        center.addObserver(this, requestSuccessNotification(), nullptr,
                           [this](const platform::Notification& n) { serverConfigRequestSuccess(n); });
        center.addObserver(this, requestFailedNotification(), nullptr,
                           [this](const platform::Notification& n) { serverConfigRequestFailed(n); });
    });
}

void CHServerConfig::appEndNotification(const platform::Notification& notification)
{
    platform::exceptionGuard([this, &notification] {
        platform::nsLog(QStringLiteral("CHServerConfig <=> appEndNotification notification:%1").arg(notification.name));
        auto& center = platform::NotificationCenter::defaultCenter();
        center.removeObserver(this, requestSuccessNotification());
        center.removeObserver(this, requestFailedNotification());
        if (m_alertType != 0)
            m_alertType = 0;
    });
}

void CHServerConfig::notifyObserverWithSuccess(bool success, int requestType, const QVariant& dataOrError)
{
    QVariantMap info;
    info.insert(requestTypeKey(), requestType);
    if (dataOrError.isValid() && !dataOrError.isNull()) {
        info.insert(requestDataKey(), dataOrError);
    } else {
        info.insert(requestDataKey(), QStringLiteral("%1 %2").arg(parseErrorDomain()).arg(kParseErrorCode));
    }
    platform::NotificationCenter::defaultCenter().post(
        success ? requestSuccessNotification() : requestFailedNotification(), this, info);
}

void CHServerConfig::serverConfigRequestSuccess(const platform::Notification& notification)
{
    platform::exceptionGuard([this, &notification] {
        const QVariant type = notification.userInfo.value(requestTypeKey());
        const QVariant data = notification.userInfo.value(requestDataKey());
        if (type.isValid() && type.toInt() == kConfigFileRequestType &&
            data.canConvert<std::shared_ptr<CHServerConfigInfo>>()) {
            if (auto info = data.value<std::shared_ptr<CHServerConfigInfo>>())
                setServerConfigInfo(std::move(info));
        }
    });
    if (m_delegate)
        m_delegate->serverConfigDownloadSuccess(m_info);
}

void CHServerConfig::serverConfigRequestFailed(const platform::Notification& notification)
{
    platform::exceptionGuard([&notification] {
        const QVariant type = notification.userInfo.value(requestTypeKey());
        if (type.isValid())
            platform::nsLog(QStringLiteral("CHServerConfig: config file Download Failed, type:%1").arg(type.toInt()));
    });
    if (m_delegate)
        m_delegate->serverConfigDownloadFailed(nullptr);
}

#include "CHServerConfig.h"

#include "CHOpeningURL.h"
#include "CHPromoAppsWindowManager.h"
#include "CHServerConfigDelegate.h"
#include "CHServerConfigFetcher.h"
#include "CHServerConfigInfo.h"
#include "CHServiceAddress.h"
#include "CHSingletonSlot.h"
#include "CHStringsTable.h"
#include "CHUserAnalytics.h"
#include "PHProgressHUD.h"
#include "PromoAppsInfo.h"

#include "UtilModule/CommonUtil.h"

#include "platform/appkit/Alert.h"
#include "platform/appkit/Application.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DeferredPerform.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QWidget>

namespace {
// Build setting: the ad network identifier stored on the first launch.
const QString kDefaultAdmobId;
const QString kAdmobIdKey = QStringLiteral("kCHSCUDKeyAdmobId");
const QString kAdEnableKey = QStringLiteral("kCHSCUDKeyAdEnable");
const QString kUseBackupDataKey = QStringLiteral("kCHSCUDKeyUseBackupData");
const QString kPushAdVersionKey = QStringLiteral("kCHSCUDKeyPushAdVersion");
const QString kPushAdCountKey = QStringLiteral("kCHSCUDKeyPushAdAlreadyDisplayedCount");
const QString kShowPushAdKey = QStringLiteral("serverConfigShowPushAdIfNeeded");
// How often a push ad that came due under a modal window looks again.
constexpr int kModalRecheckMs = 200;

std::optional<QString>& runningVersionOverride()
{
    static std::optional<QString> version;
    return version;
}

QString runningVersion()
{
    return runningVersionOverride() ? *runningVersionOverride() : platform::Bundle::shortVersion();
}

QString dadeziString(const QString& key)
{
    return CHStringsTable::named(QStringLiteral("dadezistrings")).localizedString(key);
}

// The whole leading number of a text, as the settings' integer reading
// does it: 0 when the text does not start with one.
qint64 leadingInteger(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed[end] == QLatin1Char('-') || trimmed[end] == QLatin1Char('+')))
        ++end;
    while (end < trimmed.size() && trimmed[end].isDigit())
        ++end;
    return trimmed.left(end).toLongLong();
}

// The main window's content, where the loading HUD goes.
QWidget* mainWindowContent()
{
    QWidget* window = QApplication::activeWindow();
    if (!window) {
        for (QWidget* candidate : QApplication::topLevelWidgets()) {
            if (candidate->isVisible()) {
                window = candidate;
                break;
            }
        }
    }
    return window;
}
} // namespace

QString CHServerConfig::requestSuccessNotification() { return QStringLiteral("kCHSCRequestNotificationSuccess"); }
QString CHServerConfig::requestFailedNotification() { return QStringLiteral("kCHSCRequestNotificationFailed"); }
QString CHServerConfig::requestTypeKey() { return QStringLiteral("kCHSCRequestType"); }
QString CHServerConfig::requestDataKey() { return QStringLiteral("kCHSCRequestData"); }
QString CHServerConfig::parseErrorDomain() { return QStringLiteral("kCHSCRequestParseErrorDomain"); }
QString CHServerConfig::configFilePath() { return QStringLiteral("/mac/velumo/cfg.xml"); }

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

void CHServerConfig::setRunningVersionForTesting(std::optional<QString> version)
{
    runningVersionOverride() = std::move(version);
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

void CHServerConfig::setFetcher(std::unique_ptr<CHServerConfigFetcher> fetcher)
{
    m_fetcher = std::move(fetcher);
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

void CHServerConfig::postConfigInfoRequest()
{
    platform::exceptionGuard([this] {
        if (!m_fetcher)
            m_fetcher = CHServerConfigFetcher::makeHTTPFetcher();
        const QUrl url = CHServiceAddress::urlForPath(configFilePath());
        // The service lives as long as the process, so the completion may
        // hold it.
        m_fetcher->fetch(url, [this](const CHServerConfigFetcher::Result& result) {
            if (result.error)
                notifyObserverWithSuccess(false, kConfigFileRequestType, QVariant::fromValue(*result.error));
            else
                handleConfigResponse(result.body);
        });
    });
}

void CHServerConfig::handleConfigResponse(const std::optional<QByteArray>& body)
{
    std::shared_ptr<CHServerConfigInfo> info = body ? CHServerConfigInfo::fromXMLData(*body) : nullptr;
    if (!info) {
        notifyObserverWithSuccess(false, kConfigFileRequestType, {});
        return;
    }
    notifyObserverWithSuccess(true, kConfigFileRequestType, QVariant::fromValue(info));
}

void CHServerConfig::notifyObserverWithSuccess(bool success, int requestType, const QVariant& dataOrError)
{
    QVariantMap info;
    info.insert(requestTypeKey(), requestType);
    if (dataOrError.isValid() && !dataOrError.isNull())
        info.insert(requestDataKey(), dataOrError);
    else
        info.insert(requestDataKey(), QVariant::fromValue(VNError::make(parseErrorDomain(), kParseErrorCode)));
    platform::NotificationCenter::defaultCenter().post(
        success ? requestSuccessNotification() : requestFailedNotification(), this, info);
}

void CHServerConfig::serverConfigRequestSuccess(const platform::Notification& notification)
{
    // Whatever goes wrong while acting on the configuration, the delegate
    // still hears of the download.
    platform::exceptionGuard([this, &notification] {
        const QVariant type = notification.userInfo.value(requestTypeKey());
        const QVariant data = notification.userInfo.value(requestDataKey());
        if (type.isValid() && type.toInt() == kConfigFileRequestType &&
            data.metaType() == QMetaType::fromType<std::shared_ptr<CHServerConfigInfo>>()) {
            if (auto info = data.value<std::shared_ptr<CHServerConfigInfo>>()) {
                setServerConfigInfo(std::move(info));
                serverConfigHandleConfigIfNeeded();
            }
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

QString CHServerConfig::textForUserLanguage(const QList<QPair<QString, QString>>& dictionary)
{
    // Without a language list the "default" entry is taken.
    const QVariantList languages = platform::UserDefaults::standard().array(QStringLiteral("AppleLanguages"));
    const QString language = languages.isEmpty() ? QString() : languages.first().toString();
    QString fallback;
    for (const auto& entry : dictionary) {
        if (!language.isEmpty() && entry.first == language && !entry.second.isEmpty())
            return entry.second;
        if (entry.first == QLatin1String("default"))
            fallback = entry.second;
    }
    return fallback;
}

int CHServerConfig::runConfigAlert(const QString& title, const QString& defaultButton, const QString& text)
{
    auto alert = std::make_shared<platform::Alert>();
    // The texts come from the server: shown as they stand, a link in them
    // is not one.
    alert->setTextFormat(Qt::PlainText);
    alert->setMessageText(title);
    alert->setInformativeText(text);
    alert->addButton(defaultButton);
    alert->addButton(dadeziString(QStringLiteral("取消")));
    setCurrentShowingAlerView(alert);
    ++m_configAlertDepth;
    const int result = alert->runModal();
    --m_configAlertDepth;
    return result;
}

void CHServerConfig::serverConfigHandleConfigIfNeeded()
{
    platform::exceptionGuard([this] {
        if (!m_info)
            return;
        // The alert below runs its own event loop: hold the configuration.
        const std::shared_ptr<CHServerConfigInfo> info = m_info;
        auto& defaults = platform::UserDefaults::standard();

        const QString running = runningVersion();
        if (!running.isEmpty() && !info->appVersion.isEmpty()) {
            switch (CommonUtil::versionStringCompareWith(running, info->appVersion)) {
            case CommonUtil::ComparisonResult::Ascending: {
                defaults.setValue(kUseBackupDataKey, false);
                defaults.synchronize();
                const QString whatsNew = textForUserLanguage(info->appWhatsNewDict);
                if (m_alertType == 0) {
                    m_alertType = 1;
                    const int result = runConfigAlert(dadeziString(QStringLiteral("有新版本啦")),
                                                      dadeziString(QStringLiteral("马上去下载")), whatsNew);
                    handleAlertResult(result == platform::Alert::FirstButton);
                }
                break;
            }
            case CommonUtil::ComparisonResult::Descending:
                info->dataUrl = info->dataUrlBackup;
                defaults.setValue(kUseBackupDataKey, true);
                defaults.synchronize();
                break;
            case CommonUtil::ComparisonResult::Same:
                defaults.setValue(kUseBackupDataKey, false);
                defaults.synchronize();
                break;
            }
        }

        if (!info->adAdmobId.isEmpty()) {
            defaults.setValue(kAdmobIdKey, info->adAdmobId);
            defaults.synchronize();
        }
        if (!info->adEnable.isEmpty()) {
            defaults.setValue(kAdEnableKey, info->adEnable);
            defaults.synchronize();
        }

        if (info->pushAdEnable == QLatin1String("1"))
            schedulePushAd(*info);
    });
}

void CHServerConfig::schedulePushAd(const CHServerConfigInfo& info)
{
    auto& defaults = platform::UserDefaults::standard();
    const QString storedVersion = defaults.string(kPushAdVersionKey);
    if (storedVersion.isEmpty() ||
        CommonUtil::versionStringCompareWith(storedVersion, info.pushAdVersion) == CommonUtil::ComparisonResult::Ascending) {
        defaults.setValue(kPushAdCountKey, 0);
        defaults.setValue(kPushAdVersionKey, info.pushAdVersion);
        defaults.synchronize();
    }
    const qint64 delaySeconds = info.pushAdDelay.isEmpty() ? 1 : leadingInteger(info.pushAdDelay);
    const int delayMs = int(std::clamp<qint64>(delaySeconds, 0, qint64(INT_MAX / 1000)) * 1000);
    performPushAdWhenNoModal(delayMs, false);
}

bool CHServerConfig::isModalRunning() const
{
    if (m_configAlertDepth > 0)
        return true;
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    return application && QApplication::activeModalWidget();
}

void CHServerConfig::performPushAdWhenNoModal(int delayMs, bool waitingForModal)
{
    // Each configuration's push ad is a call of its own: a second one
    // scheduled while the first waits must not replace it.
    // Calls cancelled from outside are forgotten.
    for (auto it = m_pushAdCalls.begin(); it != m_pushAdCalls.end();) {
        if (platform::DeferredPerform::shared().isPending(this, it.key()))
            ++it;
        else
            it = m_pushAdCalls.erase(it);
    }
    const QString key = kShowPushAdKey + QString::number(++m_pushAdSerial);
    m_pushAdCalls.insert(key, waitingForModal);
    platform::DeferredPerform::shared().perform(this, key, [this, key] {
        m_pushAdCalls.remove(key);
        if (isModalRunning()) {
            // Came due inside a modal loop (the reminder, say): it shows
            // once that window is gone, not counted and lost meanwhile.
            performPushAdWhenNoModal(kModalRecheckMs, true);
            return;
        }
        serverConfigShowPushAdIfNeeded();
    }, delayMs);
}

bool CHServerConfig::hasPendingPushAd() const
{
    for (auto it = m_pushAdCalls.cbegin(); it != m_pushAdCalls.cend(); ++it) {
        if (platform::DeferredPerform::shared().isPending(this, it.key()))
            return true;
    }
    return false;
}

int CHServerConfig::pushAdsWaitingForModal() const
{
    int waiting = 0;
    for (auto it = m_pushAdCalls.cbegin(); it != m_pushAdCalls.cend(); ++it) {
        if (it.value() && platform::DeferredPerform::shared().isPending(this, it.key()))
            ++waiting;
    }
    return waiting;
}

void CHServerConfig::serverConfigShowPushAdIfNeeded()
{
    platform::exceptionGuard([this] {
        if (!m_info)
            return;
        const std::shared_ptr<CHServerConfigInfo> info = m_info;
        auto& defaults = platform::UserDefaults::standard();
        bool isNumber = false;
        qint64 shown = defaults.value(kPushAdCountKey).toString().trimmed().toLongLong(&isNumber);
        if (!isNumber)
            shown = 0;
        if (info->pushAdCount.isEmpty() || shown >= leadingInteger(info->pushAdCount))
            return;
        if (!info->pushAdPromoWindowWidth.isEmpty() && !info->pushAdPromoWindowHeight.isEmpty()) {
            showPushAdPromoWindow();
        } else if (m_alertType == 0) {
            m_alertType = 2;
            const QString title = textForUserLanguage(info->pushAdTitleDict);
            const QString message = textForUserLanguage(info->pushAdMessageDict);
            const int result = runConfigAlert(title, dadeziString(QStringLiteral("去看看")), message);
            handleAlertResult(result == platform::Alert::FirstButton);
        }
        defaults.setValue(kPushAdCountKey, shown + 1);
        defaults.synchronize();
    });
}

void CHServerConfig::handleAlertResult(bool confirmed)
{
    // The alert is over before its link opens, so a failure while opening
    // cannot keep every later alert away.
    const int type = m_alertType;
    const std::shared_ptr<CHServerConfigInfo> info = m_info;
    setCurrentShowingAlerView(nullptr);
    m_alertType = 0;
    if (type == 1 && confirmed) {
        QString link = info ? info->appUrl : QString();
        if (link.isEmpty())
            link = CHOpeningURL::storePageLink();
        CHOpeningURL::openInStore(QStringLiteral("NewAppVersionReminderConfirmed"), link, this);
    } else if (type == 2 && confirmed && info && !info->pushAdUrl.isEmpty()) {
        CHOpeningURL::openInStore(QStringLiteral("PushAdClicked"), info->pushAdUrl, this);
    }
}

void CHServerConfig::showPushAdPromoWindow()
{
    platform::exceptionGuard([this] {
        auto* manager = CHPromoAppsWindowManager::sharedCHPromoAppsWindowManager();
        if (!m_info) {
            manager->showWindowWithPromoAppsInfo(nullptr);
            return;
        }
        auto promo = PromoAppsInfo::promoAppsInfo();
        promo->setTitle(m_info->pushAdPromoTitle);
        promo->setUrl(m_info->pushAdPromoUrl.isEmpty() ? QUrl() : QUrl(m_info->pushAdPromoUrl));
        promo->setContentFrame(QRectF(0, 0, m_info->pushAdPromoWindowWidth.toFloat(),
                                      m_info->pushAdPromoWindowHeight.toFloat()));
        promo->setCentered(true);
        manager->showWindowWithPromoAppsInfo(promo.get());
    });
}

void CHServerConfig::serverConfigShowLoadingHudWithText(const QString& text)
{
    platform::exceptionGuard([&text] {
        QWidget* view = mainWindowContent();
        if (!view)
            return;
        PHProgressHUD* hud = PHProgressHUD::showHUDAddedTo(view, true);
        hud->setLabelText(text);
        hud->setRemoveFromSuperViewOnHide(true);
    });
}

void CHServerConfig::serverConfigHideLoadingHud()
{
    platform::exceptionGuard([] {
        if (QWidget* view = mainWindowContent())
            PHProgressHUD::hideAllHUDsForView(view, true);
    });
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class CHServerConfigDelegate;
class CHServerConfigFetcher;
class CHServerConfigInfo;

namespace platform {
class Alert;
struct Notification;
}

// The remote configuration: made once at launch, right after the launch
// counter. It fetches the configuration file on request, announces the
// outcome, keeps the last configuration received and acts on it: the
// new-version reminder, the backup data address, the ad settings and the
// push ad (an alert or the promotion window). Nothing in the program asks
// for the file yet.
class CHServerConfig {
public:
    static CHServerConfig* sharedCHServerConfig();
    // A second instance is refused: logs and yields null.
    static CHServerConfig* alloc();
    // The shared instance when it has been made, without making it.
    static CHServerConfig* sharedCHServerConfigIfMade();

    static QString requestSuccessNotification(); // "kCHSCRequestNotificationSuccess"
    static QString requestFailedNotification();  // "kCHSCRequestNotificationFailed"
    static QString requestTypeKey();             // "kCHSCRequestType"
    static QString requestDataKey();             // "kCHSCRequestData"
    static QString parseErrorDomain();           // "kCHSCRequestParseErrorDomain"
    static constexpr int kParseErrorCode = 11021;
    static constexpr int kConfigFileRequestType = 1;
    // Path of the configuration file below the service address.
    static QString configFilePath();             // "/mac/velumo/cfg.xml"

    // Not owned: the delegate must outlive its registration.
    CHServerConfigDelegate* delegate() const { return m_delegate; }
    void setDelegate(CHServerConfigDelegate* delegate) { m_delegate = delegate; }
    std::shared_ptr<CHServerConfigInfo> serverConfigInfo() const { return m_info; }
    void setServerConfigInfo(std::shared_ptr<CHServerConfigInfo> info) { m_info = std::move(info); }
    // 0 none, 1 the new-version reminder, 2 the push-ad alert.
    int currentShowingAlertType() const { return m_alertType; }
    void setCurrentShowingAlertType(int type) { m_alertType = type; }
    // The configuration alert on screen; null when none.
    std::shared_ptr<platform::Alert> currentShowingAlerView() const { return m_alert; }
    void setCurrentShowingAlerView(std::shared_ptr<platform::Alert> alert) { m_alert = std::move(alert); }

    // How the file is fetched (the HTTP client unless a test sets another;
    // null puts the HTTP client back).
    void setFetcher(std::unique_ptr<CHServerConfigFetcher> fetcher);

    void appStartNotification();
    void appEndNotification(const platform::Notification& notification);

    // Fetches the configuration file; the outcome arrives as one of the two
    // request notifications.
    void postConfigInfoRequest();
    // The configuration file's body as the request delivered it (absent when
    // the response had none): parsed and announced.
    void handleConfigResponse(const std::optional<QByteArray>& body);

    // Posts the outcome of a request: on success the data is the
    // configuration; on failure a VNError (a missing one becomes the parse
    // error kParseErrorCode of parseErrorDomain()).
    void notifyObserverWithSuccess(bool success, int requestType, const QVariant& dataOrError);
    void serverConfigRequestSuccess(const platform::Notification& notification);
    void serverConfigRequestFailed(const platform::Notification& notification);

    // Acting on the stored configuration.
    void serverConfigHandleConfigIfNeeded();
    void serverConfigShowPushAdIfNeeded();
    void handleAlertResult(bool confirmed);
    void showPushAdPromoWindow();
    void serverConfigShowLoadingHudWithText(const QString& text);
    void serverConfigHideLoadingHud();

    // Push ads scheduled and not yet run (each configuration schedules its
    // own), and how many of them came due while a modal window was up and
    // wait for it to close.
    bool hasPendingPushAd() const;
    int pushAdsWaitingForModal() const;

    // The text of a language dictionary for the user's first language
    // ("AppleLanguages"), else its "default" entry; null when neither.
    static QString textForUserLanguage(const QList<QPair<QString, QString>>& dictionary);

    // The running version compared with the configured one (the program's
    // own unless a test sets another; nullopt puts it back).
    static void setRunningVersionForTesting(std::optional<QString> version);

private:
    CHServerConfig();
    ~CHServerConfig() = delete;
    int runConfigAlert(const QString& title, const QString& defaultButton, const QString& text);
    void schedulePushAd(const CHServerConfigInfo& info);
    // Runs serverConfigShowPushAdIfNeeded after the delay, once no modal
    // window is up (a delayed call never runs inside another's modal loop).
    void performPushAdWhenNoModal(int delayMs, bool waitingForModal);
    bool isModalRunning() const;

    CHServerConfigDelegate* m_delegate = nullptr;
    std::shared_ptr<CHServerConfigInfo> m_info;
    int m_alertType = 0;
    std::shared_ptr<platform::Alert> m_alert;
    std::unique_ptr<CHServerConfigFetcher> m_fetcher;
    int m_configAlertDepth = 0;
    quint64 m_pushAdSerial = 0;
    // Scheduled push-ad calls by key: whether the call waits for a modal.
    QMap<QString, bool> m_pushAdCalls;
};

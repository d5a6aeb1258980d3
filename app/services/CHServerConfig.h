#pragma once

#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class CHServerConfigDelegate;
class CHServerConfigInfo;

namespace platform {
struct Notification;
}

// The remote configuration: made once at launch, right after the launch
// counter, it listens for configuration downloads and keeps the last
// configuration received. (The download itself is started by nothing in
// the program.)
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

    // Not owned: the delegate must outlive its registration.
    CHServerConfigDelegate* delegate() const { return m_delegate; }
    void setDelegate(CHServerConfigDelegate* delegate) { m_delegate = delegate; }
    std::shared_ptr<CHServerConfigInfo> serverConfigInfo() const { return m_info; }
    void setServerConfigInfo(std::shared_ptr<CHServerConfigInfo> info) { m_info = std::move(info); }
    int currentShowingAlertType() const { return m_alertType; }
    void setCurrentShowingAlertType(int type) { m_alertType = type; }

    void appStartNotification();
    void appEndNotification(const platform::Notification& notification);

    // Posts the outcome of a request: on success the data is the
    // configuration; on failure the error text (a missing one becomes the
    // parse error of kParseErrorCode).
    void notifyObserverWithSuccess(bool success, int requestType, const QVariant& dataOrError);
    void serverConfigRequestSuccess(const platform::Notification& notification);
    void serverConfigRequestFailed(const platform::Notification& notification);

private:
    CHServerConfig();
    ~CHServerConfig() = delete;
    CHServerConfigDelegate* m_delegate = nullptr;
    std::shared_ptr<CHServerConfigInfo> m_info;
    int m_alertType = 0;
};

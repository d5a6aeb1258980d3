#pragma once

#include "MyPushAdInfo.h"
#include "MyPushAdPopupWindow.h"
#include "MyPushAdViewControllerDelegate.h"

#include "platform/foundation/Clock.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QVariantMap>
#include <QWidget>

#include <memory>


class QScreen;
class MyPushAdViewController;


namespace platform {
struct Notification;
}

// Serves one host view: decides once whether the ad is shown (and counts
// the showing per ad version), shows it after its delay as a banner in the
// host view or in the shared pop-up window, and announces showing and
// closing.
class MyPushAdOperator : public QObject, public MyPushAdViewControllerDelegate {
    Q_OBJECT
public:
    static std::unique_ptr<MyPushAdOperator> createInstanceWithHostView(QWidget* hostView);
    ~MyPushAdOperator() override;

    // Notifications (sender: the ad's box) and their user-info keys.
    static QString willShowNotificationName(); // "PAUPushAdWillShowNotification"
    static QString didCloseNotificationName(); // "PAUPushAdDidCloseNotification"
    static QString infoKey();                  // "PAUPushAdInfoKey"
    static QString isPopupWindowKey();         // "PAUPushAdIsPopupWindowKey"
    static QString hostViewKey();              // "PAUPushAdHostViewKey"
    static QString popupWindowKey();           // "PAUPushAdPopupWindowKey"
    // Settings shared by every host of the process.
    static QString versionKey();               // "PAUMyPushAdVersionKey"
    static QString countKey();                 // "PAUMyPushAdCountKey"

    // Whether an ad of this version restarts the count kept for the stored
    // one: versions are pieces separated by "a"; the first pieces are
    // compared as text, the second ones as numbers, and different numbers
    // of pieces differ.
    static bool versionsDiffer(const QString& stored, const QString& version);
    // Where a banner goes in a host view of the given size, in the view's
    // own top-left coordinates: embed 1 top right, then clockwise to 8 top
    // centre; the offsets move it in from the edge it keeps to (up for the
    // middle places); any other embed puts it in the bottom-left corner.
    // The ad's size as it may be shown: within what the screen can show
    // (the available area of the given screen, else of the primary one).
    // Null for a size that is not positive.
    static QSize boundedAdSize(qint64 width, qint64 height, const QScreen* screen);
    static QRect bannerFrame(qint64 embed, const QSize& hostSize, const QSize& adSize, qint64 offsetx, qint64 offsety);

    // The one pop-up window of the process, once made; it lives as long as
    // the process. Tests may discard it to start afresh.
    static MyPushAdPopupWindow* sharedPopupAdWindow();
    static void discardSharedPopupAdWindow();

    void processShowAdIfNeededWithPushAdInfo(const std::shared_ptr<MyPushAdInfo>& info);
    void prepareToShowAd();
    void showAd();
    bool isAdShownAsBanner() const;
    void relayoutPushAdFrame();
    void pushAdViewControllerCloseButtonDidClick(MyPushAdViewController* controller) override;
    void postPushAdWillShowNotification();
    void postPushAdDidCloseNotification();
    QVariantMap composeNotificationUserInfo() const;
    void handleViewFrameDidChangeNotification(const platform::Notification& notification);
    void handleWindowWillCloseNotification(const platform::Notification& notification);

    bool isProcessShowAdRequested() const { return m_isProcessShowAdRequested; }
    QWidget* hostView() const { return m_hostView; }
    MyPushAdViewController* pushAdViewController() const { return m_pushAdViewController.get(); }
    MyPushAdPopupWindow* popupAdWindow() const;
    std::shared_ptr<MyPushAdInfo> myPushAdInfo() const { return m_myPushAdInfo; }
    // Whether the ad waits for its delay to pass.
    bool isShowPending() const { return m_showTimer != 0; }

private:
    explicit MyPushAdOperator(QWidget* hostView);
    void startObservingNotifications();
    // Counts this showing against the ad's limit; false when it is used up.
    bool countShowing(const MyPushAdInfo& info);
    // The screen the ad shows on: its host view's for a banner, the pop-up
    // window's otherwise; null when not yet known.
    QScreen* adScreen() const;
    // Without any screen, an ad is at most this many pixels in each direction.
    static constexpr int kFallbackLimit = 4096;

    bool m_isProcessShowAdRequested = false;
    QPointer<QWidget> m_hostView;
    std::unique_ptr<MyPushAdViewController> m_pushAdViewController;
    QPointer<MyPushAdPopupWindow> m_popupAdWindow;
    std::shared_ptr<MyPushAdInfo> m_myPushAdInfo;
    platform::Clock::TimerId m_showTimer = 0;
};

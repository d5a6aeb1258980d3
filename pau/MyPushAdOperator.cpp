#include "MyPushAdOperator.h"

#include "MyPushAdBoxView.h"
#include "MyPushAdClock.h"
#include "MyPushAdLog.h"
#include "MyPushAdPopupWindow.h"
#include "MyPushAdViewController.h"

#include "platform/appkit/FrameChangeNotifier.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
QPointer<MyPushAdPopupWindow>& sharedWindow()
{
    static QPointer<MyPushAdPopupWindow> window;
    return window;
}

// The leading integer of a text, kept within 32 bits, as version pieces compare.
int intValue(const QString& text)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        negative = text.at(i++) == QLatin1Char('-');
    qint64 value = 0;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i)
        value = std::min<qint64>(value * 10 + (text.at(i).unicode() - '0'), qint64(INT_MAX) + 1);
    value = negative ? -value : value;
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

int clampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    return int(std::clamp(std::round(value), double(INT_MIN / 2), double(INT_MAX / 2)));
}
} // namespace

QString MyPushAdOperator::willShowNotificationName() { return QStringLiteral("PAUPushAdWillShowNotification"); }
QString MyPushAdOperator::didCloseNotificationName() { return QStringLiteral("PAUPushAdDidCloseNotification"); }
QString MyPushAdOperator::infoKey() { return QStringLiteral("PAUPushAdInfoKey"); }
QString MyPushAdOperator::isPopupWindowKey() { return QStringLiteral("PAUPushAdIsPopupWindowKey"); }
QString MyPushAdOperator::hostViewKey() { return QStringLiteral("PAUPushAdHostViewKey"); }
QString MyPushAdOperator::popupWindowKey() { return QStringLiteral("PAUPushAdPopupWindowKey"); }
QString MyPushAdOperator::versionKey() { return QStringLiteral("PAUMyPushAdVersionKey"); }
QString MyPushAdOperator::countKey() { return QStringLiteral("PAUMyPushAdCountKey"); }

MyPushAdPopupWindow* MyPushAdOperator::sharedPopupAdWindow()
{
    return sharedWindow();
}

void MyPushAdOperator::discardSharedPopupAdWindow()
{
    delete sharedWindow().data();
}

std::unique_ptr<MyPushAdOperator> MyPushAdOperator::createInstanceWithHostView(QWidget* hostView)
{
    if (hostView)
        platform::FrameChangeNotifier::setPostsFrameChangedNotifications(hostView, true);
    return std::unique_ptr<MyPushAdOperator>(new MyPushAdOperator(hostView));
}

MyPushAdOperator::MyPushAdOperator(QWidget* hostView)
    : m_hostView(hostView)
    , m_popupAdWindow(sharedWindow())
{
    startObservingNotifications();
}

MyPushAdOperator::~MyPushAdOperator()
{
    MyPushAdClock::clock().cancel(m_showTimer);
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void MyPushAdOperator::startObservingNotifications()
{
    auto& center = platform::NotificationCenter::defaultCenter();
    center.addObserver(this, platform::FrameChangeNotifier::notificationName(), nullptr,
                       [this](const platform::Notification& n) { handleViewFrameDidChangeNotification(n); });
    center.addObserver(this, MyPushAdPopupWindow::willCloseNotificationName(), nullptr,
                       [this](const platform::Notification& n) { handleWindowWillCloseNotification(n); });
}

MyPushAdPopupWindow* MyPushAdOperator::popupAdWindow() const
{
    return m_popupAdWindow;
}

bool MyPushAdOperator::versionsDiffer(const QString& stored, const QString& version)
{
    const QStringList s = stored.split(QLatin1Char('a'));
    const QStringList v = version.split(QLatin1Char('a'));
    if (s.first() != v.first() || s.size() != v.size())
        return true;
    return s.size() >= 2 && intValue(s.at(1)) != intValue(v.at(1));
}

QSize MyPushAdOperator::boundedAdSize(qint64 width, qint64 height, const QScreen* screen)
{
    if (width <= 0 || height <= 0)
        return QSize();
    // An ad larger than the screen shows nothing more, and the page behind
    // it would cost memory in proportion to its area: a described size of
    // 100000 x 100000 is cut down before any view takes it.
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QSize limit = screen ? screen->availableGeometry().size().expandedTo(QSize(1, 1)) : QSize(kFallbackLimit, kFallbackLimit);
    return QSize(int(std::min<qint64>(width, limit.width())), int(std::min<qint64>(height, limit.height())));
}

QScreen* MyPushAdOperator::adScreen() const
{
    if (m_pushAdViewController && m_pushAdViewController->pushAdMode() == MyPushAdViewController::BannerMode && m_hostView)
        return m_hostView->screen();
    if (m_popupAdWindow)
        return m_popupAdWindow->screen();
    return nullptr;
}

QRect MyPushAdOperator::bannerFrame(qint64 embed, const QSize& hostSize, const QSize& adSize, qint64 offsetx, qint64 offsety)
{
    const double W = hostSize.width(), H = hostSize.height();
    const double w = adSize.width(), h = adSize.height();
    const double ox = double(offsetx), oy = double(offsety);
    // The places are told with y counting up from the bottom edge.
    double x = 0, y = 0;
    switch (embed) {
    case 1: x = W - w - ox; y = H - h - oy; break;
    case 2: x = W - w - ox; y = H / 2 - h / 2 - oy; break;
    case 3: x = W - w - ox; y = oy; break;
    case 4: x = W / 2 - w / 2 - ox; y = oy; break;
    case 5: x = ox; y = oy; break;
    case 6: x = ox; y = H / 2 - h / 2 - oy; break;
    case 7: x = ox; y = H - h - oy; break;
    case 8: x = W / 2 - w / 2 - ox; y = H - h - oy; break;
    default: break;
    }
    return QRect(clampToInt(x), clampToInt(H - y - h), adSize.width(), adSize.height());
}

void MyPushAdOperator::processShowAdIfNeededWithPushAdInfo(const std::shared_ptr<MyPushAdInfo>& info)
{
    if (m_isProcessShowAdRequested)
        return;
    PAU_VERIFY(!m_myPushAdInfo);
    m_myPushAdInfo = info;
    if (!m_myPushAdInfo) {
        PAU_FATAL();
        return;
    }
    m_isProcessShowAdRequested = true;
    if (!m_myPushAdInfo->enable) {
        PAU_LOG(QStringLiteral("PAU Disabled."));
        return;
    }
    if (!m_myPushAdInfo->version.isEmpty() && !countShowing(*m_myPushAdInfo))
        return;
    prepareToShowAd();
}

bool MyPushAdOperator::countShowing(const MyPushAdInfo& info)
{
    platform::UserDefaults& defaults = platform::UserDefaults::standard();
    const QString stored = defaults.string(versionKey());
    if (stored.isEmpty()) {
        defaults.setValue(versionKey(), info.version);
        defaults.setValue(countKey(), 1);
        defaults.synchronize();
        return true;
    }
    if (versionsDiffer(stored, info.version)) {
        defaults.setValue(versionKey(), info.version);
        defaults.setValue(countKey(), 0);
        defaults.synchronize();
    }
    const qint64 shown = defaults.integer(countKey());
    if (shown >= info.count)
        return false;
    defaults.setValue(countKey(), shown + 1);
    defaults.synchronize();
    return true;
}

void MyPushAdOperator::prepareToShowAd()
{
    if (!m_myPushAdInfo) {
        PAU_FATAL();
        return;
    }
    const MyPushAdInfo& info = *m_myPushAdInfo;
    info.doCheck();

    PAU_VERIFY(!m_pushAdViewController);
    if (!m_pushAdViewController) {
        const qint64 mode = (m_hostView && info.embed > 0) ? MyPushAdViewController::BannerMode : MyPushAdViewController::PopupMode;
        m_pushAdViewController = MyPushAdViewController::createInstanceWithPushAdMode(mode);
        m_pushAdViewController->setDelegate(this);
    }
    if (info.width > 0 && info.height > 0)
        m_pushAdViewController->changeViewSize(boundedAdSize(info.width, info.height, adScreen()));

    if (m_pushAdViewController->pushAdMode() == MyPushAdViewController::PopupMode) {
        if (!sharedWindow()) {
            MyPushAdPopupWindow* window = MyPushAdPopupWindow::windowWithContentViewController(m_pushAdViewController.get());
            window->setLevel(MyPushAdPopupWindow::kFloatingWindowLevel);
            sharedWindow() = window;
        }
        if (!m_popupAdWindow)
            m_popupAdWindow = sharedWindow();
    }

    if (info.delay < 0)
        return; // never shown
    m_showTimer = MyPushAdClock::clock().schedule(double(info.delay), [this] {
        m_showTimer = 0;
        showAd();
    });
}

bool MyPushAdOperator::isAdShownAsBanner() const
{
    return m_pushAdViewController && m_pushAdViewController->view() && m_hostView && m_myPushAdInfo &&
           m_myPushAdInfo->embed > 0;
}

void MyPushAdOperator::showAd()
{
    if (!m_myPushAdInfo || !m_pushAdViewController)
        return;
    const QString title = m_myPushAdInfo->localizedTitle();
    const QString html = m_myPushAdInfo->localizedHtmlString();
    MyPushAdBoxView* view = m_pushAdViewController->view();

    if (isAdShownAsBanner()) {
        if (view->parentWidget() != m_hostView) {
            postPushAdWillShowNotification();
            view->setParent(m_hostView);
            view->show();
            view->raise();
        }
    } else {
        if (m_myPushAdInfo->embed != 0)
            return; // its host view is gone
        MyPushAdPopupWindow* window = m_popupAdWindow;
        const bool wasVisible = window && window->isVisible();
        postPushAdWillShowNotification();
        if (wasVisible)
            return;
        if (window) {
            window->show();
            window->raise();
            window->activateWindow();
        }
    }
    relayoutPushAdFrame();
    m_pushAdViewController->loadDataWithTitle(title, html);
}

void MyPushAdOperator::relayoutPushAdFrame()
{
    if (!m_myPushAdInfo || !m_pushAdViewController)
        return;
    const MyPushAdInfo& info = *m_myPushAdInfo;
    if (isAdShownAsBanner()) {
        const QSize ad = boundedAdSize(info.width, info.height, m_hostView->screen());
        m_pushAdViewController->view()->setGeometry(bannerFrame(info.embed, m_hostView->size(), ad, info.offsetx, info.offsety));
        return;
    }
    MyPushAdPopupWindow* window = m_popupAdWindow;
    if (!window || info.embed != 0)
        return;
    QSize content = window->size();
    if (info.width > 0 && info.height > 0)
        content = boundedAdSize(info.width, info.height, window->screen());
    if (QScreen* screen = window->screen()) {
        const QRect visible = screen->availableGeometry();
        const QPoint origin(visible.x() + (visible.width() - content.width()) / 2,
                            visible.y() + (visible.height() - content.height()) / 2);
        window->setGeometry(QRect(origin, content));
    } else {
        window->setGeometry(QRect(QPoint(0, 0), content));
        PAU_LOG(MyPushAdLog::fatalErrorGotMessage());
    }
}

void MyPushAdOperator::pushAdViewControllerCloseButtonDidClick(MyPushAdViewController* controller)
{
    PAU_VERIFY(controller == m_pushAdViewController.get());
    if (!isAdShownAsBanner())
        return;
    MyPushAdBoxView* view = m_pushAdViewController->view();
    PAU_VERIFY(view->parentWidget() == m_hostView);
    view->hide();
    view->setParent(nullptr);
    postPushAdDidCloseNotification();
}

void MyPushAdOperator::postPushAdWillShowNotification()
{
    MyPushAdBoxView* view = m_pushAdViewController ? m_pushAdViewController->view() : nullptr;
    PAU_VERIFY(view);
    platform::NotificationCenter::defaultCenter().post(willShowNotificationName(), view, composeNotificationUserInfo(),
                                                       QVariant::fromValue<QWidget*>(view));
}

void MyPushAdOperator::postPushAdDidCloseNotification()
{
    MyPushAdBoxView* view = m_pushAdViewController ? m_pushAdViewController->view() : nullptr;
    PAU_VERIFY(view);
    platform::NotificationCenter::defaultCenter().post(didCloseNotificationName(), view, composeNotificationUserInfo(),
                                                       QVariant::fromValue<QWidget*>(view));
}

QVariantMap MyPushAdOperator::composeNotificationUserInfo() const
{
    if (!m_myPushAdInfo)
        return {};
    QVariantMap info;
    info.insert(infoKey(), QVariant::fromValue(m_myPushAdInfo));
    info.insert(isPopupWindowKey(), !isAdShownAsBanner());
    if (m_hostView)
        info.insert(hostViewKey(), QVariant::fromValue<QWidget*>(m_hostView));
    if (m_popupAdWindow)
        info.insert(popupWindowKey(), QVariant::fromValue<QWidget*>(m_popupAdWindow.data()));
    return info;
}

void MyPushAdOperator::handleViewFrameDidChangeNotification(const platform::Notification& notification)
{
    if (m_hostView && notification.sender == m_hostView.data() && isAdShownAsBanner())
        relayoutPushAdFrame();
}

void MyPushAdOperator::handleWindowWillCloseNotification(const platform::Notification& notification)
{
    if (m_popupAdWindow && notification.sender == m_popupAdWindow.data() && m_popupAdWindow->isVisible())
        postPushAdDidCloseNotification();
}

#include "CHOpeningURL.h"
#include "CHPromoAppsWindowController.h"
#include "CHPromoAppsWindowManager.h"
#include "FakeWebView.h"
#include "PromoAppsInfo.h"

#include "platform/appkit/ProgressSpinner.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
class PromoWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        CHPromoAppsWindowController::setWebViewFactory(
            [](QWidget* parent) { return std::make_unique<FakeWebView>(parent); });
        CHOpeningURL::setURLOpener([this](const QUrl& url) { opened << url.toString(); });
        platform::NotificationCenter::defaultCenter().addObserver(
            this, CHOpeningURL::notificationName(), nullptr,
            [this](const platform::Notification& n) { announced << n.object.toString(); });
        manager = CHPromoAppsWindowManager::sharedCHPromoAppsWindowManager();
        manager->setPromoAppsWindowController(std::make_unique<CHPromoAppsWindowController>());
        controller = manager->promoAppsWindowController();
    }
    void TearDown() override
    {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        CHOpeningURL::setURLOpener({});
        CHPromoAppsWindowController::setWebViewFactory({});
        // The manager as a fresh process has it: with a controller whose
        // window is not loaded yet.
        manager->setPromoAppsWindowController(std::make_unique<CHPromoAppsWindowController>());
    }
    FakeWebView* web() { return static_cast<FakeWebView*>(controller->webView()); }

    CHPromoAppsWindowManager* manager = nullptr;
    CHPromoAppsWindowController* controller = nullptr;
    QStringList opened;
    QStringList announced;
};
} // namespace

TEST_F(PromoWindow, CentresOnTheVisibleFrameInSinglePrecision)
{
    EXPECT_EQ(CHPromoAppsWindowManager::centredFrame(QSizeF(600, 422), QRectF(0, 23, 1440, 877)),
              QRectF(420, 250.5, 600, 422));
    EXPECT_EQ(CHPromoAppsWindowManager::centredFrame(QSizeF(601, 100), QRectF(10, 0, 800, 600)),
              QRectF(109.5, 250, 601, 100));
}

TEST_F(PromoWindow, EmptySizeOrNoInfoShowsNothingAndMakesNoWebView)
{
    const QSizeF sizes[] = {{600, 0}, {0, 422}, {-5, 422}};
    for (const QSizeF& size : sizes) {
        auto info = PromoAppsInfo::promoAppsInfo();
        info->setContentFrame(QRectF(QPointF(0, 0), size));
        info->setUrl(QUrl(QStringLiteral("http://127.0.0.1:9/")));
        manager->showWindowWithPromoAppsInfo(info.get());
    }
    manager->showWindowWithPromoAppsInfo(nullptr);
    // The window, and with it the web engine, was never made.
    EXPECT_FALSE(controller->isWindowLoaded());
}

TEST_F(PromoWindow, ShowsTheConfiguredPageCentred)
{
    auto info = PromoAppsInfo::promoAppsInfo();
    info->setTitle(QStringLiteral("Our programs"));
    info->setContentFrame(QRectF(0, 0, 400, 300));
    info->setCentered(true);
    info->setUrl(QUrl(QStringLiteral("http://127.0.0.1:9/promo.html")));
    manager->showWindowWithPromoAppsInfo(info.get());
    QWidget* window = controller->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Our programs"));
    const QRectF expected = CHPromoAppsWindowManager::centredFrame(QSizeF(400, 300), window->screen()->availableGeometry());
    EXPECT_EQ(window->geometry(), QRect(qRound(expected.x()), qRound(expected.y()), 400, 300));
    EXPECT_EQ(web()->loadedURL, info->url());
    EXPECT_EQ(web()->timeout, 60.0);

    // An empty title keeps the window's own.
    info->setTitle(QString());
    manager->showWindowWithPromoAppsInfo(info.get());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Our programs"));
    EXPECT_EQ(web()->loads, 2);
}

TEST_F(PromoWindow, StoreMarkerInTheQueryOpensTheStoreInstead)
{
    const struct {
        const char* link;
        bool store;
    } cases[] = {
        {"https://apps.example/get?id=7&LS=1", true},
        {"https://apps.example/get?ls=10", true},
        {"https://apps.example/get?als=1", true},
        {"https://apps.example/ls=1/get", false},
        {"https://apps.example/get", false},
        {"https://apps.example/get?ls=2", false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.link);
        opened.clear();
        announced.clear();
        const QUrl url(QString::fromUtf8(row.link));
        EXPECT_EQ(CHPromoAppsWindowController::isCapableForMacAppStore(url), row.store);
        const auto policy = controller->decidePolicyForNavigation(url, QStringLiteral("store"));
        if (!row.store) {
            EXPECT_EQ(policy, platform::WebViewDelegate::Policy::Use);
            EXPECT_TRUE(opened.isEmpty());
            EXPECT_TRUE(announced.isEmpty());
            continue;
        }
        EXPECT_EQ(policy, platform::WebViewDelegate::Policy::Ignore);
        const QString store = CHOpeningURL::storeFormOfLink(QString::fromUtf8(row.link));
        EXPECT_EQ(opened, QStringList{store});
        EXPECT_EQ(announced, QStringList{QStringLiteral("WebViewItemClicked - ") + store});
    }
}

TEST_F(PromoWindow, SpinnerTurnsWhileLoadingAndStopsWhenTheLoadEndsEitherWay)
{
    platform::ProgressSpinner* spinner = controller->loadingProgressIndicator();
    ASSERT_NE(spinner, nullptr);
    controller->window()->show();
    platform::WebViewDelegate* delegate = web()->delegate();
    ASSERT_EQ(delegate, controller);

    delegate->webViewDidStartLoad();
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_TRUE(spinner->isVisible());
    delegate->webViewDidFinishLoad();
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_FALSE(spinner->isVisible());

    // A failed load stops it too.
    delegate->webViewDidStartLoad();
    delegate->webViewDidFailLoad(QStringLiteral("The request timed out."));
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_FALSE(spinner->isVisible());
}

TEST_F(PromoWindow, NoURLLoadsNothing)
{
    controller->setUrl(QUrl());
    controller->loadUrl();
    EXPECT_EQ(web()->loads, 0);
}

TEST_F(PromoWindow, PointerOverThePageMakesTheWindowKey)
{
    QWidget* promo = controller->window();
    promo->show();
    QWidget other;
    other.show();
    other.activateWindow();
    QCoreApplication::processEvents();
    ASSERT_FALSE(promo->isActiveWindow());
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(web()->widget(), &enter);
    QCoreApplication::processEvents();
    EXPECT_TRUE(promo->isActiveWindow());
}

#include "PushAdTestSupport.h"

#include "MyPushAdBoxView.h"
#include "MyPushAdPopupWindow.h"
#include "StderrCapture.h"
#include "TestMain.h"

#include "MyPushAdUtil.h"

#include "platform/foundation/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <limits>
#include <QWidget>

namespace {
std::shared_ptr<MyPushAdInfo> ad(qint64 embed = 0, qint64 delay = 0)
{
    auto info = MyPushAdInfo::createInstance();
    info->adId = 7;
    info->enable = true;
    info->version = QStringLiteral("3a1");
    info->embed = embed;
    info->width = 120;
    info->height = 60;
    info->count = 3;
    info->delay = delay;
    info->titleDict = MyPushAdInfo::LanguageDict{{"default", "Ad title"}};
    info->htmlContentsDict = MyPushAdInfo::LanguageDict{{"default", "<p>ad</p>"}};
    return info;
}

class Operator : public PushAdTest {
protected:
    void SetUp() override
    {
        PushAdTest::SetUp();
        host = std::make_unique<QWidget>();
        host->resize(400, 300);
        host->show();
    }
    void TearDown() override
    {
        host.reset();
        PushAdTest::TearDown();
    }
    std::unique_ptr<QWidget> host;
};
} // namespace

TEST_F(Operator, VersionAndCountDecideWhetherTheAdShows)
{
    struct Row {
        const char* storedVersion; // null: absent
        int storedCount;
        const char* adVersion;
        qint64 limit;
        bool shown;
        const char* versionAfter;
        int countAfter;
    };
    const Row rows[] = {
        {nullptr, 0, "3a1", 2, true, "3a1", 1},
        {"", 5, "3a1", 2, true, "3a1", 1},
        {"3a1", 1, "3a2", 1, true, "3a2", 1},  // a new alpha restarts counting
        {"3a2", 0, "3a1", 1, true, "3a1", 1},  // an older one too
        {"3a1", 1, "3a1", 1, false, "3a1", 1}, // the limit is reached
        {"3a1", 1, "3a1", 2, true, "3a1", 2},  // below the limit
        {"3", 1, "3a1", 1, true, "3a1", 1},    // different numbers of pieces
        {"4", 1, "3", 1, true, "3", 1},
        {"3", 1, "3", 1, false, "3", 1},
        {"3a01", 1, "3a1", 1, false, "3a01", 1}, // second pieces compare as numbers
        {"3a1a7", 1, "3a1a9", 1, false, "3a1a7", 1}, // further pieces are ignored
        {"3a1", 9, "", 1, true, "3a1", 9},         // an ad without a version is not counted
    };
    auto& defaults = platform::UserDefaults::standard();
    for (const Row& row : rows) {
        clearCount();
        if (row.storedVersion) {
            defaults.setValue(MyPushAdOperator::versionKey(), QString::fromLatin1(row.storedVersion));
            defaults.setValue(MyPushAdOperator::countKey(), row.storedCount);
        }
        auto info = ad(0, -1);
        info->version = QString::fromLatin1(row.adVersion);
        info->count = row.limit;
        auto op = MyPushAdOperator::createInstanceWithHostView(host.get());
        op->processShowAdIfNeededWithPushAdInfo(info);
        const std::string label = std::string(row.storedVersion ? row.storedVersion : "(none)") + " vs " + row.adVersion;
        EXPECT_TRUE(op->isProcessShowAdRequested()) << label;
        EXPECT_EQ(op->pushAdViewController() != nullptr, row.shown) << label;
        EXPECT_EQ(defaults.string(MyPushAdOperator::versionKey()), QString::fromLatin1(row.versionAfter)) << label;
        EXPECT_EQ(defaults.integer(MyPushAdOperator::countKey()), row.countAfter) << label;

        // The decision is taken once per operator.
        op->processShowAdIfNeededWithPushAdInfo(info);
        EXPECT_EQ(defaults.integer(MyPushAdOperator::countKey()), row.countAfter) << label;
    }
}

TEST_F(Operator, DisabledOrMissingAdsAreNotShown)
{
    auto disabled = ad();
    disabled->enable = false;
    auto op = MyPushAdOperator::createInstanceWithHostView(host.get());
    StderrCapture log;
    op->processShowAdIfNeededWithPushAdInfo(disabled);
    EXPECT_EQ(log.count(QStringLiteral("PAU <=> PAU Disabled.")), 1);
    EXPECT_TRUE(op->isProcessShowAdRequested());
    EXPECT_EQ(op->pushAdViewController(), nullptr);
    EXPECT_FALSE(platform::UserDefaults::standard().hasStoredValue(MyPushAdOperator::countKey()));

    auto undecided = MyPushAdOperator::createInstanceWithHostView(host.get());
    undecided->processShowAdIfNeededWithPushAdInfo(nullptr);
    EXPECT_FALSE(undecided->isProcessShowAdRequested());
    EXPECT_GE(log.count(QStringLiteral("fatal error found")), 1);
}

TEST(BannerPlacement, EachEmbedHasItsPlaceInTopLeftCoordinates)
{
    const QSize hostSize(400, 300), adSize(100, 50);
    struct Row {
        qint64 embed;
        QPoint at;
    };
    // Offsets 10 across and 20 up or down, in from the edge the ad keeps to.
    const Row rows[] = {
        {1, {290, 20}},  {2, {290, 145}}, {3, {290, 230}}, {4, {140, 230}}, {5, {10, 230}},
        {6, {10, 145}},  {7, {10, 20}},   {8, {140, 20}},  {0, {0, 250}},   {9, {0, 250}}, {-1, {0, 250}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MyPushAdOperator::bannerFrame(row.embed, hostSize, adSize, 10, 20), QRect(row.at, adSize)) << row.embed;
}

TEST_F(Operator, BannerShowsAfterTheDelayAndFollowsItsHost)
{
    auto info = ad(3, 5);
    info->offsetx = 4;
    info->offsety = 6;
    auto op = MyPushAdOperator::createInstanceWithHostView(host.get());
    op->processShowAdIfNeededWithPushAdInfo(info);
    ASSERT_NE(op->pushAdViewController(), nullptr);
    EXPECT_EQ(op->pushAdViewController()->pushAdMode(), MyPushAdViewController::BannerMode);
    EXPECT_TRUE(op->isShowPending());
    clock.advance(4.9);
    EXPECT_EQ(postedCount(MyPushAdOperator::willShowNotificationName()), 0);
    clock.advance(0.1);

    MyPushAdBoxView* box = op->pushAdViewController()->view();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), host.get());
    EXPECT_EQ(box->tag(), 27921);
    EXPECT_EQ(box->geometry(), QRect(400 - 120 - 4, 300 - 6 - 60, 120, 60));
    EXPECT_EQ(web(*op)->loadedHTML, QStringLiteral("<p>ad</p>"));
    EXPECT_EQ(op->pushAdViewController()->title(), QStringLiteral("Ad title"));
    ASSERT_EQ(postedCount(MyPushAdOperator::willShowNotificationName()), 1);
    const platform::Notification& shown = posted.front();
    EXPECT_EQ(shown.sender, box);
    EXPECT_FALSE(shown.userInfo.value(MyPushAdOperator::isPopupWindowKey()).toBool());
    EXPECT_EQ(shown.userInfo.value(MyPushAdOperator::hostViewKey()).value<QWidget*>(), host.get());
    EXPECT_FALSE(shown.userInfo.contains(MyPushAdOperator::popupWindowKey()));
    EXPECT_EQ(shown.userInfo.value(MyPushAdOperator::infoKey()).value<std::shared_ptr<MyPushAdInfo>>(), info);

    host->resize(500, 400);
    ASSERT_TRUE(waitFor([&] { return box->geometry() == QRect(500 - 120 - 4, 400 - 6 - 60, 120, 60); }))
        << box->geometry().x() << "," << box->geometry().y();
}

TEST_F(Operator, CloseClickInABannerRemovesItAndPostsDidClose)
{
    auto op = MyPushAdOperator::createInstanceWithHostView(host.get());
    op->processShowAdIfNeededWithPushAdInfo(ad(1, 0));
    clock.advance(0);
    MyPushAdBoxView* box = op->pushAdViewController()->view();
    ASSERT_EQ(box->parentWidget(), host.get());

    FakeWebView* view = web(*op);
    const auto policy = view->delegate()->decidePolicyForNavigation(QUrl(QStringLiteral("http://127.0.0.1:1/close")),
                                                                    QStringLiteral("cocoa_close_web"));
    EXPECT_EQ(policy, platform::WebViewDelegate::Policy::Ignore);
    ASSERT_TRUE(waitFor([&] { return postedCount(MyPushAdOperator::didCloseNotificationName()) == 1; }));
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(posted.back().sender, box);
    EXPECT_FALSE(posted.back().userInfo.value(MyPushAdOperator::isPopupWindowKey()).toBool());
    // A banner keeps its close element; only a pop-up hides it.
    view->delegate()->webViewDidFinishLoad();
    EXPECT_TRUE(view->hidden.isEmpty());
}

TEST_F(Operator, PopupIsCentredWithTheAdSizeAndAnnouncesItsClosing)
{
    auto op = MyPushAdOperator::createInstanceWithHostView(host.get());
    op->processShowAdIfNeededWithPushAdInfo(ad(0, 0));
    ASSERT_NE(op->pushAdViewController(), nullptr);
    EXPECT_EQ(op->pushAdViewController()->pushAdMode(), MyPushAdViewController::PopupMode);
    MyPushAdPopupWindow* window = MyPushAdOperator::sharedPopupAdWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(op->popupAdWindow(), window);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window->isVisible());
    clock.advance(0);

    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Ad title"));
    const QRect visible = window->screen()->availableGeometry();
    EXPECT_EQ(window->geometry(), QRect(visible.x() + (visible.width() - 120) / 2, visible.y() + (visible.height() - 60) / 2, 120, 60));
    ASSERT_EQ(postedCount(MyPushAdOperator::willShowNotificationName()), 1);
    EXPECT_TRUE(posted.front().userInfo.value(MyPushAdOperator::isPopupWindowKey()).toBool());
    EXPECT_EQ(posted.front().userInfo.value(MyPushAdOperator::popupWindowKey()).value<QWidget*>(), window);
    web(*op)->delegate()->webViewDidFinishLoad();
    EXPECT_EQ(web(*op)->hidden, QStringList{QStringLiteral("cocoa_close_web")});

    // A second host's operator shows the same window: already visible, it
    // only announces.
    QWidget otherHost;
    auto second = MyPushAdOperator::createInstanceWithHostView(&otherHost);
    EXPECT_EQ(second->popupAdWindow(), window);
    second->processShowAdIfNeededWithPushAdInfo(ad(0, 0));
    clock.advance(0);
    EXPECT_EQ(postedCount(MyPushAdOperator::willShowNotificationName()), 2);
    EXPECT_EQ(web(*second)->loadedHTML, QString());

    // Closing the window: every operator that holds it announces it.
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(postedCount(MyPushAdOperator::didCloseNotificationName()), 2);
}

TEST_F(Operator, NegativeDelayOrAGoneHostShowsNothing)
{
    auto never = MyPushAdOperator::createInstanceWithHostView(host.get());
    never->processShowAdIfNeededWithPushAdInfo(ad(0, -1));
    EXPECT_NE(never->pushAdViewController(), nullptr);
    EXPECT_FALSE(never->isShowPending());
    clock.advance(1e6);
    EXPECT_EQ(postedCount(MyPushAdOperator::willShowNotificationName()), 0);

    auto banner = MyPushAdOperator::createInstanceWithHostView(host.get());
    banner->processShowAdIfNeededWithPushAdInfo(ad(2, 3));
    host.reset();
    clock.advance(3);
    EXPECT_EQ(postedCount(MyPushAdOperator::willShowNotificationName()), 0);
    EXPECT_EQ(banner->hostView(), nullptr);
}

TEST_F(Operator, AdSizesBeyondTheScreenAreCutToIt)
{
    QFile fixture(testDataPath(QStringLiteral("pau/ad-huge-size.xml")));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QString description = QString::fromUtf8(fixture.readAll()).replace(QStringLiteral("@APPID@"), platform::Bundle::identifier());
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    ASSERT_LT(screen.width(), 100000);
    for (const char* embed : {"0", "3"}) {
        SCOPED_TRACE(embed);
        clearCount();
        auto info = MyPushAdUtil::parseXMLWithString(QString(description).replace(QStringLiteral("@EMBED@"), QString::fromLatin1(embed)));
        ASSERT_NE(info, nullptr);
        ASSERT_EQ(info->width, 100000);
        auto op = MyPushAdOperator::createInstanceWithHostView(host.get());
        op->processShowAdIfNeededWithPushAdInfo(info);
        ASSERT_NE(op->pushAdViewController(), nullptr);
        clock.advance(0);
        const QSize shown = op->pushAdViewController()->view()->size();
        EXPECT_GT(shown.width(), 0);
        EXPECT_LE(shown.width(), screen.width());
        EXPECT_LE(shown.height(), screen.height());
        if (MyPushAdPopupWindow* window = op->popupAdWindow()) {
            EXPECT_LE(window->width(), screen.width());
            EXPECT_LE(window->height(), screen.height());
            window->close();
        }
        MyPushAdOperator::discardSharedPopupAdWindow();
    }
}

TEST(AdSize, IsKeptWithinTheScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QSize limit = screen->availableGeometry().size();
    const struct {
        qint64 width, height;
        QSize expected;
    } cases[] = {
        {320, 200, QSize(320, 200)},
        {100000, 100000, limit},
        {std::numeric_limits<qint64>::max(), 50, QSize(limit.width(), 50)},
        {0, 50, QSize()},
        {-5, 50, QSize()},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.width);
        EXPECT_EQ(MyPushAdOperator::boundedAdSize(row.width, row.height, screen), row.expected);
        EXPECT_EQ(MyPushAdOperator::boundedAdSize(row.width, row.height, nullptr), row.expected);
    }
}

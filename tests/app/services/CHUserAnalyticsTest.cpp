#include "CHServerConfig.h"
#include "CHServerConfigDelegate.h"
#include "CHServerConfigInfo.h"
#include "RecordingServerConfigDelegate.h"
#include "CHUserAnalytics.h"

#include "FreshProcessRun.h"
#include "StderrCapture.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

namespace {
const QString kRunCount = QStringLiteral("dadEziCHAppRunCountKey");

using RecordingDelegate = RecordingServerConfigDelegate;
} // namespace

// The two services are one per process, so their whole life is one test,
// in a process of its own: other tests of this binary make them too.
TEST(OnlineServices, TheCounterCountsOnceAndTheConfigurationReadsItAfterwards)
{
    if (!isFreshProcessChild()) {
        runInFreshProcess(QStringLiteral("OnlineServices.TheCounterCountsOnceAndTheConfigurationReadsItAfterwards"));
        return;
    }
    auto& defaults = platform::UserDefaults::standard();
    defaults.removeValue(kRunCount);

    {
        // Read before anything counted: a warning, and the launch counts as the first.
        StderrCapture log;
        EXPECT_EQ(CHAppRunCount(), 1);
        EXPECT_EQ(log.count(QStringLiteral("Why app run count is 0??")), 1);
    }

    StderrCapture log;
    CHUserAnalytics* counter = CHUserAnalytics::sharedCHUserAnalytics();
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(defaults.value(kRunCount).toLongLong(), 1);
    EXPECT_EQ(CHUserAnalytics::sharedCHUserAnalytics(), counter);
    EXPECT_EQ(defaults.value(kRunCount).toLongLong(), 1);
    EXPECT_EQ(log.count(QStringLiteral("ENABLE_FLURRY:0, ENABLE_LOCALYTICS:0")), 1);

    // A second instance is refused.
    EXPECT_EQ(CHUserAnalytics::alloc(), nullptr);
    EXPECT_EQ(log.count(QStringLiteral("*** Error: alloc another object!!! This MACRO only supports really singleton class.")), 1);

    CHServerConfig* config = CHServerConfig::sharedCHServerConfig();
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->delegate(), nullptr);
    EXPECT_EQ(CHAppRunCount(), 1);
    EXPECT_EQ(log.count(QStringLiteral("Why app run count is 0??")), 0);
    EXPECT_EQ(CHServerConfig::alloc(), nullptr);
    EXPECT_EQ(CHServerConfig::sharedCHServerConfig(), config);
    // The build's ad network identifier is empty: nothing is stored.
    EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("kCHSCUDKeyAdmobId")));

    // The delegate hears of downloads; only a configuration-file success is kept.
    RecordingDelegate delegate;
    config->setDelegate(&delegate);
    auto info = CHServerConfigInfo::configInfo();
    info->appUrl = QStringLiteral("https://example.invalid/velumo");
    config->notifyObserverWithSuccess(true, 2, QVariant::fromValue(info));
    EXPECT_EQ(delegate.successes, 1);
    EXPECT_EQ(config->serverConfigInfo(), nullptr);
    config->notifyObserverWithSuccess(true, CHServerConfig::kConfigFileRequestType, QVariant::fromValue(info));
    EXPECT_EQ(delegate.successes, 2);
    EXPECT_EQ(config->serverConfigInfo(), info);
    EXPECT_EQ(delegate.last, info);
    config->notifyObserverWithSuccess(false, CHServerConfig::kConfigFileRequestType, {});
    EXPECT_EQ(delegate.failures, 1);
    EXPECT_TRUE(delegate.failedWithNull);
    EXPECT_EQ(config->serverConfigInfo(), info);
    EXPECT_EQ(log.count(QStringLiteral("CHServerConfig: config file Download Failed, type:1")), 1);

    // Confirming the review request opens the configured link in the store's form.
    QUrl opened;
    QString posted;
    CHUserAnalytics::setURLOpener([&opened](const QUrl& url) { opened = url; });
    platform::NotificationCenter::defaultCenter().addObserver(
        &posted, QStringLiteral("VantrellNotificationOpeningURL"), nullptr,
        [&posted](const platform::Notification& n) { posted = n.object.toString(); });
    counter->handleAlertResult(false);
    EXPECT_TRUE(opened.isEmpty());
    counter->handleAlertResult(true);
    EXPECT_EQ(opened.toString(), QStringLiteral("macappstore://example.invalid/velumo"));
    EXPECT_EQ(posted, QStringLiteral("UserReviewConfirmed - macappstore://example.invalid/velumo"));
    EXPECT_TRUE(defaults.boolean(QStringLiteral("dadEziCHUserAlreadyReviewedAppKey")));

    // Without a configured link: the store page.
    config->setServerConfigInfo(nullptr);
    counter->handleAlertResult(true);
    EXPECT_TRUE(opened.toString().startsWith(QStringLiteral("macappstore://")));
    EXPECT_TRUE(opened.toString().endsWith(QStringLiteral("?mt=12")));
    EXPECT_TRUE(opened.toString().contains(QStringLiteral("/app/id")));

    platform::NotificationCenter::defaultCenter().removeObserver(&posted);
    config->setDelegate(nullptr);
    CHUserAnalytics::setURLOpener({});
    defaults.removeValue(QStringLiteral("dadEziCHUserAlreadyReviewedAppKey"));
}

TEST(OnlineServices, StoreFormOfALinkKeepsWhatFollowsTheLastScheme)
{
    EXPECT_EQ(CHUserAnalytics::storeFormOfLink(QStringLiteral("https://a.example/x?y=1")),
              QStringLiteral("macappstore://a.example/x?y=1"));
    EXPECT_EQ(CHUserAnalytics::storeFormOfLink(QStringLiteral("a://b://c")), QStringLiteral("macappstore://c"));
    EXPECT_EQ(CHUserAnalytics::storeFormOfLink(QStringLiteral("plain")), QStringLiteral("macappstore://plain"));
}

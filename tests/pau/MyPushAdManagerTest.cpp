#include "AdDescription.h"
#include "PushAdTestSupport.h"

#include "MyPushAdCloudManager.h"
#include "MyPushAdManager.h"
#include "MyPushAdWebServerManager.h"
#include "StderrCapture.h"
#include "VTRPAUFrameworkInfo.h"
#include "VTRPAUVersion.h"

#include "platform/cloud/CloudContainer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

namespace {
// A manager of the test's own: the process's one instance is not touched.
class TestManager : public MyPushAdManager {
public:
    TestManager() = default;
};

class Manager : public PushAdTest {
protected:
    void SetUp() override
    {
        PushAdTest::SetUp();
        ASSERT_TRUE(cloud.isValid());
        platform::UserDefaults::standard().setValue(platform::CloudContainer::settingKey(), cloud.path());
        ASSERT_TRUE(QDir().mkpath(database()));
    }
    void TearDown() override
    {
        manager.reset();
        platform::UserDefaults::standard().removeValue(platform::CloudContainer::settingKey());
        PushAdTest::TearDown();
    }
    QString database() const { return cloud.path() + QStringLiteral("/iCloud.test.ads/public"); }
    void publish(const QString& description)
    {
        QFile asset(database() + QStringLiteral("/commonad.xml"));
        ASSERT_TRUE(asset.open(QIODevice::WriteOnly | QIODevice::Truncate));
        asset.write(description.toUtf8());
        asset.close();
        QFile record(database() + QStringLiteral("/commonad.json"));
        ASSERT_TRUE(record.open(QIODevice::WriteOnly | QIODevice::Truncate));
        record.write(R"({"recordType": "macadfiles", "fields": {"filename": "commonad", "filecontents": {"asset": "commonad.xml"}}})");
    }
    void start(QWidget* host) { manager->prepareAndShowAdWithHostView(host, MyPushAdManager::CloudKitMode, QStringLiteral("iCloud.test.ads")); }
    bool allDecided() const
    {
        for (const auto& op : manager->pushAdOperators()) {
            if (!op->isProcessShowAdRequested())
                return false;
        }
        return true;
    }

    QTemporaryDir cloud;
    std::unique_ptr<TestManager> manager = std::make_unique<TestManager>();
    QWidget hostA, hostB, hostC;
};
} // namespace

TEST_F(Manager, OneDownloadServesEveryHostAndEachCountsOnce)
{
    AdDescription description;
    description.delay = QStringLiteral("-1");
    description.count = QStringLiteral("5");
    publish(description.text());
    start(&hostA);
    start(&hostB);
    auto* source = manager->pushAdSource();
    ASSERT_NE(dynamic_cast<MyPushAdCloudManager*>(source), nullptr);
    EXPECT_TRUE(manager->isDownloadFileRequested());
    ASSERT_TRUE(waitFor([&] { return manager->solePushAdInfo() != nullptr; }, 60000));
    ASSERT_EQ(manager->pushAdOperators().size(), 2u);
    EXPECT_TRUE(allDecided());
    EXPECT_EQ(manager->pushAdOperators()[0]->myPushAdInfo(), manager->pushAdOperators()[1]->myPushAdInfo());
    EXPECT_EQ(platform::UserDefaults::standard().integer(MyPushAdOperator::countKey()), 2);

    // A later host decides at once, with the ad already held; the mode and
    // address of later calls change nothing.
    manager->prepareAndShowAdWithHostView(&hostC, 7, QStringLiteral("ignored"));
    EXPECT_EQ(manager->pushAdSource(), source);
    EXPECT_TRUE(manager->pushAdOperators().back()->isProcessShowAdRequested());
    EXPECT_EQ(platform::UserDefaults::standard().integer(MyPushAdOperator::countKey()), 3);
}

TEST_F(Manager, FailuresAndUnusableFilesAreRetriedEveryMinuteForABoundedTime)
{
    AdDescription unusable;
    unusable.appId = QStringLiteral("org.example.other");
    publish(unusable.text());
    StderrCapture log;
    start(&hostA);
    ASSERT_TRUE(waitFor([&] { return log.count(QStringLiteral("PAU <=> PAU OK. but rt")) == 1; }, 60000)) << log.text().toStdString();

    // The next attempt finds the container gone: a failed download.
    ASSERT_TRUE(QDir(cloud.path() + QStringLiteral("/iCloud.test.ads")).removeRecursively());
    clock.advance(MyPushAdManager::kRetryDelaySeconds);
    ASSERT_TRUE(waitFor([&] { return log.count(QStringLiteral("PAU <=> PAU dErrorrt")) == 1; }, 60000)) << log.text().toStdString();

    // Then a usable file: the waiting host decides.
    ASSERT_TRUE(QDir().mkpath(database()));
    AdDescription usable;
    usable.delay = QStringLiteral("-1");
    publish(usable.text());
    clock.advance(MyPushAdManager::kRetryDelaySeconds - 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(manager->solePushAdInfo(), nullptr);
    clock.advance(1);
    ASSERT_TRUE(waitFor([&] { return manager->solePushAdInfo() != nullptr; }, 60000));
    EXPECT_TRUE(allDecided());
}

TEST_F(Manager, RetriesStopAfterTheirLimit)
{
    ASSERT_TRUE(QDir(cloud.path() + QStringLiteral("/iCloud.test.ads")).removeRecursively());
    StderrCapture log;
    start(&hostA);
    for (int attempt = 1; attempt <= MyPushAdManager::kMaxRetries + 1; ++attempt) {
        ASSERT_TRUE(waitFor([&] { return log.count(QStringLiteral("PAU dErrorrt")) == attempt; }, 60000)) << attempt;
        clock.advance(MyPushAdManager::kRetryDelaySeconds);
    }
    EXPECT_EQ(clock.pendingTimers(), 0u);
    EXPECT_EQ(log.count(QStringLiteral("PAU retries used up")), 1);
}

TEST_F(Manager, UnknownModeStartsNoDownloadEver)
{
    StderrCapture log;
    manager->prepareAndShowAdWithHostView(&hostA, 2, QStringLiteral("anything"));
    EXPECT_EQ(log.count(QStringLiteral("PAU <=> ***Error***: PAU FATAL ERROR GOT!")), 1);
    EXPECT_EQ(log.count(QStringLiteral("PAU <=> PAU Verify failed!")), 2);
    EXPECT_TRUE(manager->isDownloadFileRequested());
    EXPECT_EQ(manager->pushAdSource(), nullptr);
    start(&hostB);
    EXPECT_EQ(manager->pushAdSource(), nullptr);
    EXPECT_EQ(manager->pushAdOperators().size(), 2u);
}

TEST_F(Manager, NullHostDoesNothingButLog)
{
    StderrCapture log;
    manager->prepareAndShowAdWithHostView(nullptr, MyPushAdManager::WebServerMode, QStringLiteral("http://127.0.0.1:1/x"));
    EXPECT_EQ(log.count(QStringLiteral("fatal error found")), 1);
    EXPECT_TRUE(manager->pushAdOperators().empty());
    EXPECT_FALSE(manager->isDownloadFileRequested());
}

TEST(ManagerInstance, OneAllocationPerProcessAndInformation)
{
    MyPushAdManager* shared = MyPushAdManager::sharedPushAdManager();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(MyPushAdManager::sharedPushAdManager(), shared);
    StderrCapture log;
    EXPECT_EQ(MyPushAdManager::alloc(), nullptr);
    EXPECT_EQ(log.count(QStringLiteral("PAU <=> ***Error***: alloc another object!!! This MACRO only supports really singlton class.")), 1);

    EXPECT_TRUE(MyPushAdManager::defaultAdFileURLString().endsWith(QStringLiteral(".invalid/mac/ads/commonad.xml")));
    platform::UserDefaults::standard().setValue(QStringLiteral("VelumoServiceAddress"), QStringLiteral("http://127.0.0.1:9/"));
    EXPECT_EQ(MyPushAdManager::defaultAdFileURLString(), QStringLiteral("http://127.0.0.1:9/mac/ads/commonad.xml"));
    platform::UserDefaults::standard().removeValue(QStringLiteral("VelumoServiceAddress"));

    EXPECT_TRUE(MyPushAdManager::fetchPAUBuildInfo().startsWith(QStringLiteral("PAU: Build Info << Internal version:0.9.9, Build on [")));
    shared->showPAUBuildInfo();
    EXPECT_EQ(log.count(QStringLiteral("PAU: Build Info() <=> Internal version:0.9.9, Build on [")), 1);
    EXPECT_EQ(VTRPAUFrameworkInfo::pauFrameworkInfoString(), QStringLiteral("{VTRPAUFramework Info: VTRPAUFrameworkInternalVersion=10.1.1}"));
    EXPECT_EQ(VTRPAUVersionNumber, 1.0);
    EXPECT_STREQ(reinterpret_cast<const char*>(VTRPAUVersionString), "@(#)PROGRAM:VTRPAU  PROJECT:VTRPAU-1\n");
}

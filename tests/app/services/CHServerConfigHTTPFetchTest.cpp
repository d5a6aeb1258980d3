#include "CHServerConfig.h"
#include "CHServerConfigFetcher.h"
#include "CHServerConfigInfo.h"
#include "CHServiceAddress.h"
#include "CHUserAnalytics.h"
#include "RecordingServerConfigDelegate.h"
#include "VNError.h"

#include "LocalServers.h"

#include "platform/foundation/DeferredPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// The configuration request over HTTP, against nginx on this machine.
class ConfigOverHTTP : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY" })
            qunsetenv(name);
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
        platform::UserDefaults::standard().setValue(QStringLiteral("dadEziCHAppRunCountKey"), 3);
        CHUserAnalytics::sharedCHUserAnalytics();
        config = CHServerConfig::sharedCHServerConfig();
        config->setServerConfigInfo(nullptr);
        config->setDelegate(&delegate);
        config->setFetcher(nullptr);
        CHServerConfig::setRunningVersionForTesting(QString());
        platform::NotificationCenter::defaultCenter().addObserver(this, CHServerConfig::requestFailedNotification(), nullptr,
            [this](const platform::Notification& n) { failures << n.userInfo; });
    }
    void TearDown() override
    {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        platform::DeferredPerform::shared().cancel(config);
        config->setDelegate(nullptr);
        config->setFetcher(nullptr);
        CHServerConfig::setRunningVersionForTesting(std::nullopt);
        platform::UserDefaults::standard().removeValue(CHServiceAddress::settingKey());
    }

    void requestFrom(const QString& address)
    {
        platform::UserDefaults::standard().setValue(CHServiceAddress::settingKey(), address);
        const int before = delegate.successes + delegate.failures;
        config->postConfigInfoRequest();
        QDeadlineTimer deadline(60000);
        while (delegate.successes + delegate.failures == before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    static void serve(const QByteArray& content)
    {
        const QString path = LocalServers::shared().nginxDocumentPath(QStringLiteral("mac/velumo/cfg.xml"));
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.setPermissions(file.permissions() | QFile::ReadOther);
        for (QString dir = QFileInfo(path).path(); dir.endsWith(QStringLiteral("velumo")) || dir.endsWith(QStringLiteral("mac")); dir = QFileInfo(dir).path())
            QFile::setPermissions(dir, QFile::permissions(dir) | QFile::ReadOther | QFile::ExeOther);
    }

    static QString nginxAddress() { return QStringLiteral("http://127.0.0.1:%1").arg(LocalServers::shared().nginxPort()); }

    CHServerConfig* config = nullptr;
    RecordingServerConfigDelegate delegate;
    QList<QVariantMap> failures;
};

} // namespace

TEST_F(ConfigOverHTTP, ServedFileReachesTheConfigurationParsed)
{
    QFile sample(qEnvironmentVariable("VELUMO_TEST_DATA") + QStringLiteral("/services/cfg.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    serve(sample.readAll());
    requestFrom(nginxAddress());
    ASSERT_EQ(delegate.successes, 1);
    ASSERT_NE(config->serverConfigInfo(), nullptr);
    EXPECT_EQ(delegate.last, config->serverConfigInfo());
    EXPECT_EQ(config->serverConfigInfo()->dataFileVersion, QStringLiteral("7"));
    EXPECT_EQ(config->serverConfigInfo()->appUrl, QStringLiteral("https://store.velumo.invalid/app/velumo"));
}

TEST_F(ConfigOverHTTP, FailuresOfTheExchangeOrTheFileReachTheObservers)
{
    const int closedPort = LocalServers::freePort();
    requestFrom(QStringLiteral("http://127.0.0.1:%1").arg(closedPort));
    ASSERT_EQ(delegate.failures, 1);
    ASSERT_EQ(failures.size(), 1);
    const VNError refused = failures[0].value(CHServerConfig::requestDataKey()).value<VNError>();
    EXPECT_EQ(refused.domain, QStringLiteral("VNHTTPRequestErrorDomain"));
    EXPECT_EQ(refused.code, 1);

    serve("<config><data");
    requestFrom(nginxAddress());
    ASSERT_EQ(delegate.failures, 2);
    ASSERT_EQ(failures.size(), 2);
    EXPECT_EQ(failures[1].value(CHServerConfig::requestDataKey()).value<VNError>().code, 11021);
    EXPECT_EQ(config->serverConfigInfo(), nullptr);
}

TEST_F(ConfigOverHTTP, ConfigurationLargerThanAnyHonestOneFailsAsUnreadable)
{
    // A well-formed configuration padded past what any configuration holds:
    // the download stops and the file counts as unreadable.
    QFile sample(qEnvironmentVariable("VELUMO_TEST_DATA") + QStringLiteral("/services/cfg.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray padded = sample.readAll();
    const qsizetype root = padded.indexOf("<config>") + qsizetype(qstrlen("<config>"));
    padded.insert(root, "<!--" + QByteArray(8 << 20, 'x') + "-->");
    serve(padded);
    requestFrom(nginxAddress());
    ASSERT_EQ(delegate.failures, 1);
    ASSERT_EQ(failures.size(), 1);
    const VNError error = failures[0].value(CHServerConfig::requestDataKey()).value<VNError>();
    EXPECT_EQ(error.domain, CHServerConfig::parseErrorDomain());
    EXPECT_EQ(error.code, 11021);
    EXPECT_EQ(config->serverConfigInfo(), nullptr);

    // The same file without the padding still arrives.
    sample.seek(0);
    serve(sample.readAll());
    requestFrom(nginxAddress());
    EXPECT_EQ(delegate.successes, 1);
}

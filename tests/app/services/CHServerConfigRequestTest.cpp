#include "CHServerConfig.h"
#include "CHServerConfigDelegate.h"
#include "CHServerConfigInfo.h"
#include "RecordingServerConfigDelegate.h"
#include "CHServiceAddress.h"
#include "CHUserAnalytics.h"
#include "FakeConfigFetcher.h"

#include "StderrCapture.h"

#include "platform/foundation/DeferredPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <gtest/gtest.h>

namespace {
using RecordingDelegate = RecordingServerConfigDelegate;

// Runs one configuration request through the fetch seam and collects what
// it announced.
class ConfigRequest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::UserDefaults::standard().setValue(QStringLiteral("dadEziCHAppRunCountKey"), 3);
        CHUserAnalytics::sharedCHUserAnalytics();
        config = CHServerConfig::sharedCHServerConfig();
        config->setServerConfigInfo(nullptr);
        config->setDelegate(&delegate);
        // No version check: the running version is empty.
        CHServerConfig::setRunningVersionForTesting(QString());
        auto& center = platform::NotificationCenter::defaultCenter();
        center.addObserver(this, CHServerConfig::requestSuccessNotification(), nullptr,
                           [this](const platform::Notification& n) { successes << n.userInfo; });
        center.addObserver(this, CHServerConfig::requestFailedNotification(), nullptr,
                           [this](const platform::Notification& n) { failures << n.userInfo; });
    }
    void TearDown() override
    {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        // The served file turns the push ad on: it must not come later.
        platform::DeferredPerform::shared().cancel(config);
        config->setDelegate(nullptr);
        config->setFetcher(nullptr);
        CHServerConfig::setRunningVersionForTesting(std::nullopt);
        platform::UserDefaults::standard().removeValue(CHServiceAddress::settingKey());
    }

    void request(CHServerConfigFetcher::Result result)
    {
        config->setFetcher(std::make_unique<FakeConfigFetcher>(std::move(result), &asked));
        const int before = int(successes.size() + failures.size());
        config->postConfigInfoRequest();
        QDeadlineTimer deadline(20000);
        while (successes.size() + failures.size() == before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    std::shared_ptr<CHServerConfigInfo> receivedInfo() const
    {
        if (successes.isEmpty())
            return nullptr;
        return successes.last().value(CHServerConfig::requestDataKey()).value<std::shared_ptr<CHServerConfigInfo>>();
    }

    CHServerConfig* config = nullptr;
    RecordingDelegate delegate;
    QList<QVariantMap> successes;
    QList<QVariantMap> failures;
    QList<QUrl> asked;
};

using Text = QString CHServerConfigInfo::*;
using Dict = CHServerConfigInfo::Dictionary CHServerConfigInfo::*;
using Entries = CHServerConfigInfo::Dictionary;
} // namespace

TEST_F(ConfigRequest, ServedFileFillsAllNineteenKeys)
{
    request(FakeConfigFetcher::file(QStringLiteral("cfg.xml")));
    ASSERT_EQ(failures.size(), 0);
    ASSERT_EQ(successes.size(), 1);
    EXPECT_EQ(successes[0].value(CHServerConfig::requestTypeKey()).toInt(), 1);
    const auto info = receivedInfo();
    ASSERT_NE(info, nullptr);

    const struct {
        const char* key;
        Text field;
        const char* expected;
    } texts[] = {
        {"file_version", &CHServerConfigInfo::dataFileVersion, "7"},
        {"data url", &CHServerConfigInfo::dataUrl, "https://data.velumo.invalid/main"},
        {"url_backup", &CHServerConfigInfo::dataUrlBackup, "https://data.velumo.invalid/backup"},
        {"app version (trimmed, first node)", &CHServerConfigInfo::appVersion, "2.1"},
        {"app url", &CHServerConfigInfo::appUrl, "https://store.velumo.invalid/app/velumo"},
        {"ad enable", &CHServerConfigInfo::adEnable, "1"},
        {"admob_id", &CHServerConfigInfo::adAdmobId, "ca-app-pub-0000"},
        {"push enable", &CHServerConfigInfo::pushAdEnable, "1"},
        {"push version", &CHServerConfigInfo::pushAdVersion, "3"},
        {"push url", &CHServerConfigInfo::pushAdUrl, "https://store.velumo.invalid/app/other?ls=1"},
        {"count", &CHServerConfigInfo::pushAdCount, "2"},
        {"delay", &CHServerConfigInfo::pushAdDelay, "5"},
        {"promo_title", &CHServerConfigInfo::pushAdPromoTitle, "Our programs"},
        {"promo_url", &CHServerConfigInfo::pushAdPromoUrl, "http://127.0.0.1:1/promo.html"},
        {"promo_width", &CHServerConfigInfo::pushAdPromoWindowWidth, "600"},
        {"promo_height", &CHServerConfigInfo::pushAdPromoWindowHeight, "422"},
    };
    for (const auto& row : texts)
        EXPECT_EQ((*info).*row.field, QString::fromUtf8(row.expected)) << row.key;

    const struct {
        const char* key;
        Dict field;
        Entries expected;
    } dictionaries[] = {
        // The empty fr entry is dropped.
        {"whats_new", &CHServerConfigInfo::appWhatsNewDict, {{"en", "New"}, {"default", "Hello"}}},
        {"title", &CHServerConfigInfo::pushAdTitleDict, {{"en", "Try it"}, {"default", "Look"}}},
        // A later element of the same language replaces the earlier one.
        {"message", &CHServerConfigInfo::pushAdMessageDict, {{"default", "Replaced"}}},
    };
    for (const auto& row : dictionaries)
        EXPECT_EQ((*info).*row.field, row.expected) << row.key;

    // The delegate heard of it once, with the stored configuration.
    EXPECT_EQ(delegate.successes, 1);
    EXPECT_EQ(delegate.failures, 0);
    EXPECT_EQ(delegate.last, info);
    EXPECT_EQ(config->serverConfigInfo(), info);
}

TEST_F(ConfigRequest, DictionariesTakeElementChildrenOnly)
{
    // Text between the language elements is not an entry named "text".
    request(FakeConfigFetcher::file(QStringLiteral("mixed-content.xml")));
    const auto info = receivedInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->appWhatsNewDict, (Entries{{"en", "New"}, {"default", "Hello"}}));
    // Empty and white-space elements give empty texts.
    EXPECT_EQ(info->appVersion, QString());
    EXPECT_EQ(info->appUrl, QString());
    EXPECT_FALSE(info->appUrl.isNull());
}

TEST_F(ConfigRequest, AnotherRootParsesWithEveryKeyEmpty)
{
    request(FakeConfigFetcher::file(QStringLiteral("other-root.xml")));
    const auto info = receivedInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->description(), CHServerConfigInfo::configInfo()->description());
}

TEST_F(ConfigRequest, MissingEmptyOrBrokenBodyFailsWithTheParseError)
{
    const struct {
        const char* name;
        CHServerConfigFetcher::Result result;
    } cases[] = {
        {"no body", CHServerConfigFetcher::Result{}},
        {"empty body", FakeConfigFetcher::body(QByteArray())},
        {"unclosed root", FakeConfigFetcher::file(QStringLiteral("broken.xml"))},
        {"not XML", FakeConfigFetcher::body("this is not a configuration")},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        failures.clear();
        delegate = RecordingDelegate();
        request(row.result);
        ASSERT_EQ(failures.size(), 1);
        EXPECT_EQ(failures[0].value(CHServerConfig::requestTypeKey()).toInt(), 1);
        const QVariant data = failures[0].value(CHServerConfig::requestDataKey());
        ASSERT_EQ(data.metaType(), QMetaType::fromType<VNError>());
        const VNError error = data.value<VNError>();
        EXPECT_EQ(error.domain, QStringLiteral("kCHSCRequestParseErrorDomain"));
        EXPECT_EQ(error.code, 11021);
        EXPECT_TRUE(error.userInfo.isEmpty());
        // The delegate is told of the failure, with nothing, and of nothing else.
        EXPECT_EQ(delegate.failures, 1);
        EXPECT_TRUE(delegate.failedWithNull);
        EXPECT_EQ(delegate.successes, 0);
    }
    EXPECT_TRUE(successes.isEmpty());
    EXPECT_EQ(config->serverConfigInfo(), nullptr);
}

TEST_F(ConfigRequest, RequestErrorIsPassedOnAndTheStoredConfigurationStays)
{
    request(FakeConfigFetcher::file(QStringLiteral("cfg.xml")));
    const auto stored = config->serverConfigInfo();
    ASSERT_NE(stored, nullptr);

    StderrCapture log;
    CHServerConfigFetcher::Result timedOut;
    timedOut.error = VNError::make(QString::fromLatin1(VNHTTPRequestErrorDomain), 2, QStringLiteral("The request timed out"));
    request(timedOut);
    ASSERT_EQ(failures.size(), 1);
    const VNError error = failures[0].value(CHServerConfig::requestDataKey()).value<VNError>();
    EXPECT_EQ(error.domain, QStringLiteral("VNHTTPRequestErrorDomain"));
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(delegate.failures, 1);
    EXPECT_EQ(config->serverConfigInfo(), stored);
    EXPECT_EQ(log.count(QStringLiteral("CHServerConfig: config file Download Failed, type:1")), 1);
}

TEST_F(ConfigRequest, FileIsAskedForBelowTheServiceAddress)
{
    request(FakeConfigFetcher::body("<config/>"));
    ASSERT_EQ(asked.size(), 1);
    // The shipped address never resolves.
    EXPECT_EQ(asked[0].host(), QStringLiteral("services.velumo.invalid"));
    EXPECT_EQ(asked[0].path(), QStringLiteral("/mac/velumo/cfg.xml"));

    platform::UserDefaults::standard().setValue(CHServiceAddress::settingKey(), QStringLiteral("http://127.0.0.1:8123/"));
    request(FakeConfigFetcher::body("<config/>"));
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[1], QUrl(QStringLiteral("http://127.0.0.1:8123/mac/velumo/cfg.xml")));
}

TEST_F(ConfigRequest, SuccessOfAnotherRequestTypeKeepsTheStoredConfigurationButTellsTheDelegate)
{
    request(FakeConfigFetcher::file(QStringLiteral("cfg.xml")));
    const auto stored = config->serverConfigInfo();
    config->notifyObserverWithSuccess(true, 2, QVariant::fromValue(CHServerConfigInfo::configInfo()));
    EXPECT_EQ(config->serverConfigInfo(), stored);
    EXPECT_EQ(delegate.successes, 2);
    EXPECT_EQ(delegate.last, stored);
}

namespace {
// The fixture's one small entity made to expand to gigabytes: 50,000
// characters used 50,000 times in one value.
QByteArray expandingToGigabytes(QByteArray document)
{
    const QByteArray declaration = "<!ENTITY word \"grow\">";
    const QByteArray use = "&word;&word;&word;&word;";
    document.replace(declaration, "<!ENTITY word \"" + QByteArray(50000, 'x') + "\">");
    QByteArray uses;
    for (int i = 0; i < 50000; ++i)
        uses += "&word;";
    document.replace(use, uses);
    return document;
}
} // namespace

TEST_F(ConfigRequest, DocumentsThatDeclareEntitiesAreRefused)
{
    QFile fixture(qEnvironmentVariable("VELUMO_TEST_DATA") + QStringLiteral("/services/entity-config.xml"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray small = fixture.readAll();
    const struct {
        const char* name;
        QByteArray body;
    } cases[] = {
        {"one small entity", small},
        {"an entity expanding to gigabytes", expandingToGigabytes(small)},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        failures.clear();
        EXPECT_EQ(CHServerConfigInfo::fromXMLData(row.body), nullptr);
        request(FakeConfigFetcher::body(row.body));
        ASSERT_EQ(failures.size(), 1);
        EXPECT_EQ(failures[0].value(CHServerConfig::requestDataKey()).value<VNError>().code, 11021);
    }
    EXPECT_TRUE(successes.isEmpty());
    // The character references and predefined entities of plain XML still read.
    const auto plain = CHServerConfigInfo::fromXMLData(
        "<config><app><version>&#50;.1</version><url>a&amp;b</url></app></config>");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->appVersion, QStringLiteral("2.1"));
    EXPECT_EQ(plain->appUrl, QStringLiteral("a&b"));
}

TEST_F(ConfigRequest, ManyLanguageEntriesKeepTheirOrderAndALaterOneReplacesInPlace)
{
    // 100,000 language entries (a file of some megabytes) and a repeat of
    // the first at the end: one entry per language, in first-seen order,
    // with the last text.
    constexpr int kLanguages = 100000;
    QByteArray body = "<config><app><whats_new>";
    for (int i = 0; i < kLanguages; ++i)
        body += "<l" + QByteArray::number(i) + ">text " + QByteArray::number(i) + "</l" + QByteArray::number(i) + ">";
    body += "<l0>again</l0></whats_new></app></config>";
    const auto info = CHServerConfigInfo::fromXMLData(body);
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(info->appWhatsNewDict.size(), kLanguages);
    EXPECT_EQ(info->appWhatsNewDict.first(), (QPair<QString, QString>(QStringLiteral("l0"), QStringLiteral("again"))));
    EXPECT_EQ(info->appWhatsNewDict.at(1), (QPair<QString, QString>(QStringLiteral("l1"), QStringLiteral("text 1"))));
    EXPECT_EQ(info->appWhatsNewDict.last(),
              (QPair<QString, QString>(QStringLiteral("l%1").arg(kLanguages - 1), QStringLiteral("text %1").arg(kLanguages - 1))));
}

#include "CHOpeningURL.h"
#include "CHPromoAppsWindowController.h"
#include "CHPromoAppsWindowManager.h"
#include "CHServerConfig.h"
#include "CHServerConfigDelegate.h"
#include "CHServerConfigInfo.h"
#include "CHServerConfigSettings.h"
#include "CHStringsTable.h"
#include "CHUserAnalytics.h"
#include "FakeWebView.h"
#include "PHProgressHUD.h"

#include "StderrCapture.h"

#include "platform/appkit/Alert.h"
#include "platform/foundation/DeferredPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {
const QString kUseBackup = QStringLiteral("kCHSCUDKeyUseBackupData");
const QString kPushCount = QStringLiteral("kCHSCUDKeyPushAdAlreadyDisplayedCount");
const QString kPushVersion = QStringLiteral("kCHSCUDKeyPushAdVersion");

QString dadezi(const char* key)
{
    return CHStringsTable::named(QStringLiteral("dadezistrings")).localizedString(QString::fromUtf8(key));
}

class CountingDelegate : public CHServerConfigDelegate {
public:
    void serverConfigDownloadSuccess(const std::shared_ptr<CHServerConfigInfo>&) override { ++successes; }
    int successes = 0;
};

struct ShownAlert {
    QString title;
    QString text;
    QStringList buttons;
    int type;
    bool storedAsCurrent;
};

class ConfigAlerts : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto& defaults = platform::UserDefaults::standard();
        defaults.setValue(QStringLiteral("dadEziCHAppRunCountKey"), 3);
        for (const QString& key : {kUseBackup, kPushCount, kPushVersion, QStringLiteral("kCHSCUDKeyAdmobId"),
                                   QStringLiteral("kCHSCUDKeyAdEnable")})
            defaults.removeValue(key);
        CHUserAnalytics::sharedCHUserAnalytics();
        config = CHServerConfig::sharedCHServerConfig();
        config->setServerConfigInfo(nullptr);
        config->setCurrentShowingAlertType(0);
        config->setDelegate(&delegate);
        platform::Alert::setTestResponder([this](const platform::Alert& alert) {
            alerts.append({alert.messageText(), alert.informativeText(), alert.buttonTitles(),
                           config->currentShowingAlertType(), config->currentShowingAlerView().get() == &alert});
            return answer;
        });
        CHOpeningURL::setURLOpener([this](const QUrl& url) { opened << url.toString(); });
        platform::NotificationCenter::defaultCenter().addObserver(
            this, CHOpeningURL::notificationName(), nullptr,
            [this](const platform::Notification& n) { announced << n.object.toString(); });
        CHPromoAppsWindowController::setWebViewFactory(
            [](QWidget* parent) { return std::make_unique<FakeWebView>(parent); });
    }
    void TearDown() override
    {
        platform::DeferredPerform::shared().cancel(config);
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        platform::Alert::setTestResponder({});
        CHOpeningURL::setURLOpener({});
        CHServerConfig::setRunningVersionForTesting(std::nullopt);
        config->setDelegate(nullptr);
        CHPromoAppsWindowManager* promo = CHPromoAppsWindowManager::sharedCHPromoAppsWindowManager();
        promo->closeWindow();
        CHPromoAppsWindowController::setWebViewFactory({});
        // A window loaded here holds a fake web view: the next test gets a
        // controller that has loaded nothing, as a fresh process would.
        promo->setPromoAppsWindowController(std::make_unique<CHPromoAppsWindowController>());
    }

    // A configuration arrives, as the request announces it; any push ad it
    // schedules is let run.
    void receive(const std::shared_ptr<CHServerConfigInfo>& info)
    {
        config->notifyObserverWithSuccess(true, CHServerConfig::kConfigFileRequestType, QVariant::fromValue(info));
        settle();
    }
    // Lets every scheduled push ad run.
    void settle()
    {
        QDeadlineTimer deadline(20000);
        while (config->hasPendingPushAd() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    static std::shared_ptr<CHServerConfigInfo> pushAd(const QString& version, const QString& count)
    {
        auto info = CHServerConfigInfo::configInfo();
        info->pushAdEnable = QStringLiteral("1");
        info->pushAdVersion = version;
        info->pushAdCount = count;
        info->pushAdDelay = QStringLiteral("0");
        info->pushAdTitleDict = {{"default", "Look"}};
        info->pushAdMessageDict = {{"en-XX", "Other"}, {"default", "A new program"}};
        info->pushAdUrl = QStringLiteral("https://store.velumo.invalid/app/other");
        return info;
    }

    CHServerConfig* config = nullptr;
    CountingDelegate delegate;
    int answer = platform::Alert::SecondButton;
    QList<ShownAlert> alerts;
    QStringList opened;
    QStringList announced;
};
} // namespace

TEST_F(ConfigAlerts, VersionCheckRemindsSwitchesToBackupOrDoesNothing)
{
    const struct {
        const char* running;
        bool reminder;
        bool useBackup;
        const char* dataUrl;
    } cases[] = {
        {"1.2", true, false, "https://data.velumo.invalid/main"},
        {"1.4", false, true, "https://data.velumo.invalid/backup"},
        {"1.3", false, false, "https://data.velumo.invalid/main"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.running);
        alerts.clear();
        platform::UserDefaults::standard().removeValue(kUseBackup);
        CHServerConfig::setRunningVersionForTesting(QString::fromLatin1(row.running));
        auto info = CHServerConfigInfo::configInfo();
        info->appVersion = QStringLiteral("1.3");
        info->appWhatsNewDict = {{"default", "Faster brushes"}};
        info->dataUrl = QStringLiteral("https://data.velumo.invalid/main");
        info->dataUrlBackup = QStringLiteral("https://data.velumo.invalid/backup");
        receive(info);

        ASSERT_EQ(alerts.size(), row.reminder ? 1 : 0);
        if (row.reminder) {
            EXPECT_EQ(alerts[0].title, dadezi("有新版本啦"));
            EXPECT_EQ(alerts[0].text, QStringLiteral("Faster brushes"));
            EXPECT_EQ(alerts[0].buttons, (QStringList{dadezi("马上去下载"), dadezi("取消")}));
            EXPECT_EQ(alerts[0].type, 1);
            EXPECT_TRUE(alerts[0].storedAsCurrent);
        }
        EXPECT_TRUE(platform::UserDefaults::standard().hasStoredValue(kUseBackup));
        EXPECT_EQ(CHSCUseBackupData(), row.useBackup);
        EXPECT_EQ(config->serverConfigInfo()->dataUrl, QString::fromLatin1(row.dataUrl));
        EXPECT_EQ(config->currentShowingAlertType(), 0);
        EXPECT_EQ(config->currentShowingAlerView(), nullptr);
        EXPECT_TRUE(opened.isEmpty()); // the reminder was cancelled
    }
    EXPECT_EQ(delegate.successes, 3);
}

TEST_F(ConfigAlerts, ConfirmedReminderOpensTheStorePageWhenNoLinkIsConfigured)
{
    answer = platform::Alert::FirstButton;
    CHServerConfig::setRunningVersionForTesting(QStringLiteral("1.2"));
    auto info = CHServerConfigInfo::configInfo();
    info->appVersion = QStringLiteral("1.3");
    receive(info);
    const QString store = QStringLiteral("macappstore://store.velumo.example/app/id1000000001?mt=12");
    EXPECT_EQ(opened, QStringList{store});
    EXPECT_EQ(announced, QStringList{QStringLiteral("NewAppVersionReminderConfirmed - ") + store});

    // With a link configured, the link in the store's form.
    info->appUrl = QStringLiteral("https://a.example/x://velumo?id=1");
    opened.clear();
    receive(info);
    EXPECT_EQ(opened, QStringList{QStringLiteral("macappstore://velumo?id=1")});
}

TEST_F(ConfigAlerts, ReminderWaitsForNoOtherAlert)
{
    CHServerConfig::setRunningVersionForTesting(QStringLiteral("1.2"));
    config->setCurrentShowingAlertType(2);
    auto info = CHServerConfigInfo::configInfo();
    info->appVersion = QStringLiteral("1.3");
    receive(info);
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_EQ(config->currentShowingAlertType(), 2);
}

TEST_F(ConfigAlerts, PushAdShowsAsOftenAsCountedAndANewerVersionStartsAgain)
{
    answer = platform::Alert::FirstButton;
    for (int i = 0; i < 3; ++i)
        receive(pushAd(QStringLiteral("1"), QStringLiteral("2")));
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].title, QStringLiteral("Look"));
    EXPECT_EQ(alerts[0].text, QStringLiteral("A new program"));
    EXPECT_EQ(alerts[0].buttons, (QStringList{dadezi("去看看"), dadezi("取消")}));
    EXPECT_EQ(alerts[0].type, 2);
    EXPECT_EQ(platform::UserDefaults::standard().integer(kPushCount), 2);
    EXPECT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QStringLiteral("macappstore://store.velumo.invalid/app/other"));
    EXPECT_EQ(announced[0], QStringLiteral("PushAdClicked - macappstore://store.velumo.invalid/app/other"));

    // An equal version keeps the count; a higher one restarts it.
    receive(pushAd(QStringLiteral("1"), QStringLiteral("2")));
    EXPECT_EQ(alerts.size(), 2);
    receive(pushAd(QStringLiteral("1.1"), QStringLiteral("2")));
    EXPECT_EQ(alerts.size(), 3);
    EXPECT_EQ(platform::UserDefaults::standard().string(kPushVersion), QStringLiteral("1.1"));

    // A limit of 0, or none, shows nothing.
    receive(pushAd(QStringLiteral("2"), QStringLiteral("0")));
    receive(pushAd(QStringLiteral("3"), QString()));
    EXPECT_EQ(alerts.size(), 3);
}

TEST_F(ConfigAlerts, PushAdWithPromotionSizeShowsThePromotionWindowInstead)
{
    auto info = pushAd(QStringLiteral("1"), QStringLiteral("1"));
    info->pushAdPromoWindowWidth = QStringLiteral("600");
    info->pushAdPromoWindowHeight = QStringLiteral("422");
    info->pushAdPromoTitle = QStringLiteral("Our programs");
    info->pushAdPromoUrl = QStringLiteral("http://127.0.0.1:9/promo.html");
    receive(info);
    receive(info);
    EXPECT_TRUE(alerts.isEmpty());
    auto* controller = CHPromoAppsWindowManager::sharedCHPromoAppsWindowManager()->promoAppsWindowController();
    ASSERT_TRUE(controller->isWindowLoaded());
    EXPECT_TRUE(controller->window()->isVisible());
    EXPECT_EQ(controller->window()->windowTitle(), QStringLiteral("Our programs"));
    EXPECT_EQ(controller->window()->size(), QSize(600, 422));
    auto* web = static_cast<FakeWebView*>(controller->webView());
    EXPECT_EQ(web->loadedURL, QUrl(QStringLiteral("http://127.0.0.1:9/promo.html")));
    EXPECT_EQ(web->loads, 1); // counted like the alert: once only
    EXPECT_EQ(web->timeout, 60.0);
    EXPECT_EQ(platform::UserDefaults::standard().integer(kPushCount), 1);
}

TEST_F(ConfigAlerts, AdSettingsAreStoredWhenGiven)
{
    auto info = CHServerConfigInfo::configInfo();
    info->adAdmobId = QStringLiteral("ca-app-pub-1");
    info->adEnable = QStringLiteral("0");
    receive(info);
    EXPECT_EQ(CHSCAdmobId().toString(), QStringLiteral("ca-app-pub-1"));
    EXPECT_FALSE(CHSCIsAdEnabled());
    // Empty values leave the stored ones.
    receive(CHServerConfigInfo::configInfo());
    EXPECT_EQ(CHSCAdmobId().toString(), QStringLiteral("ca-app-pub-1"));
    EXPECT_FALSE(CHSCIsAdEnabled());
}

TEST_F(ConfigAlerts, StoredSettingsFunctions)
{
    auto& defaults = platform::UserDefaults::standard();
    // Nothing stored: backup data is on, and stored so.
    EXPECT_TRUE(CHSCUseBackupData());
    EXPECT_TRUE(defaults.hasStoredValue(kUseBackup));
    CHSCSetUseBackupData(false);
    EXPECT_FALSE(CHSCUseBackupData());
    // Something that is not a Boolean is replaced by YES.
    defaults.setValue(kUseBackup, QStringLiteral("maybe"));
    EXPECT_TRUE(CHSCUseBackupData());
    EXPECT_TRUE(defaults.boolean(kUseBackup));

    // Ads: the flag wins; without it, an identifier turns them on.
    EXPECT_FALSE(CHSCAdmobId().isValid());
    EXPECT_FALSE(CHSCIsAdEnabled());
    CHSCSetAdmobId(QStringLiteral("ca-app-pub-2"));
    EXPECT_TRUE(CHSCIsAdEnabled());
    CHSCSetAdEnabled(false);
    EXPECT_EQ(defaults.string(QStringLiteral("kCHSCUDKeyAdEnable")), QStringLiteral("0"));
    EXPECT_FALSE(CHSCIsAdEnabled());
    CHSCSetAdEnabled(true);
    EXPECT_EQ(defaults.string(QStringLiteral("kCHSCUDKeyAdEnable")), QStringLiteral("1"));
    EXPECT_TRUE(CHSCIsAdEnabled());
    EXPECT_EQ(CHSCAdmobId().toString(), QStringLiteral("ca-app-pub-2"));
}

TEST_F(ConfigAlerts, FailureWhileActingOnTheConfigurationStillTellsTheDelegate)
{
    answer = platform::Alert::FirstButton;
    CHOpeningURL::setURLOpener([](const QUrl&) { throw std::runtime_error("no handler for the link"); });
    CHServerConfig::setRunningVersionForTesting(QStringLiteral("1.2"));
    auto info = CHServerConfigInfo::configInfo();
    info->appVersion = QStringLiteral("1.3");
    info->adAdmobId = QStringLiteral("ca-app-pub-3");
    StderrCapture log;
    receive(info);
    EXPECT_EQ(log.count(QStringLiteral("*** Error.. Exception catched:no handler for the link")), 1);
    EXPECT_EQ(delegate.successes, 1);
    // The rest of that configuration's handling is skipped, but the alert
    // is over, so the next one can show.
    EXPECT_FALSE(CHSCAdmobId().isValid());
    EXPECT_EQ(config->currentShowingAlertType(), 0);
    EXPECT_EQ(config->currentShowingAlerView(), nullptr);
}

TEST_F(ConfigAlerts, UserLanguageTextFallsBackToDefault)
{
    const CHServerConfigInfo::Dictionary texts{{"en", "Hello"}, {"fr", ""}, {"default", "Hi"}};
    auto& defaults = platform::UserDefaults::standard();
    const struct {
        QVariant languages;
        const char* expected;
    } cases[] = {
        {QVariantList{"en", "fr"}, "Hello"},
        {QVariantList{"fr"}, "Hi"}, // an empty entry counts as none
        {QVariantList{"de"}, "Hi"},
        {QVariantList{}, "Hi"},
        {QVariant(), "Hi"},
    };
    for (const auto& row : cases) {
        defaults.setValue(QStringLiteral("AppleLanguages"), row.languages);
        EXPECT_EQ(CHServerConfig::textForUserLanguage(texts), QString::fromUtf8(row.expected));
    }
    defaults.removeValue(QStringLiteral("AppleLanguages"));
    EXPECT_TRUE(CHServerConfig::textForUserLanguage({{"en", "Hello"}}).isNull());
}

TEST_F(ConfigAlerts, LoadingHUDComesOverTheMainWindowAndLeavesIt)
{
    QWidget window;
    window.resize(500, 400);
    window.show();
    window.activateWindow();
    config->serverConfigShowLoadingHudWithText(QStringLiteral("Checking for updates"));
    PHProgressHUD* hud = PHProgressHUD::HUDForView(&window);
    ASSERT_NE(hud, nullptr);
    EXPECT_EQ(hud->labelText(), QStringLiteral("Checking for updates"));
    EXPECT_TRUE(hud->removeFromSuperViewOnHide());
    EXPECT_EQ(hud->geometry(), window.rect());

    config->serverConfigHideLoadingHud();
    QDeadlineTimer deadline(20000);
    while (!PHProgressHUD::allHUDsForView(&window).isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(PHProgressHUD::allHUDsForView(&window).isEmpty());
}

TEST_F(ConfigAlerts, ServerTextsShowAsPlainTextOnTheRealAlert)
{
    // The real message box this time, answered by a timer that reads it.
    platform::Alert::setTestResponder({});
    const QString linkTitle = QStringLiteral("<a href=\"https://elsewhere.invalid/\">Look</a>");
    const QString markupText = QStringLiteral("<b>A new program</b><img src=\"/etc/hostname\">");
    auto info = pushAd(QStringLiteral("1"), QStringLiteral("1"));
    info->pushAdTitleDict = {{"default", linkTitle}};
    info->pushAdMessageDict = {{"default", markupText}};

    struct Seen {
        QString text;
        Qt::TextFormat format;
        bool opensLinks;
    };
    QList<Seen> labels;
    bool answered = false;
    QTimer reader;
    reader.setInterval(20);
    QObject::connect(&reader, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || answered)
            return;
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (!label->text().isEmpty())
                labels.append({label->text(), label->textFormat(), label->openExternalLinks()});
        }
        answered = true;
        box->reject();
    });
    reader.start();
    receive(info);
    reader.stop();
    ASSERT_TRUE(answered) << "the push-ad alert never showed";
    bool sawTitle = false, sawText = false;
    for (const Seen& label : labels) {
        SCOPED_TRACE(label.text.toStdString());
        sawTitle |= label.text == linkTitle;
        sawText |= label.text == markupText;
        EXPECT_EQ(label.format, Qt::PlainText);
        EXPECT_FALSE(label.opensLinks);
    }
    EXPECT_TRUE(sawTitle);
    EXPECT_TRUE(sawText);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(ConfigAlerts, PromotionWindowSizesAreCutToTheScreenOrRefused)
{
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    const struct {
        const char* fixture;
        bool shows;
    } cases[] = {
        {"promo-size-1e9.xml", true}, // 1e9 wide, 1e30 high
        {"promo-size-inf.xml", false}, // no number at all
    };
    auto* manager = CHPromoAppsWindowManager::sharedCHPromoAppsWindowManager();
    for (const auto& row : cases) {
        SCOPED_TRACE(row.fixture);
        platform::UserDefaults::standard().removeValue(kPushCount);
        platform::UserDefaults::standard().removeValue(kPushVersion);
        manager->closeWindow();
        QFile file(qEnvironmentVariable("VELUMO_TEST_DATA") + QStringLiteral("/services/") + QLatin1String(row.fixture));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        auto info = CHServerConfigInfo::fromXMLData(file.readAll());
        ASSERT_NE(info, nullptr);
        receive(info);
        auto* controller = manager->promoAppsWindowController();
        const bool shown = controller->isWindowLoaded() && controller->window()->isVisible();
        EXPECT_EQ(shown, row.shows);
        if (shown) {
            EXPECT_GT(controller->window()->width(), 0);
            EXPECT_LE(controller->window()->width(), screen.width());
            EXPECT_LE(controller->window()->height(), screen.height());
        }
    }
}

TEST_F(ConfigAlerts, EachConfigurationSchedulesAPushAdOfItsOwn)
{
    // Two configurations arrive before either push ad comes due: each one
    // shows, rather than the second replacing the first.
    answer = platform::Alert::SecondButton;
    const auto info = pushAd(QStringLiteral("1"), QStringLiteral("5"));
    config->notifyObserverWithSuccess(true, CHServerConfig::kConfigFileRequestType, QVariant::fromValue(info));
    config->notifyObserverWithSuccess(true, CHServerConfig::kConfigFileRequestType, QVariant::fromValue(info));
    EXPECT_TRUE(config->hasPendingPushAd());
    settle();
    EXPECT_FALSE(config->hasPendingPushAd());
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].type, 2);
    EXPECT_EQ(alerts[1].type, 2);
    EXPECT_EQ(platform::UserDefaults::standard().integer(kPushCount), 2);
}

TEST_F(ConfigAlerts, PushAdThatComesDueUnderTheReminderShowsAfterIt)
{
    // The first configuration schedules a push ad; the second, before it
    // comes due, puts up the new-version reminder. The push ad waits for
    // the reminder to go instead of being counted and lost under it.
    CHServerConfig::setRunningVersionForTesting(QStringLiteral("1.2"));
    const auto first = pushAd(QStringLiteral("1"), QStringLiteral("1"));
    auto second = pushAd(QStringLiteral("1"), QStringLiteral("1"));
    second->appVersion = QStringLiteral("1.3");
    second->pushAdDelay = QStringLiteral("3600"); // its own push ad is not this test's
    bool cameDueUnderReminder = false;
    platform::Alert::setTestResponder([&](const platform::Alert& alert) {
        alerts.append({alert.messageText(), alert.informativeText(), alert.buttonTitles(),
                       config->currentShowingAlertType(), config->currentShowingAlerView().get() == &alert});
        if (config->currentShowingAlertType() == 1) {
            // The reminder's modal loop turns until the push ad comes due.
            QDeadlineTimer deadline(20000);
            while (config->pushAdsWaitingForModal() == 0 &&
                   platform::UserDefaults::standard().integer(kPushCount) == 0 && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            cameDueUnderReminder = config->pushAdsWaitingForModal() > 0;
        }
        return int(platform::Alert::SecondButton);
    });
    config->notifyObserverWithSuccess(true, CHServerConfig::kConfigFileRequestType, QVariant::fromValue(first));
    config->notifyObserverWithSuccess(true, CHServerConfig::kConfigFileRequestType, QVariant::fromValue(second));
    EXPECT_TRUE(cameDueUnderReminder);
    EXPECT_EQ(platform::UserDefaults::standard().integer(kPushCount), 0);
    QDeadlineTimer deadline(20000);
    while (alerts.size() < 2 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].type, 1);
    EXPECT_EQ(alerts[1].type, 2);
    EXPECT_EQ(alerts[1].title, QStringLiteral("Look"));
    EXPECT_EQ(platform::UserDefaults::standard().integer(kPushCount), 1);
}

#include "AdDescription.h"

#include "MyPushAdInfo.h"
#include "MyPushAdUtil.h"
#include "StderrCapture.h"
#include "TestMain.h"

#include "platform/foundation/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {
struct ParseCase {
    const char* name;
    std::function<void(AdDescription&)> change;
    bool accepted;
    bool enabled = true;
    qint64 delay = 0;
};

class AppsFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(apps.isValid());
        platform::UserDefaults::standard().setValue(MyPushAdUtil::applicationsDirectorySettingKey(), apps.path());
    }
    void TearDown() override
    {
        platform::UserDefaults::standard().removeValue(MyPushAdUtil::applicationsDirectorySettingKey());
        platform::UserDefaults::standard().removeValue(QStringLiteral("AppleLanguages"));
    }
    void install(const QString& relative) { ASSERT_TRUE(QDir(apps.path()).mkpath(relative)); }

    QTemporaryDir apps;
};
} // namespace

TEST_F(AppsFolder, DescriptionsAreAcceptedOrRejectedAsAWhole)
{
    const std::vector<ParseCase> cases = {
        {"plain", [](AdDescription&) {}, true},
        {"earlier entry with an empty appid",
         [](AdDescription& d) { d.configBefore = QStringLiteral("<push_ad_config><appid></appid><adid>1</adid></push_ad_config>"); },
         false},
        {"earlier entry with an empty adid",
         [](AdDescription& d) { d.configBefore = QStringLiteral("<push_ad_config><appid>x.y</appid><adid/></push_ad_config>"); },
         false},
        {"first entry for this program wins",
         [](AdDescription& d) {
             d.configBefore = QStringLiteral("<push_ad_config><appid>%1</appid><adid>7</adid></push_ad_config>")
                                  .arg(platform::Bundle::identifier());
             d.mappedAdId = QStringLiteral("9");
         },
         true},
        {"no entry for this program", [](AdDescription& d) { d.appId = QStringLiteral("org.example.other"); }, false},
        {"no ad with the mapped id", [](AdDescription& d) { d.mappedAdId = QStringLiteral("8"); }, false},
        {"ids compare as text", [](AdDescription& d) { d.mappedAdId = QStringLiteral("07"); }, false},
        {"another ad before ours", [](AdDescription& d) { d.otherAds = QStringLiteral("<push_ad><adid>8</adid></push_ad>"); }, true},
        {"an earlier ad without an adid", [](AdDescription& d) { d.otherAds = QStringLiteral("<push_ad><enable>1</enable></push_ad>"); }, false},
        {"missing version", [](AdDescription& d) { d.version.clear(); }, false},
        {"missing notes", [](AdDescription& d) { d.notes.clear(); }, false},
        {"missing advance", [](AdDescription& d) { d.advance.clear(); }, false},
        {"titles all empty", [](AdDescription& d) { d.titles = QStringLiteral("<en></en><default/>"); }, false},
        {"pages all empty", [](AdDescription& d) { d.pages = QStringLiteral("<en></en>"); }, false},
        {"enable false still enables", [](AdDescription& d) { d.enable = QStringLiteral("false"); }, true, true},
        {"enable 0 disables", [](AdDescription& d) { d.enable = QStringLiteral("0"); }, true, false},
        {"override enable 0 disables", [](AdDescription& d) { d.advance = AdDescription::overrides(QStringLiteral("{\"enable\": 0}")); },
         true, false},
        {"override enable 1 enables", [](AdDescription& d) {
             d.enable = QStringLiteral("0");
             d.advance = AdDescription::overrides(QStringLiteral("{\"enable\": 1}"));
         },
         true, true},
        {"override for another program is ignored",
         [](AdDescription& d) { d.advance = QStringLiteral("{\"org.example.other\": {\"enable\": 0}}"); }, true, true},
        {"override delay -1", [](AdDescription& d) { d.advance = AdDescription::overrides(QStringLiteral("{\"delay\": -1}")); },
         true, true, -1},
        {"override of the wrong type is ignored",
         [](AdDescription& d) { d.advance = AdDescription::overrides(QStringLiteral("{\"delay\": \"5\"}")); }, true, true, 0},
        {"advance that is not JSON keeps the XML values",
         [](AdDescription& d) { d.advance = QStringLiteral("not json"); d.delay = QStringLiteral("4"); }, true, true, 4},
    };
    for (const ParseCase& c : cases) {
        AdDescription d;
        c.change(d);
        const auto info = MyPushAdUtil::parseXMLWithString(d.text());
        EXPECT_EQ(info != nullptr, c.accepted) << c.name;
        if (!info || !c.accepted)
            continue;
        EXPECT_EQ(info->enable, c.enabled) << c.name;
        EXPECT_EQ(info->delay, c.delay) << c.name;
    }
}

TEST_F(AppsFolder, TextsThatAreNoDescriptionAreRejectedWithTheFatalLine)
{
    for (const QString& text : {QString(), QString(""), QStringLiteral("<rootcfg>"), QStringLiteral("<rootcfg/>"),
                                QStringLiteral("<rootcfg><data><file_version></file_version></data></rootcfg>")}) {
        StderrCapture log;
        EXPECT_EQ(MyPushAdUtil::parseXMLWithString(text), nullptr) << text.toStdString();
        EXPECT_EQ(log.count(QStringLiteral("PAU <=> ***Error***: fatal error found, go to pre-defined condition.")), 1)
            << log.text().toStdString();
    }
}

TEST_F(AppsFolder, ValuesAreReadAsTheDescriptionGivesThemAndOverridden)
{
    AdDescription d;
    d.adId = d.mappedAdId = QStringLiteral("12abc");
    d.embed = QStringLiteral(" 3");
    d.width = QStringLiteral("-40");
    d.height = QStringLiteral("99999999999999999999999");
    d.count = QStringLiteral("x");
    d.advance = AdDescription::overrides(QStringLiteral(
        R"({"version": "5a2", "embed": 7.9, "offsetx": 11, "offsety": -4, "count": true, "notes": "", "width": 1e300})"));
    const auto info = MyPushAdUtil::parseXMLWithString(d.text());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->adId, 12);
    EXPECT_EQ(info->version, QStringLiteral("5a2"));
    EXPECT_EQ(info->embed, 7);
    EXPECT_EQ(info->width, std::numeric_limits<qint64>::max());
    EXPECT_EQ(info->height, std::numeric_limits<qint64>::max());
    EXPECT_EQ(info->count, 1);
    EXPECT_EQ(info->offsetx, 11);
    EXPECT_EQ(info->offsety, -4);
    EXPECT_EQ(info->notes, QStringLiteral("test ad")); // an empty override is no override
    ASSERT_TRUE(info->advanceDict.has_value());
    EXPECT_TRUE(info->advanceDict->contains(QStringLiteral("offsetx")));
    ASSERT_TRUE(info->htmlContentsDict.has_value());
    EXPECT_EQ(info->htmlContentsDict->value(QStringLiteral("en")), QStringLiteral("<p>English</p>"));
    EXPECT_EQ(info->htmlContentsDict->value(QStringLiteral("default")), QStringLiteral("<p>Default</p>"));
}

TEST_F(AppsFolder, LanguageChoosesTheLongestMatchingKeyThenDefault)
{
    const MyPushAdInfo::LanguageDict dict = {{"en", "en"}, {"zh", "zh"}, {"zh-Hans", "zh-Hans"}, {"default", "default"}};
    const MyPushAdInfo::LanguageDict noDefault = {{"de", "de"}};
    struct Row {
        QVariant languages;
        MyPushAdInfo::LanguageDict dict;
        QString expected;
    };
    const std::vector<Row> rows = {
        {QVariant(), dict, "en"},
        {QVariantList{}, dict, "en"},
        {QVariantList{"fr-FR", "en"}, dict, "default"},
        {QVariantList{"en-GB"}, dict, "en"},
        {QVariantList{"zh-Hans-CN"}, dict, "zh-Hans"},
        {QVariantList{"zh-Hant-TW"}, dict, "zh"},
        {QVariantList{"fr-FR"}, noDefault, QString()},
    };
    auto& defaults = platform::UserDefaults::standard();
    for (const Row& row : rows) {
        if (row.languages.isValid())
            defaults.setValue(QStringLiteral("AppleLanguages"), row.languages);
        else
            defaults.removeValue(QStringLiteral("AppleLanguages"));
        StderrCapture log;
        EXPECT_EQ(MyPushAdInfo::localizedValueInDict(row.dict), row.expected) << row.languages.toStringList().join(",").toStdString();
        EXPECT_EQ(log.count(QStringLiteral("PAU Verify failed!")), row.expected.isEmpty() ? 1 : 0);
    }
}

TEST_F(AppsFolder, AllPromotedAppsInstalledDisablesTheAd)
{
    install(QStringLiteral("Painter.app"));
    install(QStringLiteral("Games/Chess.app"));
    install(QStringLiteral("Games/Chess.app/Contents/Helper.app")); // inside a package: not looked at
    install(QStringLiteral(".hidden/Secret.app"));
    install(QStringLiteral("Tools.folder"));
    EXPECT_EQ(MyPushAdUtil::fetchUserInstalledAppNamesSet(), (QSet<QString>{QStringLiteral("Painter"), QStringLiteral("Chess")}));

    struct Row {
        QStringList promoted;
        bool enabled;
    };
    const std::vector<Row> rows = {
        {{}, true},
        {{"Painter", "Chess"}, false},
        {{"Painter", "Helper"}, true},
        {{"Secret"}, true},
    };
    for (const Row& row : rows) {
        AdDescription d;
        d.promoApps = row.promoted;
        StderrCapture log;
        const auto info = MyPushAdUtil::parseXMLWithString(d.text());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->enable, row.enabled) << row.promoted.join(",").toStdString();
        EXPECT_EQ(log.count(QStringLiteral("PAU: All po-apps installed, Disable it.")), row.enabled ? 0 : 1);
    }
}

TEST_F(AppsFolder, AllInstalledWinsOverAnOverrideThatEnables)
{
    install(QStringLiteral("Painter.app"));
    AdDescription d;
    d.promoApps = {QStringLiteral("Painter")};
    d.advance = AdDescription::overrides(QStringLiteral("{\"enable\": 1}"));
    const auto info = MyPushAdUtil::parseXMLWithString(d.text());
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->enable);
}

TEST_F(AppsFolder, MissingApplicationsFolderFindsNothingAndSaysSo)
{
    platform::UserDefaults::standard().setValue(MyPushAdUtil::applicationsDirectorySettingKey(), apps.path() + QStringLiteral("/none"));
    StderrCapture log;
    EXPECT_TRUE(MyPushAdUtil::fetchUserInstalledAppNamesSet().isEmpty());
    EXPECT_FALSE(MyPushAdUtil::areAllPromoAppsAlreadyInstalled({QStringLiteral("Painter")}));
    EXPECT_GE(log.count(QStringLiteral("fatal error found")), 1);
}

TEST(MyPushAdUtil, IntegerValueReadsTheLeadingNumber)
{
    const std::vector<std::pair<QString, qint64>> rows = {
        {"42", 42}, {"  -17px", -17}, {"+8", 8}, {"x1", 0}, {"", 0}, {"3.9", 3},
        {"9223372036854775807", std::numeric_limits<qint64>::max()},
        {"9223372036854775808", std::numeric_limits<qint64>::max()},
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
        {"-99999999999999999999", std::numeric_limits<qint64>::min()},
    };
    for (const auto& [text, value] : rows)
        EXPECT_EQ(MyPushAdUtil::integerValue(text), value) << text.toStdString();
}

TEST_F(AppsFolder, DescriptionsThatDeclareEntitiesAreRefused)
{
    QFile fixture(testDataPath(QStringLiteral("pau/ad-entities.xml")));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QString small = QString::fromUtf8(fixture.readAll()).replace(QStringLiteral("@APPID@"), platform::Bundle::identifier());
    // The same entity made to expand to gigabytes when the title is read:
    // 50,000 characters used 50,000 times.
    QString huge = small;
    huge.replace(QStringLiteral("<!ENTITY word \"grow\">"), QStringLiteral("<!ENTITY word \"%1\">").arg(QString(50000, QLatin1Char('x'))));
    huge.replace(QStringLiteral("&word;&word;&word;&word;"), QStringLiteral("&word;").repeated(50000));
    for (const QString& text : {small, huge}) {
        StderrCapture log;
        EXPECT_EQ(MyPushAdUtil::parseXMLWithString(text), nullptr);
        EXPECT_EQ(log.count(QStringLiteral("PAU <=> ***Error***: fatal error found, go to pre-defined condition.")), 1);
    }
    // Without the declaration the description reads.
    AdDescription plain;
    EXPECT_NE(MyPushAdUtil::parseXMLWithString(plain.text()), nullptr);
}

#include "MyPushAdUtil.h"

#include "MyPushAdLog.h"
#include "MyPushAdXMLDocument.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/UserDefaults.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace {
// A package is a folder whose name ends so.
const QString kPackageSuffix = QStringLiteral(".app");

MyPushAdInfo::LanguageDict languageDict(const MyPushAdXMLDocument& doc, const QString& xpath, const MyPushAdXMLNode& ad,
                                        bool* present)
{
    MyPushAdInfo::LanguageDict dict;
    const auto nodes = doc.nodesForXPath(xpath, ad);
    *present = !nodes.empty();
    if (nodes.empty())
        return dict;
    for (const MyPushAdXMLNode& child : nodes.front().childElements()) {
        const QString name = child.name();
        const QString text = child.stringValue();
        if (!name.isEmpty() && !text.isEmpty())
            dict.insert(name, text);
    }
    return dict;
}
} // namespace

qint64 MyPushAdUtil::integerValue(const QString& text)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    // Accumulate toward the sign so that the most negative value fits too.
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        const int digit = text.at(i).unicode() - '0';
        if (negative) {
            if (value < (std::numeric_limits<qint64>::min() + digit) / 10)
                return std::numeric_limits<qint64>::min();
            value = value * 10 - digit;
        } else {
            if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
                return std::numeric_limits<qint64>::max();
            value = value * 10 + digit;
        }
    }
    return value;
}

std::shared_ptr<MyPushAdInfo> MyPushAdUtil::parseXMLWithString(const QString& text)
{
    // The text comes from a server: whatever it makes the parser throw
    // (memory it cannot have, above all) ends as a failed parse, never
    // as the end of the host program.
    try {
        return parseXMLWithStringUnguarded(text);
    } catch (...) {
        PAU_FATAL();
        return nullptr;
    }
}

std::shared_ptr<MyPushAdInfo> MyPushAdUtil::parseXMLWithStringUnguarded(const QString& text)
{
    if (text.isNull()) {
        PAU_FATAL();
        return nullptr;
    }
    const std::unique_ptr<MyPushAdXMLDocument> doc = MyPushAdXMLDocument::fromString(text);
    if (!doc) {
        PAU_FATAL();
        return nullptr;
    }
    if (doc->firstStringForXPath(QStringLiteral("./rootcfg/data/file_version")).isEmpty()) {
        PAU_FATAL();
        return nullptr;
    }

    // Which ad this program shows: the first entry naming it.
    const QString host = platform::Bundle::identifier();
    QString chosenAdId;
    for (const MyPushAdXMLNode& entry : doc->nodesForXPath(QStringLiteral("./rootcfg/data/push_ad_config"))) {
        const QString appId = doc->firstStringForXPath(QStringLiteral("./appid"), entry);
        const QString adId = doc->firstStringForXPath(QStringLiteral("./adid"), entry);
        if (appId.isEmpty() || adId.isEmpty()) {
            PAU_FATAL();
            return nullptr;
        }
        if (!host.isEmpty() && appId == host) {
            chosenAdId = adId;
            break;
        }
    }

    const auto ads = doc->nodesForXPath(QStringLiteral("./rootcfg/push_ad"));
    if (ads.empty()) {
        PAU_FATAL();
        return nullptr;
    }
    std::optional<MyPushAdXMLNode> chosen;
    for (const MyPushAdXMLNode& ad : ads) {
        const QString adId = doc->firstStringForXPath(QStringLiteral("./adid"), ad);
        if (adId.isEmpty()) {
            PAU_FATAL();
            return nullptr;
        }
        if (!chosenAdId.isEmpty() && adId == chosenAdId) {
            chosen = ad;
            break;
        }
    }
    if (!chosen) {
        PAU_FATAL();
        return nullptr;
    }

    QMap<QString, QString> values;
    for (const char* key : {"adid", "enable", "version", "embed", "width", "height", "count", "delay", "advance", "notes"}) {
        const QString value = doc->firstStringForXPath(QStringLiteral("./") + QLatin1String(key), *chosen);
        if (value.isEmpty()) {
            PAU_FATAL();
            return nullptr;
        }
        values.insert(QLatin1String(key), value);
    }

    bool hasTitle = false;
    const MyPushAdInfo::LanguageDict titles = languageDict(*doc, QStringLiteral("./title"), *chosen, &hasTitle);
    if (!hasTitle) {
        PAU_FATAL();
        return nullptr;
    }
    bool hasContents = false;
    const MyPushAdInfo::LanguageDict pages = languageDict(*doc, QStringLiteral("./html_contents"), *chosen, &hasContents);
    if (titles.isEmpty() || pages.isEmpty()) {
        PAU_FATAL();
        return nullptr;
    }

    QSet<QString> promoted;
    for (const MyPushAdXMLNode& node : doc->nodesForXPath(QStringLiteral("./promo_app_name"), *chosen)) {
        const QString name = node.stringValue();
        if (!name.isEmpty())
            promoted.insert(name);
    }
    const bool allInstalled = !promoted.isEmpty() && areAllPromoAppsAlreadyInstalled(promoted);

    auto info = MyPushAdInfo::createInstance();
    info->adId = integerValue(values.value(QStringLiteral("adid")));
    info->enable = values.value(QStringLiteral("enable")) != QLatin1String("0");
    info->version = values.value(QStringLiteral("version"));
    info->embed = integerValue(values.value(QStringLiteral("embed")));
    info->width = integerValue(values.value(QStringLiteral("width")));
    info->height = integerValue(values.value(QStringLiteral("height")));
    info->count = integerValue(values.value(QStringLiteral("count")));
    info->delay = integerValue(values.value(QStringLiteral("delay")));
    info->advance = values.value(QStringLiteral("advance"));
    info->notes = values.value(QStringLiteral("notes"));
    info->titleDict = titles;
    info->htmlContentsDict = pages;
    info->doParseCustomizationAndMerge();
    if (allInstalled) {
        PAU_LOG(QStringLiteral("PAU: All po-apps installed, Disable it."));
        info->enable = false;
    }
    return info;
}

bool MyPushAdUtil::areAllPromoAppsAlreadyInstalled(const QSet<QString>& names)
{
    if (names.isEmpty())
        return false;
    return fetchUserInstalledAppNamesSet().contains(names);
}

QString MyPushAdUtil::applicationsDirectorySettingKey()
{
    return QStringLiteral("PAUApplicationsDirectory");
}

QString MyPushAdUtil::applicationsDirectory()
{
    const QString configured = platform::UserDefaults::standard().string(applicationsDirectorySettingKey());
    return configured.isEmpty() ? QStringLiteral("/Applications") : configured;
}

QSet<QString> MyPushAdUtil::fetchUserInstalledAppNamesSet()
{
    QSet<QString> names;
    const QString root = applicationsDirectory();
    if (!QFileInfo(root).isDir()) {
        PAU_FATAL();
        return names;
    }
    // Links are not followed (no cycles), hidden items are skipped and a
    // package's own contents are not searched.
    QStringList pending{root};
    while (!pending.isEmpty()) {
        const QDir dir(pending.takeLast());
        const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::NoSymLinks);
        for (const QFileInfo& entry : entries) {
            if (entry.fileName().startsWith(QLatin1Char('.')) || !entry.isDir())
                continue;
            if (entry.fileName().endsWith(kPackageSuffix)) {
                const QString name = entry.completeBaseName();
                if (!name.isEmpty())
                    names.insert(name);
                continue;
            }
            pending.append(entry.filePath());
        }
    }
    return names;
}

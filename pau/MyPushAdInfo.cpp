#include "MyPushAdInfo.h"

#include "MyPushAdJSON.h"
#include "MyPushAdLog.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/UserDefaults.h"

std::shared_ptr<MyPushAdInfo> MyPushAdInfo::createInstance()
{
    return std::make_shared<MyPushAdInfo>();
}

QString MyPushAdInfo::localizedTitle() const
{
    return localizedValueInDict(titleDict);
}

QString MyPushAdInfo::localizedHtmlString() const
{
    return localizedValueInDict(htmlContentsDict);
}

QString MyPushAdInfo::localizedValueInDict(const std::optional<LanguageDict>& dict)
{
    const QVariantList languages = platform::UserDefaults::standard().array(QStringLiteral("AppleLanguages"));
    const QString language = languages.isEmpty() ? QStringLiteral("en") : languages.first().toString();
    QString result;
    if (dict) {
        // Of several keys the language begins with (zh and zh-Hans for
        // zh-Hans-CN), the longest says the most.
        QString matched;
        for (auto it = dict->begin(); it != dict->end(); ++it) {
            if (language.startsWith(it.key()) && it.key().size() > matched.size())
                matched = it.key();
        }
        if (!matched.isEmpty() && !dict->value(matched).isEmpty())
            result = dict->value(matched);
        else
            result = dict->value(QStringLiteral("default"));
    }
    PAU_VERIFY(!result.isEmpty());
    return result;
}

void MyPushAdInfo::doParseCustomizationAndMerge()
{
    const QString host = platform::Bundle::identifier();
    const std::optional<QJsonObject> all = MyPushAdJSON::objectFromString(advance);
    if (host.isEmpty() || !all) {
        PAU_FATAL();
        return;
    }
    const QJsonValue entry = all->value(host);
    if (!entry.isObject())
        return;
    const QJsonObject overrides = entry.toObject();
    advanceDict = overrides;

    if (const auto value = MyPushAdJSON::integerValue(overrides.value(QStringLiteral("enable"))))
        enable = *value != 0;
    if (const auto value = MyPushAdJSON::nonEmptyString(overrides.value(QStringLiteral("version"))))
        version = *value;
    const std::pair<const char*, qint64*> integers[] = {
        {"embed", &embed}, {"width", &width}, {"height", &height}, {"offsetx", &offsetx},
        {"offsety", &offsety}, {"count", &count}, {"delay", &delay},
    };
    for (const auto& [key, field] : integers) {
        if (const auto value = MyPushAdJSON::integerValue(overrides.value(QLatin1String(key))))
            *field = *value;
    }
    if (const auto value = MyPushAdJSON::nonEmptyString(overrides.value(QStringLiteral("notes"))))
        notes = *value;
}

void MyPushAdInfo::doCheck() const
{
    PAU_VERIFY(adId > 0);
    PAU_VERIFY(!version.isEmpty());
    PAU_VERIFY(embed >= 0);
    PAU_VERIFY(width > 0);
    PAU_VERIFY(height > 0);
    PAU_VERIFY(count > 0);
    PAU_VERIFY(delay >= 0);
    PAU_VERIFY(!advance.isEmpty());
    PAU_VERIFY(advanceDict.has_value());
    PAU_VERIFY(!notes.isEmpty());
    PAU_VERIFY(titleDict.has_value());
    PAU_VERIFY(htmlContentsDict.has_value());
}

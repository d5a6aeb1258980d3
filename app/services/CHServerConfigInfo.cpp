#include "CHServerConfigInfo.h"

namespace {
QString dictionaryText(const CHServerConfigInfo::Dictionary& dictionary)
{
    QString text;
    for (const auto& entry : dictionary)
        text += QStringLiteral("{%1:%2}").arg(entry.first, entry.second);
    return text;
}
} // namespace

QString CHServerConfigInfo::description() const
{
    QString text;
    const auto add = [&text](const char* name, const QString& value) {
        text += QStringLiteral("self.%1:%2,\n").arg(QLatin1String(name), value);
    };
    add("dataFileVersion", dataFileVersion);
    add("dataUrl", dataUrl);
    add("dataUrlBackup", dataUrlBackup);
    add("appUrl", appUrl);
    add("appVersion", appVersion);
    add("appWhatsNewDict", dictionaryText(appWhatsNewDict));
    add("adEnable", adEnable);
    add("adAdmobId", adAdmobId);
    add("pushAdEnable", pushAdEnable);
    add("pushAdVersion", pushAdVersion);
    add("pushAdTitleDict", dictionaryText(pushAdTitleDict));
    add("pushAdMessageDict", dictionaryText(pushAdMessageDict));
    add("pushAdUrl", pushAdUrl);
    add("pushAdCount", pushAdCount);
    add("pushAdDelay", pushAdDelay);
    add("pushAdPromoTitle", pushAdPromoTitle);
    add("pushAdPromoUrl", pushAdPromoUrl);
    add("pushAdPromoWindowWidth", pushAdPromoWindowWidth);
    add("pushAdPromoWindowHeight", pushAdPromoWindowHeight);
    return text;
}

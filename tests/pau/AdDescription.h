#pragma once

#include "platform/foundation/Bundle.h"

#include <QString>
#include <QStringList>

// An ad description for tests: one entry for this program pointing at ad
// 7, and ad 7 with settings a test may change before asking for the text.
struct AdDescription {
    QString appId = platform::Bundle::identifier();
    QString configBefore; // extra push_ad_config entries before this program's
    QString mappedAdId = QStringLiteral("7"); // in this program's entry
    QString adId = QStringLiteral("7");       // of the ad
    QString enable = QStringLiteral("1");
    QString version = QStringLiteral("3a1");
    QString embed = QStringLiteral("0");
    QString width = QStringLiteral("320");
    QString height = QStringLiteral("200");
    QString count = QStringLiteral("2");
    QString delay = QStringLiteral("0");
    QString advance = QStringLiteral("{}");
    QString notes = QStringLiteral("test ad");
    QString titles = QStringLiteral("<en>English title</en><default>Default title</default>");
    QString pages = QStringLiteral("<en>&lt;p&gt;English&lt;/p&gt;</en><default><![CDATA[<p>Default</p>]]></default>");
    QStringList promoApps;
    QString otherAds; // push_ad elements before ours

    QString text() const
    {
        QString promo;
        for (const QString& name : promoApps)
            promo += QStringLiteral("<promo_app_name>%1</promo_app_name>").arg(name);
        return QStringLiteral(
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rootcfg><data><file_version>1</file_version>%1"
                   "<push_ad_config><appid>%2</appid><adid>%17</adid></push_ad_config></data>%4"
                   "<push_ad><adid>%3</adid><enable>%5</enable><version>%6</version><embed>%7</embed>"
                   "<width>%8</width><height>%9</height><count>%10</count><delay>%11</delay>"
                   "<advance>%12</advance><notes>%13</notes><title>%14</title><html_contents>%15</html_contents>%16"
                   "</push_ad></rootcfg>\n")
            .arg(configBefore, appId, adId, otherAds, enable, version, embed, width, height)
            .arg(count, delay, advance.toHtmlEscaped(), notes, titles, pages, promo, mappedAdId);
    }

    // The "advance" text with one entry for this program.
    static QString overrides(const QString& json)
    {
        return QStringLiteral("{\"%1\": %2}").arg(platform::Bundle::identifier(), json);
    }
};

#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>

#include <memory>
#include <optional>

// One ad, as read from the ad description for the running program: its
// settings (after the program's own overrides), its title and page by
// language.
class MyPushAdInfo {
public:
    using LanguageDict = QMap<QString, QString>;

    static std::shared_ptr<MyPushAdInfo> createInstance();

    qint64 adId = 0;
    bool enable = false;
    QString version;
    qint64 embed = 0;
    qint64 width = 0;
    qint64 height = 0;
    qint64 offsetx = 0;
    qint64 offsety = 0;
    qint64 count = 0;
    qint64 delay = 0;
    QString notes;
    QString advance;
    // The program's entry of the "advance" overrides once parsed; empty before.
    std::optional<QJsonObject> advanceDict = QJsonObject();
    std::optional<LanguageDict> titleDict;
    std::optional<LanguageDict> htmlContentsDict;

    QString localizedTitle() const;
    QString localizedHtmlString() const;
    // The text for the user's language (the first of the setting
    // "AppleLanguages", "en" without one): the entry whose key the language
    // begins with (the longest such key), else the "default" entry. Null
    // when there is neither.
    static QString localizedValueInDict(const std::optional<LanguageDict>& dict);

    // Applies this program's entry of the "advance" overrides.
    void doParseCustomizationAndMerge();
    // Logs every setting that is out of its sensible range; changes nothing.
    void doCheck() const;
};

#include <QMetaType>
Q_DECLARE_METATYPE(std::shared_ptr<MyPushAdInfo>)

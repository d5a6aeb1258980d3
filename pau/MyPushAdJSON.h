#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// The little JSON reading the ad description needs.
class MyPushAdJSON {
public:
    // The object the text holds; nothing when it holds something else or
    // is not JSON.
    static std::optional<QJsonObject> objectFromString(const QString& text);
    // A number (true and false count as 1 and 0) as an integer, cut toward
    // zero and kept within the 64-bit range; nothing for other types.
    static std::optional<qint64> integerValue(const QJsonValue& value);
    // A non-empty text; nothing otherwise.
    static std::optional<QString> nonEmptyString(const QJsonValue& value);
};

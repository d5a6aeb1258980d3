#include "MyPushAdJSON.h"

#include <QJsonDocument>

#include <cmath>
#include <limits>

std::optional<QJsonObject> MyPushAdJSON::objectFromString(const QString& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<qint64> MyPushAdJSON::integerValue(const QJsonValue& value)
{
    if (value.isBool())
        return value.toBool() ? 1 : 0;
    if (!value.isDouble())
        return std::nullopt;
    const double number = std::trunc(value.toDouble());
    // Converting a double beyond the range is undefined: clamp first.
    if (number >= 9223372036854775807.0)
        return std::numeric_limits<qint64>::max();
    if (number <= -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return qint64(number);
}

std::optional<QString> MyPushAdJSON::nonEmptyString(const QJsonValue& value)
{
    if (!value.isString() || value.toString().isEmpty())
        return std::nullopt;
    return value.toString();
}

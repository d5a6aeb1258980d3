#pragma once

#include "OrderedJSONObject.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <optional>

// Turns a value into pretty-printed JSON data and back. An adopting type
// derives from JSONConvertible<Itself> and supplies its coding:
//   static std::optional<T> decodeJSON(const QJsonValue&);  // nothing on a decoding error
//   OrderedJSONObject encodeJSON() const;                   // members in their written order
// Failures of either direction give nothing; no error leaves the call.
template <typename Derived>
class JSONConvertible {
public:
    static std::optional<Derived> createInstance(const QByteArray& data)
    {
        QJsonParseError error {};
        const QJsonDocument document = QJsonDocument::fromJson(data, &error);
        if (error.error != QJsonParseError::NoError)
            return std::nullopt;
        const QJsonValue top = document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
        return Derived::decodeJSON(top);
    }

    std::optional<QByteArray> toJSONData() const
    {
        return static_cast<const Derived&>(*this).encodeJSON().toPrettyJSON();
    }

protected:
    JSONConvertible() = default;
};

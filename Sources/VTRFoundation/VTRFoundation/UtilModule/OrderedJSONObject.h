#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// A JSON object that keeps its members in the order they were inserted
// (QJsonObject sorts them), written pretty-printed:
//   {
//     "red" : 255,
//     "name" : "Red"
//   }
class OrderedJSONObject {
public:
    // A key inserted again replaces the value in its first place.
    void insert(const QString& key, const QJsonValue& value);
    bool isEmpty() const { return members.isEmpty(); }

    // Nothing when a value cannot be written (a number that is not finite).
    std::optional<QByteArray> toPrettyJSON() const;

    // One value in the same style; nested objects keep QJsonObject's order.
    static std::optional<QByteArray> prettyJSON(const QJsonValue& value, int indent = 0);
    static QByteArray quotedString(const QString& text);

private:
    QList<QPair<QString, QJsonValue>> members;
};

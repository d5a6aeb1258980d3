#pragma once

#include "JSONConvertible.h"
#include "StringRepresentable.h"

#include <QColor>
#include <QJsonValue>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QPainter;

// A colour a user picked: four 8-bit channels (alpha 255 is opaque) and an
// optional name that takes no part in equality. Immutable; every channel is
// clamped into 0..255, decoded ones included. Its JSON form holds "red",
// "green", "blue", "alpha" and, when there is a name, "name", in that order.
class UserColor : public JSONConvertible<UserColor> {
public:
    UserColor(std::int64_t red, std::int64_t green, std::int64_t blue, std::int64_t alpha = 255,
              std::optional<QString> name = std::nullopt);

    // Nothing for no colour (logged at VBO) or for a colour that cannot be
    // read as RGB (logged at ERR). Channels are rounded halves away from zero.
    static std::optional<UserColor> fromColor(const std::optional<QColor>& color,
                                              std::optional<QString> name = std::nullopt);

    // The named colours; each call gives a new value. (Named ...Color() since
    // red(), green() and blue() read the channels.)
    static UserColor blackColor();
    static UserColor whiteColor();
    static UserColor grayColor();
    static UserColor redColor();
    static UserColor greenColor();
    static UserColor blueColor();
    static UserColor clearColor();

    std::int64_t red() const { return r; }
    std::int64_t green() const { return g; }
    std::int64_t blue() const { return b; }
    std::int64_t alpha() const { return a; }
    const std::optional<QString>& name() const { return colorName; }

    // "R:255 G:0 B:0 A:255".
    QString stringRep() const;
    QString description() const { return stringRep(); }
    // "#FF0080": red, green, blue; alpha and name are not shown.
    QString hexRep() const;
    // Rounded, halves away from zero, 0..100.
    std::int64_t alphaInPercent() const;
    UserColor replacingAlpha(std::int64_t alpha) const;

    QColor nsColor() const;
    // The same colour; Qt has one colour type for both uses.
    QColor cgColor() const;
    // Make the colour the painter's pen and brush colour, its brush (fill)
    // colour or its pen (stroke) colour; the pen keeps its width and style.
    void set(QPainter& painter) const;
    void setFill(QPainter& painter) const;
    void setStroke(QPainter& painter) const;

    bool isEqualToUserColor(const UserColor& other) const;
    // False for no colour.
    bool isEqual(const UserColor* other) const;
    bool operator==(const UserColor& other) const { return isEqualToUserColor(other); }
    // The hash of the text of the four channels written one after another.
    size_t hash() const;

    // JSON coding used by JSONConvertible.
    static std::optional<UserColor> decodeJSON(const QJsonValue& value);
    OrderedJSONObject encodeJSON() const;

private:
    std::int64_t r;
    std::int64_t g;
    std::int64_t b;
    std::int64_t a;
    std::optional<QString> colorName;
};

inline QString stringRep(const UserColor& color)
{
    return color.stringRep();
}

inline size_t qHash(const UserColor& color, size_t seed = 0)
{
    return color.hash() ^ seed;
}

template <>
struct std::hash<UserColor> {
    size_t operator()(const UserColor& color) const { return color.hash(); }
};

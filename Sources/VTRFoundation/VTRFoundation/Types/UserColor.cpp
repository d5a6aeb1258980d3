#include "UserColor.h"

#include "Debug.h"

#include <QHash>
#include <QJsonObject>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

std::int64_t clampedChannel(std::int64_t value)
{
    return std::clamp<std::int64_t>(value, 0, 255);
}

std::int64_t channelFromComponent(double component)
{
    return clampedChannel(static_cast<std::int64_t>(std::round(component * 255.0)));
}

double quotient(std::int64_t channel)
{
    return std::clamp(static_cast<double>(channel) / 255.0, 0.0, 1.0);
}

// An integer member: a JSON number without a fractional part that fits in
// 64 bits. Anything else is a decoding error.
std::optional<std::int64_t> integerMember(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return variant.toLongLong();
    const double d = value.toDouble();
    if (d != std::trunc(d) || d < -9.2e18 || d > 9.2e18)
        return std::nullopt;
    return static_cast<std::int64_t>(d);
}

} // namespace

UserColor::UserColor(std::int64_t red, std::int64_t green, std::int64_t blue, std::int64_t alpha,
                     std::optional<QString> name)
    : r(clampedChannel(red))
    , g(clampedChannel(green))
    , b(clampedChannel(blue))
    , a(clampedChannel(alpha))
    , colorName(std::move(name))
{
}

std::optional<UserColor> UserColor::fromColor(const std::optional<QColor>& color, std::optional<QString> name)
{
    if (!color) {
        Debug::output(Debug::Level::VBO, QStringLiteral("You input a nil color, then the creation failed certainly."),
                      __FILE__, QStringLiteral("init(color:name:)"), __LINE__);
        return std::nullopt;
    }
    const QColor rgb = color->toRgb();
    if (!color->isValid() || !rgb.isValid()) {
        Debug::output(Debug::Level::ERR, QStringLiteral("Cannot convert this color into a specified color space."),
                      __FILE__, QStringLiteral("init(color:name:)"), __LINE__);
        return std::nullopt;
    }
    return UserColor(channelFromComponent(rgb.redF()), channelFromComponent(rgb.greenF()),
                     channelFromComponent(rgb.blueF()), channelFromComponent(rgb.alphaF()), std::move(name));
}

UserColor UserColor::blackColor() { return UserColor(0, 0, 0, 255, QStringLiteral("Black")); }
UserColor UserColor::whiteColor() { return UserColor(255, 255, 255, 255, QStringLiteral("White")); }
UserColor UserColor::grayColor() { return UserColor(127, 127, 127, 255, QStringLiteral("Gray")); }
UserColor UserColor::redColor() { return UserColor(255, 0, 0, 255, QStringLiteral("Red")); }
UserColor UserColor::greenColor() { return UserColor(0, 255, 0, 255, QStringLiteral("Green")); }
UserColor UserColor::blueColor() { return UserColor(0, 0, 255, 255, QStringLiteral("Blue")); }
UserColor UserColor::clearColor() { return UserColor(0, 0, 0, 0, QStringLiteral("Clear")); }

QString UserColor::stringRep() const
{
    return QStringLiteral("R:%1 G:%2 B:%3 A:%4").arg(r).arg(g).arg(b).arg(a);
}

QString UserColor::hexRep() const
{
    return QString::asprintf("#%02X%02X%02X", int(r), int(g), int(b));
}

std::int64_t UserColor::alphaInPercent() const
{
    const double percent = static_cast<double>(a) / 255.0 * 100.0;
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(std::round(percent)), 0, 100);
}

UserColor UserColor::replacingAlpha(std::int64_t alpha) const
{
    return UserColor(r, g, b, alpha, colorName);
}

QColor UserColor::nsColor() const
{
    return QColor::fromRgbF(float(quotient(r)), float(quotient(g)), float(quotient(b)), float(quotient(a)));
}

QColor UserColor::cgColor() const
{
    return nsColor();
}

void UserColor::set(QPainter& painter) const
{
    setFill(painter);
    setStroke(painter);
}

void UserColor::setFill(QPainter& painter) const
{
    painter.setBrush(nsColor());
}

void UserColor::setStroke(QPainter& painter) const
{
    QPen pen = painter.pen();
    if (pen.style() == Qt::NoPen)
        pen.setStyle(Qt::SolidLine);
    pen.setColor(nsColor());
    painter.setPen(pen);
}

bool UserColor::isEqualToUserColor(const UserColor& other) const
{
    return r == other.r && g == other.g && b == other.b && a == other.a;
}

bool UserColor::isEqual(const UserColor* other) const
{
    return other && isEqualToUserColor(*other);
}

size_t UserColor::hash() const
{
    return qHash(QString::number(r) + QString::number(g) + QString::number(b) + QString::number(a));
}

std::optional<UserColor> UserColor::decodeJSON(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto red = integerMember(object, QStringLiteral("red"));
    const auto green = integerMember(object, QStringLiteral("green"));
    const auto blue = integerMember(object, QStringLiteral("blue"));
    const auto alpha = integerMember(object, QStringLiteral("alpha"));
    if (!red || !green || !blue || !alpha)
        return std::nullopt;
    std::optional<QString> name;
    const QJsonValue nameValue = object.value(QStringLiteral("name"));
    if (nameValue.isString())
        name = nameValue.toString();
    else if (!nameValue.isUndefined() && !nameValue.isNull())
        return std::nullopt;
    // Stored colours may come from anywhere: channels are clamped like every
    // other way of making one.
    return UserColor(*red, *green, *blue, *alpha, std::move(name));
}

OrderedJSONObject UserColor::encodeJSON() const
{
    OrderedJSONObject object;
    object.insert(QStringLiteral("red"), QJsonValue(qint64(r)));
    object.insert(QStringLiteral("green"), QJsonValue(qint64(g)));
    object.insert(QStringLiteral("blue"), QJsonValue(qint64(b)));
    object.insert(QStringLiteral("alpha"), QJsonValue(qint64(a)));
    if (colorName)
        object.insert(QStringLiteral("name"), *colorName);
    return object;
}

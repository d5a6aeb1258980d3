#include "SWDrawingSupport.h"

#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/UserDefaults.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <numbers>

bool SWDrawingSupport::antialiasByDefault()
{
    return platform::UserDefaults::standard().boolean(QStringLiteral("AllowAntialias"));
}

QColor SWDrawingSupport::colorChoice(uint64_t flags, const QColor& front, const QColor& back)
{
    return (flags & platform::ModifierFlags::Option) ? back : front;
}

QColor SWDrawingSupport::otherColor(uint64_t flags, const QColor& front, const QColor& back)
{
    return (flags & platform::ModifierFlags::Option) ? front : back;
}

double SWDrawingSupport::wholePart(double v)
{
    if (std::isnan(v))
        return 0.0;
    constexpr double limit = 9007199254740992.0; // 2^53
    return std::trunc(std::clamp(v, -limit, limit));
}

double SWDrawingSupport::wholeSign(double d)
{
    const double w = wholePart(d);
    return w > 0 ? 1.0 : (w < 0 ? -1.0 : 0.0);
}

SWDrawingSupport::Direction SWDrawingSupport::constrainedDirection(double dx, double dy)
{
    if (std::isnan(dx) || std::isnan(dy) || (dx == 0 && dy == 0))
        return Direction::Horizontal;
    // |atan(dy / dx)|, with dx = 0 giving 90 degrees.
    const double radians = dx == 0 ? std::numbers::pi / 2 : std::atan(std::fabs(dy / dx));
    const double degrees = std::trunc(radians * 180.0 / std::numbers::pi);
    if (degrees > 67)
        return Direction::Vertical;
    if (degrees >= 23)
        return Direction::Diagonal;
    return Direction::Horizontal;
}

QPointF SWDrawingSupport::constrainedOffset(double dx, double dy)
{
    switch (constrainedDirection(dx, dy)) {
    case Direction::Vertical:
        return {0.0, dy};
    case Direction::Diagonal: {
        const double m = std::min(std::fabs(wholePart(dx)), std::fabs(wholePart(dy)));
        return {wholeSign(dx) * m, wholeSign(dy) * m};
    }
    case Direction::Horizontal:
        break;
    }
    return {dx, 0.0};
}

void SWDrawingSupport::lineToLeavingDot(QPainterPath& path, const QPointF& point)
{
    constexpr double dot = 1.0 / 1024;
    if (path.elementCount() > 0 && path.currentPosition() == point)
        path.lineTo(point + QPointF(dot, 0));
    else
        path.lineTo(point);
}

QPainterPath SWDrawingSupport::roundStrokeOutline(const QPainterPath& path, double width, Qt::PenJoinStyle join)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(join);
    QPainterPath outline = stroker.createStroke(path);
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

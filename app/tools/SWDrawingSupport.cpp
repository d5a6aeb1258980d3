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

namespace {
constexpr double kDot = 1.0 / 1024;
}

void SWDrawingSupport::lineToLeavingDot(QPainterPath& path, const QPointF& point)
{
    if (path.elementCount() > 0 && path.currentPosition() == point)
        path.lineTo(point + QPointF(kDot, 0));
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

double SWDrawingSupport::strokeOffset(double width)
{
    if (!std::isfinite(width))
        return 0.5;
    return std::llround(std::clamp(width, 0.0, 1e9)) % 2 == 0 ? 0.0 : 0.5;
}

void SWDrawingSupport::appendStrokeSegment(QPainterPath& path, const QLineF& segment, bool startsRun)
{
    if (startsRun || path.elementCount() == 0) {
        path.moveTo(segment.p1());
        lineToLeavingDot(path, segment.p2());
        return;
    }
    if (segment.p2() == path.currentPosition())
        return;
    // A run that began as a click's dot goes on from the click itself: the
    // dot's sliver would bend the stroke's start and its cap.
    const int n = path.elementCount();
    const bool startsWithDot = n >= 2 && path.elementAt(n - 2).isMoveTo() &&
                               QPointF(path.elementAt(n - 1)) == QPointF(path.elementAt(n - 2)) + QPointF(kDot, 0);
    if (startsWithDot)
        path.setElementPositionAt(n - 1, segment.p2().x(), segment.p2().y());
    else
        path.lineTo(segment.p2());
}

QPainterPath SWDrawingSupport::freehandOutline(const QPainterPath& path, double width)
{
    return roundStrokeOutline(path, width, Qt::RoundJoin);
}

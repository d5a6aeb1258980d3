#include "KZRectangleSelectionBuilder.h"

#include <cmath>

void KZRectangleSelectionBuilder::didBuildStarted(const QPointF& point)
{
    KZSelectionBuilder::didBuildStarted(point);
    m_firstPoint = m_lastPoint = roundedPoint(point);
    setSelection(selectedPath());
}

bool KZRectangleSelectionBuilder::handleMouseDragged(const QPointF& point, QMouseEvent* event)
{
    m_lastPoint = roundedPoint(point);
    setSelection(selectedPath());
    return KZSelectionBuilder::handleMouseDragged(point, event);
}

void KZRectangleSelectionBuilder::didBuildFinished(const QPointF& point)
{
    KZSelectionBuilder::didBuildFinished(point);
    setSelection(selectedPath());
}

std::optional<QPainterPath> KZRectangleSelectionBuilder::selectedPath() const
{
    const QRectF r(std::trunc(std::min(m_firstPoint.x(), m_lastPoint.x())),
                   std::trunc(std::min(m_firstPoint.y(), m_lastPoint.y())),
                   std::trunc(std::fabs(m_lastPoint.x() - m_firstPoint.x())),
                   std::trunc(std::fabs(m_lastPoint.y() - m_firstPoint.y())));
    const QRectF canvas = drawableRect();
    // A rectangle without area, or one that misses the canvas, is no outline.
    if (!(r.width() > 0) || !(r.height() > 0) || !r.intersects(canvas))
        return std::nullopt;
    QPainterPath path;
    path.addRect(r.intersected(canvas));
    return path;
}

#include "KZFreeSelectionBuilder.h"

#include <algorithm>

QPointF KZFreeSelectionBuilder::clamped(const QPointF& point) const
{
    const QPointF p = roundedPoint(point);
    const QRectF canvas = drawableRect();
    // The far edges themselves are allowed.
    return QPointF(std::clamp(p.x(), canvas.left(), std::max(canvas.left(), canvas.right())),
                   std::clamp(p.y(), canvas.top(), std::max(canvas.top(), canvas.bottom())));
}

void KZFreeSelectionBuilder::didBuildStarted(const QPointF& point)
{
    KZSelectionBuilder::didBuildStarted(point);
    QPainterPath shape;
    shape.moveTo(clamped(point));
    m_selectionShape = shape;
    setSelection(m_selectionShape);
}

bool KZFreeSelectionBuilder::handleMouseDragged(const QPointF& point, QMouseEvent* event)
{
    if (m_selectionShape && !complete()) {
        m_selectionShape->lineTo(clamped(point));
        setSelection(m_selectionShape);
    }
    return KZSelectionBuilder::handleMouseDragged(point, event);
}

bool KZFreeSelectionBuilder::handleMouseUp(const QPointF& point, QMouseEvent* event)
{
    if (m_selectionShape) {
        m_selectionShape->lineTo(clamped(point));
        m_selectionShape->closeSubpath();
        // Also a flat polygon ends as the outline: its element then has no
        // size, and the tool cancels it.
        setSelection(m_selectionShape);
        m_selectionShape.reset();
    }
    return KZSelectionBuilder::handleMouseUp(point, event);
}

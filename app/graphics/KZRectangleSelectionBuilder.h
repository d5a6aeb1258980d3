#pragma once

#include "KZSelectionBuilder.h"

// A rectangle outline in whole pixels, cut to the canvas. It ends at the
// last dragged point: the release point is not used.
class KZRectangleSelectionBuilder : public KZSelectionBuilder {
public:
    using KZSelectionBuilder::KZSelectionBuilder;

    bool handleMouseDragged(const QPointF& point, QMouseEvent* event) override;
    // None for a rectangle without width or height, or one wholly off the canvas.
    std::optional<QPainterPath> selectedPath() const;

protected:
    void didBuildStarted(const QPointF& point) override;
    void didBuildFinished(const QPointF& point) override;

private:
    QPointF m_firstPoint;
    QPointF m_lastPoint;
};

#pragma once

#include "KZSelectionBuilder.h"

// A free-hand polygon through the dragged points, each rounded to whole
// pixels and kept on the canvas (its far edges included).
class KZFreeSelectionBuilder : public KZSelectionBuilder {
public:
    using KZSelectionBuilder::KZSelectionBuilder;

    bool handleMouseDragged(const QPointF& point, QMouseEvent* event) override;
    bool handleMouseUp(const QPointF& point, QMouseEvent* event) override;

protected:
    void didBuildStarted(const QPointF& point) override;

private:
    QPointF clamped(const QPointF& point) const;

    std::optional<QPainterPath> m_selectionShape;
};

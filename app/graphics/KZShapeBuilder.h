#pragma once

#include "KZGraphicBuilder.h"

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

class KZShapeElement;

// Turns a press, drag and release into a shape: the kind's sample (its
// outline normalised to the unit square) mapped into the dragged box. The
// box is never mirrored, so dragging toward the upper left gives the same
// shape as toward the lower right. Points are rounded to whole pixels at the
// press and the release only; Shift makes the box square, each axis keeping
// its own direction.
class KZShapeBuilder : public KZGraphicBuilder {
public:
    KZShapeBuilder(KZGraphicsContext* context, const QPainterPath& sample);

    // (x, y) becomes (x * width + left, y * height + top).
    static QPainterPath pathInRect(const QPainterPath& path, const QRectF& rect);
    // The sample in the box spanned by the two points.
    QPainterPath pathFromPoint(const QPointF& a, const QPointF& b) const;
    // A shape filling the box, styled from the context; not yet created.
    std::shared_ptr<KZShapeElement> makeShapeInRect(const QRectF& rect) const;
    // The shape of the drag so far; none before the drag starts.
    std::shared_ptr<KZShapeElement> makeElement() const;
    // The dominant axis (y on a tie) keeps its length, the other follows
    // the ratio; signs per axis (a zero counts as positive), or both the
    // dominant axis's sign when keepDirection is false.
    static QSizeF forceVectorToRatio(const QSizeF& vector, double ratio, bool keepDirection);

    bool handleMouseDown(const QPointF& point, QMouseEvent* event) override;
    bool handleMouseDragged(const QPointF& point, QMouseEvent* event) override;
    bool handleMouseUp(const QPointF& point, QMouseEvent* event) override;
    // The preview is the element itself, which the tool draws.
    QRectF draw(QPainter*) override { return {}; }
    std::shared_ptr<KZGraphicElement> element() const override;

    const QPainterPath& sample() const { return m_sample; }
    bool complete() const { return m_complete; }
    bool isStarted() const { return m_isStarted; }
    QPointF firstPoint() const { return m_firstPoint; }
    QPointF lastPoint() const { return m_lastPoint; }

private:
    void didBuildStarted(const QPointF& point);
    void didBuildFinished(const QPointF& point);
    void style(KZShapeElement& element) const;

    QPointF m_firstPoint;
    QPointF m_lastPoint;
    bool m_complete = false;
    bool m_isStarted = false;
    QPainterPath m_sample;
    std::shared_ptr<KZShapeElement> m_element;
};

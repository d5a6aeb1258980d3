#include "UniformImageMark.h"

#include <QPainter>
#include <QPen>

QPainterPath UniformImageMark::strokePath(const QRectF& rect) const
{
    const double half = borderLineWidth / 2.0;
    QPainterPath path;
    path.addRoundedRect(rect.adjusted(half, half, -half, -half), cornerRadius, cornerRadius);
    return path;
}

QPainterPath UniformImageMark::fillPath(const QRectF& rect) const
{
    QPainterPath path;
    path.addRoundedRect(rect, cornerRadius, cornerRadius);
    return path;
}

void UniformImageMark::drawBackground(QPainter& painter, const QRectF& rect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (isStroked && borderLineWidth > 0.0) {
        QPen pen(color.nsColor(), borderLineWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(strokePath(rect));
    }
    if (isFilled) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color.nsColor());
        painter.drawPath(fillPath(rect));
    }
    if (customMarkDrawingHandler)
        customMarkDrawingHandler(painter, rect);
    painter.restore();
}

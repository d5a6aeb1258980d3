#include "AMDarkButtonCell.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

void AMDarkButtonCell::drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget*)
{
    QPainterPath outer;
    outer.addRoundedRect(frame, 3, 3);
    painter.save();
    painter.setClipPath(outer);
    painter.fillRect(outer.boundingRect(), state() == On ? selectedControlColor() : QColor(Qt::lightGray));
    painter.restore();

    QPainterPath inner;
    inner.addRoundedRect(frame.adjusted(1, 1, -1, -1), 3, 3);
    painter.save();
    painter.setClipPath(inner);
    // Device whites from the top down.
    QLinearGradient whites(frame.topLeft(), frame.bottomLeft());
    const qreal levels[] = {0.76, 0.78, 0.85, 0.90, 0.92, 0.96};
    const qreal stops[] = {0.0, 0.2, 0.5, 0.8, 0.95, 1.0};
    for (int i = 0; i < 6; ++i)
        whites.setColorAt(stops[i], QColor::fromRgbF(float(levels[i]), float(levels[i]), float(levels[i])));
    painter.fillRect(frame, whites);
    painter.restore();

    if (isHighlighted()) {
        painter.save();
        painter.setClipPath(inner);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.fillRect(frame, QColor(0, 0, 0, qRound(0.35 * 255)));
        painter.restore();
    }
}

#include "KZDropListButtonCell.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QGradientStops KZDropListButtonCell::rimStops()
{
    return {{0.0, QColor(169, 185, 200)}, {0.95, QColor(190, 196, 209)}, {1.0, QColor(197, 202, 213)}};
}

QGradientStops KZDropListButtonCell::faceStops()
{
    const auto white = [](double level) { return QColor::fromRgbF(float(level), float(level), float(level)); };
    return {{0.0, white(0.78)}, {0.95, white(0.92)}, {1.0, white(0.96)}};
}

QRectF KZDropListButtonCell::titleRectForBounds(const QRectF& bounds, QWidget* view) const
{
    return platform::ButtonCell::titleRectForBounds(bounds, view).translated(0, -kTitleRise);
}

void KZDropListButtonCell::drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget*)
{
    // Each gradient spans its own rounded rectangle from the bottom edge up,
    // as in the ribbon's other gradient cells.
    const auto fill = [&](const QRectF& clip, const QGradientStops& stops) {
        QPainterPath rounded;
        rounded.addRoundedRect(clip, kCornerRadius, kCornerRadius);
        painter.save();
        painter.setClipPath(rounded, Qt::IntersectClip);
        QLinearGradient gradient(clip.bottomLeft(), clip.topLeft());
        gradient.setStops(stops);
        painter.fillRect(rounded.boundingRect(), gradient);
        painter.restore();
    };
    fill(frame, rimStops());
    const QRectF inner = frame.adjusted(1, 1, -1, -1);
    fill(inner, faceStops());

    if (isHighlighted()) {
        QPainterPath rounded;
        rounded.addRoundedRect(inner, kCornerRadius, kCornerRadius);
        painter.save();
        painter.setClipPath(rounded, Qt::IntersectClip);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.fillRect(frame, QColor::fromRgbF(0, 0, 0, 0.1f));
        painter.restore();
    }
}

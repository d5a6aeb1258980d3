#include "KZTabItemView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
QColor white(qreal level)
{
    return QColor::fromRgbF(float(level), float(level), float(level));
}
} // namespace

KZTabItemView::KZTabItemView(QWidget* parent)
    : QWidget(parent)
{
}

void KZTabItemView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF bounds(rect());
    painter.fillRect(bounds, QColor(188, 197, 212));

    // One-point lines on the outermost pixel rows: dark at the bottom,
    // light at the top.
    painter.setPen(QPen(white(0.63), 1.0));
    painter.drawLine(QPointF(bounds.left(), bounds.bottom() - 0.5), QPointF(bounds.right(), bounds.bottom() - 0.5));
    painter.setPen(QPen(white(0.92), 1.0));
    painter.drawLine(QPointF(bounds.left(), bounds.top() + 0.5), QPointF(bounds.right(), bounds.top() + 0.5));

    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF frame = bounds.adjusted(kFrameInset, kFrameInset, -kFrameInset, -kFrameInset);
    painter.setPen(QPen(white(0.63), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, kCornerRadius, kCornerRadius);

    const QRectF panel = bounds.adjusted(kPanelInset, kPanelInset, -kPanelInset, -kPanelInset);
    QPainterPath clip;
    clip.addRoundedRect(panel, kCornerRadius, kCornerRadius);
    painter.setClipPath(clip);
    QLinearGradient gradient(panel.bottomLeft(), panel.topLeft());
    gradient.setStops({{0.0, white(0.83)}, {0.5, white(0.86)}, {0.98, white(0.90)}, {1.0, white(0.94)}});
    painter.fillRect(panel, gradient);
}

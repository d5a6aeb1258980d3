#include "FloatingHUDWindow.h"

#include <QPainter>

namespace {
constexpr qreal kCornerRadius = 5.0;
const QColor kBackdrop(0, 0, 0, 190);
} // namespace

FloatingHUDWindow::FloatingHUDWindow(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
{
}

void FloatingHUDWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBackdrop);
    painter.drawRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
}

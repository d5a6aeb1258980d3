#include "RoundView.h"

#include <QPainter>

RoundView::RoundView(QWidget* parent)
    : QWidget(parent)
{
}

void RoundView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.8f));
    painter.drawRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
}

#include "KZLineView.h"

#include <QPainter>

KZLineView::KZLineView(QWidget* parent)
    : QWidget(parent)
{
}

void KZLineView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(QColor::fromRgbF(0.51f, 0.51f, 0.51f), 1.0);
    pen.setDashPattern({1.0, 2.0});
    pen.setDashOffset(0);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    // The dashes start at the bottom, where the line begins.
    const qreal x = width() * 0.5;
    p.drawLine(QPointF(x, height()), QPointF(x, 0));
    p.restore();
}

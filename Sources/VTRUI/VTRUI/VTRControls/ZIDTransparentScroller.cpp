#include "ZIDTransparentScroller.h"

#include <QPainter>
#include <QStyleOptionSlider>

ZIDTransparentScroller::ZIDTransparentScroller(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void ZIDTransparentScroller::paintEvent(QPaintEvent*)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect knob = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    if (knob.isEmpty() || maximum() <= minimum())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    QColor colour = palette().color(QPalette::WindowText);
    colour.setAlphaF(isSliderDown() ? 0.6f : 0.4f);
    painter.setBrush(colour);
    const QRectF shape = QRectF(knob).adjusted(2.0, 2.0, -2.0, -2.0);
    const double radius = std::min(shape.width(), shape.height()) / 2.0;
    painter.drawRoundedRect(shape, radius, radius);
}

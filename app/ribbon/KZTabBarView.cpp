#include "KZTabBarView.h"

#include <QLinearGradient>
#include <QPainter>

KZTabBarView::KZTabBarView(QWidget* parent)
    : QWidget(parent)
{
}

QGradientStops KZTabBarView::barStops()
{
    return {{0.0, QColor(162, 171, 188)},
            {0.3, QColor(169, 177, 193)},
            {0.5, QColor(179, 185, 200)},
            {0.8, QColor(190, 196, 209)},
            {1.0, QColor(197, 202, 213)}};
}

void KZTabBarView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF bounds(rect());
    QLinearGradient gradient(bounds.bottomLeft(), bounds.topLeft());
    gradient.setStops(barStops());
    painter.fillRect(bounds, gradient);
}

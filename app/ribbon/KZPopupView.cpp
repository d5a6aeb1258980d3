#include "KZPopupView.h"

#include <QPainter>
#include <QPainterPath>

KZPopupView::KZPopupView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground, true);
}

void KZPopupView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // What lies under the corners is cleared, so they stay see-through.
    // The shape follows the view's own bounds, wherever the view sits in
    // its parent.
    const QRectF bounds(rect());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(bounds, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath rounded;
    rounded.addRoundedRect(bounds, kCornerRadius, kCornerRadius);
    QColor white(Qt::white);
    white.setAlphaF(float(kWhiteAlpha));
    painter.fillPath(rounded, white);
}

#include "ControlView.h"

#include <QMouseEvent>

ControlView::ControlView(QWidget* parent)
    : QWidget(parent)
{
}

void ControlView::sendActionToTarget()
{
    if (action().isEmpty())
        return;
    VTRTargetAction::sendAction(action(), target(), this);
}

bool ControlView::boundsContain(const QSizeF& size, const QPointF& point)
{
    return point.x() >= 0.0 && point.y() >= 0.0 && point.x() < size.width() && point.y() < size.height();
}

void ControlView::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabledForMouseEvent() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    m_isMousePressed = true;
    update();
    if (!sendActionOnMouseUp())
        sendActionToTarget();
}

void ControlView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!isEnabledForMouseEvent() || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    m_isMousePressed = false;
    update();
    if (!boundsContain(QSizeF(size()), event->position()))
        return;
    if (sendActionOnMouseUp())
        sendActionToTarget();
}

void ControlView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void ControlView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

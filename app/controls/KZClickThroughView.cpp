#include "KZClickThroughView.h"

#include <QChildEvent>
#include <QRegion>

KZClickThroughView::KZClickThroughView(QWidget* parent)
    : QWidget(parent)
{
    updateMask();
}

bool KZClickThroughView::event(QEvent* event)
{
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (event->type() == QEvent::ChildAdded && child->isWidgetType())
            child->installEventFilter(this);
        updateMask();
    }
    return QWidget::event(event);
}

bool KZClickThroughView::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched->parent() == this)
            updateMask();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void KZClickThroughView::updateMask()
{
    QRegion region;
    for (QObject* child : children()) {
        auto* view = qobject_cast<QWidget*>(child);
        if (view && !view->isHidden())
            region += view->geometry();
    }
    // An empty mask would mean "no mask": keep one pixel outside the view.
    if (region.isEmpty())
        region = QRegion(-1, -1, 1, 1);
    setMask(region);
}

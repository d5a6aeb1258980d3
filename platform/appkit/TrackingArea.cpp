#include "TrackingArea.h"

#include "TrackingAreaOwner.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

namespace platform {

TrackingArea::TrackingArea(const QRectF& rect, int options, TrackingAreaOwner* owner)
    : m_rect(rect)
    , m_options(options)
    , m_owner(owner)
{
}

QWidget* TrackingArea::view() const
{
    return qobject_cast<QWidget*>(parent());
}

void TrackingArea::addToView(QWidget* view, TrackingArea* area)
{
    if (!view || !area)
        return;
    area->setParent(view);
    // Moves arrive only with mouse tracking on; entering a smaller rectangle
    // is found from them too.
    view->setMouseTracking(true);
    view->installEventFilter(area);
}

void TrackingArea::removeFromView(QWidget* view, TrackingArea* area)
{
    if (!view || !area || area->parent() != view)
        return;
    view->removeEventFilter(area);
    delete area;
}

QList<TrackingArea*> TrackingArea::areasOf(const QWidget* view)
{
    return view ? view->findChildren<TrackingArea*>(QString(), Qt::FindDirectChildrenOnly) : QList<TrackingArea*>();
}

QRectF TrackingArea::activeRect() const
{
    const QWidget* v = view();
    if ((m_options & InVisibleRect) && v)
        return QRectF(v->rect());
    return m_rect;
}

void TrackingArea::moveTo(const QPointF& position, QEvent* event, bool moved)
{
    // Qt positions are the top-left corners of pixels; the area holds a
    // pixel when that corner lies in the rectangle, right and bottom edges
    // excluded.
    const QRectF r = activeRect();
    const bool inside = position.x() >= r.left() && position.x() < r.right()
        && position.y() >= r.top() && position.y() < r.bottom();
    if (inside != m_inside) {
        m_inside = inside;
        if (m_owner && (m_options & MouseEnteredAndExited)) {
            if (inside)
                m_owner->mouseEntered(event);
            else
                m_owner->mouseExited(event);
        }
        if (m_owner && inside && (m_options & CursorUpdate))
            m_owner->cursorUpdate(event);
    } else if (inside && moved && m_owner && (m_options & MouseMoved)) {
        m_owner->mouseMoved(static_cast<QMouseEvent*>(event));
    }
}

bool TrackingArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != parent())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        moveTo(static_cast<QEnterEvent*>(event)->position(), event, false);
        break;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // While a button is held, only areas that ask for it follow the drag.
        if (mouse->buttons() == Qt::NoButton || (m_options & EnabledDuringMouseDrag))
            moveTo(mouse->position(), event, true);
        break;
    }
    case QEvent::MouseButtonRelease:
        // The release settles where the mouse ended up (a drag that left
        // the view without drag tracking).
        moveTo(static_cast<QMouseEvent*>(event)->position(), event, false);
        break;
    case QEvent::Leave:
        if (m_inside) {
            m_inside = false;
            if (m_owner && (m_options & MouseEnteredAndExited))
                m_owner->mouseExited(event);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform

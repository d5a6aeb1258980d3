#include "SWInstantTool.h"

#include "SWDocument.h"

#include <QMouseEvent>

SWInstantTool::SWInstantTool(KZToolboxController* controller, const QCursor& customCursor)
    : SWTool(controller)
    , m_customCursor(customCursor)
    , m_currentCursor(customCursor)
{
}

void SWInstantTool::mouseHasMoved(const QPointF&, QMouseEvent* event)
{
    updateCurrentCursorIfNeeded(event);
}

void SWInstantTool::updateCurrentCursorIfNeeded(QMouseEvent* event)
{
    if (!event)
        return;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        break;
    case QEvent::MouseMove:
        if (event->buttons() != Qt::NoButton)
            return; // a drag
        break;
    default:
        return;
    }
    const bool onCanvas = document() && document()->mouseInPaintView(event);
    m_currentCursor = onCanvas ? m_customCursor : QCursor(Qt::ArrowCursor);
}

QCursor SWInstantTool::cursor()
{
    if (!m_currentCursor)
        m_currentCursor = QCursor(Qt::ArrowCursor);
    return *m_currentCursor;
}

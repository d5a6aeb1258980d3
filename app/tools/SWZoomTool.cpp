#include "SWZoomTool.h"

#include "SWDocument.h"
#include "SWToolCursor.h"

#include "platform/foundation/ModifierFlags.h"

SWZoomTool::SWZoomTool(KZToolboxController* controller)
    : SWTool(controller)
{
}

QCursor SWZoomTool::cursor()
{
    if (!m_cursor)
        m_cursor = SWToolCursor::cursorNamed(QStringLiteral("zoom-cursor-2"));
    return *m_cursor;
}

void SWZoomTool::performDrawAtPoint(const QPointF& p, SWImageDataSource*, int phase, QMouseEvent*)
{
    if (phase != MouseDown)
        return;
    m_savedPoint = p;
    SWDocument* doc = document();
    if (!doc)
        return;
    if (m_flags & platform::ModifierFlags::Option)
        doc->zoomOut(this);
    else
        doc->zoomIn(this);
}

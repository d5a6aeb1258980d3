#include "SWEraserTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"
#include "SWToolCursor.h"

#include <QPainter>

#include <cmath>

SWEraserTool::SWEraserTool(KZToolboxController* controller)
    : SWTool(controller)
{
}

QCursor SWEraserTool::cursor()
{
    if (!m_cursor)
        m_cursor = SWToolCursor::cursorNamed(QStringLiteral("eraser-cursor"));
    return *m_cursor;
}

QRectF SWEraserTool::draw(QImage* bitmap)
{
    const double width = lineWidth();
    if (bitmap && !bitmap->isNull() && !m_path.isEmpty()) {
        const QColor color = SWDrawingSupport::otherColor(m_flags, m_frontColor, m_backColor);
        QPainter painter(bitmap);
        painter.setRenderHint(QPainter::Antialiasing, SWDrawingSupport::antialiasByDefault());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillPath(SWDrawingSupport::roundStrokeOutline(m_path, width, Qt::BevelJoin), color);
    }
    return m_path.boundingRect().adjusted(-width, -width, width, width);
}

void SWEraserTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    const QPointF q(std::round(float(p.x())), std::round(float(p.y())));
    QRectF r;
    QImage* main = dataSource ? &dataSource->mainImage() : nullptr;
    // The eraser draws nothing there; the buffer is cleared once and then
    // known to stay clear.
    if (dataSource)
        m_bufferRecord.clear(dataSource->bufferImage());
    switch (phase) {
    case MouseDown:
        if (document())
            document()->handleUndoWithImageData();
        m_path = QPainterPath();
        m_path.moveTo(q);
        SWDrawingSupport::lineToLeavingDot(m_path, q);
        r = draw(main);
        break;
    case MouseDragged:
        if (m_path.elementCount() == 0)
            m_path.moveTo(q);
        SWDrawingSupport::lineToLeavingDot(m_path, q);
        r = draw(main);
        m_savedPoint = q;
        break;
    case MouseUp:
        r = draw(main);
        m_path = QPainterPath();
        break;
    default:
        break;
    }
    addRectToRedrawRect(r);
}

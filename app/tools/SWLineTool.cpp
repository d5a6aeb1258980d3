#include "SWLineTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"

#include "platform/foundation/ModifierFlags.h"

#include <QPainter>

#include <optional>

SWLineTool::SWLineTool(KZToolboxController* controller)
    : SWTool(controller)
{
}

QPainterPath SWLineTool::pathFromPoint(const QPointF& from, const QPointF& to)
{
    m_pathWidth = lineWidth();
    m_path = QPainterPath();
    m_path.moveTo(from);
    QPointF a = from;
    QPointF b = to;
    // Thin lines run through pixel centres.
    if (m_pathWidth <= 1) {
        a += QPointF(0.5, 0.5);
        b += QPointF(0.5, 0.5);
    }
    if (m_flags & platform::ModifierFlags::Shift)
        m_path.lineTo(from + SWDrawingSupport::constrainedOffset(b.x() - a.x(), b.y() - a.y()));
    else
        m_path.lineTo(b);
    return m_path;
}

void SWLineTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    // Both ends on the pixels under the pointer, at any zoom level.
    const QPointF q = pixelUnder(p);
    if (phase == MouseDown)
        m_savedPoint = pixelUnder(m_savedPoint);
    addRedrawRectFromPoint(m_savedPoint, q);
    if (!dataSource)
        return;
    QImage& buffer = dataSource->bufferImage();
    m_bufferRecord.clear(buffer);
    if (phase == MouseDown)
        m_primaryColor = SWDrawingSupport::colorChoice(m_flags, m_frontColor, m_backColor);
    const QPainterPath line = pathFromPoint(m_savedPoint, q);
    const double grow = m_pathWidth + 2;
    const QRectF reach = line.boundingRect().adjusted(-grow, -grow, grow, grow);
    std::optional<platform::CanvasWrite> write;
    if (phase == MouseUp) {
        if (document())
            document()->handleUndoWithImageData();
        write.emplace(&dataSource->mainImageMarks(), dataSource->mainImage(), reach.toAlignedRect());
        m_drawToMe = &write->image();
    } else {
        m_drawToMe = &buffer;
    }
    if (!m_drawToMe->isNull()) {
        QPainter painter(m_drawToMe);
        painter.setRenderHint(QPainter::Antialiasing, SWDrawingSupport::antialiasByDefault());
        // Butt caps and mitred joins, as a plain stroke of a path has them.
        QPen pen(m_primaryColor, m_pathWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10.0);
        painter.strokePath(line, pen);
    }
    if (m_drawToMe == &buffer)
        m_bufferRecord.add(buffer, reach);
    m_drawToMe = nullptr;
}

#include "SWEllipseTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"

#include "platform/foundation/ModifierFlags.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

SWEllipseTool::SWEllipseTool(KZToolboxController* controller)
    : SWTool(controller)
{
}

QPainterPath SWEllipseTool::pathFromPoint(const QPointF& from, const QPointF& to)
{
    m_pathWidth = lineWidth();
    m_path = QPainterPath();
    QPointF a = from;
    QPointF b = to;
    if (m_pathWidth <= 1) {
        a += QPointF(0.5, 0.5);
        b += QPointF(0.5, 0.5);
    }
    QSizeF size(b.x() - a.x(), b.y() - a.y());
    if (m_flags & platform::ModifierFlags::Shift) {
        const double m = std::min(std::fabs(SWDrawingSupport::wholePart(size.width())),
                                  std::fabs(SWDrawingSupport::wholePart(size.height())));
        size = QSizeF(SWDrawingSupport::wholeSign(size.width()) * m, SWDrawingSupport::wholeSign(size.height()) * m);
    }
    // A negative size puts the oval on the other side of the press point.
    m_path.addEllipse(QRectF(a, size).normalized());
    return m_path;
}

void SWEllipseTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
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
    if (phase == MouseDown) {
        m_primaryColor = SWDrawingSupport::colorChoice(m_flags, m_frontColor, m_backColor);
        m_secondaryColor = SWDrawingSupport::otherColor(m_flags, m_frontColor, m_backColor);
    }
    const QPainterPath oval = pathFromPoint(m_savedPoint, q);
    const double grow = m_pathWidth + 2;
    const QRectF reach = oval.boundingRect().adjusted(-grow, -grow, grow, grow);
    std::optional<platform::CanvasWrite> write;
    if (phase == MouseUp) {
        if (document())
            document()->handleUndoWithImageData();
        write.emplace(&dataSource->mainImageMarks(), dataSource->mainImage(), reach.toAlignedRect());
        m_drawToMe = &write->image();
    } else {
        m_drawToMe = &buffer;
    }
    if (!m_drawToMe->isNull() && (m_shouldFill || m_shouldStroke)) {
        QPainter painter(m_drawToMe);
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(m_primaryColor, m_pathWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10.0);
        if (m_shouldFill && m_shouldStroke) {
            painter.fillPath(oval, m_secondaryColor);
            painter.strokePath(oval, pen);
        } else if (m_shouldFill) {
            painter.fillPath(oval, m_primaryColor);
        } else {
            painter.strokePath(oval, pen);
        }
    }
    if (m_drawToMe == &buffer)
        m_bufferRecord.add(buffer, reach);
    m_drawToMe = nullptr;
}

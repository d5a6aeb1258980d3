#include "SWCurveTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"

#include "platform/foundation/ModifierFlags.h"

#include <QPainter>

#include <algorithm>

SWCurveTool::SWCurveTool(KZToolboxController* controller)
    : SWTool(controller)
{
}

QPainterPath SWCurveTool::pathFromPoint(const QPointF& from, const QPointF& to)
{
    m_pathWidth = lineWidth();
    m_path = QPainterPath();
    m_path.moveTo(m_beginPoint);
    QPointF a = from;
    QPointF b = to;
    if (m_pathWidth <= 1) {
        a += QPointF(0.5, 0.5);
        b += QPointF(0.5, 0.5);
    }
    // Shift constrains the chord only, while it is being dragged.
    if (m_numberOfClicks == 1 && (m_flags & platform::ModifierFlags::Shift)) {
        m_endPoint = m_beginPoint + SWDrawingSupport::constrainedOffset(b.x() - a.x(), b.y() - a.y());
        m_cp2 = m_endPoint;
    }
    m_path.cubicTo(m_cp1, m_cp2, m_endPoint);
    return m_path;
}

void SWCurveTool::performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    // Every point of the curve on the pixel under the pointer, at any zoom.
    const QPointF p = pixelUnder(point);
    if (phase == MouseDown) {
        // A third click whose mouse-up never came is still the third.
        m_numberOfClicks = std::min<int64_t>(m_numberOfClicks + 1, 3);
        m_primaryColor = SWDrawingSupport::colorChoice(m_flags, m_frontColor, m_backColor);
    }
    m_bufferImage = dataSource ? &dataSource->bufferImage() : nullptr;
    keepMainImage(dataSource);
    switch (m_numberOfClicks) {
    case 1:
        m_beginPoint = m_cp1 = pixelUnder(m_savedPoint);
        m_endPoint = m_cp2 = p;
        break;
    case 2:
        m_cp1 = p;
        break;
    case 3:
        m_cp2 = p;
        if (phase == MouseUp) {
            tieUpLooseEnds();
            return;
        }
        break;
    default:
        break;
    }
    addRectToRedrawRect(drawPreview());
}

QRectF SWCurveTool::drawPreview()
{
    if (!m_bufferImage || m_bufferImage->isNull())
        return {};
    m_bufferRecord.clear(*m_bufferImage);
    const QPainterPath curve = pathFromPoint(m_beginPoint, m_endPoint);
    {
        QPainter painter(m_bufferImage);
        painter.setRenderHint(QPainter::Antialiasing, SWDrawingSupport::antialiasByDefault());
        QPen pen(m_primaryColor, m_pathWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10.0);
        painter.strokePath(curve, pen);
    }
    // A mitred cusp may reach a few widths out.
    const double grow = 5 * m_pathWidth + 2;
    m_bufferRecord.add(*m_bufferImage, curve.boundingRect().adjusted(-grow, -grow, grow, grow));
    return curve.boundingRect().adjusted(-m_pathWidth, -m_pathWidth, m_pathWidth, m_pathWidth);
}

QRectF SWCurveTool::draw()
{
    if (m_numberOfClicks <= 0)
        return {};
    return drawPreview();
}

void SWCurveTool::tieUpLooseEnds()
{
    if (m_bufferImage) {
        if (m_mainImage && m_numberOfClicks > 0) {
            if (document())
                document()->handleUndoWithImageData();
            auto write = writeKeptMainImage(m_bufferRecord.compositeArea(*m_bufferImage));
            m_bufferRecord.compositeInto(write.image(), *m_bufferImage);
        }
        m_bufferRecord.clear(*m_bufferImage);
    }
    m_numberOfClicks = 0;
    SWTool::tieUpLooseEnds();
}

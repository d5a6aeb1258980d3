#include "SWBrushTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWToolCursor.h"

#include <QPainter>

#include <cmath>

SWBrushTool::SWBrushTool(KZToolboxController* controller)
    : SWTool(controller)
{
}

QCursor SWBrushTool::cursor()
{
    if (!m_cursor)
        m_cursor = SWToolCursor::cursorNamed(QStringLiteral("pencil-cursor"));
    return *m_cursor;
}

QPainterPath SWBrushTool::pathFromPoint(const QPointF& a, const QPointF& b)
{
    if (!m_hasPath) {
        m_path = QPainterPath();
        m_pathWidth = lineWidth();
        m_hasPath = true;
    }
    const QPointF offset(SWDrawingSupport::strokeOffset(m_pathWidth), SWDrawingSupport::strokeOffset(m_pathWidth));
    const QLineF segment(a + offset, b + offset);
    SWDrawingSupport::appendStrokeSegment(m_path, segment, m_segments.empty());
    m_segments.push_back(segment);
    return m_path;
}

void SWBrushTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    // The pixel under the pointer, wherever in its screen square the
    // pointer is at this zoom level.
    const QPointF q = pixelUnder(p);
    if (phase == MouseDown) {
        m_savedPoint = pixelUnder(m_savedPoint);
        // A stroke cut short by Escape got no mouse-up: it must not come back.
        endStroke();
    }
    addRedrawRectFromPoint(q, m_savedPoint);
    if (phase == MouseDown || phase == MouseDragged) {
        pathFromPoint(m_savedPoint, q);
        m_bufferImage = dataSource ? &dataSource->bufferImage() : nullptr;
        if (m_bufferImage)
            drawStroke(*m_bufferImage, SWDrawingSupport::colorChoice(m_flags, m_frontColor, m_backColor));
        m_savedPoint = q;
        return;
    }
    // A release without a stroke (it was cut short) has nothing to commit.
    if (phase != MouseUp || !m_hasPath)
        return;
    if (document())
        document()->handleUndoWithImageData();
    if (dataSource) {
        QImage& buffer = dataSource->bufferImage();
        auto write = dataSource->writeMainImage(m_drawn.compositeArea(buffer));
        m_drawn.compositeInto(write.image(), buffer);
        m_drawn.clear(buffer);
    }
    endStroke();
}

void SWBrushTool::tieUpLooseEnds()
{
    endStroke();
    SWTool::tieUpLooseEnds();
}

QRectF SWBrushTool::draw()
{
    if (!m_hasPath || !m_bufferImage || m_segments.empty())
        return {};
    // The colour and the width the stroke had.
    m_drawnSegments = 0;
    drawStroke(*m_bufferImage, m_drawnColor.isValid() ? m_drawnColor : m_frontColor);
    return m_drawn.area();
}

void SWBrushTool::endStroke()
{
    m_path = QPainterPath();
    m_hasPath = false;
    m_segments.clear();
    m_drawnSegments = 0;
    m_bufferImage = nullptr;
}

QRectF SWBrushTool::reach(const QLineF& segment) const
{
    // Half the width around the segment, and a pixel more for the
    // anti-aliased rim.
    const double grow = m_pathWidth / 2 + 2;
    return QRectF(segment.p1(), segment.p2()).normalized().adjusted(-grow, -grow, grow, grow);
}

void SWBrushTool::drawStroke(QImage& buffer, const QColor& color)
{
    if (buffer.isNull() || m_segments.empty())
        return;
    const bool antialiased = SWDrawingSupport::antialiasByDefault();
    const bool incremental = m_drawn.holds(buffer) && m_drawnSegments > 0 &&
                             m_drawnSegments + 1 == int(m_segments.size()) && color == m_drawnColor &&
                             antialiased == m_drawnAntialiased;
    if (incremental) {
        const QRect changed = reach(m_segments.back()).toAlignedRect().intersected(buffer.rect());
        if (!changed.isEmpty()) {
            SWImageTools::clearImage(buffer, QRectF(changed));
            drawSegments(buffer, color, antialiased, changed, false);
        }
    } else {
        m_drawn.clear(buffer);
        drawSegments(buffer, color, antialiased, buffer.rect(), true);
    }
    m_drawnSegments = int(m_segments.size());
    m_drawnColor = color;
    m_drawnAntialiased = antialiased;
}

void SWBrushTool::drawSegments(QImage& buffer, const QColor& color, bool antialiased, const QRect& clip,
                               bool everything)
{
    // The segments that reach into the clip, joined into runs as in the
    // whole stroke: a run ends only where a segment stays out, far enough
    // away that its cap and the join it replaces look the same in the clip.
    QPainterPath part;
    QRectF drawn;
    qsizetype previous = -2;
    for (qsizetype i = 0; i < qsizetype(m_segments.size()); ++i) {
        const QLineF& segment = m_segments[size_t(i)];
        const QRectF r = reach(segment);
        if (!everything && !r.intersects(QRectF(clip)))
            continue;
        SWDrawingSupport::appendStrokeSegment(part, segment, previous != i - 1);
        previous = i;
        drawn = drawn.united(r);
    }
    if (part.isEmpty())
        return;
    const QPainterPath outline = SWDrawingSupport::freehandOutline(part, m_pathWidth);
    {
        QPainter painter(&buffer);
        painter.setRenderHint(QPainter::Antialiasing, antialiased);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (!everything)
            painter.setClipRect(clip);
        painter.fillPath(outline, color);
    }
    m_drawn.add(buffer, everything ? drawn : drawn.intersected(QRectF(clip)));
}

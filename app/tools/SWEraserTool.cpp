#include "SWEraserTool.h"

#include "SWDocument.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"
#include "SWToolCursor.h"

#include <QPainter>

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

QRectF SWEraserTool::reach(const QLineF& segment) const
{
    const double grow = m_width / 2 + 2;
    return QRectF(segment.p1(), segment.p2()).normalized().adjusted(-grow, -grow, grow, grow);
}

QRect SWEraserTool::drawStroke(QImage& bitmap, const QRectF& area, bool everything)
{
    if (bitmap.isNull() || m_segments.empty())
        return {};
    const QColor color = SWDrawingSupport::otherColor(m_flags, m_frontColor, m_backColor);
    const bool antialiased = SWDrawingSupport::antialiasByDefault();
    // A change of colour or smoothing applies to the whole stroke, as when
    // it is drawn afresh.
    if (color != m_drawnColor || antialiased != m_drawnAntialiased)
        everything = true;
    QRect clip = bitmap.rect();
    QPainterPath part;
    qsizetype previous = -2;
    QRectF drawn;
    const QRect limit = area.toAlignedRect();
    for (qsizetype i = 0; i < qsizetype(m_segments.size()); ++i) {
        const QLineF& segment = m_segments[size_t(i)];
        const QRectF r = reach(segment);
        if (!everything && !r.intersects(QRectF(limit)))
            continue;
        SWDrawingSupport::appendStrokeSegment(part, segment, previous != i - 1);
        previous = i;
        drawn = drawn.united(r);
    }
    if (!everything)
        clip = clip.intersected(limit);
    else
        clip = clip.intersected(drawn.toAlignedRect());
    if (part.isEmpty() || clip.isEmpty())
        return {};
    QPainter painter(&bitmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setClipRect(clip);
    // Back to the picture of the press, then the stroke once over it.
    if (m_before.size() == bitmap.size())
        painter.drawImage(clip.topLeft(), m_before, clip);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    painter.fillPath(SWDrawingSupport::freehandOutline(part, m_width), color);
    m_drawnColor = color;
    m_drawnAntialiased = antialiased;
    return clip;
}

QRectF SWEraserTool::draw(QImage* bitmap)
{
    if (bitmap && !m_segments.empty())
        drawStroke(*bitmap, QRectF(bitmap->rect()), true);
    return path().boundingRect().adjusted(-m_width, -m_width, m_width, m_width);
}

void SWEraserTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    // The pixel under the pointer at any zoom level.
    const QPointF q = pixelUnder(p);
    QRectF r;
    QImage* main = dataSource ? &dataSource->mainImage() : nullptr;
    const auto drawOnMain = [&](const QRectF& area) {
        if (!dataSource)
            return;
        auto write = dataSource->writeMainImage();
        write.add(drawStroke(write.image(), area, false));
    };
    // The eraser draws nothing there; the buffer is cleared once and then
    // known to stay clear.
    if (dataSource)
        m_bufferRecord.clear(dataSource->bufferImage());
    const QPointF offset(SWDrawingSupport::strokeOffset(m_width), SWDrawingSupport::strokeOffset(m_width));
    switch (phase) {
    case MouseDown: {
        if (document())
            document()->handleUndoWithImageData();
        endStroke();
        m_width = lineWidth();
        m_before = main ? main->copy() : QImage();
        m_drawnColor = QColor();
        const QPointF o(SWDrawingSupport::strokeOffset(m_width), SWDrawingSupport::strokeOffset(m_width));
        const QLineF dot(q + o, q + o);
        SWDrawingSupport::appendStrokeSegment(m_path, dot, true);
        m_segments.push_back(dot);
        m_savedPoint = q;
        if (main)
            drawOnMain(reach(dot));
        r = reach(dot);
        break;
    }
    case MouseDragged: {
        if (m_segments.empty())
            break;
        const QLineF segment(m_segments.back().p2(), q + offset);
        SWDrawingSupport::appendStrokeSegment(m_path, segment, false);
        m_segments.push_back(segment);
        if (main)
            drawOnMain(reach(segment));
        r = reach(segment);
        m_savedPoint = q;
        break;
    }
    case MouseUp:
        // The release point adds nothing; a change of colour still shows.
        if (main && !m_segments.empty())
            drawOnMain(QRectF());
        r = path().boundingRect().adjusted(-m_width, -m_width, m_width, m_width);
        endStroke();
        break;
    default:
        break;
    }
    addRectToRedrawRect(r);
}

void SWEraserTool::tieUpLooseEnds()
{
    endStroke();
    SWTool::tieUpLooseEnds();
}

void SWEraserTool::endStroke()
{
    m_path = QPainterPath();
    m_segments.clear();
    m_before = QImage();
}

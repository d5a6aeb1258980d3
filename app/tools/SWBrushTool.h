#pragma once

#include "SWDrawnArea.h"
#include "SWTool.h"

#include <QColor>
#include <QLineF>
#include <QRect>

#include <optional>
#include <vector>

// The pencil ("Brush"): a free-hand stroke, one polyline through the mouse
// positions with round caps and joins. While the mouse is down the whole
// stroke shows in the buffer image, drawn as one shape, so overlapping parts
// of a translucent colour do not darken each other and the joins between
// mouse moves show no beads; the mouse-up composites it into the picture as
// one undo step.
//
// Every event adds one segment. The buffer then differs from the previous
// event's only near the new segment, so only that area is cleared and drawn
// again, from the segments that reach into it: the same pixels as stroking
// the whole path again, at a cost that does not grow with the stroke.
class SWBrushTool : public SWTool {
public:
    explicit SWBrushTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override;
    QString description() const override { return QStringLiteral("Brush"); }
    // Appends the segment from a to b (both moved onto the pixel grid for
    // the width) to the stroke, which keeps the line width it was started
    // with.
    QPainterPath pathFromPoint(const QPointF& from, const QPointF& to) override;

    // A stroke cut short (Escape, or a command in mid-drag) is dropped: it
    // never reached the picture and must not come back.
    void tieUpLooseEnds() override;
    // Draws the stroke in progress again (after the document cleared the
    // buffer), so that the release still commits all of it.
    QRectF draw() override;

    // The line width the current stroke was started with.
    double pathWidth() const { return m_pathWidth; }

private:
    // Draws the stroke's latest state into the buffer: only the area the
    // newest segment touches when the buffer still holds the previous state.
    void drawStroke(QImage& buffer, const QColor& color);
    void drawSegments(QImage& buffer, const QColor& color, bool antialiased, const QRect& clip, bool everything);
    // The pixels a segment's stroke can touch.
    QRectF reach(const QLineF& segment) const;
    void endStroke();

    std::optional<QCursor> m_cursor;
    bool m_hasPath = false;
    double m_pathWidth = 0.0;
    std::vector<QLineF> m_segments;
    // What the buffer holds of the stroke, and how it was drawn.
    SWDrawnArea m_drawn;
    int m_drawnSegments = 0;
    QColor m_drawnColor;
    bool m_drawnAntialiased = false;
};

#pragma once

#include "SWDrawnArea.h"
#include "SWTool.h"

#include <QColor>
#include <QImage>
#include <QLineF>

#include <optional>
#include <vector>

// The eraser ("Eraser"): paints the back colour (the front colour with
// Option) straight into the picture while the mouse is down, replacing the
// pixels, so a transparent back colour erases to transparency. Its undo step
// is taken at the press, before the first pixel changes.
//
// The stroke is one polyline through the mouse positions, and every pixel it
// touches is drawn once over the picture as it was at the press: drawing the
// whole stroke again over its own anti-aliased rim at every event would make
// the rim, and the joins between moves, darker the longer the drag goes on.
class SWEraserTool : public SWTool {
public:
    explicit SWEraserTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override;
    QString description() const override { return QStringLiteral("Eraser"); }
    QColor drawingColor() const override { return m_backColor; }
    void tieUpLooseEnds() override;

    // Strokes the path into a bitmap over the picture of the press; the
    // area it may have changed.
    QRectF draw(QImage* bitmap);

private:
    // Draws the stroke within an area (or all of it) of the bitmap, over
    // the picture of the press; the rectangle it may have changed.
    QRect drawStroke(QImage& bitmap, const QRectF& area, bool everything);
    QRectF reach(const QLineF& segment) const;
    void endStroke();

    std::optional<QCursor> m_cursor;
    SWDrawnArea m_bufferRecord;
    std::vector<QLineF> m_segments;
    QImage m_before;
    double m_width = 1.0;
    // How the bitmap holds the stroke so far.
    QColor m_drawnColor;
    bool m_drawnAntialiased = false;
};

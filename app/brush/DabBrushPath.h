#pragma once

#include <QPainterPath>
#include <QRectF>

class DabBrushResource;
class QPainter;

// Stroking and filling a whole path with a brush, dab by dab, into whatever
// the painter draws on. The brush paints into a bitmap of its own first,
// which is then laid over the target (source-over).
class DabBrushPath {
public:
    DabBrushPath() = delete;

    // Runs the brush along the flattened path (moves start a new touch, closes
    // return to the last move) and returns the area painted: the path's bounds
    // grown by the brush's reach.
    static QRectF strokeWithDabBrush(const QPainterPath& path, DabBrushResource& brush, QPainter& painter);

    // Covers the path's bounds with horizontal brush strokes, one brush reach
    // apart, and lays them down clipped to the path. Returns the bounds.
    static QRectF fillWithDabBrush(const QPainterPath& path, DabBrushResource& brush, QPainter& painter);
};

#pragma once

#include <QColor>
#include <QLineF>
#include <QPainterPath>
#include <QPointF>

#include <cstdint>

// Small rules the raster tools share: which colour a gesture paints with,
// whether drawing is anti-aliased, how Shift constrains a drag, and strokes
// with round caps.
class SWDrawingSupport {
public:
    SWDrawingSupport() = delete;

    // The "AllowAntialias" setting.
    static bool antialiasByDefault();

    // The front colour, or the back colour when Option is among the flags.
    static QColor colorChoice(uint64_t flags, const QColor& front, const QColor& back);
    // The colour the choice above does not take.
    static QColor otherColor(uint64_t flags, const QColor& front, const QColor& back);

    // The whole part of a value (cut toward zero); 0 for NaN, clamped to a
    // range that stays exact in a double.
    static double wholePart(double v);
    // -1, 0 or +1 by the whole part of d: a movement under one pixel has no
    // direction.
    static double wholeSign(double d);

    enum class Direction { Horizontal, Diagonal, Vertical };
    // The direction a Shift-constrained drag by (dx, dy) snaps to: the angle
    // of the drag in whole degrees, 23 to 67 diagonal, above vertical, below
    // horizontal. No movement at all counts as horizontal.
    static Direction constrainedDirection(double dx, double dy);
    // Where a Shift-constrained drag by (dx, dy) ends, relative to its start:
    // (dx, 0), (0, dy), or an exact diagonal whose sides are the smaller of
    // the whole parts of |dx| and |dy|.
    static QPointF constrainedOffset(double dx, double dy);

    // Appends a line to a point. A line to the current point itself becomes
    // one far shorter than a pixel: stroked with round caps it leaves a dot
    // of the line width, as a click without a drag should, where Qt would
    // drop the line and draw nothing.
    static void lineToLeavingDot(QPainterPath& path, const QPointF& point);
    // The area a stroke with round caps covers, as a path to fill once
    // (non-zero winding).
    static QPainterPath roundStrokeOutline(const QPainterPath& path, double width, Qt::PenJoinStyle join);

    // Free-hand strokes (pencil, eraser) are one outline drawn once: where
    // two mouse moves join there is neither a second layer of anti-aliased
    // rim nor a gap, so the stroke has the same coverage all along.
    //
    // Where a stroke runs on the pixel grid: through pixel centres for an
    // odd width, along pixel edges for an even one, so that a straight
    // stroke at whole-pixel positions covers whole rows or columns.
    static double strokeOffset(double width);
    // Adds one mouse move to a polyline: a run starts with a move to the
    // segment's start (a click leaves a dot); within a run, a move that goes
    // nowhere adds nothing.
    static void appendStrokeSegment(QPainterPath& path, const QLineF& segment, bool startsRun);
    // The area a free-hand stroke covers: round caps, round joins (the look
    // of round-capped pieces, without their overlaps).
    static QPainterPath freehandOutline(const QPainterPath& path, double width);
};

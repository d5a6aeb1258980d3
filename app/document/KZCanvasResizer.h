#pragma once

#include <QCursor>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <array>
#include <optional>

class KZCanvasResizerDelegate;
class KZOverlayView;
class QMouseEvent;
class QPainter;
class QWidget;

// Three knobs just outside the canvas (right edge, bottom edge, bottom-right
// corner) that change the canvas size by dragging. The resizer draws the
// knobs and, while dragging, a dashed outline of the new size on the overlay
// view; the floating HUD beside the mouse shows the size. On release it tells
// its delegate (the document) the new rectangle; it never touches pixels.
//
// Geometry is in overlay coordinates: canvas pixels, y down. Knob sizes are
// divided by the zoom (scaleFactor) so that they keep their size on screen.
class KZCanvasResizer {
public:
    // resizeType values.
    enum ResizeType { None = 0, RightEdge = 1, BottomEdge = 2, BottomRightCorner = 3 };

    // The value that marks a coordinate as unset; a point or rectangle is
    // set only when every value is greater.
    static constexpr double kUnset = -2147483648.0;
    static QRectF unsetRect() { return QRectF(kUnset, kUnset, kUnset, kUnset); }
    static QPointF unsetPoint() { return QPointF(kUnset, kUnset); }
    static bool isValidRect(const QRectF& r);
    static bool isValidPoint(const QPointF& p);

    KZCanvasResizer();
    ~KZCanvasResizer();
    KZCanvasResizer(const KZCanvasResizer&) = delete;
    KZCanvasResizer& operator=(const KZCanvasResizer&) = delete;

    double scaleFactor() const { return m_scaleFactor; }
    void setScaleFactor(double scale) { m_scaleFactor = scale; }
    // Not owned; null for none.
    KZCanvasResizerDelegate* delegate() const { return m_delegate; }
    void setDelegate(KZCanvasResizerDelegate* delegate) { m_delegate = delegate; }

    int resizeType() const { return m_resizeType; }
    QRectF savedCanvasFrame() const { return m_savedCanvasFrame; }
    QPointF dstPoint() const { return m_dstPoint; }

    // Half the knob's side and how far its centre lies outside the edge.
    double knobOffset() const;
    // How far the hit area reaches past the drawn knob.
    double knobExtension() const;

    // The knobs of a canvas frame; extends: the hit area instead of what is
    // drawn.
    QRectF calcBottomMiddleKnobFrameFromRect(const QRectF& frame, bool extends) const;
    QRectF calcBottomRightKnobFrameFromRect(const QRectF& frame, bool extends) const;
    QRectF calcRightMiddleKnobFrameFromRect(const QRectF& frame, bool extends) const;
    // The knob whose hit area holds the point, bottom edge first, then the
    // corner, then the right edge; None for no knob.
    ResizeType knobAtPoint(const QPointF& point, const QRectF& frame) const;
    bool pointInKnobs(const QPointF& point, const QRectF& frame) const;

    // The rectangle the drag describes now, or the unset rectangle.
    QRectF calcDraggingRect() const;

    void renderToContext(QPainter& painter, const QRectF& frame) const;
    void drawKnobToContext(QPainter& painter, const QRectF& knobRect) const;

    // The drag. On mouse-down, frame is the canvas rectangle in overlay
    // coordinates.
    void overlayViewMouseDown(KZOverlayView* view, QMouseEvent* event, const QRectF& frame);
    void overlayViewMouseDragged(KZOverlayView* view, QMouseEvent* event);
    void overlayViewMouseUp(KZOverlayView* view, QMouseEvent* event);

    // The resize cursor for a point over a knob; nothing elsewhere.
    std::optional<QCursor> cursorForPoint(const QPointF& point, const QRectF& frame);
    // Sets that cursor on the view (the overlay); over no knob nothing is set.
    void cursorUpdate(const QPointF& point, const QRectF& frame, QWidget* view);

    // "w x h pixels" of the dragging rectangle, "- x - pixels" without one.
    QString floatingHUDText() const;
    // Puts that text into the floating HUD and moves the HUD beside the mouse.
    void updateFloatingHUDInfo();

private:
    // The event's position in the overlay's coordinates.
    static QPointF locationInView(KZOverlayView* view, const QMouseEvent* event);
    void noteMouse(const QMouseEvent* event);
    void redraw(KZOverlayView* view);
    // "Resize0", "Resize2" and "Resize3" of the cursor images.
    QCursor cursorForKnob(ResizeType type);

    double m_scaleFactor = 1.0;
    int m_resizeType = None;
    QRectF m_savedCanvasFrame = unsetRect();
    QPointF m_dstPoint = unsetPoint();
    KZCanvasResizerDelegate* m_delegate = nullptr; // weak: the document owns the resizer
    // Where the mouse was on the screen at the last event of the drag.
    std::optional<QPointF> m_mouseScreenLocation;
    // Cursors by knob type, made on first use.
    std::array<std::optional<QCursor>, 4> m_cursors;
};

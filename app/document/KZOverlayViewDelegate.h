#pragma once

#include <QRectF>

class KZOverlayView;
class QKeyEvent;
class QMouseEvent;
class QNativeGestureEvent;
class QPainter;

// What the overlay view hands on. Every operation is optional: the default
// does nothing, so an event the delegate does not take is dropped.
class KZOverlayViewDelegate {
public:
    virtual ~KZOverlayViewDelegate() = default;

    // The painter draws in overlay coordinates and is clipped to `dirtyRect`.
    virtual void overlayViewDrawRect(KZOverlayView*, QPainter*, const QRectF& /*dirtyRect*/) {}
    virtual void overlayViewMouseDown(KZOverlayView*, QMouseEvent*) {}
    virtual void overlayViewMouseDragged(KZOverlayView*, QMouseEvent*) {}
    virtual void overlayViewMouseMoved(KZOverlayView*, QMouseEvent*) {}
    virtual void overlayViewMouseUp(KZOverlayView*, QMouseEvent*) {}
    virtual void overlayViewRightMouseDown(KZOverlayView*, QMouseEvent*) {}
    virtual void overlayViewRightMouseDragged(KZOverlayView*, QMouseEvent*) {}
    virtual void overlayViewRightMouseUp(KZOverlayView*, QMouseEvent*) {}
    virtual void overlayViewKeyDown(KZOverlayView*, QKeyEvent*) {}
    virtual void overlayViewKeyUp(KZOverlayView*, QKeyEvent*) {}
    virtual void overlayViewMagnifyWithEvent(KZOverlayView*, QNativeGestureEvent*) {}
    // state: 1 began, 2 changed, 3 ended, 4 cancelled; magnification: the
    // gesture's total change so far (0 = unchanged).
    virtual void overlayViewMagnificationGesture(KZOverlayView*, int /*state*/, double /*magnification*/) {}
    virtual void overlayViewSmartMagnifyWithEvent(KZOverlayView*, QNativeGestureEvent*) {}
};

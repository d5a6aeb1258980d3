#pragma once

#include <QPointF>

class QMouseEvent;

// What builders and editors take from the vector tool: the mouse at canvas
// points. The event may be null when a tool is driven directly.
class KZMouseResponder {
public:
    virtual ~KZMouseResponder() = default;

    virtual bool handleMouseDown(const QPointF& point, QMouseEvent* event) = 0;
    virtual bool handleMouseDragged(const QPointF& point, QMouseEvent* event) = 0;
    virtual bool handleMouseUp(const QPointF& point, QMouseEvent* event) = 0;
    // Optional: a responder that does not follow the hovering mouse keeps
    // this default.
    virtual bool handleMouseMoved(const QPointF&, QMouseEvent*) { return false; }
};

#pragma once

class QEvent;
class QMouseEvent;

namespace platform {

// What a tracking area tells its owner. An owner overrides only what it
// wants; the rest is ignored. The event is null when a call does not come
// from the event stream.
class TrackingAreaOwner {
public:
    virtual ~TrackingAreaOwner() = default;
    virtual void mouseEntered(QEvent* event) { (void)event; }
    virtual void mouseExited(QEvent* event) { (void)event; }
    virtual void mouseMoved(QMouseEvent* event) { (void)event; }
    virtual void cursorUpdate(QEvent* event) { (void)event; }
};

} // namespace platform

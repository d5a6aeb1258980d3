#pragma once

#include <QRectF>

class QWidget;

namespace platform {

// A view whose content has coordinates of its own ("bounds"), scaled and
// shifted against its widget pixels, the way a zoomed canvas is. Subviews
// that live in those coordinates (BoundsSubview) ask it where they are on
// the widget, and are told when the bounds change.
class BoundsView {
public:
    virtual ~BoundsView();

    // A rectangle of the bounds in the view's widget pixels (logical).
    virtual QRectF widgetRectFromBoundsRect(const QRectF& boundsRect) const = 0;
    // Widget pixels per bounds unit.
    virtual double boundsScale() const = 0;

    // Tells the view's bounds subviews that the bounds changed.
    static void boundsDidChange(QWidget* view);
};

// A subview placed in its superview's bounds coordinates.
class BoundsSubview {
public:
    virtual ~BoundsSubview();
    virtual void superviewBoundsDidChange() = 0;
};

} // namespace platform

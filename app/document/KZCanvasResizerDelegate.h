#pragma once

#include <QRectF>

class KZCanvasResizer;

// Told when a drag of one of the canvas resizer's knobs has ended with a
// usable rectangle. The default does nothing, so a delegate that does not
// override it hears nothing.
class KZCanvasResizerDelegate {
public:
    virtual ~KZCanvasResizerDelegate() = default;

    // rect: the new canvas rectangle in overlay coordinates, fractions kept;
    // its width and height are greater than 0.
    virtual void canvasResizerDidResizeTo(KZCanvasResizer* resizer, const QRectF& rect)
    {
        (void)resizer;
        (void)rect;
    }
};

#pragma once

#include "UniformGrayScale.h"
#include "UserColor.h"

#include <QColor>

class QPainter;

// A colour with one value for the light and one for the dark appearance,
// chosen each time it is read, so a control that reads it while painting
// follows an appearance change at its next repaint. Immutable.
class UniformColor {
public:
    explicit UniformColor(const QColor& color);
    UniformColor(const QColor& anyColor, const QColor& darkColor);
    // Opaque greys of the two levels.
    explicit UniformColor(const UniformGrayScale& grayScale);
    explicit UniformColor(const UserColor& color);
    UniformColor(const UserColor& anyColor, const UserColor& darkColor);

    const QColor& anyColor() const { return any; }
    const QColor& darkColor() const { return dark; }

    // darkColor in the dark appearance, else anyColor.
    QColor nsColor() const;
    // The same colour; Qt has one colour type for both uses.
    QColor cgColor() const;

    // Make the current colour the painter's pen and brush colour, its brush
    // (fill) colour or its pen (stroke) colour; the pen keeps its width.
    void set(QPainter& painter) const;
    void setFill(QPainter& painter) const;
    void setStroke(QPainter& painter) const;

private:
    QColor any;
    QColor dark;
};

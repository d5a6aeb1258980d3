#pragma once

#include <QColor>

// Colour equality as the colour group needs it: a colour picked in the
// colour panel must match the swatch it was taken from, whatever form each
// was made in (HSV, CMYK, extended or plain RGB). Both are brought into
// sRGB and compared at 16 bits a channel, alpha included. An invalid colour
// (no colour) equals nothing, not even another invalid one.
class NSColorCompare {
public:
    static bool isEqualToColor(const QColor& color, const QColor& other);
};

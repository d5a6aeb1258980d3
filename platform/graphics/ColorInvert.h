#pragma once

#include <QImage>

namespace platform {

// Colour inversion of a canvas bitmap in place: every pixel is taken back to
// straight colour, red, green and blue become 255 minus themselves, and the
// result is premultiplied again. Alpha is kept, so transparent pixels stay
// transparent and a half-transparent white becomes a half-transparent black.
class ColorInvert {
public:
    ColorInvert() = delete;

    // Images of another format are brought to the canvas format first.
    // False when the image is null or could not be converted.
    static bool invert(QImage& image);

    // The inverted premultiplied sample of premultiplied sample p at alpha a.
    static unsigned char invertedSample(unsigned char p, unsigned char a);
};

} // namespace platform

#pragma once

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace platform {

// Reduces a canvas bitmap to an indexed picture of at most 256 entries, for
// formats with a palette. Pixels whose alpha is below half become one
// transparent entry; every other pixel counts as opaque in its straight
// colour. A picture that has few enough colours keeps them all exactly;
// otherwise a median cut over a 5-bit-per-channel histogram picks the
// palette and each pixel takes the nearest entry.
class ColorQuantizer {
public:
    struct Result {
        std::vector<QRgb> palette;        // opaque colours (alpha 255)
        int transparentIndex = -1;        // palette index of transparency, -1 when none
        std::vector<std::uint8_t> indices; // width x height, row after row
        int width = 0;
        int height = 0;
        bool exact = false;               // every opaque colour kept as it was
    };

    static constexpr int AlphaThreshold = 128;

    // maxColors between 2 and 256, counting the transparent entry.
    // An empty result (no indices) for a null image.
    static Result quantize(const QImage& canvas, int maxColors = 256);
};

} // namespace platform

#include "ColorInvert.h"

#include "CanvasBitmap.h"

#include <array>
#include <cstdint>

namespace platform {

namespace {

// One lookup per sample: row a of the table maps a premultiplied sample at
// alpha a to its inverted premultiplied sample.
struct InvertTable {
    std::array<std::uint8_t, 256 * 256> values{};
    InvertTable()
    {
        for (int a = 0; a < 256; ++a) {
            for (int p = 0; p < 256; ++p) {
                int straight = 0;
                if (a > 0) {
                    straight = (p * 255 + a / 2) / a;
                    if (straight > 255)
                        straight = 255; // a sample above its alpha: not a valid premultiplied value
                }
                const int inverted = 255 - straight;
                values[std::size_t(a) * 256 + std::size_t(p)] = std::uint8_t((inverted * a + 127) / 255);
            }
        }
    }
};

const InvertTable& table()
{
    static const InvertTable instance;
    return instance;
}

} // namespace

unsigned char ColorInvert::invertedSample(unsigned char p, unsigned char a)
{
    return table().values[std::size_t(a) * 256 + p];
}

bool ColorInvert::invert(QImage& image)
{
    if (!CanvasBitmap::convert(image))
        return false;
    const std::uint8_t* lut = table().values.data();
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* px = image.scanLine(y);
        std::uint8_t* const end = px + std::size_t(width) * 4;
        for (; px != end; px += 4) {
            const std::uint8_t* row = lut + std::size_t(px[3]) * 256;
            px[0] = row[px[0]];
            px[1] = row[px[1]];
            px[2] = row[px[2]];
        }
    }
    return true;
}

} // namespace platform

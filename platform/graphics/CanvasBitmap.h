#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <cstdint>
#include <cstring>

namespace platform {

// The one pixel format of every picture-sized image of the program: top-down
// rows, bytes R, G, B, A in memory, colour premultiplied by alpha.
// Pixel loops read a canvas pixel as one 32-bit word in memory order; the
// helpers below pack and unpack such words so no loop needs to know the
// machine's byte order.
class CanvasBitmap {
public:
    CanvasBitmap() = delete;

    static constexpr QImage::Format Format = QImage::Format_RGBA8888_Premultiplied;

    // A transparent canvas bitmap. Null when a side is 0 or negative, or when
    // the memory cannot be had: callers must check isNull().
    // Large bitmaps take their memory straight from the system in huge pages
    // where it offers them: a picture-sized bitmap then costs a fraction of
    // the page faults, which otherwise cost more than filling it.
    static QImage make(int width, int height);
    static QImage make(QSize size) { return make(size.width(), size.height()); }
    // A canvas bitmap with the same pixels, not shared with the source (any
    // format is converted). Null when the memory cannot be had.
    static QImage copy(const QImage& image);

    // Makes every pixel transparent. A large bitmap of make() gives its
    // memory back instead of being written: its pages read as zero again
    // and cost nothing until drawn on. False when image is not a canvas
    // bitmap.
    static bool clear(QImage& image);

    // Whether image is a large bitmap of make() that nothing has opened for
    // writing (non-const bits(), scanLine(), a painter, ...) since it was
    // made or last cleared: all its pixels are transparent then, known
    // without reading them. Reading a page never written makes it resident
    // all the same on some systems, so an untouched bitmap is best left
    // unread. False when that cannot be told.
    static bool isKnownClear(const QImage& image);

    static bool isCanvas(const QImage& image) { return !image.isNull() && image.format() == Format; }

    // Brings any image to the canvas format, in place when the depth allows.
    // False when the conversion ran out of memory (the image is then null).
    static bool convert(QImage& image);

    // Memory word of a pixel from its bytes, and back.
    static inline std::uint32_t pack(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
    {
        const std::uint8_t bytes[4] = {r, g, b, a};
        std::uint32_t word;
        std::memcpy(&word, bytes, 4);
        return word;
    }
    static inline void unpack(std::uint32_t word, std::uint8_t out[4]) { std::memcpy(out, &word, 4); }

    // The canvas word of a colour: 8-bit components, premultiplied the way
    // QImage premultiplies them.
    static std::uint32_t premultipliedPixel(const QColor& color);
    // The colour a canvas word stands for (unpremultiplied; a fully
    // transparent pixel gives transparent black).
    static QColor colorOfPixel(std::uint32_t word);

    // Resolution: a point is 1/72 inch. A pixels-per-point ratio of 2 is
    // 144 dots per inch, about 5669 dots per metre.
    static double pixelPerPointFromDotsPerMeter(double dotsPerMeter);
    static int dotsPerMeterFromPixelPerPoint(double pixelPerPoint);
};

} // namespace platform

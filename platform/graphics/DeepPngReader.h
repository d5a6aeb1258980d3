#pragma once

#include <QImage>
#include <QString>

#include <cstdint>

class QIODevice;

namespace platform {

// Reads PNG pictures of 16 bits a sample row by row, straight into a canvas
// bitmap: only one row of 16-bit samples is held at a time, so opening one
// costs the canvas and little more, where a whole 64-bit picture beside the
// canvas would cost three times as much.
// Every row is brought to the canvas exactly as the whole picture would
// be: premultiplied with 16-bit precision, then rounded to 8 bits.
// The data is untrusted: any damage the decoder meets fails the read.
class DeepPngReader {
public:
    DeepPngReader() = delete;

    enum class Failure { None, Damaged, NoMemory, TooLarge };

    // Whether the PNG at the start of source is one this reader takes
    // (16 bits a sample, not interlaced). Reads nothing past the header and
    // leaves source where it was.
    static bool takes(QIODevice* source);

    // Decodes the PNG at the start of source, whole or not at all: on
    // failure the image is null, failure says why and detail gives the
    // decoder's own words. maximumPixels bounds the picture's area, checked
    // before any pixel memory is taken.
    static QImage read(QIODevice* source, std::int64_t maximumPixels, Failure* failure, QString* detail);

    // One row of samples in memory order R, G, B, A (host byte order, not
    // premultiplied) to canvas words.
    static void toCanvasRow(const std::uint16_t* samples, int width, std::uint32_t* canvas);
};

} // namespace platform

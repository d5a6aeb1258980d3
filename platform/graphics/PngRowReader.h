#pragma once

#include <QImage>
#include <QString>

#include <cstdint>

class QIODevice;

namespace platform {

// Reads PNG pictures row by row straight into a canvas bitmap: 8-bit rows
// are decoded in the canvas's own memory, and 16-bit ones one row of samples
// at a time, so that opening a picture costs the canvas and little more
// (a whole 64-bit picture beside the canvas would cost three times as much).
// The file is read in large pieces, not in the decoder's small ones.
// The pixels are exactly those of the whole-picture conversion to the
// canvas format: 8-bit samples premultiplied as the canvas premultiplies,
// 16-bit ones premultiplied with 16-bit precision, then rounded to 8 bits.
// Colour profiles and gamma are not applied, as elsewhere in the program.
// The data is untrusted: any damage the decoder meets fails the read.
class PngRowReader {
public:
    PngRowReader() = delete;

    enum class Failure { None, Damaged, NoMemory, TooLarge };

    // Whether the PNG at the start of source is one this reader takes (any
    // but an interlaced one of 16 bits a sample, whose passes would need a
    // whole 64-bit picture). Reads nothing past the header and leaves
    // source where it was.
    static bool takes(QIODevice* source);

    // Decodes the PNG at the start of source, whole or not at all: on
    // failure the image is null, failure says why and detail gives the
    // decoder's own words. maximumPixels bounds the picture's area, checked
    // before any pixel memory is taken.
    static QImage read(QIODevice* source, std::int64_t maximumPixels, Failure* failure, QString* detail);

    // One row of 16-bit samples in memory order R, G, B, A (host byte order,
    // not premultiplied) to canvas words.
    static void toCanvasRow(const std::uint16_t* samples, int width, std::uint32_t* canvas);
    // One row of 8-bit R, G, B, A bytes, not premultiplied, premultiplied
    // in place.
    static void premultiplyRow(std::uint32_t* row, int width);
};

} // namespace platform

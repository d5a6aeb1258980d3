#include "PngRowReader.h"

#include "CanvasBitmap.h"

#include <QIODevice>
#include <QRgb>
#include <QtEndian>

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace platform {

namespace {

constexpr char kSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
// Signature, the header chunk's length and type, width, height, then bit
// depth, colour type, compression, filter and interlace, one byte each.
constexpr int kHeaderBytes = 8 + 8 + 13;
constexpr int kDepthAt = 24;
constexpr int kInterlaceAt = 28;

// What the decoder reads from, and what it said when it gave up. Plain
// data only: the decoder's errors jump over the frames that use it.
struct Input {
    QIODevice* device;
    unsigned char* buffer;
    std::size_t capacity;
    std::size_t begin;
    std::size_t end;
    char message[128];
};

[[noreturn]] void stopDecoding(png_structp png, png_const_charp message)
{
    auto* input = static_cast<Input*>(png_get_error_ptr(png));
    std::strncpy(input->message, message ? message : "", sizeof input->message - 1);
    input->message[sizeof input->message - 1] = '\0';
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// The file is read in large pieces: the decoder asks for a few bytes or a
// few kilobytes at a time.
void readInput(png_structp png, png_bytep data, std::size_t length)
{
    auto* input = static_cast<Input*>(png_get_io_ptr(png));
    while (length > 0) {
        if (input->begin == input->end) {
            const qint64 got = input->device->read(reinterpret_cast<char*>(input->buffer), qint64(input->capacity));
            if (got <= 0)
                png_error(png, "the data ends early or cannot be read");
            input->begin = 0;
            input->end = std::size_t(got);
        }
        const std::size_t piece = std::min(length, input->end - input->begin);
        std::memcpy(data, input->buffer + input->begin, piece);
        input->begin += piece;
        data += piece;
        length -= piece;
    }
}

struct Layout {
    png_uint_32 width;
    png_uint_32 height;
    bool deep;   // 16 bits a sample, read through a row of samples
    bool alpha;  // some pixels may be transparent: premultiply
    int passes;  // 1, or 7 for an interlaced picture
};

// Reads the header and asks for rows of R, G, B, A (16-bit samples in host
// order for a 16-bit picture), whatever the colour type.
// No object with a destructor may live in this frame: errors jump back here.
bool readLayout(png_structp png, png_infop info, Layout* layout)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    int depth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &layout->width, &layout->height, &depth, &colorType, &interlace, nullptr, nullptr);
    layout->deep = depth == 16;
    if (layout->deep && interlace != PNG_INTERLACE_NONE)
        png_error(png, "an interlaced picture of 16 bits a sample");
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    const bool transparentColor = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    layout->alpha = transparentColor || (colorType & PNG_COLOR_MASK_ALPHA);
    if (transparentColor)
        png_set_tRNS_to_alpha(png);
    else if (!(colorType & PNG_COLOR_MASK_ALPHA))
        png_set_filler(png, layout->deep ? 0xffff : 0xff, PNG_FILLER_AFTER);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    if (layout->deep)
        png_set_swap(png);
#endif
    layout->passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(layout->width) * (layout->deep ? 8 : 4))
        png_error(png, "unexpected row layout");
    return true;
}

// Decodes every row into the canvas, then reads to the end of the file so
// that damage after the last row fails the read too. 8-bit rows are decoded
// in place (the passes of an interlaced picture fill them in turn), 16-bit
// ones through samples. Same rule as above.
bool readRows(png_structp png, png_infop info, const Layout& layout, std::uint16_t* samples, uchar* canvas,
              qsizetype bytesPerLine)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (int pass = 0; pass < layout.passes; ++pass) {
        for (png_uint_32 y = 0; y < layout.height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(canvas + qsizetype(y) * bytesPerLine);
            if (layout.deep) {
                png_read_row(png, reinterpret_cast<png_bytep>(samples), nullptr);
                PngRowReader::toCanvasRow(samples, int(layout.width), row);
            } else {
                png_read_row(png, reinterpret_cast<png_bytep>(row), nullptr);
            }
        }
    }
    png_read_end(png, info);
    return true;
}

class Decoder {
public:
    explicit Decoder(Input* input)
    {
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, input, stopDecoding, ignoreWarning);
        if (m_png)
            m_info = png_create_info_struct(m_png);
        if (m_info)
            png_set_read_fn(m_png, input, readInput);
    }
    ~Decoder() { png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    bool ok() const { return m_info != nullptr; }
    png_structp png() const { return m_png; }
    png_infop info() const { return m_info; }

private:
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

// The rounding of a 16-bit sample to 8 bits that the program's image
// conversions use, so that a picture read row by row has the very bytes it
// had when it was converted whole.
inline std::uint32_t to8Bits(std::uint32_t sample)
{
    const std::uint32_t t = sample + 0x80;
    return (t - (t >> 8)) >> 8;
}

// sample x alpha / 65535, rounded as the whole-picture conversion does.
inline std::uint32_t premultiplied(std::uint32_t sample, std::uint32_t alpha)
{
    const std::uint32_t p = sample * alpha;
    return (p + (p >> 16) + 0x8000) >> 16;
}

} // namespace

bool PngRowReader::takes(QIODevice* source)
{
    const QByteArray head = source->peek(kHeaderBytes);
    return head.size() == kHeaderBytes && std::memcmp(head.constData(), kSignature, 8) == 0 &&
           std::memcmp(head.constData() + 12, "IHDR", 4) == 0 && (head[kDepthAt] != 16 || head[kInterlaceAt] == 0);
}

QImage PngRowReader::read(QIODevice* source, std::int64_t maximumPixels, Failure* failure, QString* detail)
{
    *failure = Failure::Damaged;
    constexpr std::size_t kPiece = 256 * 1024;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kPiece]);
    if (!buffer) {
        *failure = Failure::NoMemory;
        return {};
    }
    Input input{source, buffer.get(), kPiece, 0, 0, {}};
    Decoder decoder(&input);
    if (!decoder.ok()) {
        *failure = Failure::NoMemory;
        return {};
    }
    Layout layout{};
    if (!readLayout(decoder.png(), decoder.info(), &layout)) {
        *detail = QString::fromLatin1(input.message);
        return {};
    }
    if (layout.width == 0 || layout.height == 0 ||
        std::int64_t(layout.width) * std::int64_t(layout.height) > maximumPixels) {
        *failure = Failure::TooLarge;
        return {};
    }
    QImage canvas = CanvasBitmap::make(int(layout.width), int(layout.height));
    std::vector<std::uint16_t> samples;
    try {
        if (layout.deep)
            samples.resize(std::size_t(layout.width) * 4);
    } catch (const std::bad_alloc&) {
        canvas = QImage();
    }
    if (canvas.isNull()) {
        *failure = Failure::NoMemory;
        return {};
    }
    if (!readRows(decoder.png(), decoder.info(), layout, samples.data(), canvas.bits(), canvas.bytesPerLine())) {
        *detail = QString::fromLatin1(input.message);
        return {};
    }
    if (!layout.deep && layout.alpha) {
        for (int y = 0; y < canvas.height(); ++y)
            premultiplyRow(reinterpret_cast<std::uint32_t*>(canvas.scanLine(y)), canvas.width());
    }
    *failure = Failure::None;
    return canvas;
}

void PngRowReader::premultiplyRow(std::uint32_t* row, int width)
{
    for (int x = 0; x < width; ++x) {
        std::uint8_t b[4];
        CanvasBitmap::unpack(row[x], b);
        if (b[3] == 255)
            continue;
        const QRgb c = qPremultiply(qRgba(b[0], b[1], b[2], b[3]));
        row[x] = CanvasBitmap::pack(std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c)), b[3]);
    }
}

void PngRowReader::toCanvasRow(const std::uint16_t* samples, int width, std::uint32_t* canvas)
{
    for (int x = 0; x < width; ++x, samples += 4) {
        const std::uint32_t a = samples[3];
        std::uint32_t r = samples[0];
        std::uint32_t g = samples[1];
        std::uint32_t b = samples[2];
        if (a == 0) {
            r = g = b = 0;
        } else if (a != 0xffff) {
            r = premultiplied(r, a);
            g = premultiplied(g, a);
            b = premultiplied(b, a);
        }
        canvas[x] = CanvasBitmap::pack(std::uint8_t(to8Bits(r)), std::uint8_t(to8Bits(g)), std::uint8_t(to8Bits(b)),
                                       std::uint8_t(to8Bits(a)));
    }
}

} // namespace platform

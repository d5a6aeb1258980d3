#include "ImageFileInspector.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

namespace platform {

namespace {

constexpr double CentimetersPerMeter = 100.0;
constexpr double InchesPerMeter = 1.0 / 0.0254;

// Bounds-checked reads; every accessor answers false/0 past the end.
class Bytes {
public:
    explicit Bytes(QByteArrayView data)
        : m_data(reinterpret_cast<const std::uint8_t*>(data.data()))
        , m_size(std::uint64_t(data.size()))
    {
    }
    std::uint64_t size() const { return m_size; }
    bool has(std::uint64_t offset, std::uint64_t count) const { return offset <= m_size && count <= m_size - offset; }
    std::uint8_t u8(std::uint64_t o) const { return has(o, 1) ? m_data[o] : 0; }
    std::uint32_t be16(std::uint64_t o) const { return has(o, 2) ? (std::uint32_t(m_data[o]) << 8) | m_data[o + 1] : 0; }
    std::uint32_t le16(std::uint64_t o) const { return has(o, 2) ? (std::uint32_t(m_data[o + 1]) << 8) | m_data[o] : 0; }
    std::uint32_t be32(std::uint64_t o) const
    {
        return has(o, 4) ? (std::uint32_t(m_data[o]) << 24) | (std::uint32_t(m_data[o + 1]) << 16)
                               | (std::uint32_t(m_data[o + 2]) << 8) | m_data[o + 3]
                         : 0;
    }
    std::uint32_t le32(std::uint64_t o) const
    {
        return has(o, 4) ? (std::uint32_t(m_data[o + 3]) << 24) | (std::uint32_t(m_data[o + 2]) << 16)
                               | (std::uint32_t(m_data[o + 1]) << 8) | m_data[o]
                         : 0;
    }
    bool startsWith(std::uint64_t o, const char* text, std::uint64_t n) const
    {
        return has(o, n) && std::memcmp(m_data + o, text, n) == 0;
    }
    Bytes slice(std::uint64_t offset, std::uint64_t count) const
    {
        if (!has(offset, count))
            return Bytes(QByteArrayView());
        return Bytes(QByteArrayView(reinterpret_cast<const char*>(m_data + offset), qsizetype(count)));
    }

private:
    const std::uint8_t* m_data;
    std::uint64_t m_size;
};

// The same reads from an open file, a few bytes at a time: walking a PNG's
// chunks touches a little of every part of the file, and in a mapping
// each touch would make a large block of the file resident. The bytes
// around the last read are kept, since reads come in small clusters.
class FileBytes {
public:
    FileBytes(const std::function<qint64(std::uint64_t, char*, qint64)>& read, std::uint64_t size)
        : m_read(read), m_size(size)
    {
    }
    // A file that fails to read ends there: the walk stops.
    bool has(std::uint64_t offset, std::uint64_t count) const
    {
        return !m_failed && offset <= m_size && count <= m_size - offset;
    }
    std::uint8_t u8(std::uint64_t o) const
    {
        const std::uint8_t* p = at(o, 1);
        return p ? p[0] : 0;
    }
    std::uint32_t be32(std::uint64_t o) const
    {
        const std::uint8_t* p = at(o, 4);
        return p ? (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3] : 0;
    }
    bool startsWith(std::uint64_t o, const char* text, std::uint64_t n) const
    {
        const std::uint8_t* p = at(o, n);
        return p && std::memcmp(p, text, n) == 0;
    }

private:
    // count bytes at o, or null past the end or when the file cannot be read.
    const std::uint8_t* at(std::uint64_t o, std::uint64_t count) const
    {
        if (!has(o, count) || count > sizeof m_window)
            return nullptr;
        if (o < m_start || o + count > m_start + m_length) {
            const qint64 got = m_read(o, reinterpret_cast<char*>(m_window), qint64(sizeof m_window));
            m_start = o;
            m_length = got > 0 ? std::uint64_t(got) : 0;
            if (count > m_length) {
                m_failed = true;
                return nullptr;
            }
        }
        return m_window + (o - m_start);
    }
    const std::function<qint64(std::uint64_t, char*, qint64)>& m_read;
    std::uint64_t m_size;
    mutable std::uint8_t m_window[64];
    mutable std::uint64_t m_start = 0;
    mutable std::uint64_t m_length = 0;
    mutable bool m_failed = false;
};

// ---- TIFF (also the body of an EXIF block) ----

struct TiffFacts {
    bool valid = false;
    bool complete = true;
    std::optional<QPointF> dotsPerMeter;
};

class TiffReader {
public:
    explicit TiffReader(const Bytes& bytes)
        : b(bytes)
    {
    }

    TiffFacts read(bool checkStrips)
    {
        TiffFacts facts;
        if (b.startsWith(0, "II", 2))
            little = true;
        else if (b.startsWith(0, "MM", 2))
            little = false;
        else
            return facts;
        if (u16(2) != 42)
            return facts; // BigTIFF and others: nothing we can say
        facts.valid = true;
        const std::uint64_t ifd = u32(4);
        if (!b.has(ifd, 2)) {
            facts.complete = false;
            return facts;
        }
        const std::uint32_t count = u16(ifd);
        if (!b.has(ifd + 2, std::uint64_t(count) * 12)) {
            facts.complete = false;
            return facts;
        }
        double xres = 0, yres = 0;
        std::uint32_t unit = 2; // inches unless told otherwise
        Entry offsets, counts;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t e = ifd + 2 + std::uint64_t(i) * 12;
            Entry entry{u16(e + 2), u32(e + 4), e + 8};
            switch (u16(e)) {
            case 282:
                xres = rational(entry);
                break;
            case 283:
                yres = rational(entry);
                break;
            case 296:
                unit = entry.type == 3 ? u16(entry.valueAt) : u32(entry.valueAt);
                break;
            case 273: // strip offsets
            case 324: // tile offsets
                offsets = entry;
                break;
            case 279: // strip byte counts
            case 325: // tile byte counts
                counts = entry;
                break;
            default:
                break;
            }
        }
        if (xres > 0 && yres > 0 && (unit == 2 || unit == 3)) {
            const double perMeter = unit == 2 ? InchesPerMeter : CentimetersPerMeter;
            facts.dotsPerMeter = QPointF(xres * perMeter, yres * perMeter);
        }
        if (checkStrips && offsets.count > 0 && offsets.count == counts.count)
            facts.complete = stripsFit(offsets, counts);
        return facts;
    }

private:
    struct Entry {
        std::uint32_t type = 0;
        std::uint32_t count = 0;
        std::uint64_t valueAt = 0; // where the value or its offset lies
    };

    std::uint32_t u16(std::uint64_t o) const { return little ? b.le16(o) : b.be16(o); }
    std::uint32_t u32(std::uint64_t o) const { return little ? b.le32(o) : b.be32(o); }

    double rational(const Entry& e) const
    {
        if (e.type != 5 || e.count < 1)
            return 0;
        const std::uint64_t at = u32(e.valueAt);
        const std::uint32_t den = u32(at + 4);
        if (!b.has(at, 8) || den == 0)
            return 0;
        return double(u32(at)) / double(den);
    }

    // The n-th value of a SHORT or LONG array, in place or behind an offset.
    bool arrayValue(const Entry& e, std::uint32_t n, std::uint64_t& out) const
    {
        const std::uint64_t size = e.type == 3 ? 2 : e.type == 4 ? 4 : 0;
        if (size == 0)
            return false;
        const std::uint64_t total = size * e.count;
        const std::uint64_t base = total <= 4 ? e.valueAt : u32(e.valueAt);
        const std::uint64_t at = base + size * n;
        if (!b.has(at, size))
            return false;
        out = size == 2 ? u16(at) : u32(at);
        return true;
    }

    bool stripsFit(const Entry& offsets, const Entry& counts) const
    {
        for (std::uint32_t i = 0; i < offsets.count; ++i) {
            std::uint64_t offset = 0, length = 0;
            if (!arrayValue(offsets, i, offset) || !arrayValue(counts, i, length))
                return false;
            if (!b.has(offset, length))
                return false;
        }
        return true;
    }

    const Bytes& b;
    bool little = true;
};

// ---- PNG ----

// Whether every chunk up to the end chunk lies whole in the file. A chunk
// that declares more than the file holds would make the decoder allocate
// what it declares (gigabytes from a few hundred bytes) before it finds the
// data missing. Bytes after the end chunk do not count.
template<typename Source>
bool pngChunksFit(const Source& b, const char* endChunk)
{
    std::uint64_t at = 8;
    while (b.has(at, 8)) {
        const std::uint64_t length = b.be32(at);
        if (length > 0x7FFFFFFFu || !b.has(at, 12 + length))
            return false;
        if (b.startsWith(at + 4, endChunk, 4))
            return true;
        at += 12 + length;
    }
    // Cut short between chunks: the decoder finds that out by itself, at
    // no cost.
    return true;
}

template<typename Source>
ImageFileInspector::Result inspectPng(const Source& b)
{
    ImageFileInspector::Result r;
    r.kind = ImageFileInspector::Kind::Png;
    r.complete = pngChunksFit(b, "IEND");
    // The resolution comes before the image data.
    std::uint64_t at = 8;
    while (b.has(at, 8)) {
        const std::uint64_t length = b.be32(at);
        if (b.startsWith(at + 4, "IDAT", 4) || b.startsWith(at + 4, "IEND", 4))
            break;
        if (b.startsWith(at + 4, "pHYs", 4) && length >= 9 && b.has(at + 8, 9)) {
            const std::uint32_t x = b.be32(at + 8);
            const std::uint32_t y = b.be32(at + 12);
            if (b.u8(at + 16) == 1 && x > 0 && y > 0)
                r.dotsPerMeter = QPointF(x, y);
            break;
        }
        at += 12 + length;
    }
    return r;
}

// ---- MNG ----

ImageFileInspector::Result inspectMng(const Bytes& b)
{
    ImageFileInspector::Result r;
    r.kind = ImageFileInspector::Kind::Mng;
    r.complete = pngChunksFit(b, "MEND");
    // The frame (MHDR) and every embedded picture (IHDR, JHDR, BASI) start
    // with their width and height; the decoder allocates for the largest.
    std::uint64_t at = 8;
    std::uint32_t width = 0, height = 0;
    while (b.has(at, 16)) {
        const std::uint64_t length = b.be32(at);
        if (b.startsWith(at + 4, "MHDR", 4) || b.startsWith(at + 4, "IHDR", 4) || b.startsWith(at + 4, "JHDR", 4)
            || b.startsWith(at + 4, "BASI", 4)) {
            width = std::max(width, b.be32(at + 8));
            height = std::max(height, b.be32(at + 12));
        }
        if (b.startsWith(at + 4, "MEND", 4))
            break;
        at += 12 + length;
    }
    if (width > 0 || height > 0)
        r.declaredSize = QSize(int(std::min<std::uint32_t>(width, INT32_MAX)), int(std::min<std::uint32_t>(height, INT32_MAX)));
    return r;
}

// ---- JPEG ----

ImageFileInspector::Result inspectJpeg(const Bytes& b)
{
    ImageFileInspector::Result r;
    r.kind = ImageFileInspector::Kind::Jpeg;
    r.complete = false; // until the end-of-image marker is seen
    std::optional<QPointF> jfif, exif;
    std::uint64_t at = 2;
    while (b.has(at, 2)) {
        if (b.u8(at) != 0xFF) {
            ++at; // stray byte between segments: decoders skip it too
            continue;
        }
        const std::uint8_t marker = b.u8(at + 1);
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        at += 2;
        if (marker == 0xD9) {
            r.complete = true;
            break;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0xD8)
            continue; // markers without a length
        const std::uint64_t length = b.be16(at);
        if (length < 2 || !b.has(at, length))
            break;
        if (marker == 0xE0 && b.startsWith(at + 2, "JFIF\0", 5) && length >= 16) {
            const std::uint8_t units = b.u8(at + 9);
            const std::uint32_t x = b.be16(at + 10);
            const std::uint32_t y = b.be16(at + 12);
            if ((units == 1 || units == 2) && x > 0 && y > 0) {
                const double perMeter = units == 1 ? InchesPerMeter : CentimetersPerMeter;
                jfif = QPointF(x * perMeter, y * perMeter);
            }
        } else if (marker == 0xE1 && b.startsWith(at + 2, "Exif\0\0", 6) && length > 8) {
            const Bytes body = b.slice(at + 8, length - 8);
            exif = TiffReader(body).read(false).dotsPerMeter;
        }
        at += length;
        if (marker == 0xDA) {
            // Entropy-coded data runs to the next marker that is neither a
            // stuffed zero nor a restart marker.
            while (b.has(at, 2)) {
                if (b.u8(at) == 0xFF) {
                    const std::uint8_t next = b.u8(at + 1);
                    if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
                        break;
                    at += next == 0xFF ? 1 : 2;
                } else {
                    ++at;
                }
            }
        }
    }
    r.dotsPerMeter = jfif ? jfif : exif;
    return r;
}

// ---- GIF ----

// Skips a chain of data sub-blocks; false when a block runs past the end.
// Counts the data bytes on the way.
bool skipSubBlocks(const Bytes& b, std::uint64_t& at, std::uint64_t* dataBytes = nullptr)
{
    while (b.has(at, 1)) {
        const std::uint8_t n = b.u8(at);
        if (n == 0) {
            ++at;
            return true;
        }
        if (dataBytes)
            *dataBytes += n;
        at += 1 + std::uint64_t(n);
    }
    return false;
}

// The most pixels a picture's compressed data can give: every code takes at
// least one bit more than the minimum code size, and none stands for more
// than the code table's 4096 entries. Data too short to fill its picture is
// cut short, however its blocks end.
std::uint64_t mostGifPixels(std::uint64_t dataBytes, std::uint8_t minimumCodeSize)
{
    const std::uint64_t bitsPerCode = std::uint64_t(std::clamp<int>(minimumCodeSize, 1, 11)) + 1;
    return (dataBytes * 8 / bitsPerCode + 1) * 4096;
}

ImageFileInspector::Result inspectGif(const Bytes& b)
{
    ImageFileInspector::Result r;
    r.kind = ImageFileInspector::Kind::Gif;
    r.complete = false; // until the first picture's data is whole
    // The reader allocates the whole logical screen, whatever size the
    // picture on it reports.
    std::uint32_t width = b.le16(6);
    std::uint32_t height = b.le16(8);
    r.declaredSize = QSize(int(width), int(height));
    std::uint64_t at = 13;
    const std::uint8_t screenFlags = b.u8(10);
    if (screenFlags & 0x80)
        at += 3ull << ((screenFlags & 7) + 1);
    while (b.has(at, 1)) {
        const std::uint8_t block = b.u8(at++);
        if (block == 0x21) {
            ++at; // label
            if (!skipSubBlocks(b, at))
                return r;
        } else if (block == 0x2C) {
            if (!b.has(at, 9))
                return r;
            const std::uint32_t left = b.le16(at);
            const std::uint32_t top = b.le16(at + 2);
            const std::uint32_t pictureWidth = b.le16(at + 4);
            const std::uint32_t pictureHeight = b.le16(at + 6);
            width = std::max(width, left + pictureWidth);
            height = std::max(height, top + pictureHeight);
            r.declaredSize = QSize(int(width), int(height));
            const std::uint8_t flags = b.u8(at + 8);
            at += 9;
            if (flags & 0x80)
                at += 3ull << ((flags & 7) + 1);
            const std::uint8_t minimumCodeSize = b.u8(at);
            ++at;
            std::uint64_t dataBytes = 0;
            r.complete = skipSubBlocks(b, at, &dataBytes)
                         && std::uint64_t(pictureWidth) * pictureHeight <= mostGifPixels(dataBytes, minimumCodeSize);
            return r;
        } else {
            return r; // trailer before any picture, or garbage
        }
    }
    return r;
}

// ---- BMP ----

ImageFileInspector::Result inspectBmp(const Bytes& b)
{
    ImageFileInspector::Result r;
    r.kind = ImageFileInspector::Kind::Bmp;
    const std::uint64_t pixelsAt = b.le32(10);
    const std::uint32_t headerSize = b.le32(14);
    std::int64_t width = 0, height = 0;
    std::uint32_t bpp = 0, compression = 0, imageSize = 0;
    if (headerSize == 12) {
        width = b.le16(18);
        height = b.le16(20);
        bpp = b.le16(24);
    } else if (headerSize >= 40) {
        width = std::int32_t(b.le32(18));
        height = std::int32_t(b.le32(22));
        bpp = b.le16(28);
        compression = b.le32(30);
        imageSize = b.le32(34);
        const std::int32_t xppm = std::int32_t(b.le32(38));
        const std::int32_t yppm = std::int32_t(b.le32(42));
        if (xppm > 0 && yppm > 0)
            r.dotsPerMeter = QPointF(xppm, yppm);
    } else {
        return r; // unknown header: the decoder decides
    }
    if (!b.has(0, 14 + std::uint64_t(headerSize))) {
        r.complete = false;
        return r;
    }
    if (height < 0)
        height = -height;
    if (width <= 0 || height <= 0)
        return r;
    std::uint64_t needed = 0;
    if (compression == 0 || compression == 3 || compression == 6) { // plain rows
        const std::uint64_t stride = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
        if (stride != 0 && std::uint64_t(height) > UINT64_MAX / stride)
            needed = UINT64_MAX; // no file holds that much
        else
            needed = stride * std::uint64_t(height);
    } else {
        needed = imageSize; // run-length and embedded data: the header's own count
    }
    r.complete = b.has(pixelsAt, needed);
    return r;
}

} // namespace

std::optional<ImageFileInspector::Result> ImageFileInspector::inspectPngFile(
    const std::function<qint64(std::uint64_t, char*, qint64)>& read, std::uint64_t size)
{
    const FileBytes b(read, size);
    if (!b.startsWith(0, "\x89PNG\r\n\x1a\n", 8))
        return std::nullopt;
    return inspectPng(b);
}

ImageFileInspector::Result ImageFileInspector::inspect(QByteArrayView data)
{
    const Bytes b(data);
    if (b.startsWith(0, "\x89PNG\r\n\x1a\n", 8))
        return inspectPng(b);
    if (b.startsWith(0, "\x8aMNG\r\n\x1a\n", 8))
        return inspectMng(b);
    if (b.u8(0) == 0xFF && b.u8(1) == 0xD8)
        return inspectJpeg(b);
    if (b.startsWith(0, "GIF87a", 6) || b.startsWith(0, "GIF89a", 6))
        return inspectGif(b);
    if (b.startsWith(0, "BM", 2))
        return inspectBmp(b);
    if (b.startsWith(0, "II*\0", 4) || b.startsWith(0, "MM\0*", 4)) {
        Result r;
        r.kind = Kind::Tiff;
        const TiffFacts facts = TiffReader(b).read(true);
        r.complete = facts.complete;
        r.dotsPerMeter = facts.dotsPerMeter;
        return r;
    }
    return {};
}

} // namespace platform

#pragma once

#include <QImage>

#include <cstdint>

namespace platform {

// How the bundle's image atlas is laid out on disk: the images that the
// build draws, already decoded, so that start-up maps them instead of
// inflating a few hundred PNG files. All numbers little-endian.
//
//   header   magic, version, record count
//   records  one per image, fixed size, sorted by nothing in particular
//   names    the images' paths relative to the resource folder, UTF-8
//   pixels   each image's rows as QImage holds them, starting on a
//            multiple of kPixelAlignment
struct ImageAtlasLayout {
    static constexpr char kMagic[8] = {'V', 'L', 'M', 'A', 'T', 'L', 'A', 'S'};
    static constexpr std::uint32_t kVersion = 1;
    static constexpr std::uint32_t kHeaderSize = 16;  // magic, version, count
    static constexpr std::uint32_t kRecordSize = 40;
    static constexpr std::uint32_t kPixelAlignment = 64;
    static constexpr std::uint32_t kMaxRecords = 65536;
    static constexpr std::uint32_t kMaxSide = 16384;
    static constexpr std::uint32_t kMaxNameBytes = 4096;

    // Field offsets within a record.
    static constexpr std::uint32_t kDataOffset = 0;     // u64
    static constexpr std::uint32_t kNameOffset = 8;     // u32
    static constexpr std::uint32_t kNameBytes = 12;     // u32
    static constexpr std::uint32_t kFormat = 16;        // u32, a QImage::Format
    static constexpr std::uint32_t kWidth = 20;         // u32
    static constexpr std::uint32_t kHeight = 24;        // u32
    static constexpr std::uint32_t kBytesPerLine = 28;  // u32
    static constexpr std::uint32_t kDotsPerMeterX = 32; // i32
    static constexpr std::uint32_t kDotsPerMeterY = 36; // i32

    // Formats of four bytes a pixel: the only ones the atlas holds, and
    // ones whose rows QImage can wrap without a colour table.
    static constexpr bool holdsFormat(std::uint32_t format)
    {
        switch (format) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
        case QImage::Format_RGBX8888:
        case QImage::Format_RGBA8888:
        case QImage::Format_RGBA8888_Premultiplied:
            return true;
        default:
            return false;
        }
    }
};

} // namespace platform

#include "CanvasBitmap.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <map>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace platform {

namespace {
constexpr double MetersPerInch = 0.0254;
constexpr double PointsPerInch = 72.0;

struct Mapping {
    void* address;
    std::size_t length;
};
} // namespace

namespace {

// From this size on a bitmap gets its own mapping.
constexpr std::size_t MappedFrom = std::size_t(8) << 20;

// The anonymous mappings make() handed out and that are still alive: only
// their pages may be dropped to clear them (a file mapping would read the
// file again, not zeros). Each with the cache key its bitmap had when it was
// last known to be all zeros (made or cleared), 0 when never. Bitmaps may go
// on any thread.
std::mutex& mappingsLock()
{
    static std::mutex lock;
    return lock;
}
std::map<const void*, qint64>& anonymousMappings()
{
    static std::map<const void*, qint64> mappings;
    return mappings;
}

void unmapBitmap(void* info)
{
    auto* mapping = static_cast<Mapping*>(info);
    {
        std::lock_guard<std::mutex> hold(mappingsLock());
        anonymousMappings().erase(mapping->address);
    }
    munmap(mapping->address, mapping->length);
    delete mapping;
}

} // namespace

QImage CanvasBitmap::make(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    const std::size_t rowBytes = std::size_t(width) * 4;
    if (std::size_t(height) > std::numeric_limits<std::size_t>::max() / rowBytes)
        return {};
    const std::size_t bytes = rowBytes * std::size_t(height);
    if (bytes >= MappedFrom) {
        // Fresh anonymous pages read as zero: the bitmap starts transparent.
        void* address = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (address == MAP_FAILED)
            return {};
        madvise(address, bytes, MADV_HUGEPAGE); // a hint; without huge pages all still works
        auto* mapping = new (std::nothrow) Mapping{address, bytes};
        if (!mapping) {
            munmap(address, bytes);
            return {};
        }
        QImage image(static_cast<uchar*>(address), width, height, qsizetype(rowBytes), Format, unmapBitmap, mapping);
        if (image.isNull()) {
            unmapBitmap(mapping);
            return image;
        }
        try {
            std::lock_guard<std::mutex> hold(mappingsLock());
            anonymousMappings()[address] = image.cacheKey();
        } catch (const std::bad_alloc&) {
            // Not known: clear() then writes its zeros, which is all it costs.
        }
        return image;
    }
    // Zeroed by the allocator, which writes nothing when the memory comes
    // fresh from the system (a window's canvas bitmaps at start-up): the
    // pages then cost nothing until drawn on.
    void* bits = std::calloc(bytes, 1);
    if (!bits)
        return {};
    QImage image(static_cast<uchar*>(bits), width, height, qsizetype(rowBytes), Format,
                 [](void* info) { std::free(info); }, bits);
    if (image.isNull())
        std::free(bits);
    return image;
}

bool CanvasBitmap::isKnownClear(const QImage& image)
{
    if (!isCanvas(image))
        return false;
    std::lock_guard<std::mutex> hold(mappingsLock());
    const auto known = anonymousMappings().find(image.constBits());
    return known != anonymousMappings().end() && known->second != 0 && known->second == image.cacheKey();
}

bool CanvasBitmap::clear(QImage& image)
{
    if (!isCanvas(image))
        return false;
    if (!image.isDetached()) {
        // Shared with another image: a fresh bitmap, rather than a copy to clear.
        QImage fresh = make(image.width(), image.height());
        if (!fresh.isNull()) {
            fresh.setDotsPerMeterX(image.dotsPerMeterX());
            fresh.setDotsPerMeterY(image.dotsPerMeterY());
            image = fresh;
            return true;
        }
    }
    uchar* bits = image.bits();
    const std::size_t rowBytes = std::size_t(image.width()) * 4;
    const std::size_t bytes = rowBytes * std::size_t(image.height());
    if (bytes >= MappedFrom && std::size_t(image.bytesPerLine()) == rowBytes) {
        std::lock_guard<std::mutex> hold(mappingsLock());
        const auto known = anonymousMappings().find(bits);
        // The length is rounded up to whole pages: all of them are ours.
        if (known != anonymousMappings().end() && madvise(bits, bytes, MADV_DONTNEED) == 0) {
            known->second = image.cacheKey(); // bits() above was the last write access
            return true;
        }
    }
    image.fill(0u);
    return true;
}

QImage CanvasBitmap::copy(const QImage& source)
{
    if (source.isNull())
        return {};
    QImage converted = source;
    if (!convert(converted))
        return {};
    QImage image = make(converted.width(), converted.height());
    if (image.isNull())
        return {};
    const std::size_t rowBytes = std::size_t(converted.width()) * 4;
    for (int y = 0; y < converted.height(); ++y)
        std::memcpy(image.scanLine(y), converted.constScanLine(y), rowBytes);
    image.setDotsPerMeterX(converted.dotsPerMeterX());
    image.setDotsPerMeterY(converted.dotsPerMeterY());
    return image;
}

bool CanvasBitmap::convert(QImage& image)
{
    if (image.isNull())
        return false;
    if (image.format() == Format)
        return true;
    // 32-bit sources convert without a second buffer.
    if (image.depth() == 32) {
        image.convertTo(Format);
        if (image.format() == Format && !image.isNull())
            return true;
    }
    image = image.convertToFormat(Format);
    return !image.isNull();
}

std::uint32_t CanvasBitmap::premultipliedPixel(const QColor& color)
{
    const QRgb premultiplied = qPremultiply(color.rgba());
    return pack(std::uint8_t(qRed(premultiplied)), std::uint8_t(qGreen(premultiplied)),
                std::uint8_t(qBlue(premultiplied)), std::uint8_t(qAlpha(premultiplied)));
}

QColor CanvasBitmap::colorOfPixel(std::uint32_t word)
{
    std::uint8_t b[4];
    unpack(word, b);
    const QRgb straight = qUnpremultiply(qRgba(b[0], b[1], b[2], b[3]));
    return QColor::fromRgba(straight);
}

double CanvasBitmap::pixelPerPointFromDotsPerMeter(double dotsPerMeter)
{
    // Files that count dots per metre cannot hold a whole number of dots per
    // inch; the nearest count is within half a dot per metre of it. Such a
    // count is read as the whole number it stands for (5669 as 144 dpi).
    double dpi = dotsPerMeter * MetersPerInch;
    const double whole = std::round(dpi);
    if (std::abs(dpi - whole) <= 0.5 * MetersPerInch + 1e-9)
        dpi = whole;
    return dpi / PointsPerInch;
}

int CanvasBitmap::dotsPerMeterFromPixelPerPoint(double pixelPerPoint)
{
    if (!(pixelPerPoint > 0) || !std::isfinite(pixelPerPoint))
        pixelPerPoint = 1.0; // a picture without a ratio is written at one pixel per point
    const double dpm = std::round(pixelPerPoint * PointsPerInch / MetersPerInch);
    return int(std::clamp(dpm, 1.0, double(std::numeric_limits<int>::max())));
}

} // namespace platform

#include "SWSelectionBuilder.h"

#include "platform/graphics/CanvasBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

using platform::CanvasBitmap;

namespace {

using Word = std::uint32_t;

int seedCoordinate(double v)
{
    if (!std::isfinite(v))
        return -1;
    const double f = std::floor(v);
    if (f < 0 || f > 2147483647.0)
        return -1;
    return int(f);
}

} // namespace

SWSelectionBuilder::SWSelectionBuilder(const QImage& bitmap, const QPointF& point, double tolerance)
    : m_bitmap(bitmap)
    , m_seed(seedCoordinate(point.x()), seedCoordinate(point.y()))
{
    if (!(tolerance > 0))
        tolerance = 0;
    m_tolerance = int(255.0 * std::min(tolerance, 1.0));
}

bool SWSelectionBuilder::pixelEquality(std::uint32_t a, std::uint32_t b)
{
    std::uint8_t pa[4], pb[4];
    CanvasBitmap::unpack(a, pa);
    CanvasBitmap::unpack(b, pb);
    if (pa[3] == 0 && pb[3] == 0)
        return true;
    return a == b;
}

QImage SWSelectionBuilder::newRealMask()
{
    m_peakSegmentBytes = 0;
    if (m_bitmap.isNull() || m_seed.x() < 0 || m_seed.y() < 0 || m_seed.x() >= m_bitmap.width()
        || m_seed.y() >= m_bitmap.height())
        return {};
    if (!CanvasBitmap::convert(m_bitmap))
        return {};
    try {
        QImage mask(m_bitmap.size(), QImage::Format_Grayscale8);
        if (mask.isNull())
            return {};
        // Every byte, the row padding past the width too: nothing outside
        // the region reads as 0.
        std::memset(mask.bits(), 255, std::size_t(mask.sizeInBytes()));
        if (m_tolerance == 0)
            fill<true>(mask);
        else
            fill<false>(mask);
        return mask;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

template <bool Exact>
void SWSelectionBuilder::fill(QImage& mask)
{
    const int w = m_bitmap.width();
    const int h = m_bitmap.height();
    const std::uint8_t* pixels = m_bitmap.constBits();
    const qsizetype pixelStride = m_bitmap.bytesPerLine();
    std::uint8_t* maskBits = mask.bits();
    const qsizetype maskStride = mask.bytesPerLine();
    const auto pixelRow = [&](int y) { return reinterpret_cast<const Word*>(pixels + pixelStride * y); };
    const auto maskRow = [&](int y) { return maskBits + maskStride * y; };

    const Word colourMask = CanvasBitmap::pack(255, 255, 255, 0);
    const Word seed = pixelRow(m_seed.y())[m_seed.x()];
    const Word seedColour = seed & colourMask;
    std::uint8_t seedBytes[4];
    CanvasBitmap::unpack(seed, seedBytes);
    const int tolerance = m_tolerance;
    // Red, green and blue only: pixels that differ in alpha alone belong.
    const auto matches = [&](Word p) -> bool {
        if constexpr (Exact) {
            return (p & colourMask) == seedColour;
        } else {
            std::uint8_t b[4];
            CanvasBitmap::unpack(p, b);
            return std::abs(int(b[0]) - int(seedBytes[0])) <= tolerance
                   && std::abs(int(b[1]) - int(seedBytes[1])) <= tolerance
                   && std::abs(int(b[2]) - int(seedBytes[2])) <= tolerance;
        }
    };

    // Segments still to expand. A segment's pixels are marked in the mask
    // when it is queued, so a pixel joins at most one segment and the mask
    // doubles as the visited map; pixels outside the region are merely
    // tested again, which costs less than remembering them.
    // Oldest first: the fill then sweeps along rows, as memory lies, where
    // newest first would run down one-pixel corridors a row at a time.
    std::vector<Segment> queue;
    std::size_t head = 0;
    queue.reserve(64);
    const auto push = [&](int left, int right, int y) {
        std::memset(maskRow(y) + left, 0, std::size_t(right - left + 1));
        if (head == queue.size()) {
            queue.clear();
            head = 0;
        } else if (head >= 4096 && head * 2 >= queue.size()) {
            queue.erase(queue.begin(), queue.begin() + std::ptrdiff_t(head));
            head = 0;
        }
        queue.push_back(Segment{left, right, y});
        m_peakSegmentBytes = std::max(m_peakSegmentBytes, queue.capacity() * sizeof(Segment));
    };

    {
        const Word* r = pixelRow(m_seed.y());
        int left = m_seed.x();
        int right = m_seed.x();
        while (left > 0 && matches(r[left - 1]))
            --left;
        while (right + 1 < w && matches(r[right + 1]))
            ++right;
        push(left, right, m_seed.y());
    }

    while (head < queue.size()) {
        const Segment s = queue[head++];
        for (const int y : {s.row - 1, s.row + 1}) {
            if (y < 0 || y >= h)
                continue;
            const Word* r = pixelRow(y);
            const std::uint8_t* m = maskRow(y);
            int x = s.left;
            while (x <= s.right) {
                // Skip what is already in the region, then what does not match.
                while (x <= s.right && m[x] == 0)
                    ++x;
                if (x > s.right)
                    break;
                if (!matches(r[x])) {
                    ++x;
                    continue;
                }
                int left = x;
                while (left > 0 && m[left - 1] != 0 && matches(r[left - 1]))
                    --left;
                int right = x;
                while (right + 1 < w && m[right + 1] != 0 && matches(r[right + 1]))
                    ++right;
                push(left, right, y);
                x = right + 2; // right + 1 is outside the region or already in it
            }
        }
    }
}

QRect SWSelectionBuilder::fillMask(QImage& bitmap, const QImage& mask, const QColor& color)
{
    if (bitmap.isNull() || mask.isNull() || mask.size() != bitmap.size() || mask.depth() != 8 || !color.isValid())
        return {};
    if (!CanvasBitmap::convert(bitmap))
        return {};
    QRect filled;
    const Word value = CanvasBitmap::premultipliedPixel(color);
    const int w = bitmap.width();
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* m = mask.constScanLine(y);
        Word* d = reinterpret_cast<Word*>(bitmap.scanLine(y));
        int x = 0;
        while (x < w) {
            while (x < w && m[x] != 0)
                ++x;
            const int start = x;
            while (x < w && m[x] == 0)
                ++x;
            std::fill(d + start, d + x, value);
            if (x > start)
                filled |= QRect(start, y, x - start, 1);
        }
    }
    return filled;
}

#include "ColorQuantizer.h"

#include "CanvasBitmap.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

namespace platform {

namespace {

constexpr int Bits = 5;
constexpr int Side = 1 << Bits;
constexpr int Buckets = Side * Side * Side;

inline QRgb straightColor(const std::uint8_t* px)
{
    const std::uint8_t a = px[3];
    if (a == 255)
        return qRgb(px[0], px[1], px[2]);
    const auto un = [a](std::uint8_t v) { return std::min(255, (v * 255 + a / 2) / a); };
    return qRgb(un(px[0]), un(px[1]), un(px[2]));
}

inline int bucketOf(QRgb c)
{
    return ((qRed(c) >> (8 - Bits)) << (2 * Bits)) | ((qGreen(c) >> (8 - Bits)) << Bits) | (qBlue(c) >> (8 - Bits));
}

struct Cell {
    std::uint64_t count = 0;
    std::uint64_t r = 0, g = 0, b = 0;
};

struct Box {
    int lo[3];
    int hi[3]; // inclusive bucket coordinates
    std::uint64_t count = 0;
};

class MedianCut {
public:
    explicit MedianCut(const std::vector<Cell>& cells)
        : m_cells(cells)
    {
    }

    std::vector<QRgb> palette(int colors)
    {
        std::vector<Box> boxes;
        Box all{{0, 0, 0}, {Side - 1, Side - 1, Side - 1}, 0};
        shrink(all);
        if (all.count == 0)
            return {};
        boxes.push_back(all);
        while (int(boxes.size()) < colors) {
            // Split the box that holds the most pixels among those that can split.
            int best = -1;
            for (int i = 0; i < int(boxes.size()); ++i) {
                const Box& b = boxes[i];
                const bool splittable = b.hi[0] > b.lo[0] || b.hi[1] > b.lo[1] || b.hi[2] > b.lo[2];
                if (splittable && (best < 0 || b.count > boxes[best].count))
                    best = i;
            }
            if (best < 0)
                break;
            Box low, high;
            split(boxes[best], low, high);
            boxes[best] = low;
            boxes.push_back(high);
        }
        std::vector<QRgb> result;
        for (const Box& b : boxes)
            result.push_back(average(b));
        return result;
    }

private:
    const Cell& at(int r, int g, int b) const { return m_cells[(r << (2 * Bits)) | (g << Bits) | b]; }

    template <typename F>
    void forEach(const Box& box, F f) const
    {
        for (int r = box.lo[0]; r <= box.hi[0]; ++r)
            for (int g = box.lo[1]; g <= box.hi[1]; ++g)
                for (int b = box.lo[2]; b <= box.hi[2]; ++b)
                    f(r, g, b, at(r, g, b));
    }

    // Tightens a box to the cells that hold pixels and counts them.
    void shrink(Box& box) const
    {
        int lo[3] = {Side, Side, Side}, hi[3] = {-1, -1, -1};
        std::uint64_t count = 0;
        forEach(box, [&](int r, int g, int b, const Cell& c) {
            if (!c.count)
                return;
            count += c.count;
            const int v[3] = {r, g, b};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], v[k]);
                hi[k] = std::max(hi[k], v[k]);
            }
        });
        box.count = count;
        if (count) {
            std::copy(lo, lo + 3, box.lo);
            std::copy(hi, hi + 3, box.hi);
        }
    }

    void split(const Box& box, Box& low, Box& high) const
    {
        int axis = 0;
        for (int k = 1; k < 3; ++k)
            if (box.hi[k] - box.lo[k] > box.hi[axis] - box.lo[axis])
                axis = k;
        std::array<std::uint64_t, Side> slice{};
        forEach(box, [&](int r, int g, int b, const Cell& c) {
            const int v[3] = {r, g, b};
            slice[v[axis]] += c.count;
        });
        // The median plane, kept inside the box so both halves hold a cell.
        std::uint64_t seen = 0;
        int cut = box.lo[axis];
        for (int i = box.lo[axis]; i < box.hi[axis]; ++i) {
            seen += slice[i];
            cut = i;
            if (seen * 2 >= box.count)
                break;
        }
        low = box;
        high = box;
        low.hi[axis] = cut;
        high.lo[axis] = cut + 1;
        shrink(low);
        shrink(high);
    }

    QRgb average(const Box& box) const
    {
        std::uint64_t n = 0, r = 0, g = 0, b = 0;
        forEach(box, [&](int, int, int, const Cell& c) {
            n += c.count;
            r += c.r;
            g += c.g;
            b += c.b;
        });
        if (!n)
            return qRgb(0, 0, 0);
        return qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
    }

    const std::vector<Cell>& m_cells;
};

int nearest(const std::vector<QRgb>& palette, QRgb c)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < int(palette.size()); ++i) {
        const int dr = qRed(palette[i]) - qRed(c);
        const int dg = qGreen(palette[i]) - qGreen(c);
        const int db = qBlue(palette[i]) - qBlue(c);
        const int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

} // namespace

ColorQuantizer::Result ColorQuantizer::quantize(const QImage& source, int maxColors)
{
    Result result;
    if (source.isNull())
        return result;
    QImage canvas = source;
    if (!CanvasBitmap::convert(canvas))
        return result;
    maxColors = std::clamp(maxColors, 2, 256);
    const int w = canvas.width();
    const int h = canvas.height();

    // Pass 1: the distinct colours, as long as there are few enough.
    bool transparent = false;
    std::unordered_map<QRgb, int> distinct;
    bool fewColors = true;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* px = canvas.constScanLine(y);
        for (int x = 0; x < w; ++x, px += 4) {
            if (px[3] < AlphaThreshold) {
                transparent = true;
                continue;
            }
            if (fewColors && distinct.emplace(straightColor(px), 0).second && int(distinct.size()) > maxColors)
                fewColors = false;
        }
    }
    const int opaqueSlots = transparent ? maxColors - 1 : maxColors;
    fewColors = fewColors && int(distinct.size()) <= opaqueSlots;

    std::vector<int> bucketIndex;
    std::vector<Cell> cells;
    if (fewColors) {
        for (auto& [color, index] : distinct) {
            index = int(result.palette.size());
            result.palette.push_back(color);
        }
        result.exact = true;
    } else {
        cells.assign(Buckets, Cell{});
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* px = canvas.constScanLine(y);
            for (int x = 0; x < w; ++x, px += 4) {
                if (px[3] < AlphaThreshold)
                    continue;
                const QRgb c = straightColor(px);
                Cell& cell = cells[bucketOf(c)];
                ++cell.count;
                cell.r += qRed(c);
                cell.g += qGreen(c);
                cell.b += qBlue(c);
            }
        }
        result.palette = MedianCut(cells).palette(opaqueSlots);
        bucketIndex.assign(Buckets, -1);
    }
    const std::vector<QRgb> opaquePalette = result.palette;
    if (transparent) {
        result.transparentIndex = int(result.palette.size());
        result.palette.push_back(qRgb(0, 0, 0));
    }

    // Pass 2: an index for every pixel.
    result.width = w;
    result.height = h;
    result.indices.resize(std::size_t(w) * std::size_t(h));
    std::uint8_t* out = result.indices.data();
    QRgb lastColor = 0;
    int lastIndex = -1;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* px = canvas.constScanLine(y);
        for (int x = 0; x < w; ++x, px += 4) {
            if (px[3] < AlphaThreshold) {
                *out++ = std::uint8_t(result.transparentIndex);
                continue;
            }
            const QRgb c = straightColor(px);
            if (c != lastColor || lastIndex < 0) {
                lastColor = c;
                if (fewColors) {
                    lastIndex = distinct.find(c)->second;
                } else {
                    int& slot = bucketIndex[bucketOf(c)];
                    if (slot < 0) {
                        const Cell& cell = cells[bucketOf(c)];
                        const QRgb mean = qRgb(int(cell.r / cell.count), int(cell.g / cell.count), int(cell.b / cell.count));
                        slot = nearest(opaquePalette, mean);
                    }
                    lastIndex = slot;
                }
            }
            *out++ = std::uint8_t(lastIndex);
        }
    }
    return result;
}

} // namespace platform

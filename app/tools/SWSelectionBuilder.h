#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <vector>

// Flood fill: finds the 4-connected region of pixels around a seed whose
// colour is close enough to the seed's, and hands it back as an 8-bit mask.
// One builder per fill.
//
// The fill tool's recipe (canvas point p, fill colour c, main image m):
//   if (SWImageTools::colorIsEqualToColor(SWImageTools::colorAtPoint(m, p).value_or(QColor()), c)) return;
//   register the undo step;
//   QImage mask = SWSelectionBuilder(m, p, 0.0).newRealMask();
//   SWSelectionBuilder::fillMask(m, mask, c);
// colorAtPoint and the builder both read the pixel at (floor(p.x), floor(p.y)).
//
// Memory: besides the mask it returns, the builder holds only a queue of
// row segments that grows as the region needs it.
class SWSelectionBuilder {
public:
    // bitmap: the canvas bitmap to search (shared, not copied; keep it
    // unchanged until newRealMask returns). point: canvas coordinates, y
    // down; the seed is the pixel that contains it. tolerance: the largest
    // accepted difference per colour sample as a fraction of 255 (0 to 1).
    SWSelectionBuilder(const QImage& bitmap, const QPointF& point, double tolerance);

    // Runs the fill. The mask is a QImage::Format_Grayscale8 of the bitmap's
    // size: 0 for pixels of the region, 255 for all others. Red, green and
    // blue are compared, alpha is not. Null when the seed lies outside the
    // bitmap or the memory ran out: then nothing is to be painted.
    QImage newRealMask();

    // Paints a colour into a canvas bitmap wherever the mask is 0, replacing
    // the pixels, alpha included (the fill tool's fillMask); the rectangle
    // of the pixels it painted. Does nothing when the mask's size differs
    // from the bitmap's.
    static QRect fillMask(QImage& bitmap, const QImage& mask, const QColor& color);

    // Exact comparison of two canvas pixels, two fully transparent pixels
    // counting as equal. The fill does not use it.
    static bool pixelEquality(std::uint32_t a, std::uint32_t b);

    QPoint pickedPoint() const { return m_seed; }
    int tolerance() const { return m_tolerance; }
    // Largest size the segment queue reached during newRealMask, in bytes.
    std::size_t peakSegmentBytes() const { return m_peakSegmentBytes; }

private:
    struct Segment {
        std::int32_t left;
        std::int32_t right; // inclusive
        std::int32_t row;
    };

    template <bool Exact>
    void fill(QImage& mask);

    QImage m_bitmap;
    QPoint m_seed;
    int m_tolerance = 0;
    std::size_t m_peakSegmentBytes = 0;
};

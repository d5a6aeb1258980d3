#include "DabSurface.h"

#include "BrushLog.h"
#include "ColorAdapterRegistry.h"
#include "DabRowKernel.h"

#include "platform/foundation/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

float clamp01(float v)
{
    if (!(v > 0.0f))
        return 0.0f;
    return v < 1.0f ? v : 1.0f;
}

// A colour chosen as 8-bit levels reaches the surface after a round trip
// through hue, saturation and value in floats, which may leave it a few
// millionths of a level short (128 comes back as 127.99999). Truncating that
// would paint one level darker than chosen, so a value this close below a
// level counts as the level.
constexpr float kLevelTolerance = 1.0f / 256.0f;

int colorByte(float component)
{
    // Truncating, as the blend expects; out-of-range and NaN values are held
    // to 0..255 before any integer conversion.
    const float scaled = component * 255.0f + kLevelTolerance;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return int(scaled);
}

// Columns or rows [first, last] of a box around centre with half-size reach,
// held to [0, limit). Returns false when nothing remains.
bool clippedSpan(float centre, float reach, int limit, int& first, int& last)
{
    const double lo = std::max(0.0, double(std::floor(centre - reach)));
    const double hi = std::min(double(limit) - 1.0, double(std::ceil(centre + reach)));
    if (!(lo <= hi))
        return false;
    first = int(lo);
    last = int(hi);
    return true;
}

// Dabs whose box is at most this many pixels wide find where their rows meet
// the ellipse in floats, several rows at once: the exact way, row by row,
// costs more than testing every pixel of such a box.
constexpr int kNarrowBox = 64;

// Rows this short are one group of the widest kernel: their spans would
// save nothing. Nor do the spans of a round dab save much in such a box (it
// fills most of it) while costing about as much to find.
constexpr int kOneGroup = 16;

// Up to this radius the float spans keep well inside their margin of a
// pixel: rounding moves a row's ends by some 3e-4 × radius pixels at most
// (most where the discriminant nearly cancels). Narrow boxes of larger dabs
// (clipped by the bitmap's edge) take whole rows.
constexpr float kFloatSpanRadius = 64.0f;

// The terms of narrowSpans, in box columns.
struct NarrowSpanTerms
{
    float middle0;    // the column whose centre lies under the dab centre
    float shiftPerDy; // how the row's middle moves with dy
    float outerDisc0, discPerDy2, halfOverA;
    int columns;
};

// Columns of each row of a narrow box that can lie inside the ellipse: the
// same roots of a slightly larger ellipse as the exact way, widened by a
// pixel, in floats. dyOf(r) is row r's offset from the centre.
template <typename DyOf>
void narrowSpans(DabRowSpan* spans, int rows, const NarrowSpanTerms& t, DyOf dyOf)
{
    const float columnHi = float(t.columns - 1);
#if defined(__SSE2__)
    const __m128 middle0 = _mm_set1_ps(t.middle0), shift = _mm_set1_ps(t.shiftPerDy);
    const __m128 disc0 = _mm_set1_ps(t.outerDisc0), discPerDy2 = _mm_set1_ps(t.discPerDy2);
    const __m128 halfOverA = _mm_set1_ps(t.halfOverA), one = _mm_set1_ps(1.0f), zero = _mm_setzero_ps();
    const __m128 lo = zero, hiFirst = _mm_set1_ps(columnHi + 1.0f);
    const __m128 loLast = _mm_set1_ps(-1.0f), hi = _mm_set1_ps(columnHi);
    // floor for values well inside the int range; ceil(v) = -floor(-v).
    auto floorInt = [](__m128 v) {
        const __m128i truncated = _mm_cvttps_epi32(v);
        return _mm_add_epi32(truncated, _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), v)));
    };
    for (int r = 0; r < rows; r += 4) {
        const __m128 dy = _mm_setr_ps(dyOf(r), dyOf(r + 1), dyOf(r + 2), dyOf(r + 3));
        const __m128 middle = _mm_add_ps(middle0, _mm_mul_ps(shift, dy));
        const __m128 disc = _mm_add_ps(disc0, _mm_mul_ps(discPerDy2, _mm_mul_ps(dy, dy)));
        const __m128 halfSpan = _mm_mul_ps(_mm_sqrt_ps(_mm_max_ps(disc, zero)), halfOverA);
        const __m128 first = _mm_min_ps(_mm_max_ps(_mm_sub_ps(_mm_sub_ps(middle, halfSpan), one), lo), hiFirst);
        const __m128 last = _mm_min_ps(_mm_max_ps(_mm_add_ps(_mm_add_ps(middle, halfSpan), one), loLast), hi);
        const __m128i missed = _mm_castps_si128(_mm_cmplt_ps(disc, zero));
        alignas(16) int firsts[4], lasts[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(firsts), floorInt(first));
        // A row that misses the ellipse ends before column 0.
        _mm_store_si128(reinterpret_cast<__m128i*>(lasts),
                        _mm_or_si128(missed, _mm_sub_epi32(_mm_setzero_si128(),
                                                           floorInt(_mm_sub_ps(zero, last)))));
        for (int k = 0; k < 4 && r + k < rows; ++k)
            spans[r + k] = DabRowSpan {firsts[k], lasts[k], 0, -1};
    }
#else
    for (int r = 0; r < rows; ++r) {
        const float dy = dyOf(r);
        const float middle = t.middle0 + t.shiftPerDy * dy;
        const float disc = t.outerDisc0 + t.discPerDy2 * (dy * dy);
        const float halfSpan = std::sqrt(disc > 0.0f ? disc : 0.0f) * t.halfOverA;
        const float first = std::min(std::max(middle - halfSpan - 1.0f, 0.0f), columnHi + 1.0f);
        const float last = std::min(std::max(middle + halfSpan + 1.0f, -1.0f), columnHi);
        spans[r] = DabRowSpan {int(std::floor(first)), disc < 0.0f ? -1 : int(std::ceil(last)), 0, -1};
    }
#endif
}

// floor(v) held to [lo, hi] (whole numbers within the int range) without
// jumps; NaN gives lo.
inline int floorHeld(double v, double lo, double hi)
{
    v = v > lo ? v : lo;
    v = v < hi ? v : hi;
    const int i = int(v);
    return i - int(double(i) > v);
}

// ceil(v) likewise.
inline int ceilHeld(double v, double lo, double hi)
{
    return -floorHeld(-v, -hi, -lo);
}

// Offset of a pixel centre from the dab centre, measured inside the pixel's
// 8 × 8 cell as the renderer always has.
inline float cellOffset(int pixel, float centre)
{
    const int cell = pixel >> 3;
    const float centreInCell = centre - float(8 * cell);
    return (float(pixel & 7) + 0.5f) - centreInCell;
}

// The offsets of count pixels from first on from the centre, times cos and
// sin: the per-column (or per-row) terms of a dab, in one plain loop that
// runs on whole vectors.
void offsetTerms(float* __restrict cosTerms, float* __restrict sinTerms, int first, int count, float centre, float cs,
                 float sn)
{
    for (int i = 0; i < count; ++i) {
        const float d = cellOffset(first + i, centre);
        cosTerms[i] = d * cs;
        sinTerms[i] = d * sn;
    }
}

} // namespace

DabSurface::DabSurface(QImage* bitmapContext, PixelDevice* source, DevicePainter* painter)
    : m_adapter(ColorAdapterRegistry::instance()->colorSpaceForContext(bitmapContext))
    , m_source(source)
    , m_target(painter ? painter->device() : nullptr)
    , m_context(bitmapContext)
{
}

DabSurface::~DabSurface() = default;

QRectF DabSurface::imageDirtyRect() const
{
    if (platform::isEmptyRect(m_dirtyRect) || !m_target)
        return m_dirtyRect;
    QRectF r = m_dirtyRect;
    r.moveTop(m_target->height() - r.y() - r.height());
    return r;
}

const DabSurface::ShapeTerms& DabSurface::shapeTerms(float radius, float ratio, float angle)
{
    ShapeTerms key;
    std::memcpy(&key.radiusBits, &radius, 4);
    std::memcpy(&key.ratioBits, &ratio, 4);
    std::memcpy(&key.angleBits, &angle, 4);
    if (m_shape.valid && key.radiusBits == m_shape.radiusBits && key.ratioBits == m_shape.ratioBits
        && key.angleBits == m_shape.angleBits)
        return m_shape;

    ShapeTerms& t = m_shape;
    t = key;
    t.valid = true;
    const float angleRadians = angle / 360.0f * 2.0f * std::numbers::pi_v<float>;
    t.cs = std::cos(angleRadians);
    t.sn = std::sin(angleRadians);
    t.inverseRadius2 = 1.0f / (radius * radius);

    // Which columns of a row can lie inside the ellipse: the roots of
    // rr(dx) = 1 for a slightly larger ellipse, widened by a pixel, so that
    // rounding in the per-pixel test can never reach beyond them. For hard
    // dabs the roots of a slightly smaller ellipse, narrowed by a pixel, give
    // the columns that are surely inside and all take the same blend.
    const double k2 = double(ratio) * double(ratio);
    const double c = t.cs, s = t.sn;
    const double quadA = c * c + k2 * s * s;
    t.halfOverA = 0.5 / quadA;
    const double outerReach = double(radius) * 1.001 + 0.01;
    const double innerReach = double(radius) * 0.999 - 0.01;
    // Along a row the quadratic's terms depend on dy alone: its discriminant
    // is outerDisc0 + discPerDy2 × dy² and the roots' midpoint moves by
    // shiftPerDy × dy.
    const double bPerDy = 2.0 * c * s * (1.0 - k2);
    t.discPerDy2 = bPerDy * bPerDy - 4.0 * quadA * (s * s + k2 * c * c);
    t.outerDisc0 = 4.0 * quadA * outerReach * outerReach;
    t.innerDisc0 = 4.0 * quadA * innerReach * innerReach;
    t.shiftPerDy = -bPerDy * t.halfOverA;
    t.innerReachPositive = innerReach > 0.0;
    return t;
}

void DabSurface::addDirtyBox(float x, float y, float ratio, float radius, int width, int height)
{
    // Any box beyond this reaches past every bitmap; holding it there keeps
    // the arithmetic finite.
    double f = std::trunc(double(ratio * radius) + 2.0);
    if (!(f < 4.0e9))
        f = 4.0e9;
    const double left = std::max(0.0, double(std::trunc(x)) - f);
    const double bottom = std::max(0.0, double(std::trunc(y)) - f);
    const double right = std::min(double(width), double(std::trunc(x)) + f);
    const double top = std::min(double(height), double(std::trunc(y)) + f);
    if (!(right > left && top > bottom))
        return;
    // Empty as platform::isEmptyRect has it, worked out here for every dab.
    if (!(m_dirtyRect.width() > 0.0) || !(m_dirtyRect.height() > 0.0)) {
        m_dirtyRect = QRectF(left, bottom, right - left, top - bottom);
        return;
    }
    // Every dab adds a box: the union of two boxes with positive sides in
    // line, as the general rectangle union works it out.
    const double unionLeft = std::min(m_dirtyRect.x(), left);
    const double unionBottom = std::min(m_dirtyRect.y(), bottom);
    const double unionRight = std::max(m_dirtyRect.x() + m_dirtyRect.width(), right);
    const double unionTop = std::max(m_dirtyRect.y() + m_dirtyRect.height(), top);
    m_dirtyRect = QRectF(unionLeft, unionBottom, unionRight - unionLeft, unionTop - unionBottom);
}

bool DabSurface::render_dab(float x, float y, float radius, float colorR, float colorG, float colorB,
                            float opacity, float hardness, float eraserTargetAlpha, float aspectRatio,
                            float angle)
{
    // A position, size or angle that is not a number places nothing anywhere.
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(radius) || !std::isfinite(angle)
        || std::isinf(aspectRatio))
        return false;
    const float ratio = aspectRatio >= 1.0f ? aspectRatio : 1.0f;

    // Target first: taking it may detach a shared bitmap, after which the
    // source is read from the same memory when both are one image.
    const PixelDevice::Layout<unsigned char> target =
        m_target ? m_target->writableLayout() : PixelDevice::Layout<unsigned char>();
    addDirtyBox(x, y, ratio, radius, target.width, target.height);

    eraserTargetAlpha = clamp01(eraserTargetAlpha);
    opacity = clamp01(opacity);
    DabRowShape shape;
    shape.color[0] = uint16_t(colorByte(colorR));
    shape.color[1] = uint16_t(colorByte(colorG));
    shape.color[2] = uint16_t(colorByte(colorB));
    shape.color[3] = 255;

    if (!(hardness >= 0.0f))
        return false;
    const float h = std::min(hardness, 1.0f);
    if (h == 0.0f || radius < 0.1f || opacity == 0.0f)
        return false;

    if (!m_source)
        return true;
    // One device for both (as painting in place has it): the target's layout,
    // taken above, is the source's too.
    const PixelDevice::Layout<const unsigned char> source = m_source == m_target
        ? PixelDevice::Layout<const unsigned char> {target.top, target.stride, target.width, target.height}
        : m_source->readableLayout();
    if (!target.top || !source.top)
        return true;

    const float r1 = radius + 1.0f;
    int x0, x1, y0, y1;
    if (!clippedSpan(x, r1, std::min(source.width, target.width), x0, x1)
        || !clippedSpan(y, r1, std::min(source.height, target.height), y0, y1))
        return true;

    const ShapeTerms& terms = shapeTerms(radius, ratio, angle);
    const float cs = terms.cs;
    const float sn = terms.sn;
    shape.ratio = ratio;
    shape.inverseRadius2 = terms.inverseRadius2;
    shape.opacity = opacity;
    shape.eraserTargetAlpha = eraserTargetAlpha;
    shape.hard = h == 1.0f;
    shape.hardness = h;
    shape.hardnessFactor = shape.hard ? 0.0f : h / (1.0f - h);
    shape.hardAlpha = int(opacity * 255.0f);
    shape.hardErase = int(float(shape.hardAlpha) * eraserTargetAlpha);

    const size_t columns = size_t(x1 - x0 + 1);
    const size_t rows = size_t(y1 - y0 + 1);
    if (m_columnCos.size() < columns) {
        m_columnCos.resize(columns);
        m_columnSin.resize(columns);
    }
    if (m_rowSin.size() < rows) {
        m_rowSin.resize(rows);
        m_rowCos.resize(rows);
        m_rowSpans.resize(rows);
    }
    offsetTerms(m_columnCos.data(), m_columnSin.data(), x0, int(columns), x, cs, sn);
    offsetTerms(m_rowCos.data(), m_rowSin.data(), y0, int(rows), y, cs, sn);

    const double halfOverA = terms.halfOverA;
    const double discPerDy2 = terms.discPerDy2;
    const double outerDisc0 = terms.outerDisc0;
    const double innerDisc0 = terms.innerDisc0;
    const double shiftPerDy = terms.shiftPerDy;
    const double centre = double(x) - 0.5;
    const bool findInside = shape.hard && terms.innerReachPositive;

    // Finding the ellipse's span costs more than testing every pixel of a
    // small box: its rows all take the whole box.
    const bool narrow = columns <= size_t(kNarrowBox);
    const DabRowSpan wholeRow {0, int(columns) - 1, 0, -1};
    // Branch-free: mispredicted jumps here would cost more than the pixels
    // of many rows. A row that misses the ellipse gets an empty span.
    const double columnLo = double(x0), columnHi = double(x1);
    if (narrow && ratio > 1.0f && columns > size_t(kOneGroup) && radius <= kFloatSpanRadius) {
        const NarrowSpanTerms spanTerms {float(double(x) - 0.5 - double(x0)), float(shiftPerDy), float(outerDisc0),
                                         float(discPerDy2), float(halfOverA), int(columns)};
        narrowSpans(m_rowSpans.data(), int(rows), spanTerms, [&](int r) { return cellOffset(y0 + r, y); });
    } else if (narrow) {
        std::fill_n(m_rowSpans.begin(), rows, wholeRow);
    }
    for (int row = y0; !narrow && row <= y1; ++row) {
        const size_t r = size_t(row - y0);
        const float dy = cellOffset(row, y);
        const double dy2 = double(dy) * double(dy);
        const double middle = centre + shiftPerDy * double(dy);
        const double disc = outerDisc0 + discPerDy2 * dy2;
        const double halfSpan = std::sqrt(disc > 0.0 ? disc : 0.0) * halfOverA;
        const int first = floorHeld(middle - halfSpan - 1.0, columnLo, columnHi + 1.0);
        const int last = disc >= 0.0 ? ceilHeld(middle + halfSpan + 1.0, columnLo - 1.0, columnHi) : x0 - 1;
        DabRowSpan& span = m_rowSpans[r];
        span.first = first - x0;
        span.last = last - x0;
        span.insideFirst = 0;
        span.insideLast = -1;
        if (findInside) {
            const double innerDisc = innerDisc0 + discPerDy2 * dy2;
            const double innerHalfSpan = std::sqrt(innerDisc > 0.0 ? innerDisc : 0.0) * halfOverA;
            const int lo = floorHeld(-(middle - innerHalfSpan + 1.0), -double(last + 1), -double(first));
            const int hi = floorHeld(middle + innerHalfSpan - 1.0, double(first - 1), double(last));
            const bool any = innerDisc >= 0.0 && -lo <= hi;
            span.insideFirst = any ? -lo - x0 : 0;
            span.insideLast = any ? hi - x0 : -1;
        }
    }

    // A separate target takes the whole box from the source first, so that
    // the pixels the dab leaves alone come over too.
    if (source.top != target.top) {
        for (int row = y0; row <= y1; ++row)
            std::memcpy(target.engineRow(row) + qsizetype(x0) * 4, source.engineRow(row) + qsizetype(x0) * 4,
                        columns * 4);
    }

    shape.columnCos = m_columnCos.data();
    shape.columnSin = m_columnSin.data();
    DabBox box;
    box.pixels = target.engineRow(y0) + qsizetype(x0) * 4;
    box.stride = -long(target.stride);
    box.rows = int(rows);
    box.rowSin = m_rowSin.data();
    box.rowCos = m_rowCos.data();
    box.spans = m_rowSpans.data();
    DabRowKernel::renderBox(box, shape);
    return true;
}

void DabSurface::sample_color(float x, float y, float radius, float& colorR, float& colorG, float& colorB,
                              float& colorA)
{
    colorR = 1.0f;
    colorG = 0.0f;
    colorB = 0.0f;
    colorA = 0.0f;
    if (!(radius >= 1.0f))
        radius = 1.0f;
    if (!std::isfinite(x) || !std::isfinite(y) || !m_source)
        return;
    const PixelDevice::Layout<const unsigned char> source = m_source->readableLayout();
    if (!source.top)
        return;

    const float r1 = radius + 1.0f;
    int x0, x1, y0, y1;
    if (!clippedSpan(x, r1, source.width, x0, x1) || !clippedSpan(y, r1, source.height, y0, y1))
        return;
    const float inverseRadius2 = 1.0f / (radius * radius);

    const size_t columns = size_t(x1 - x0 + 1);
    if (m_columnDx.size() < columns)
        m_columnDx.resize(columns);
    for (int px = x0; px <= x1; ++px)
        m_columnDx[size_t(px - x0)] = cellOffset(px, x);

    // Sums of weight and of red, green, blue and alpha, each byte × w / 255.
    // The four channels are independent, so they are summed side by side
    // (in the same order and arithmetic as one at a time).
    float sumWeight = 0.0f;
#if defined(__SSE2__)
    __m128 sums = _mm_setzero_ps();
    const __m128 d255 = _mm_set1_ps(255.0f);
    const __m128i zero = _mm_setzero_si128();
#else
    float sums[4] = {0.0f, 0.0f, 0.0f, 0.0f};
#endif
    // Cell by cell, then row by row inside the cell: the order of the sums.
    for (int cellRow = y0 >> 3; cellRow <= (y1 >> 3); ++cellRow) {
        const int rowFirst = std::max(y0, cellRow * 8);
        const int rowLast = std::min(y1, cellRow * 8 + 7);
        for (int cellColumn = x0 >> 3; cellColumn <= (x1 >> 3); ++cellColumn) {
            const int columnFirst = std::max(x0, cellColumn * 8);
            const int columnLast = std::min(x1, cellColumn * 8 + 7);
            for (int row = rowFirst; row <= rowLast; ++row) {
                const float dy = cellOffset(row, y);
                const float dy2 = dy * dy;
                const unsigned char* line = source.engineRow(row);
                for (int column = columnFirst; column <= columnLast; ++column) {
                    const float dx = m_columnDx[size_t(column - x0)];
                    const float rr = (dx * dx + dy2) * inverseRadius2;
                    if (!(rr <= 1.0f))
                        continue;
                    const float w = 1.0f - rr;
                    const unsigned char* p = line + qsizetype(column) * 4;
                    sumWeight += w;
#if defined(__SSE2__)
                    uint32_t bytes;
                    std::memcpy(&bytes, p, 4);
                    const __m128i wide = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(bytes)), zero), zero);
                    sums = _mm_add_ps(sums, _mm_div_ps(_mm_mul_ps(_mm_cvtepi32_ps(wide), _mm_set1_ps(w)), d255));
#else
                    for (int k = 0; k < 4; ++k)
                        sums[k] += float(p[k]) * w / 255.0f;
#endif
                }
            }
        }
    }
#if defined(__SSE2__)
    float channelSums[4];
    _mm_storeu_ps(channelSums, sums);
#else
    const float* channelSums = sums;
#endif
    const float sumR = channelSums[0], sumG = channelSums[1], sumB = channelSums[2], sumA = channelSums[3];
    // Nothing weighed: the disc lies off the bitmap, which reads as transparent.
    if (!(sumWeight > 0.0f))
        return;

    const float alpha = sumA / sumWeight;
    float red = 1.0f, green = 0.0f, blue = 0.0f;
    if (alpha > 0.0f) {
        red = sumR / sumWeight / alpha;
        green = sumG / sumWeight / alpha;
        blue = sumB / sumWeight / alpha;
    }
    colorR = clamp01(red);
    colorG = clamp01(green);
    colorB = clamp01(blue);
    colorA = clamp01(alpha);
}

QImage DabSurface::createImage() const
{
    return m_context ? m_context->copy() : QImage();
}

void DabSurface::setColorBytes(float red, float green, float blue, float alpha)
{
    m_colorBytes[0] = static_cast<unsigned char>(colorByte(red));
    m_colorBytes[1] = static_cast<unsigned char>(colorByte(green));
    m_colorBytes[2] = static_cast<unsigned char>(colorByte(blue));
    m_colorBytes[3] = static_cast<unsigned char>(colorByte(alpha));
}

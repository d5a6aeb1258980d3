#include "DabRowKernel.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define DAB_ROW_KERNEL_X86 1
#include <immintrin.h>
#endif

namespace DabRowKernel {

namespace {

// Opacity and erase amount (0..255) of one pixel; both 0 outside the ellipse.
inline void pixelAmounts(int i, const DabRowShape& s, int& a8, int& e8)
{
    const float xr = s.columnCos[i] + s.rowSin;
    const float yr = (s.rowCos - s.columnSin[i]) * s.ratio;
    const float rr = (xr * xr + yr * yr) * s.inverseRadius2;
    a8 = 0;
    e8 = 0;
    if (!(rr <= 1.0f))
        return;
    if (s.hard) {
        a8 = s.hardAlpha;
        e8 = s.hardErase;
        return;
    }
    float p;
    if (rr < s.hardness)
        p = rr + 1.0f - rr / s.hardness;
    else
        p = s.hardnessFactor * (1.0f - rr);
    a8 = int(p * s.opacity * 255.0f);
    if (a8 > 255)
        a8 = 255;
    e8 = int(float(a8) * s.eraserTargetAlpha);
}

// With C = 255 for alpha the formula gives a × (255 − a8) / 255 + e8, which
// never exceeds 255 because e8 ≤ a8.
inline void blendPixel(const unsigned char* src, unsigned char* dst, int a8, int e8, const uint16_t* color)
{
    const int keep = 255 - a8;
    for (int k = 0; k < 4; ++k) {
        const int v = (int(src[k]) * keep + int(color[k]) * e8) / 255;
        dst[k] = static_cast<unsigned char>(v > 255 ? 255 : v);
    }
}

void renderScalar(const unsigned char* source, unsigned char* target, int n, const DabRowShape& shape)
{
    for (int i = 0; i < n; ++i) {
        int a8, e8;
        pixelAmounts(i, shape, a8, e8);
        const unsigned char* src = source + 4 * i;
        unsigned char* dst = target + 4 * i;
        if (a8 == 0) {
            if (src != dst)
                std::memcpy(dst, src, 4);
            continue;
        }
        blendPixel(src, dst, a8, e8, shape.color);
    }
}

void renderInsideScalar(unsigned char* pixels, int n, const DabRowShape& shape)
{
    if (shape.hardAlpha == 0)
        return;
    for (int i = 0; i < n; ++i)
        blendPixel(pixels + 4 * i, pixels + 4 * i, shape.hardAlpha, shape.hardErase, shape.color);
}

// The largest sum of squares s whose scaled distance s × inverseRadius2
// still rounds to at most 1 (-1 when none does). Rounding keeps the product
// in the order of s, so comparing s with this limit decides every pixel as
// the product does, without the product. Worked out for every hard dab, so
// it is sought first a few steps from 1 / inverseRadius2, where it lies in
// the usual case (often a step below it: r² itself may scale to just over 1);
// otherwise by halving over the bit patterns of the non-negative floats
// (ordered as the floats are), which takes 31 steps at most.
float insideLimit(float inverseRadius2)
{
    auto inside = [inverseRadius2](uint32_t bits) {
        float s;
        std::memcpy(&s, &bits, 4);
        return s * inverseRadius2 <= 1.0f;
    };
    auto toFloat = [](uint32_t bits) {
        float s;
        std::memcpy(&s, &bits, 4);
        return s;
    };
    constexpr uint32_t kInfinity = 0x7F800000u;
    const float guess = 1.0f / inverseRadius2;
    uint32_t bits;
    std::memcpy(&bits, &guess, 4);
    if (guess > 0.0f && bits < kInfinity) {
        // inside() holds up to the limit and not beyond it: walk towards the
        // edge from the guess.
        constexpr int kSteps = 8;
        if (inside(bits)) {
            for (int step = 0; step < kSteps; ++step, ++bits) {
                if (!inside(bits + 1))
                    return toFloat(bits);
            }
        } else {
            for (int step = 0; step < kSteps && bits > 0; ++step) {
                --bits;
                if (inside(bits))
                    return toFloat(bits);
            }
        }
    }
    if (!inside(0))
        return -1.0f;
    uint32_t lo = 0, hi = kInfinity; // inside(lo); past hi nothing counts
    if (inside(hi))
        lo = hi;
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo + 1) / 2;
        if (inside(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    float limit;
    std::memcpy(&limit, &lo, 4);
    return limit;
}

// Continues a vector loop's remainder with the plain loop.
void renderRest(const unsigned char* source, unsigned char* target, int done, int n, const DabRowShape& s)
{
    if (done >= n)
        return;
    DabRowShape rest = s;
    rest.columnCos += done;
    rest.columnSin += done;
    renderScalar(source + 4 * done, target + 4 * done, n - done, rest);
}

#if defined(DAB_ROW_KERNEL_X86)

// Exact v / 255 (truncating) for 0 <= v <= 65025, in 16-bit lanes.
inline __m128i divide255(__m128i v)
{
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(v, _mm_set1_epi16(1)), _mm_srli_epi16(v, 8)), 8);
}

// Blends 4 pixels with their 4 opacity and erase amounts (32-bit lanes).
inline __m128i blend4(__m128i px, __m128i a8, __m128i e8, __m128i color)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i w255 = _mm_set1_epi16(255);
    // Spread each pixel's amounts over its four 16-bit channels.
    const __m128i a16 = _mm_unpacklo_epi16(_mm_packs_epi32(a8, a8), _mm_packs_epi32(a8, a8));
    const __m128i e16 = _mm_unpacklo_epi16(_mm_packs_epi32(e8, e8), _mm_packs_epi32(e8, e8));
    const __m128i keepLo = _mm_sub_epi16(w255, _mm_unpacklo_epi32(a16, a16));
    const __m128i keepHi = _mm_sub_epi16(w255, _mm_unpackhi_epi32(a16, a16));
    const __m128i eraseLo = _mm_unpacklo_epi32(e16, e16);
    const __m128i eraseHi = _mm_unpackhi_epi32(e16, e16);
    // At most 255 × 255 per product and per sum: 16 bits unsigned hold it.
    const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(px, zero), keepLo), _mm_mullo_epi16(color, eraseLo));
    const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(px, zero), keepHi), _mm_mullo_epi16(color, eraseHi));
    return _mm_packus_epi16(divide255(lo), divide255(hi));
}

// C × e8 of a hard dab for the four channels of two pixels. Up to 255 × 255,
// which fills a 16-bit lane (the arithmetic is unsigned modulo 2^16).
inline __m128i hardAddend(const DabRowShape& s)
{
    const short r = short(s.color[0] * s.hardErase), g = short(s.color[1] * s.hardErase);
    const short b = short(s.color[2] * s.hardErase), a = short(s.color[3] * s.hardErase);
    return _mm_setr_epi16(r, g, b, a, r, g, b, a);
}

void renderSse2(const unsigned char* source, unsigned char* target, int n, const DabRowShape& s)
{
    const __m128 rowSin = _mm_set1_ps(s.rowSin);
    const __m128 rowCos = _mm_set1_ps(s.rowCos);
    const __m128 ratio = _mm_set1_ps(s.ratio);
    const __m128 inverseRadius2 = _mm_set1_ps(s.inverseRadius2);
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 hardness = _mm_set1_ps(s.hardness);
    const __m128 hardnessFactor = _mm_set1_ps(s.hardnessFactor);
    const __m128 opacity = _mm_set1_ps(s.opacity);
    const __m128 f255 = _mm_set1_ps(255.0f);
    const __m128 eraserTargetAlpha = _mm_set1_ps(s.eraserTargetAlpha);
    const __m128i hardKeep = _mm_set1_epi16(short(255 - s.hardAlpha));
    const __m128i hardAdd = hardAddend(s);
    const __m128i zero = _mm_setzero_si128();
    const __m128i color = _mm_setr_epi16(short(s.color[0]), short(s.color[1]), short(s.color[2]), short(s.color[3]),
                                         short(s.color[0]), short(s.color[1]), short(s.color[2]), short(s.color[3]));

    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 xr = _mm_add_ps(_mm_loadu_ps(s.columnCos + i), rowSin);
        const __m128 yr = _mm_mul_ps(_mm_sub_ps(rowCos, _mm_loadu_ps(s.columnSin + i)), ratio);
        const __m128 rr = _mm_mul_ps(_mm_add_ps(_mm_mul_ps(xr, xr), _mm_mul_ps(yr, yr)), inverseRadius2);
        const __m128i inside = _mm_castps_si128(_mm_cmple_ps(rr, one));
        if (_mm_movemask_epi8(inside) == 0) {
            if (source != target)
                std::memcpy(target + 4 * i, source + 4 * i, 16);
            continue;
        }
        const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
        if (s.hard) {
            // One blend for the whole dab; each pixel is one 32-bit lane of
            // the mask, so the mask picks blended or untouched pixels whole.
            const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(px, zero), hardKeep), hardAdd);
            const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(px, zero), hardKeep), hardAdd);
            const __m128i blended = _mm_packus_epi16(divide255(lo), divide255(hi));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4 * i),
                             _mm_or_si128(_mm_and_si128(inside, blended), _mm_andnot_si128(inside, px)));
            continue;
        }
        const __m128 inner = _mm_sub_ps(_mm_add_ps(rr, one), _mm_div_ps(rr, hardness));
        const __m128 outer = _mm_mul_ps(hardnessFactor, _mm_sub_ps(one, rr));
        const __m128 useInner = _mm_cmplt_ps(rr, hardness);
        const __m128 p = _mm_or_ps(_mm_and_ps(useInner, inner), _mm_andnot_ps(useInner, outer));
        // Inside the ellipse 0 <= p <= 1 (to the last bit: p × 255 stays
        // below 256), so only the lanes outside, dropped here, can hold
        // anything else.
        const __m128i a8 = _mm_and_si128(inside, _mm_cvttps_epi32(_mm_mul_ps(_mm_mul_ps(p, opacity), f255)));
        const __m128i e8 = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(a8), eraserTargetAlpha));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4 * i), blend4(px, a8, e8, color));
    }
    renderRest(source, target, i, n, s);
}

void renderInsideSse2(unsigned char* pixels, int n, const DabRowShape& s)
{
    if (s.hardAlpha == 0)
        return;
    const __m128i zero = _mm_setzero_si128();
    const __m128i keep = _mm_set1_epi16(short(255 - s.hardAlpha));
    const __m128i add = hardAddend(s);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i* p = reinterpret_cast<__m128i*>(pixels + 4 * i);
        const __m128i px = _mm_loadu_si128(p);
        const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(px, zero), keep), add);
        const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(px, zero), keep), add);
        _mm_storeu_si128(p, _mm_packus_epi16(divide255(lo), divide255(hi)));
    }
    for (; i < n; ++i)
        blendPixel(pixels + 4 * i, pixels + 4 * i, s.hardAlpha, s.hardErase, s.color);
}

// Eight pixels at a time on processors that have it, picked at run time so
// the build stays plain x86-64. The float steps are the plain loop's, one by
// one in the same order (no fused multiply-add), so every byte comes out the
// same.
#define DAB_ROW_KERNEL_AVX2 __attribute__((target("avx2")))

// Exact v / 255 (truncating) for every 16-bit v: v × 0x8081 >> 23.
DAB_ROW_KERNEL_AVX2 inline __m256i divide255x8(__m256i v)
{
    return _mm256_srli_epi16(_mm256_mulhi_epu16(v, _mm256_set1_epi16(short(0x8081))), 7);
}

// Spreads the low byte of each 32-bit lane over the four 16-bit channels of
// its pixel: pixels 0-1 of each 128-bit half for the low half of the pixels'
// channels, pixels 2-3 for the high half (as the byte unpacks order them).
DAB_ROW_KERNEL_AVX2 inline __m256i spreadLow(__m256i v)
{
    const __m256i order = _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1,
                                           0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1);
    return _mm256_shuffle_epi8(v, order);
}

DAB_ROW_KERNEL_AVX2 inline __m256i spreadHigh(__m256i v)
{
    const __m256i order = _mm256_setr_epi8(8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1,
                                           8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1);
    return _mm256_shuffle_epi8(v, order);
}

// Blends 8 pixels with their 8 opacity and erase amounts (32-bit lanes,
// 0..255). The unpacks and the pack work within each 128-bit half, pixels
// 0-3 and 4-7.
DAB_ROW_KERNEL_AVX2 inline __m256i blend8(__m256i px, __m256i a8, __m256i e8, __m256i color)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i keep = _mm256_sub_epi32(_mm256_set1_epi32(255), a8);
    const __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(px, zero), spreadLow(keep)),
                                        _mm256_mullo_epi16(color, spreadLow(e8)));
    const __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(px, zero), spreadHigh(keep)),
                                        _mm256_mullo_epi16(color, spreadHigh(e8)));
    return _mm256_packus_epi16(divide255x8(lo), divide255x8(hi));
}

// One constant blend of 8 pixels: c × keep + add, / 255.
DAB_ROW_KERNEL_AVX2 inline __m256i blendConstant8(__m256i px, __m256i keep, __m256i add)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(px, zero), keep), add);
    const __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(px, zero), keep), add);
    return _mm256_packus_epi16(divide255x8(lo), divide255x8(hi));
}

// Rows whose known inside spans this many pixels take the constant blend
// there; on shorter ones the changing split would cost more than it saves.
constexpr int kLongInside = 64;

// The per-dab terms of the eight-pixel path, set up once for a row or a box.
struct Avx2Terms
{
    __m256 ratio, inverseRadius2, one, hardness, hardnessFactor, opacity, f255, eraserTargetAlpha;
    __m256i hardKeep, hardAdd, color, laneIndex;
    bool hard, fullTarget;
};

DAB_ROW_KERNEL_AVX2 inline void setUpAvx2(Avx2Terms& t, const DabRowShape& s)
{
    t.ratio = _mm256_set1_ps(s.ratio);
    t.inverseRadius2 = _mm256_set1_ps(s.inverseRadius2);
    t.one = _mm256_set1_ps(1.0f);
    t.hardness = _mm256_set1_ps(s.hardness);
    t.hardnessFactor = _mm256_set1_ps(s.hardnessFactor);
    t.opacity = _mm256_set1_ps(s.opacity);
    t.f255 = _mm256_set1_ps(255.0f);
    t.eraserTargetAlpha = _mm256_set1_ps(s.eraserTargetAlpha);
    t.hardKeep = _mm256_set1_epi16(short(255 - s.hardAlpha));
    t.hardAdd = _mm256_broadcastsi128_si256(hardAddend(s));
    t.color = _mm256_broadcastsi128_si256(_mm_setr_epi16(short(s.color[0]), short(s.color[1]), short(s.color[2]),
                                                         short(s.color[3]), short(s.color[0]), short(s.color[1]),
                                                         short(s.color[2]), short(s.color[3])));
    t.laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    t.hard = s.hard;
    // With a target alpha of 1 the erase amount is a8 itself.
    t.fullTarget = s.eraserTargetAlpha == 1.0f;
}

// Blends the first `count` (at most 8) pixels of source into target; the
// lanes beyond count are neither read nor written.
DAB_ROW_KERNEL_AVX2 inline void blendGroupAvx2(const unsigned char* source, unsigned char* target,
                                               const float* cosTerms, const float* sinTerms, int count,
                                               __m256 rowSin, __m256 rowCos, const Avx2Terms& t)
{
    const bool whole = count >= 8;
    const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(count), t.laneIndex);
    const __m256 columnCos = whole ? _mm256_loadu_ps(cosTerms) : _mm256_maskload_ps(cosTerms, lanes);
    const __m256 columnSin = whole ? _mm256_loadu_ps(sinTerms) : _mm256_maskload_ps(sinTerms, lanes);
    const __m256 xr = _mm256_add_ps(columnCos, rowSin);
    const __m256 yr = _mm256_mul_ps(_mm256_sub_ps(rowCos, columnSin), t.ratio);
    const __m256 rr = _mm256_mul_ps(_mm256_add_ps(_mm256_mul_ps(xr, xr), _mm256_mul_ps(yr, yr)), t.inverseRadius2);
    const __m256i inside = _mm256_and_si256(lanes, _mm256_castps_si256(_mm256_cmp_ps(rr, t.one, _CMP_LE_OQ)));
    if (_mm256_testz_si256(inside, inside) && source == target)
        return;
    const __m256i px = whole ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source))
                             : _mm256_maskload_epi32(reinterpret_cast<const int*>(source), lanes);
    __m256i result;
    if (_mm256_testz_si256(inside, inside)) {
        result = px;
    } else if (t.hard) {
        result = _mm256_blendv_epi8(px, blendConstant8(px, t.hardKeep, t.hardAdd), inside);
    } else {
        // The inner curve (and its division) only where a lane needs it.
        const __m256 useInner = _mm256_cmp_ps(rr, t.hardness, _CMP_LT_OQ);
        __m256 p = _mm256_mul_ps(t.hardnessFactor, _mm256_sub_ps(t.one, rr));
        if (!_mm256_testz_ps(useInner, useInner)) {
            const __m256 inner = _mm256_sub_ps(_mm256_add_ps(rr, t.one), _mm256_div_ps(rr, t.hardness));
            p = _mm256_blendv_ps(p, inner, useInner);
        }
        const __m256i a8 =
            _mm256_and_si256(inside, _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_mul_ps(p, t.opacity), t.f255)));
        const __m256i e8 =
            t.fullTarget ? a8 : _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(a8), t.eraserTargetAlpha));
        result = blend8(px, a8, e8, t.color);
    }
    if (whole)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), result);
    else
        _mm256_maskstore_epi32(reinterpret_cast<int*>(target), lanes, result);
}

// The constant blend of a hard dab's inside for the first `count` (at most 8) pixels.
DAB_ROW_KERNEL_AVX2 inline void blendInsideGroupAvx2(unsigned char* pixels, int count, const Avx2Terms& t)
{
    if (count >= 8) {
        __m256i* p = reinterpret_cast<__m256i*>(pixels);
        _mm256_storeu_si256(p, blendConstant8(_mm256_loadu_si256(p), t.hardKeep, t.hardAdd));
        return;
    }
    const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(count), t.laneIndex);
    int* p = reinterpret_cast<int*>(pixels);
    _mm256_maskstore_epi32(p, lanes, blendConstant8(_mm256_maskload_epi32(p, lanes), t.hardKeep, t.hardAdd));
}

DAB_ROW_KERNEL_AVX2 void renderAvx2(const unsigned char* source, unsigned char* target, int n, const DabRowShape& s)
{
    Avx2Terms t;
    setUpAvx2(t, s);
    const __m256 rowSin = _mm256_set1_ps(s.rowSin);
    const __m256 rowCos = _mm256_set1_ps(s.rowCos);
    for (int i = 0; i < n; i += 8)
        blendGroupAvx2(source + 4 * i, target + 4 * i, s.columnCos + i, s.columnSin + i, n - i, rowSin, rowCos, t);
}

DAB_ROW_KERNEL_AVX2 void renderBoxAvx2(const DabBox& box, const DabRowShape& s)
{
    Avx2Terms t;
    setUpAvx2(t, s);
    if (t.hard && s.hardAlpha == 0)
        return;
    const float* const cosTerms = s.columnCos;
    const float* const sinTerms = s.columnSin;
    const DabBox b = box;
    for (int r = 0; r < b.rows; ++r) {
        const DabRowSpan span = b.spans[r];
        unsigned char* line = b.pixels + b.stride * r;
        const __m256 rowSin = _mm256_set1_ps(b.rowSin[r]);
        const __m256 rowCos = _mm256_set1_ps(b.rowCos[r]);
        const bool longInside = t.hard && span.insideLast - span.insideFirst + 1 >= kLongInside;
        for (int i = span.first; i <= span.last; i += 8) {
            const int count = std::min(8, span.last + 1 - i);
            unsigned char* pixels = line + 4 * i;
            // A group wholly inside a hard dab needs no distance.
            if (longInside && i >= span.insideFirst && i + count - 1 <= span.insideLast)
                blendInsideGroupAvx2(pixels, count, t);
            else
                blendGroupAvx2(pixels, pixels, cosTerms + i, sinTerms + i, count, rowSin, rowCos, t);
        }
    }
}

DAB_ROW_KERNEL_AVX2 void renderInsideAvx2(unsigned char* pixels, int n, const DabRowShape& s)
{
    if (s.hardAlpha == 0)
        return;
    const __m256i keep = _mm256_set1_epi16(short(255 - s.hardAlpha));
    const __m256i add = _mm256_broadcastsi128_si256(hardAddend(s));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i* p = reinterpret_cast<__m256i*>(pixels + 4 * i);
        _mm256_storeu_si256(p, blendConstant8(_mm256_loadu_si256(p), keep, add));
    }
    if (i < n) {
        const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        int* p = reinterpret_cast<int*>(pixels + 4 * i);
        _mm256_maskstore_epi32(p, lanes, blendConstant8(_mm256_maskload_epi32(p, lanes), keep, add));
    }
}

// Sixteen pixels at a time with AVX-512 (foundation and byte/word
// instructions): the same steps as the eight-pixel path, with lane masks
// in place of blends.
#define DAB_ROW_KERNEL_AVX512 __attribute__((target("avx512f,avx512bw")))

DAB_ROW_KERNEL_AVX512 inline __m512i divide255x16(__m512i v)
{
    return _mm512_srli_epi16(_mm512_mulhi_epu16(v, _mm512_set1_epi16(short(0x8081))), 7);
}

// Exact v / 255 (truncating) for 0 <= v <= 65025, given v + 1: (v + 1) × 257
// >> 16, one multiply where an addend can carry the 1 for free.
DAB_ROW_KERNEL_AVX512 inline __m512i divide255GivenPlusOne16(__m512i vPlusOne)
{
    return _mm512_mulhi_epu16(vPlusOne, _mm512_set1_epi16(257));
}

DAB_ROW_KERNEL_AVX512 inline __m512i spreadLow16(__m512i v)
{
    return _mm512_shuffle_epi8(v, _mm512_broadcast_i32x4(_mm_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4,
                                                                         -1, 4, -1)));
}

DAB_ROW_KERNEL_AVX512 inline __m512i spreadHigh16(__m512i v)
{
    return _mm512_shuffle_epi8(v, _mm512_broadcast_i32x4(_mm_setr_epi8(8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1,
                                                                         12, -1, 12, -1)));
}

DAB_ROW_KERNEL_AVX512 inline __m512i blend16(__m512i px, __m512i a8, __m512i e8, __m512i color)
{
    const __m512i zero = _mm512_setzero_si512();
    const __m512i keep = _mm512_sub_epi32(_mm512_set1_epi32(255), a8);
    const __m512i lo = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_unpacklo_epi8(px, zero), spreadLow16(keep)),
                                        _mm512_mullo_epi16(color, spreadLow16(e8)));
    const __m512i hi = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_unpackhi_epi8(px, zero), spreadHigh16(keep)),
                                        _mm512_mullo_epi16(color, spreadHigh16(e8)));
    return _mm512_packus_epi16(divide255x16(lo), divide255x16(hi));
}

// One constant blend of 16 pixels; addPlusOne is C × e8 + 1 per channel.
DAB_ROW_KERNEL_AVX512 inline __m512i blendConstant16(__m512i px, __m512i keep, __m512i addPlusOne)
{
    const __m512i zero = _mm512_setzero_si512();
    const __m512i lo = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_unpacklo_epi8(px, zero), keep), addPlusOne);
    const __m512i hi = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_unpackhi_epi8(px, zero), keep), addPlusOne);
    return _mm512_packus_epi16(divide255GivenPlusOne16(lo), divide255GivenPlusOne16(hi));
}

// C × e8 + 1 of a hard dab for every channel (at most 65026: still 16 bits).
DAB_ROW_KERNEL_AVX512 inline __m512i hardAddendPlusOne16(const DabRowShape& s)
{
    return _mm512_add_epi16(_mm512_broadcast_i32x4(hardAddend(s)), _mm512_set1_epi16(1));
}

inline __mmask16 firstLanes(int count)
{
    return count >= 16 ? __mmask16(0xFFFF) : __mmask16((1u << count) - 1u);
}

// The per-dab terms of the sixteen-pixel path, set up once for a row or a box.
struct Avx512Terms
{
    __m512 ratio, inverseRadius2, one, hardness, hardnessFactor, opacity, f255, eraserTargetAlpha;
    __m512 insideLimit;     // hard dab: see insideLimit
    __m512 inverseHardness; // soft dab: 1 / hardness, used only when exact
    __m512i hardKeep, hardAddPlusOne, color;
    bool hard, fullTarget;
    bool round;          // ratio 1: the stretch changes no bit and is left out
    bool exactInverse;   // 1 / hardness exact: dividing by hardness is multiplying by it
};

DAB_ROW_KERNEL_AVX512 inline void setUpAvx512(Avx512Terms& t, const DabRowShape& s)
{
    t.ratio = _mm512_set1_ps(s.ratio);
    t.inverseRadius2 = _mm512_set1_ps(s.inverseRadius2);
    t.one = _mm512_set1_ps(1.0f);
    t.hardness = _mm512_set1_ps(s.hardness);
    t.hardnessFactor = _mm512_set1_ps(s.hardnessFactor);
    t.opacity = _mm512_set1_ps(s.opacity);
    t.f255 = _mm512_set1_ps(255.0f);
    t.eraserTargetAlpha = _mm512_set1_ps(s.eraserTargetAlpha);
    t.insideLimit = _mm512_set1_ps(s.hard ? insideLimit(s.inverseRadius2) : 0.0f);
    const float inverseHardness = 1.0f / s.hardness;
    t.inverseHardness = _mm512_set1_ps(inverseHardness);
    t.hardKeep = _mm512_set1_epi16(short(255 - s.hardAlpha));
    t.hardAddPlusOne = hardAddendPlusOne16(s);
    t.color = _mm512_broadcast_i32x4(_mm_setr_epi16(short(s.color[0]), short(s.color[1]), short(s.color[2]),
                                                    short(s.color[3]), short(s.color[0]), short(s.color[1]),
                                                    short(s.color[2]), short(s.color[3])));
    t.hard = s.hard;
    t.fullTarget = s.eraserTargetAlpha == 1.0f;
    t.round = s.ratio == 1.0f;
    // The product of two floats is exact in a double: 1 exactly when the
    // inverse is, and then x / h and x × (1 / h) round the same number.
    t.exactInverse = double(inverseHardness) * double(s.hardness) == 1.0;
}

// Blends the pixels of the given lanes (up to 16) of source into target;
// other lanes are neither read nor written.
DAB_ROW_KERNEL_AVX512 inline void blendGroupAvx512(const unsigned char* source, unsigned char* target,
                                                   const float* cosTerms, const float* sinTerms, __mmask16 lanes,
                                                   __m512 rowSin, __m512 rowCos, const Avx512Terms& t)
{
    const __m512 xr = _mm512_add_ps(_mm512_maskz_loadu_ps(lanes, cosTerms), rowSin);
    const __m512 yr = _mm512_mul_ps(_mm512_sub_ps(rowCos, _mm512_maskz_loadu_ps(lanes, sinTerms)), t.ratio);
    const __m512 rr = _mm512_mul_ps(_mm512_add_ps(_mm512_mul_ps(xr, xr), _mm512_mul_ps(yr, yr)), t.inverseRadius2);
    const __mmask16 inside = _mm512_mask_cmp_ps_mask(lanes, rr, t.one, _CMP_LE_OQ);
    if (inside == 0 && source == target)
        return;
    const __m512i px = _mm512_maskz_loadu_epi32(lanes, source);
    __m512i result;
    if (inside == 0) {
        result = px;
    } else if (t.hard) {
        result = _mm512_mask_mov_epi32(px, inside, blendConstant16(px, t.hardKeep, t.hardAddPlusOne));
    } else {
        const __mmask16 useInner = _mm512_cmp_ps_mask(rr, t.hardness, _CMP_LT_OQ);
        __m512 p = _mm512_mul_ps(t.hardnessFactor, _mm512_sub_ps(t.one, rr));
        if (useInner) {
            const __m512 inner = _mm512_sub_ps(_mm512_add_ps(rr, t.one), _mm512_div_ps(rr, t.hardness));
            p = _mm512_mask_mov_ps(p, useInner, inner);
        }
        const __m512i a8 = _mm512_maskz_cvttps_epi32(inside, _mm512_mul_ps(_mm512_mul_ps(p, t.opacity), t.f255));
        const __m512i e8 =
            t.fullTarget ? a8 : _mm512_cvttps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(a8), t.eraserTargetAlpha));
        result = blend16(px, a8, e8, t.color);
    }
    _mm512_mask_storeu_epi32(target, lanes, result);
}

DAB_ROW_KERNEL_AVX512 void renderAvx512(const unsigned char* source, unsigned char* target, int n,
                                        const DabRowShape& s)
{
    Avx512Terms t;
    setUpAvx512(t, s);
    const __m512 rowSin = _mm512_set1_ps(s.rowSin);
    const __m512 rowCos = _mm512_set1_ps(s.rowCos);
    for (int i = 0; i < n; i += 16)
        blendGroupAvx512(source + 4 * i, target + 4 * i, s.columnCos + i, s.columnSin + i, firstLanes(n - i), rowSin,
                         rowCos, t);
}

// xr² + yr² of the given lanes, each product and sum rounded on its own as
// in the plain loop. A round dab leaves out the stretch by the ratio: × 1
// changes no bit.
template <bool Round>
DAB_ROW_KERNEL_AVX512 inline __m512 sumOfSquares16(const float* cosTerms, const float* sinTerms, __mmask16 lanes,
                                                   __m512 rowSin, __m512 rowCos, const Avx512Terms& t)
{
    const __m512 xr = _mm512_add_ps(_mm512_maskz_loadu_ps(lanes, cosTerms), rowSin);
    __m512 yr = _mm512_sub_ps(rowCos, _mm512_maskz_loadu_ps(lanes, sinTerms));
    if constexpr (!Round)
        yr = _mm512_mul_ps(yr, t.ratio);
    return _mm512_add_ps(_mm512_mul_ps(xr, xr), _mm512_mul_ps(yr, yr));
}

// In place, the pixels of the given lanes that lie inside a hard dab take
// its one blend; the others are left alone. No branch depends on where the
// ellipse falls, which on small dabs costs more in mispredictions than the
// distances cost to work out. The pixels are loaded under the lanes, which
// are known at once, not under the inside mask: a load that waits for the
// distances holds up the following rows' work (a hard radius-20 dab took
// about a quarter longer so, and at times three times as long). Only the
// store waits for them.
template <bool Round>
DAB_ROW_KERNEL_AVX512 inline void blendHardGroupAvx512(unsigned char* pixels, const float* cosTerms,
                                                       const float* sinTerms, __mmask16 lanes, __m512 rowSin,
                                                       __m512 rowCos, const Avx512Terms& t)
{
    const __m512 squares = sumOfSquares16<Round>(cosTerms, sinTerms, lanes, rowSin, rowCos, t);
    const __mmask16 inside = _mm512_mask_cmp_ps_mask(lanes, squares, t.insideLimit, _CMP_LE_OQ);
    const __m512i px = _mm512_maskz_loadu_epi32(lanes, pixels);
    _mm512_mask_storeu_epi32(pixels, inside, blendConstant16(px, t.hardKeep, t.hardAddPlusOne));
}

// The same for a soft dab: each lane's opacity worked out and blended.
template <bool Round, bool ExactInverse>
DAB_ROW_KERNEL_AVX512 inline void blendSoftGroupAvx512(unsigned char* pixels, const float* cosTerms,
                                                       const float* sinTerms, __mmask16 lanes, __m512 rowSin,
                                                       __m512 rowCos, const Avx512Terms& t)
{
    const __m512 rr =
        _mm512_mul_ps(sumOfSquares16<Round>(cosTerms, sinTerms, lanes, rowSin, rowCos, t), t.inverseRadius2);
    const __mmask16 inside = _mm512_mask_cmp_ps_mask(lanes, rr, t.one, _CMP_LE_OQ);
    // Soft work is dear enough that groups wholly outside are worth a jump,
    // and so is the inner curve's division where no lane needs it.
    if (inside == 0)
        return;
    const __mmask16 useInner = _mm512_mask_cmp_ps_mask(inside, rr, t.hardness, _CMP_LT_OQ);
    __m512 p = _mm512_mul_ps(t.hardnessFactor, _mm512_sub_ps(t.one, rr));
    if constexpr (ExactInverse)
        p = _mm512_mask_sub_ps(p, useInner, _mm512_add_ps(rr, t.one), _mm512_mul_ps(rr, t.inverseHardness));
    else if (useInner)
        p = _mm512_mask_sub_ps(p, useInner, _mm512_add_ps(rr, t.one), _mm512_div_ps(rr, t.hardness));
    const __m512i a8 = _mm512_maskz_cvttps_epi32(inside, _mm512_mul_ps(_mm512_mul_ps(p, t.opacity), t.f255));
    const __m512i e8 =
        t.fullTarget ? a8 : _mm512_cvttps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(a8), t.eraserTargetAlpha));
    // a8 and e8 are 0 outside, where the blend leaves a pixel as it was.
    const __m512i px = _mm512_maskz_loadu_epi32(lanes, pixels);
    _mm512_mask_storeu_epi32(pixels, lanes, blend16(px, a8, e8, t.color));
}

// Every row of a box with one kind of group, chosen once for the dab.
template <bool Hard, bool Round, bool ExactInverse>
DAB_ROW_KERNEL_AVX512 void renderBoxRowsAvx512(const DabBox& box, const float* cosTerms, const float* sinTerms,
                                               const Avx512Terms& t)
{
    const DabBox b = box;
    for (int r = 0; r < b.rows; ++r) {
        const DabRowSpan span = b.spans[r];
        unsigned char* line = b.pixels + b.stride * r;
        const __m512 rowSin = _mm512_set1_ps(b.rowSin[r]);
        const __m512 rowCos = _mm512_set1_ps(b.rowCos[r]);
        auto group = [&](int i, int count) DAB_ROW_KERNEL_AVX512 {
            if constexpr (Hard)
                blendHardGroupAvx512<Round>(line + 4 * i, cosTerms + i, sinTerms + i, firstLanes(count), rowSin,
                                            rowCos, t);
            else
                blendSoftGroupAvx512<Round, ExactInverse>(line + 4 * i, cosTerms + i, sinTerms + i,
                                                          firstLanes(count), rowSin, rowCos, t);
        };
        int from = span.first;
        if (Hard && span.insideLast - span.insideFirst + 1 >= kLongInside) {
            for (int i = span.first; i < span.insideFirst; i += 16)
                group(i, std::min(16, span.insideFirst - i));
            int i = span.insideFirst;
            for (; i + 16 <= span.insideLast + 1; i += 16) {
                unsigned char* pixels = line + 4 * i;
                _mm512_storeu_si512(pixels,
                                    blendConstant16(_mm512_loadu_si512(pixels), t.hardKeep, t.hardAddPlusOne));
            }
            from = i;
        }
        for (int i = from; i <= span.last; i += 16)
            group(i, span.last + 1 - i);
    }
}

DAB_ROW_KERNEL_AVX512 void renderBoxAvx512(const DabBox& box, const DabRowShape& s)
{
    Avx512Terms t;
    setUpAvx512(t, s);
    if (t.hard && s.hardAlpha == 0)
        return;
    // Held in locals: the pixel stores could otherwise alias them and have
    // them read again for every group.
    const float* const cosTerms = s.columnCos;
    const float* const sinTerms = s.columnSin;
    if (t.hard) {
        if (t.round)
            renderBoxRowsAvx512<true, true, false>(box, cosTerms, sinTerms, t);
        else
            renderBoxRowsAvx512<true, false, false>(box, cosTerms, sinTerms, t);
    } else if (t.round) {
        if (t.exactInverse)
            renderBoxRowsAvx512<false, true, true>(box, cosTerms, sinTerms, t);
        else
            renderBoxRowsAvx512<false, true, false>(box, cosTerms, sinTerms, t);
    } else {
        if (t.exactInverse)
            renderBoxRowsAvx512<false, false, true>(box, cosTerms, sinTerms, t);
        else
            renderBoxRowsAvx512<false, false, false>(box, cosTerms, sinTerms, t);
    }
}

DAB_ROW_KERNEL_AVX512 void renderInsideAvx512(unsigned char* pixels, int n, const DabRowShape& s)
{
    if (s.hardAlpha == 0)
        return;
    const __m512i keep = _mm512_set1_epi16(short(255 - s.hardAlpha));
    const __m512i add = hardAddendPlusOne16(s);
    for (int i = 0; i < n; i += 16) {
        const __mmask16 lanes = firstLanes(n - i);
        unsigned char* p = pixels + 4 * i;
        _mm512_mask_storeu_epi32(p, lanes, blendConstant16(_mm512_maskz_loadu_epi32(lanes, p), keep, add));
    }
}

#endif

} // namespace

bool available(Path path);

namespace {

Path fastest()
{
#if defined(DAB_ROW_KERNEL_X86)
    if (available(Path::Avx512))
        return Path::Avx512;
    if (available(Path::Avx2))
        return Path::Avx2;
    return Path::Sse2;
#else
    return Path::Scalar;
#endif
}

} // namespace

bool available(Path path)
{
    switch (path) {
    case Path::Scalar:
        return true;
#if defined(DAB_ROW_KERNEL_X86)
    case Path::Sse2:
        return true;
    case Path::Avx2: {
        static const bool avx2 = [] {
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2") != 0;
        }();
        return avx2;
    }
    case Path::Avx512: {
        static const bool avx512 = [] {
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0;
        }();
        return avx512;
    }
#else
    default:
        return false;
#endif
    }
    return false;
}

void render(Path path, const unsigned char* source, unsigned char* target, int n, const DabRowShape& shape)
{
    switch (path) {
#if defined(DAB_ROW_KERNEL_X86)
    case Path::Sse2:
        renderSse2(source, target, n, shape);
        return;
    case Path::Avx2:
        if (available(Path::Avx2)) {
            renderAvx2(source, target, n, shape);
            return;
        }
        renderScalar(source, target, n, shape);
        return;
    case Path::Avx512:
        if (available(Path::Avx512)) {
            renderAvx512(source, target, n, shape);
            return;
        }
        renderScalar(source, target, n, shape);
        return;
#endif
    default:
        renderScalar(source, target, n, shape);
        return;
    }
}

namespace {

using RowFunction = void (*)(const unsigned char*, unsigned char*, int, const DabRowShape&);
using InsideFunction = void (*)(unsigned char*, int, const DabRowShape&);

// The fastest path's functions, picked once: a dab calls them for every row.
RowFunction fastestRow()
{
    switch (fastest()) {
#if defined(DAB_ROW_KERNEL_X86)
    case Path::Avx512:
        return renderAvx512;
    case Path::Avx2:
        return renderAvx2;
    case Path::Sse2:
        return renderSse2;
#endif
    default:
        return renderScalar;
    }
}

InsideFunction fastestInside()
{
    switch (fastest()) {
#if defined(DAB_ROW_KERNEL_X86)
    case Path::Avx512:
        return renderInsideAvx512;
    case Path::Avx2:
        return renderInsideAvx2;
    case Path::Sse2:
        return renderInsideSse2;
#endif
    default:
        return renderInsideScalar;
    }
}

} // namespace

void render(const unsigned char* source, unsigned char* target, int n, const DabRowShape& shape)
{
    static const RowFunction row = fastestRow();
    row(source, target, n, shape);
}

namespace {

// Any path's box: each row's span through its row function, the inside of a
// hard dab through its constant blend.
void renderBoxByRows(RowFunction row, InsideFunction inside, const DabBox& box, const DabRowShape& s)
{
    DabRowShape shape = s;
    for (int r = 0; r < box.rows; ++r) {
        const DabRowSpan& span = box.spans[r];
        unsigned char* line = box.pixels + box.stride * r;
        shape.rowSin = box.rowSin[r];
        shape.rowCos = box.rowCos[r];
        auto part = [&](int from, int to) {
            if (from > to)
                return;
            shape.columnCos = s.columnCos + from;
            shape.columnSin = s.columnSin + from;
            row(line + 4 * from, line + 4 * from, to - from + 1, shape);
        };
        if (!s.hard || span.insideFirst > span.insideLast) {
            part(span.first, span.last);
            continue;
        }
        part(span.first, span.insideFirst - 1);
        inside(line + 4 * span.insideFirst, span.insideLast - span.insideFirst + 1, shape);
        part(span.insideLast + 1, span.last);
    }
}

using BoxFunction = void (*)(const DabBox&, const DabRowShape&);

void renderBoxScalar(const DabBox& box, const DabRowShape& shape)
{
    renderBoxByRows(renderScalar, renderInsideScalar, box, shape);
}

#if defined(DAB_ROW_KERNEL_X86)
void renderBoxSse2(const DabBox& box, const DabRowShape& shape)
{
    renderBoxByRows(renderSse2, renderInsideSse2, box, shape);
}
#endif

BoxFunction boxFunction(Path path)
{
    switch (path) {
#if defined(DAB_ROW_KERNEL_X86)
    case Path::Sse2:
        return renderBoxSse2;
    case Path::Avx2:
        return available(Path::Avx2) ? renderBoxAvx2 : renderBoxScalar;
    case Path::Avx512:
        return available(Path::Avx512) ? renderBoxAvx512 : renderBoxScalar;
#endif
    default:
        return renderBoxScalar;
    }
}

} // namespace

void renderBox(Path path, const DabBox& box, const DabRowShape& shape)
{
    boxFunction(path)(box, shape);
}

void renderBox(const DabBox& box, const DabRowShape& shape)
{
    static const BoxFunction function = boxFunction(fastest());
    function(box, shape);
}

void renderInside(Path path, unsigned char* pixels, int n, const DabRowShape& shape)
{
    switch (path) {
#if defined(DAB_ROW_KERNEL_X86)
    case Path::Sse2:
        renderInsideSse2(pixels, n, shape);
        return;
    case Path::Avx2:
        if (available(Path::Avx2)) {
            renderInsideAvx2(pixels, n, shape);
            return;
        }
        renderInsideScalar(pixels, n, shape);
        return;
    case Path::Avx512:
        if (available(Path::Avx512)) {
            renderInsideAvx512(pixels, n, shape);
            return;
        }
        renderInsideScalar(pixels, n, shape);
        return;
#endif
    default:
        renderInsideScalar(pixels, n, shape);
        return;
    }
}

void renderInside(unsigned char* pixels, int n, const DabRowShape& shape)
{
    static const InsideFunction inside = fastestInside();
    inside(pixels, n, shape);
}

} // namespace DabRowKernel

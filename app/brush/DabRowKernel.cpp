#include "DabRowKernel.h"

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

DAB_ROW_KERNEL_AVX2 void renderAvx2(const unsigned char* source, unsigned char* target, int n, const DabRowShape& s)
{
    const __m256 rowSin = _mm256_set1_ps(s.rowSin);
    const __m256 rowCos = _mm256_set1_ps(s.rowCos);
    const __m256 ratio = _mm256_set1_ps(s.ratio);
    const __m256 inverseRadius2 = _mm256_set1_ps(s.inverseRadius2);
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 hardness = _mm256_set1_ps(s.hardness);
    const __m256 hardnessFactor = _mm256_set1_ps(s.hardnessFactor);
    const __m256 opacity = _mm256_set1_ps(s.opacity);
    const __m256 f255 = _mm256_set1_ps(255.0f);
    const __m256 eraserTargetAlpha = _mm256_set1_ps(s.eraserTargetAlpha);
    const bool fullTarget = s.eraserTargetAlpha == 1.0f;
    const __m128i hardAdd128 = hardAddend(s);
    const __m256i hardKeep = _mm256_set1_epi16(short(255 - s.hardAlpha));
    const __m256i hardAdd = _mm256_broadcastsi128_si256(hardAdd128);
    const __m256i color = _mm256_setr_epi16(
        short(s.color[0]), short(s.color[1]), short(s.color[2]), short(s.color[3]), short(s.color[0]),
        short(s.color[1]), short(s.color[2]), short(s.color[3]), short(s.color[0]), short(s.color[1]),
        short(s.color[2]), short(s.color[3]), short(s.color[0]), short(s.color[1]), short(s.color[2]),
        short(s.color[3]));

    // Whole groups of 8, then the last few pixels through a lane mask: every
    // lane the mask leaves out is neither read nor written.
    const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int i = 0; i < n; i += 8) {
        const bool whole = i + 8 <= n;
        const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), laneIndex);
        const __m256 columnCos = whole ? _mm256_loadu_ps(s.columnCos + i)
                                       : _mm256_maskload_ps(s.columnCos + i, lanes);
        const __m256 columnSin = whole ? _mm256_loadu_ps(s.columnSin + i)
                                       : _mm256_maskload_ps(s.columnSin + i, lanes);
        const __m256 xr = _mm256_add_ps(columnCos, rowSin);
        const __m256 yr = _mm256_mul_ps(_mm256_sub_ps(rowCos, columnSin), ratio);
        const __m256 rr =
            _mm256_mul_ps(_mm256_add_ps(_mm256_mul_ps(xr, xr), _mm256_mul_ps(yr, yr)), inverseRadius2);
        const __m256i inside = _mm256_and_si256(lanes, _mm256_castps_si256(_mm256_cmp_ps(rr, one, _CMP_LE_OQ)));
        const __m256i px = whole ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 4 * i))
                                 : _mm256_maskload_epi32(reinterpret_cast<const int*>(source + 4 * i), lanes);
        __m256i result;
        if (_mm256_testz_si256(inside, inside)) {
            if (source == target)
                continue;
            result = px;
        } else if (s.hard) {
            result = _mm256_blendv_epi8(px, blendConstant8(px, hardKeep, hardAdd), inside);
        } else {
            // The inner curve (and its division) only where a lane needs it.
            const __m256 useInner = _mm256_cmp_ps(rr, hardness, _CMP_LT_OQ);
            __m256 p = _mm256_mul_ps(hardnessFactor, _mm256_sub_ps(one, rr));
            if (!_mm256_testz_ps(useInner, useInner)) {
                const __m256 inner = _mm256_sub_ps(_mm256_add_ps(rr, one), _mm256_div_ps(rr, hardness));
                p = _mm256_blendv_ps(p, inner, useInner);
            }
            const __m256i a8 =
                _mm256_and_si256(inside, _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_mul_ps(p, opacity), f255)));
            // With a target alpha of 1 the erase amount is a8 itself.
            const __m256i e8 = fullTarget
                ? a8
                : _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(a8), eraserTargetAlpha));
            result = blend8(px, a8, e8, color);
        }
        if (whole)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + 4 * i), result);
        else
            _mm256_maskstore_epi32(reinterpret_cast<int*>(target + 4 * i), lanes, result);
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

DAB_ROW_KERNEL_AVX512 inline __m512i blendConstant16(__m512i px, __m512i keep, __m512i add)
{
    const __m512i zero = _mm512_setzero_si512();
    const __m512i lo = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_unpacklo_epi8(px, zero), keep), add);
    const __m512i hi = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_unpackhi_epi8(px, zero), keep), add);
    return _mm512_packus_epi16(divide255x16(lo), divide255x16(hi));
}

inline __mmask16 firstLanes(int count)
{
    return count >= 16 ? __mmask16(0xFFFF) : __mmask16((1u << count) - 1u);
}

DAB_ROW_KERNEL_AVX512 void renderAvx512(const unsigned char* source, unsigned char* target, int n,
                                        const DabRowShape& s)
{
    const __m512 rowSin = _mm512_set1_ps(s.rowSin);
    const __m512 rowCos = _mm512_set1_ps(s.rowCos);
    const __m512 ratio = _mm512_set1_ps(s.ratio);
    const __m512 inverseRadius2 = _mm512_set1_ps(s.inverseRadius2);
    const __m512 one = _mm512_set1_ps(1.0f);
    const __m512 hardness = _mm512_set1_ps(s.hardness);
    const __m512 hardnessFactor = _mm512_set1_ps(s.hardnessFactor);
    const __m512 opacity = _mm512_set1_ps(s.opacity);
    const __m512 f255 = _mm512_set1_ps(255.0f);
    const __m512 eraserTargetAlpha = _mm512_set1_ps(s.eraserTargetAlpha);
    const bool fullTarget = s.eraserTargetAlpha == 1.0f;
    const __m512i hardKeep = _mm512_set1_epi16(short(255 - s.hardAlpha));
    const __m512i hardAdd = _mm512_broadcast_i32x4(hardAddend(s));
    const __m512i color = _mm512_broadcast_i32x4(_mm_setr_epi16(short(s.color[0]), short(s.color[1]), short(s.color[2]),
                                                                short(s.color[3]), short(s.color[0]), short(s.color[1]),
                                                                short(s.color[2]), short(s.color[3])));
    for (int i = 0; i < n; i += 16) {
        const __mmask16 lanes = firstLanes(n - i);
        const __m512 xr = _mm512_add_ps(_mm512_maskz_loadu_ps(lanes, s.columnCos + i), rowSin);
        const __m512 yr = _mm512_mul_ps(_mm512_sub_ps(rowCos, _mm512_maskz_loadu_ps(lanes, s.columnSin + i)), ratio);
        const __m512 rr =
            _mm512_mul_ps(_mm512_add_ps(_mm512_mul_ps(xr, xr), _mm512_mul_ps(yr, yr)), inverseRadius2);
        const __mmask16 inside = _mm512_mask_cmp_ps_mask(lanes, rr, one, _CMP_LE_OQ);
        const __m512i px = _mm512_maskz_loadu_epi32(lanes, source + 4 * i);
        __m512i result;
        if (inside == 0) {
            if (source == target)
                continue;
            result = px;
        } else if (s.hard) {
            result = _mm512_mask_mov_epi32(px, inside, blendConstant16(px, hardKeep, hardAdd));
        } else {
            const __mmask16 useInner = _mm512_cmp_ps_mask(rr, hardness, _CMP_LT_OQ);
            __m512 p = _mm512_mul_ps(hardnessFactor, _mm512_sub_ps(one, rr));
            if (useInner) {
                const __m512 inner = _mm512_sub_ps(_mm512_add_ps(rr, one), _mm512_div_ps(rr, hardness));
                p = _mm512_mask_mov_ps(p, useInner, inner);
            }
            const __m512i a8 = _mm512_maskz_cvttps_epi32(inside, _mm512_mul_ps(_mm512_mul_ps(p, opacity), f255));
            const __m512i e8 = fullTarget
                ? a8
                : _mm512_cvttps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(a8), eraserTargetAlpha));
            result = blend16(px, a8, e8, color);
        }
        _mm512_mask_storeu_epi32(target + 4 * i, lanes, result);
    }
}

DAB_ROW_KERNEL_AVX512 void renderInsideAvx512(unsigned char* pixels, int n, const DabRowShape& s)
{
    if (s.hardAlpha == 0)
        return;
    const __m512i keep = _mm512_set1_epi16(short(255 - s.hardAlpha));
    const __m512i add = _mm512_broadcast_i32x4(hardAddend(s));
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

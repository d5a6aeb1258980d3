#include "DabRowKernel.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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

// c' = (c × (255 − a8) + C × e8) / 255 for all four bytes; with C = 255 for
// alpha this is a × (255 − a8) / 255 + e8, which never exceeds 255 because
// e8 ≤ a8.
inline void blendPixel(const unsigned char* src, unsigned char* dst, int a8, int e8, const uint16_t* color)
{
    const int keep = 255 - a8;
    for (int k = 0; k < 4; ++k) {
        const int v = (int(src[k]) * keep + int(color[k]) * e8) / 255;
        dst[k] = static_cast<unsigned char>(v > 255 ? 255 : v);
    }
}

} // namespace

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

#if defined(__SSE2__)

void render(const unsigned char* source, unsigned char* target, int n, const DabRowShape& s)
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
    const __m128i hardAlpha = _mm_set1_epi32(s.hardAlpha);
    const __m128i hardErase = _mm_set1_epi32(s.hardErase);
    const __m128i i255 = _mm_set1_epi32(255);
    const __m128i w255 = _mm_set1_epi16(255);
    const __m128i w1 = _mm_set1_epi16(1);
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
        __m128i a8, e8;
        if (s.hard) {
            a8 = _mm_and_si128(inside, hardAlpha);
            e8 = _mm_and_si128(inside, hardErase);
        } else {
            const __m128 inner = _mm_sub_ps(_mm_add_ps(rr, one), _mm_div_ps(rr, hardness));
            const __m128 outer = _mm_mul_ps(hardnessFactor, _mm_sub_ps(one, rr));
            const __m128 useInner = _mm_cmplt_ps(rr, hardness);
            const __m128 p = _mm_or_ps(_mm_and_ps(useInner, inner), _mm_andnot_ps(useInner, outer));
            __m128i amount = _mm_cvttps_epi32(_mm_mul_ps(_mm_mul_ps(p, opacity), f255));
            // Clamp to 0..255 (SSE2 has no 32-bit min/max) and drop outside pixels.
            const __m128i over = _mm_cmpgt_epi32(amount, i255);
            amount = _mm_or_si128(_mm_and_si128(over, i255), _mm_andnot_si128(over, amount));
            amount = _mm_andnot_si128(_mm_cmplt_epi32(amount, zero), amount);
            a8 = _mm_and_si128(inside, amount);
            e8 = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(a8), eraserTargetAlpha));
        }
        // Spread each pixel's amounts over its four 16-bit channels.
        const __m128i a16 = _mm_packs_epi32(a8, a8);
        const __m128i e16 = _mm_packs_epi32(e8, e8);
        const __m128i a16d = _mm_unpacklo_epi16(a16, a16);
        const __m128i e16d = _mm_unpacklo_epi16(e16, e16);
        const __m128i keepLo = _mm_sub_epi16(w255, _mm_unpacklo_epi32(a16d, a16d));
        const __m128i keepHi = _mm_sub_epi16(w255, _mm_unpackhi_epi32(a16d, a16d));
        const __m128i eraseLo = _mm_unpacklo_epi32(e16d, e16d);
        const __m128i eraseHi = _mm_unpackhi_epi32(e16d, e16d);

        const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
        const __m128i pxLo = _mm_unpacklo_epi8(px, zero);
        const __m128i pxHi = _mm_unpackhi_epi8(px, zero);
        // At most 255 × 255 in each lane: fits 16 bits unsigned.
        __m128i vLo = _mm_add_epi16(_mm_mullo_epi16(pxLo, keepLo), _mm_mullo_epi16(color, eraseLo));
        __m128i vHi = _mm_add_epi16(_mm_mullo_epi16(pxHi, keepHi), _mm_mullo_epi16(color, eraseHi));
        // Exact v / 255 (truncating) for 0 <= v <= 65025.
        vLo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(vLo, w1), _mm_srli_epi16(vLo, 8)), 8);
        vHi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(vHi, w1), _mm_srli_epi16(vHi, 8)), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4 * i), _mm_packus_epi16(vLo, vHi));
    }
    if (i < n) {
        DabRowShape rest = s;
        rest.columnCos += i;
        rest.columnSin += i;
        renderScalar(source + 4 * i, target + 4 * i, n - i, rest);
    }
}

#else

void render(const unsigned char* source, unsigned char* target, int n, const DabRowShape& shape)
{
    renderScalar(source, target, n, shape);
}

#endif

} // namespace DabRowKernel

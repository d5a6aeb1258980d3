#include "DabBlend.h"

namespace DabBlend {

namespace {

// Walks the mask, calling pixel(m, px) for every masked pixel.
template <typename Pixel, typename Fn>
void forEachMasked(const uint16_t* mask, Pixel* rgba, Fn&& pixel)
{
    for (;;) {
        for (; mask[0]; ++mask, rgba += 4)
            pixel(uint32_t(mask[0]), rgba);
        if (!mask[1])
            break;
        rgba += mask[1];
        mask += 2;
    }
}

} // namespace

void blend_normal(const uint16_t* mask, uint16_t* rgba, uint16_t colorR, uint16_t colorG, uint16_t colorB,
                  uint16_t opacity)
{
    forEachMasked(mask, rgba, [&](uint32_t m, uint16_t* px) {
        const uint32_t o = (m * opacity) >> 15;
        const uint32_t k = (1u << 15) - o;
        px[3] = uint16_t(((px[3] * k) >> 15) + o);
        px[0] = uint16_t((px[0] * k + o * colorR) >> 15);
        px[1] = uint16_t((px[1] * k + o * colorG) >> 15);
        px[2] = uint16_t((px[2] * k + o * colorB) >> 15);
    });
}

void blend_eraser(const uint16_t* mask, uint16_t* rgba, uint16_t colorR, uint16_t colorG, uint16_t colorB,
                  uint16_t colorA, uint16_t opacity)
{
    forEachMasked(mask, rgba, [&](uint32_t m, uint16_t* px) {
        const uint32_t o = (m * opacity) >> 15;
        const uint32_t k = (1u << 15) - o;
        const uint32_t q = (o * colorA) >> 15;
        px[3] = uint16_t(((px[3] * k) >> 15) + q);
        px[0] = uint16_t((px[0] * k + q * colorR) >> 15);
        px[1] = uint16_t((px[1] * k + q * colorG) >> 15);
        px[2] = uint16_t((px[2] * k + q * colorB) >> 15);
    });
}

void blend_lock_alpha(const uint16_t* mask, uint16_t* rgba, uint16_t colorR, uint16_t colorG, uint16_t colorB,
                      uint16_t opacity)
{
    forEachMasked(mask, rgba, [&](uint32_t m, uint16_t* px) {
        const uint32_t o = (m * opacity) >> 15;
        const uint32_t k = (1u << 15) - o;
        const uint32_t q = (uint32_t(px[3]) * o) >> 15;
        px[0] = uint16_t((px[0] * k + q * colorR) >> 15);
        px[1] = uint16_t((px[1] * k + q * colorG) >> 15);
        px[2] = uint16_t((px[2] * k + q * colorB) >> 15);
    });
}

void accumulate_color(const uint16_t* mask, const uint16_t* rgba, float& sumWeight, float& sumR, float& sumG,
                      float& sumB, float& sumA)
{
    uint64_t weight = 0, r = 0, g = 0, b = 0, a = 0;
    forEachMasked(mask, rgba, [&](uint32_t m, const uint16_t* px) {
        weight += m;
        r += (m * px[0]) >> 15;
        g += (m * px[1]) >> 15;
        b += (m * px[2]) >> 15;
        a += (m * px[3]) >> 15;
    });
    sumWeight += float(weight);
    sumR += float(r);
    sumG += float(g);
    sumB += float(b);
    sumA += float(a);
}

} // namespace DabBlend

#pragma once

#include <cstdint>

// Fixed-point blending of a dab mask into pixels of four 16-bit channels
// (red, green, blue, alpha, premultiplied, 1.0 = 32768).
//
// The mask is a run-length list of 16-bit values: a non-zero value is the
// mask opacity of the next pixel (the pixel pointer then moves one pixel on);
// a 0 is followed by a skip count in channels (the pixel pointer moves on by
// it), and a skip of 0 ends the mask.
namespace DabBlend {

void blend_normal(const uint16_t* mask, uint16_t* rgba, uint16_t colorR, uint16_t colorG, uint16_t colorB,
                  uint16_t opacity);
void blend_eraser(const uint16_t* mask, uint16_t* rgba, uint16_t colorR, uint16_t colorG, uint16_t colorB,
                  uint16_t colorA, uint16_t opacity);
void blend_lock_alpha(const uint16_t* mask, uint16_t* rgba, uint16_t colorR, uint16_t colorG, uint16_t colorB,
                      uint16_t opacity);
// Adds the mask weight and the weighted channels to the accumulators.
void accumulate_color(const uint16_t* mask, const uint16_t* rgba, float& sumWeight, float& sumR, float& sumG,
                      float& sumB, float& sumA);

} // namespace DabBlend

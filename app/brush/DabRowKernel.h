#pragma once

#include <cstdint>

// The inner loop of dab rendering: one row of a dab's box. The caller
// precomputes, per column of the box, dx × cos and dx × sin (dx being the
// pixel centre's offset from the dab centre), and per row the same with dy.
// Pixels outside the ellipse are copied unchanged from source to target.
struct DabRowShape
{
    const float* columnCos = nullptr; // dx × cos, one per column
    const float* columnSin = nullptr; // dx × sin, one per column
    float rowSin = 0.0f;              // dy × sin of this row
    float rowCos = 0.0f;              // dy × cos of this row
    float ratio = 1.0f;               // ellipse ratio, at least 1
    float inverseRadius2 = 0.0f;      // 1 / radius²

    bool hard = true;
    int hardAlpha = 0;                // hard dab: opacity × 255
    int hardErase = 0;                // hard dab: hardAlpha × eraser target alpha
    float hardness = 1.0f;            // soft dab: 0 < hardness < 1
    float hardnessFactor = 0.0f;      // soft dab: hardness / (1 - hardness)
    float opacity = 0.0f;             // 0..1
    float eraserTargetAlpha = 1.0f;   // 0..1

    uint16_t color[4] = {0, 0, 0, 255}; // R, G, B bytes and 255 for alpha
};

namespace DabRowKernel {

// Blends n pixels (4 bytes R, G, B, A premultiplied each) of source into
// target; both point at the first pixel of the row's box and may be equal.
void render(const unsigned char* source, unsigned char* target, int n, const DabRowShape& shape);

// The plain reference loop; render() gives the same bytes.
void renderScalar(const unsigned char* source, unsigned char* target, int n, const DabRowShape& shape);

} // namespace DabRowKernel

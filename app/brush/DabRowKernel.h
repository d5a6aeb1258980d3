#pragma once

#include <cstdint>

// The inner loops of dab rendering: one row of a dab's box. The caller
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

// Where one row of a dab's box meets the ellipse, as box columns: pixels
// outside [first, last] surely lie outside it (first > last: the whole row
// does), and for hard dabs the pixels of [insideFirst, insideLast] surely lie
// inside it (insideFirst > insideLast: none are known to).
struct DabRowSpan
{
    int first = 0;
    int last = -1;
    int insideFirst = 0;
    int insideLast = -1;
};

// A whole dab's box, blended in place row by row so that the per-dab terms
// are set up once. Row r starts at pixels + r × stride (stride in bytes, may
// be negative) and has its own dy × sin, dy × cos and span; the shape's
// column terms start at the box's first column and its row terms are unused.
struct DabBox
{
    unsigned char* pixels = nullptr;
    long stride = 0;
    int rows = 0;
    const float* rowSin = nullptr;
    const float* rowCos = nullptr;
    const DabRowSpan* spans = nullptr;
};

// Pixels are 4 bytes (R, G, B, A premultiplied). Each byte c becomes
// (c × (255 − a8) + C × e8) / 255 (truncating), C being the colour byte and
// 255 for alpha; a8 and e8 are the pixel's opacity and erase amounts.
namespace DabRowKernel {

// SSE2 is part of every x86-64 processor; AVX2 and AVX-512 (with its byte and
// word instructions) are taken when the processor has them. Every path gives
// the same bytes as the plain loop.
enum class Path { Scalar, Sse2, Avx2, Avx512 };

// Whether this processor and build can run a path.
bool available(Path path);

// Blends n pixels of source into target (both at the first pixel of the
// row's span, possibly the same memory) with the fastest available path.
void render(const unsigned char* source, unsigned char* target, int n, const DabRowShape& shape);
void render(Path path, const unsigned char* source, unsigned char* target, int n, const DabRowShape& shape);

// Blends every row of a box; the same bytes as render over each row's span.
void renderBox(const DabBox& box, const DabRowShape& shape);
void renderBox(Path path, const DabBox& box, const DabRowShape& shape);

// Blends n pixels in place that all lie inside a hard dab: one a8 and e8 for all.
void renderInside(unsigned char* pixels, int n, const DabRowShape& shape);
void renderInside(Path path, unsigned char* pixels, int n, const DabRowShape& shape);

} // namespace DabRowKernel

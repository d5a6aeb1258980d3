// Pixels that lie on a dab's rim to the last bit: every kernel path must put
// them on the same side as the plain loop, which rounds each product and sum
// on its own. A path that fused a multiply and an add would round once and
// decide some of these pixels the other way.
#include "DabRowKernel.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

bool insideUnfused(float xr, float yr, float inverseRadius2)
{
    const float xx = xr * xr;
    const float yy = yr * yr;
    const float sum = xx + yy;
    return sum * inverseRadius2 <= 1.0f;
}

// The two ways a compiler may fuse (x² + y²): either square kept exact.
bool insideFusedX(float xr, float yr, float inverseRadius2)
{
    return std::fma(xr, xr, yr * yr) * inverseRadius2 <= 1.0f;
}

bool insideFusedY(float xr, float yr, float inverseRadius2)
{
    return std::fma(yr, yr, xr * xr) * inverseRadius2 <= 1.0f;
}

// Rim pixels along the x axis (angle 0, ratio 1: xr is the column's term,
// yr the row's), one per row: for each row height, the column found ulp by
// ulp around the rim where fusing would change the inside test. At least
// one such pixel for each order of fusing.
struct RimCases
{
    std::vector<float> cosTerms; // one column per case
    std::vector<float> rowCos;   // one row per case
    float inverseRadius2 = 0.0f;
    bool fusedXDiffers = false;
    bool fusedYDiffers = false;
};

RimCases findRimCases(int wanted)
{
    RimCases cases;
    const float radius = 7.3f;
    cases.inverseRadius2 = 1.0f / (radius * radius);
    for (int k = 0; k < 2000 && int(cases.rowCos.size()) < wanted; ++k) {
        const float yr = 0.3f + 0.0137f * float(k);
        float xr = std::sqrt(radius * radius - yr * yr);
        for (int step = 0; step < 40; ++step)
            xr = std::nextafter(xr, 0.0f);
        for (int step = 0; step < 80; ++step, xr = std::nextafter(xr, 100.0f)) {
            const bool plain = insideUnfused(xr, yr, cases.inverseRadius2);
            const bool x = insideFusedX(xr, yr, cases.inverseRadius2) != plain;
            const bool y = insideFusedY(xr, yr, cases.inverseRadius2) != plain;
            if (!x && !y)
                continue;
            cases.cosTerms.push_back(xr);
            cases.rowCos.push_back(yr);
            cases.fusedXDiffers |= x;
            cases.fusedYDiffers |= y;
            break;
        }
    }
    return cases;
}

} // namespace

TEST(DabRimRounding, EveryPathDecidesRimPixelsAsThePlainLoop)
{
    // A box whose row r and column r meet at the r-th rim case; the other
    // pixels of the box are compared too.
    using DabRowKernel::Path;
    const RimCases rim = findRimCases(24);
    // Without such pixels the test would prove nothing.
    ASSERT_TRUE(rim.fusedXDiffers && rim.fusedYDiffers) << "no rim pixels found";
    const int n = int(rim.rowCos.size());
    const std::vector<float> zeros(size_t(n), 0.0f);
    const std::vector<DabRowSpan> spans(size_t(n), DabRowSpan {0, n - 1, 0, -1});
    const size_t stride = size_t(n) * 4;

    for (const bool hard : {true, false}) {
        DabRowShape shape;
        shape.columnCos = rim.cosTerms.data();
        shape.columnSin = zeros.data();
        shape.ratio = 1.0f;
        shape.inverseRadius2 = rim.inverseRadius2;
        shape.opacity = 1.0f;
        shape.eraserTargetAlpha = 1.0f;
        shape.hard = hard;
        shape.hardness = hard ? 1.0f : 0.99f;
        shape.hardnessFactor = hard ? 0.0f : shape.hardness / (1.0f - shape.hardness);
        shape.hardAlpha = 255;
        shape.hardErase = 255;
        shape.color[0] = 250;
        shape.color[1] = 10;
        shape.color[2] = 90;
        const std::vector<unsigned char> source(stride * size_t(n), 20);

        // The plain loop, row by row (box row r is memory row r here).
        std::vector<unsigned char> expected = source;
        for (int r = 0; r < n; ++r) {
            DabRowShape row = shape;
            row.rowCos = rim.rowCos[size_t(r)];
            DabRowKernel::render(Path::Scalar, expected.data() + stride * size_t(r),
                                 expected.data() + stride * size_t(r), n, row);
            // A hard dab paints a rim pixel exactly when the unfused test puts
            // it inside (a soft one gives rim pixels next to nothing).
            if (hard) {
                ASSERT_EQ(expected[stride * size_t(r) + size_t(4 * r)] != 20,
                          insideUnfused(rim.cosTerms[size_t(r)], rim.rowCos[size_t(r)], rim.inverseRadius2))
                    << "case " << r;
            }
        }

        for (Path path : {Path::Sse2, Path::Avx2, Path::Avx512}) {
            if (!DabRowKernel::available(path))
                continue;
            SCOPED_TRACE(testing::Message() << "path " << int(path) << (hard ? " hard" : " soft"));
            std::vector<unsigned char> rows = source;
            for (int r = 0; r < n; ++r) {
                DabRowShape row = shape;
                row.rowCos = rim.rowCos[size_t(r)];
                DabRowKernel::render(path, rows.data() + stride * size_t(r), rows.data() + stride * size_t(r), n, row);
            }
            EXPECT_EQ(rows, expected) << "row by row";

            std::vector<unsigned char> box = source;
            DabBox whole;
            whole.pixels = box.data();
            whole.stride = long(stride);
            whole.rows = n;
            whole.rowSin = zeros.data();
            whole.rowCos = rim.rowCos.data();
            whole.spans = spans.data();
            DabRowKernel::renderBox(path, whole, shape);
            EXPECT_EQ(box, expected) << "whole box";
        }
    }
}

TEST(DabRimRounding, HardDabsOfExtremeScaleDecideAsThePlainLoop)
{
    // 1 / radius² from nothing through the smallest and largest floats, not a
    // number and below zero, over sums of squares from 0 to past the largest
    // float: every path must paint exactly the pixels the plain loop paints.
    using DabRowKernel::Path;
    const float inf = std::numeric_limits<float>::infinity();
    const float scales[] = {0.0f, -0.0f, 1e-45f, 3e-39f, 1.2e-38f, 1e-30f, 0.0137f, 1.0f, 3.0f, 7e37f, 3.4e38f,
                            inf, -2.0f, std::numeric_limits<float>::quiet_NaN()};
    // Column terms spread over many magnitudes, some squaring past the
    // largest float; one row term of each magnitude.
    std::vector<float> cosTerms, zeros;
    for (float m = 1e-30f; m < 1e25f; m *= 7.3f) {
        cosTerms.push_back(m);
        cosTerms.push_back(-m * 0.61f);
    }
    cosTerms.push_back(0.0f);
    const int n = int(cosTerms.size());
    zeros.assign(size_t(n), 0.0f);
    const std::vector<float> rowCos {0.0f, 1e-20f, 0.5f, 1.0f, 40.0f, 1e15f, 2e19f};
    const int rows = int(rowCos.size());
    const std::vector<DabRowSpan> spans(size_t(rows), DabRowSpan {0, n - 1, 0, -1});
    const size_t stride = size_t(n) * 4;
    const std::vector<unsigned char> source(stride * size_t(rows), 20);

    for (const float scale : scales) {
        DabRowShape shape;
        shape.columnCos = cosTerms.data();
        shape.columnSin = zeros.data();
        shape.ratio = 1.0f;
        shape.inverseRadius2 = scale;
        shape.opacity = 1.0f;
        shape.hard = true;
        shape.hardAlpha = 200;
        shape.hardErase = 200;
        shape.color[0] = 250;

        std::vector<unsigned char> expected = source;
        for (int r = 0; r < rows; ++r) {
            DabRowShape row = shape;
            row.rowCos = rowCos[size_t(r)];
            DabRowKernel::render(Path::Scalar, expected.data() + stride * size_t(r),
                                 expected.data() + stride * size_t(r), n, row);
        }
        for (Path path : {Path::Sse2, Path::Avx2, Path::Avx512}) {
            if (!DabRowKernel::available(path))
                continue;
            SCOPED_TRACE(testing::Message() << "path " << int(path) << " scale " << scale);
            std::vector<unsigned char> box = source;
            DabBox whole;
            whole.pixels = box.data();
            whole.stride = long(stride);
            whole.rows = rows;
            whole.rowSin = zeros.data();
            whole.rowCos = rowCos.data();
            whole.spans = spans.data();
            DabRowKernel::renderBox(path, whole, shape);
            EXPECT_EQ(box, expected);
        }
    }
}

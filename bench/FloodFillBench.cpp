// Flood fill on a 4096 x 4096 canvas: an open canvas and mazes of one-pixel
// corridors. Counters: the time as a ratio to one memcpy of the canvas
// measured in the same run ("x_memcpy"), the peak size of the segment queue
// ("queue_KiB") and the mask the fill returns ("mask_MiB"), which is its
// only other memory.
#include "support/MemcpyBaseline.h"
#include "SWSelectionBuilder.h"
#include "platform/graphics/CanvasBitmap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

using platform::CanvasBitmap;

namespace {

constexpr int Side = 4096;

std::uint32_t wall() { return CanvasBitmap::pack(0, 0, 0, 255); }
std::uint32_t open() { return CanvasBitmap::pack(255, 255, 255, 255); }

QImage canvas(std::uint32_t fill)
{
    QImage image = CanvasBitmap::make(Side, Side);
    image.fill(fill);
    return image;
}

std::uint32_t* row(QImage& image, int y) { return reinterpret_cast<std::uint32_t*>(image.scanLine(y)); }

// Vertical corridors one pixel wide, joined along the top row: every row
// holds 2048 separate one-pixel segments.
QImage comb()
{
    QImage image = canvas(wall());
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; x += 2)
            row(image, y)[x] = open();
    for (int x = 0; x < Side; ++x)
        row(image, 0)[x] = open();
    return image;
}

// One corridor winding down the picture: full rows joined at alternating ends.
QImage serpentine()
{
    QImage image = canvas(wall());
    for (int y = 0; y < Side; y += 2) {
        std::fill(row(image, y), row(image, y) + Side, open());
        if (y + 1 < Side)
            row(image, y + 1)[(y / 2) % 2 ? 0 : Side - 1] = open();
    }
    return image;
}

// Alternating pixels.
QImage checkerboard()
{
    QImage image = canvas(wall());
    for (int y = 0; y < Side; ++y)
        for (int x = (y & 1); x < Side; x += 2)
            row(image, y)[x] = open();
    return image;
}

void runFill(benchmark::State& state, const QImage& image, QPointF seed)
{
    const double copy = memcpySeconds(std::size_t(Side) * Side * 4);
    double total = 0;
    std::size_t queue = 0;
    std::size_t pixels = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        SWSelectionBuilder builder(image, seed, 0.0);
        QImage mask = builder.newRealMask();
        benchmark::DoNotOptimize(mask.constBits());
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        queue = std::max(queue, builder.peakSegmentBytes());
        state.PauseTiming();
        pixels = 0;
        for (int y = 0; y < Side; ++y)
            pixels += std::size_t(std::count(mask.constScanLine(y), mask.constScanLine(y) + Side, 0));
        state.ResumeTiming();
    }
    const double each = total / double(state.iterations());
    state.counters["ms"] = each * 1e3;
    state.counters["memcpy_ms"] = copy * 1e3;
    state.counters["x_memcpy"] = each / copy;
    state.counters["queue_KiB"] = double(queue) / 1024.0;
    state.counters["mask_MiB"] = double(Side) * Side / (1024.0 * 1024.0);
    state.counters["filled_px"] = double(pixels);
}

void BM_FillOpenCanvas(benchmark::State& state)
{
    runFill(state, canvas(open()), QPointF(Side / 2, Side / 2));
}

void BM_FillCombMaze(benchmark::State& state)
{
    runFill(state, comb(), QPointF(0, Side - 1));
}

void BM_FillSerpentineMaze(benchmark::State& state)
{
    runFill(state, serpentine(), QPointF(Side / 2, 0));
}

void BM_FillCheckerboard(benchmark::State& state)
{
    // 4-connected, a checkerboard is one pixel per region: the cost is the set-up.
    runFill(state, checkerboard(), QPointF(0, 0));
}

} // namespace

BENCHMARK(BM_FillOpenCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillCombMaze)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillSerpentineMaze)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillCheckerboard)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

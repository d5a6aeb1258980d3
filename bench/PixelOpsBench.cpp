// Whole-picture operations on a 4000 x 3000 canvas, each reported with its
// ratio to one memcpy of the same picture measured in the same run
// (counter "x_memcpy").
#include "support/MemcpyBaseline.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "platform/graphics/CanvasBitmap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

using platform::CanvasBitmap;

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

QImage noise(bool mixedAlpha, unsigned seed)
{
    QImage image = CanvasBitmap::make(Width, Height);
    std::mt19937 rng(seed);
    for (int y = 0; y < Height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            const std::uint8_t a = mixedAlpha ? std::uint8_t(rng()) : 255;
            const auto c = [&] { return std::uint8_t((rng() & 0xFF) * a / 255); };
            row[x] = CanvasBitmap::pack(c(), c(), c(), a);
        }
    }
    return image;
}

void runTimed(benchmark::State& state, const std::function<void()>& op)
{
    const double copy = memcpySeconds(std::size_t(Width) * Height * 4);
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        op();
        benchmark::ClobberMemory();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    const double each = total / double(state.iterations());
    state.counters["ms"] = each * 1e3;
    state.counters["memcpy_ms"] = copy * 1e3;
    state.counters["x_memcpy"] = each / copy;
}

void BM_Memcpy(benchmark::State& state)
{
    const std::size_t bytes = std::size_t(Width) * Height * 4;
    std::vector<char> from(bytes, 1), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}

void BM_FlipHorizontal(benchmark::State& state)
{
    QImage image = noise(true, 1);
    runTimed(state, [&] { SWImageTools::flipImageHorizontal(image); });
}

void BM_FlipVertical(benchmark::State& state)
{
    QImage image = noise(true, 2);
    runTimed(state, [&] { SWImageTools::flipImageVertical(image); });
}

void BM_RotateClockwise(benchmark::State& state)
{
    // A new bitmap each time, as the store's rotate makes one.
    const QImage image = noise(true, 3);
    runTimed(state, [&] { benchmark::DoNotOptimize(SWImageTools::rotatedImage(image, true)); });
}

void BM_RotateCounterClockwise(benchmark::State& state)
{
    const QImage image = noise(true, 4);
    runTimed(state, [&] { benchmark::DoNotOptimize(SWImageTools::rotatedImage(image, false)); });
}

void BM_Invert(benchmark::State& state)
{
    QImage image = noise(true, 5);
    runTimed(state, [&] { SWImageTools::invertImage(image); });
}

void BM_CompositeSourceOver(benchmark::State& state)
{
    // Every source pixel half-transparent or so: the blending path for all of them.
    QImage target = noise(false, 6);
    const QImage source = noise(true, 7);
    runTimed(state, [&] { SWImageTools::drawToImage(target, source, true); });
}

void BM_CompositeCopy(benchmark::State& state)
{
    QImage target = noise(false, 8);
    const QImage source = noise(true, 9);
    runTimed(state, [&] { SWImageTools::drawToImage(target, source, false); });
}

void BM_StoreRotate(benchmark::State& state)
{
    // Both bitmaps of the image store.
    auto store = SWImageDataSource::create(QSizeF(Width, Height), Qt::white);
    runTimed(state, [&] { store->rotate(true); });
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipHorizontal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipVertical)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateClockwise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateCounterClockwise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Invert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeSourceOver)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreRotate)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

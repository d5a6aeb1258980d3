// Cost of one dab on a canvas bitmap, by radius, hardness, shape and smudge,
// beside the cost of copying the dab's box of pixels with memcpy in the same
// run. Counters: ns_per_dab, memcpy_ns (the box's bytes copied once) and
// x_memcpy (their ratio). Both are timed in the thread's processor time, so
// that other work on a shared machine does not count against either.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/release --target BrushDabBench
//   build/release/bench/BrushDabBench
#include "ColorAdapterRegistry.h"
#include "DabSurface.h"
#include "DevicePainter.h"
#include "PixelDevice.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <ctime>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Processor time of this thread, in nanoseconds.
double threadNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

// Room for the largest dab (1603 pixels across). Not 2048: with a power-of-two
// row stride every row of a dab falls into the same cache sets, which real
// canvases seldom do and which would measure the cache rather than the dab.
constexpr int kCanvas = 1800;

struct Canvas
{
    Canvas()
        : image(kCanvas, kCanvas, QImage::Format_RGBA8888_Premultiplied)
    {
        image.fill(QColor(200, 180, 160));
        adapter = ColorAdapterRegistry::instance()->colorSpaceForContext(&image);
        device = std::make_unique<PixelDevice>(&image, adapter.get());
        painter = std::make_unique<DevicePainter>(device.get());
        surface = std::make_unique<DabSurface>(&image, device.get(), painter.get());
    }
    QImage image;
    std::unique_ptr<ColorAdapter> adapter;
    std::unique_ptr<PixelDevice> device;
    std::unique_ptr<DevicePainter> painter;
    std::unique_ptr<DabSurface> surface;
};

Canvas& canvas()
{
    static Canvas c;
    return c;
}

// Nanoseconds for one memcpy of the given number of bytes (best of a few runs).
double memcpyNanoseconds(size_t bytes)
{
    static std::vector<unsigned char> from(size_t(kCanvas) * kCanvas * 4, 7), to(size_t(kCanvas) * kCanvas * 4);
    const int repeats = int(std::max<size_t>(16, std::min<size_t>(200000, (64u << 20) / std::max<size_t>(bytes, 1))));
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        const double start = threadNanoseconds();
        for (int i = 0; i < repeats; ++i) {
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::ClobberMemory();
        }
        best = std::min(best, (threadNanoseconds() - start) / repeats);
    }
    return best;
}

void dab(benchmark::State& state)
{
    const float radius = float(state.range(0)) / 10.0f;
    const float hardness = state.range(1) ? 1.0f : 0.5f;
    const float ratio = float(state.range(2));
    const bool smudge = state.range(3) != 0;
    DabSurface& surface = *canvas().surface;

    // The pixel box the renderer walks: every column and row within radius + 1.
    const float r1 = radius + 1.0f;
    const float centre = kCanvas / 2.0f + 0.3f;
    const double side = std::ceil(centre + r1) - std::floor(centre - r1) + 1.0;
    const size_t boxBytes = size_t(side * side * 4.0);

    const float offsets[4] = {0.0f, 0.25f, 0.5f, 0.75f};
    size_t i = 0;
    const double start = threadNanoseconds();
    for (auto _ : state) {
        const float x = centre + offsets[i & 3];
        const float y = centre + offsets[(i >> 2) & 3];
        ++i;
        if (smudge) {
            float r, g, b, a;
            surface.sample_color(std::trunc(x + 0.5f), std::trunc(y + 0.5f), radius, r, g, b, a);
            benchmark::DoNotOptimize(a);
        }
        benchmark::DoNotOptimize(surface.render_dab(x, y, radius, 0.2f, 0.5f, 0.9f, 0.6f, hardness, 1.0f, ratio, 30.0f));
    }
    const double perDab = (threadNanoseconds() - start) / double(state.iterations());
    const double copy = memcpyNanoseconds(boxBytes);
    state.counters["ns_per_dab"] = perDab;
    state.counters["memcpy_ns"] = copy;
    state.counters["x_memcpy"] = perDab / copy;
    state.SetLabel(std::string(hardness == 1.0f ? "hard" : "soft") + (ratio > 1.0f ? " ellipse3" : " round")
                   + (smudge ? " smudge" : ""));
}

void dabArguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"radius_x10", "hard", "ratio", "smudge"});
    for (int radius : {5, 40, 200, 1000, 8000})
        for (int hard : {1, 0})
            for (int ratio : {1, 3})
                for (int smudge : {0, 1})
                    b->Args({radius, hard, ratio, smudge});
}

} // namespace

BENCHMARK(dab)->Apply(dabArguments)->Unit(benchmark::kNanosecond);

BENCHMARK_MAIN();

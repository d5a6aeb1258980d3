// Undo on a 4000 x 3000 picture:
// - memory kept by one undo step for a short pencil stroke and for a
//   2000-segment stroke across the picture, against the bytes of the tiles
//   the stroke touched and of the whole canvas;
// - time to record a step (completing it: finding and keeping what
//   changed), to undo and to redo, also as a ratio to one memcpy of the
//   picture, with the picture's write marks as the document passes them
//   and without (the page map then tells what was written), against a
//   plain copy of the picture as the document keeps it and against one
//   that shares pages with the picture;
// - peak resident memory while a PNG of that size is opened, over the
//   resident size before, as a ratio to the canvas bytes.
// The picture is a photograph-like gradient with grain, which deflates
// poorly: the step sizes are near the worst case.
#include "KZToolboxController.h"
#include "SWBrushTool.h"
#include "SWImageDataSource.h"
#include "SWUndoRecorder.h"
#include "SWUndoStep.h"
#include "support/MemcpyBaseline.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/CanvasBitmap.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "support/BenchMain.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr int W = 4000;
constexpr int H = 3000;
constexpr double MiB = 1024.0 * 1024.0;
const std::size_t CanvasBytes = std::size_t(W) * H * 4;

void paintPhoto(QImage& image)
{
    std::mt19937 random(11);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(random() % 9);
            row[x] = platform::CanvasBitmap::pack(std::uint8_t((x * 255 / W + grain) % 256),
                                                  std::uint8_t((y * 255 / H + grain) % 256),
                                                  std::uint8_t(((x + y) * 255 / (W + H) + grain) % 256), 255);
        }
    }
}

std::unique_ptr<SWImageDataSource> photoCanvas()
{
    auto store = SWImageDataSource::create(QSizeF(W, H), Qt::white);
    paintPhoto(store->mainImage());
    return store;
}

// A pencil stroke of `segments` random steps up to 24 pixels from a point.
void stroke(SWImageDataSource& store, SWBrushTool& pencil, int segments, QPointF from, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> step(-24.0, 24.0);
    QPointF p = from;
    pencil.setSavedPoint(p);
    pencil.performDrawAtPoint(p, &store, SWTool::MouseDown, nullptr);
    for (int i = 0; i < segments; ++i) {
        p = QPointF(std::clamp(p.x() + step(random), 0.0, double(W - 1)),
                    std::clamp(p.y() + step(random), 0.0, double(H - 1)));
        pencil.performDrawAtPoint(p, &store, SWTool::MouseDragged, nullptr);
    }
    pencil.performDrawAtPoint(p, &store, SWTool::MouseUp, nullptr);
}

// A stroke of `segments` segments from the left edge to the right, waving
// up and down over most of the height.
void sweep(SWImageDataSource& store, SWBrushTool& pencil, int segments, unsigned seed)
{
    const auto at = [&](int i) {
        const double x = double(W - 1) * i / segments;
        return QPointF(x, H / 2.0 + H * 0.4 * std::sin(x / 250.0 + seed));
    };
    pencil.setSavedPoint(at(0));
    pencil.performDrawAtPoint(at(0), &store, SWTool::MouseDown, nullptr);
    for (int i = 1; i <= segments; ++i)
        pencil.performDrawAtPoint(at(i), &store, SWTool::MouseDragged, nullptr);
    pencil.performDrawAtPoint(at(segments), &store, SWTool::MouseUp, nullptr);
}

// range(0): segments of the stroke: a short scribble, or a sweep across.
void stepMemory(benchmark::State& state)
{
    const int segments = int(state.range(0));
    auto store = photoCanvas();
    KZToolboxController controller;
    controller.setLineWidth(4);
    SWBrushTool pencil(&controller);
    pencil.setFrontColor(QColor(20, 40, 200));
    pencil.setBackColor(Qt::white);
    SWUndoRecorder recorder;
    recorder.setAuditing(false);
    recorder.setSharing(false); // as the document keeps it
    std::size_t bytes = 0;
    int tiles = 0;
    unsigned seed = 1;
    for (auto _ : state) {
        auto step = recorder.beginStep(store->mainImage(), &store->mainImageMarks());
        if (segments > 100)
            sweep(*store, pencil, segments, seed++);
        else
            stroke(*store, pencil, segments, QPointF(W / 2.0, H / 2.0), seed++);
        recorder.beginStep(store->mainImage(), &store->mainImageMarks());
        recorder.compressCompleted(); // as the document does once the event is handled
        bytes = step->byteSize();
        tiles = step->tileCount();
    }
    const double tileBytes = double(SWUndoStep::TileSide) * SWUndoStep::TileSide * 4;
    state.counters["step_MiB"] = double(bytes) / MiB;
    state.counters["touched_tiles"] = tiles;
    state.counters["step_per_touched_area"] = double(bytes) / (tiles * tileBytes);
    state.counters["step_per_canvas"] = double(bytes) / double(CanvasBytes);
}

// What one undo step costs in time after a short stroke: range(0) 0
// records (the stroke's step completes: what changed is found and kept), 1
// undoes, 2 redoes; range(1) 1 passes the picture's write marks, 0 leaves
// the recorder to find the written pages itself; range(2) 0 keeps a plain
// copy of the picture, as the document does, 1 one that shares pages with
// the picture. As in the document: a step opens before the stroke
// (completing the one before), the next opens after it, and undo and redo
// each open a step and apply one through the recorder. Every iteration
// strokes, records, undoes and redoes; one phase is timed. The steps'
// deflating, which the document runs once the event is handled, is timed
// apart (compress_ms, per recorded step).
void stepTime(benchmark::State& state)
{
    const int timed = int(state.range(0));
    auto store = photoCanvas();
    QImage& main = store->mainImage();
    platform::CanvasWriteMarks* marks = state.range(1) != 0 ? &store->mainImageMarks() : nullptr;
    KZToolboxController controller;
    controller.setLineWidth(4);
    SWBrushTool pencil(&controller);
    pencil.setFrontColor(QColor(20, 40, 200));
    pencil.setBackColor(Qt::white);
    SWUndoRecorder recorder;
    recorder.setAuditing(false);
    recorder.setSharing(state.range(2) != 0);
    unsigned seed = 1;
    double worst = 0;
    double total = 0;
    double compressing = 0;
    int tiles = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::shared_ptr<SWUndoStep> strokeStep = recorder.beginStep(main, marks);
        recorder.compressCompleted();
        stroke(*store, pencil, 40, QPointF(500 + seed * 37 % 3000, 400 + seed * 53 % 2200), seed);
        ++seed;
        std::shared_ptr<SWUndoStep> back;
        for (int phase = 0; phase < 3; ++phase) {
            const bool timing = phase == timed;
            if (timing)
                state.ResumeTiming();
            const auto t0 = std::chrono::steady_clock::now();
            if (phase == 0) {
                recorder.beginStep(main, marks);
            } else if (phase == 1) {
                back = recorder.beginStep(main, marks);
                recorder.apply(*strokeStep, main, marks);
            } else {
                recorder.beginStep(main, marks);
                recorder.apply(*back, main, marks);
            }
            if (timing) {
                const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
                worst = std::max(worst, ms);
                total += ms;
                state.PauseTiming();
            }
            if (phase == 0) {
                const auto c0 = std::chrono::steady_clock::now();
                recorder.compressCompleted();
                compressing += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - c0).count();
                tiles += strokeStep->tileCount();
            }
        }
        state.ResumeTiming();
    }
    const double memcpyMs = memcpySeconds(CanvasBytes) * 1000.0;
    const double iterations = double(state.iterations());
    const double mean = total / iterations;
    state.counters["mean_ms"] = mean;
    state.counters["mean_per_memcpy"] = mean / memcpyMs;
    state.counters["worst_ms"] = worst;
    state.counters["memcpy_ms"] = memcpyMs;
    state.counters["compress_ms"] = compressing / iterations;
    state.counters["touched_tiles"] = double(tiles) / iterations;
}

long statusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    }
    return -1;
}

// Peak resident memory while opening a 4000 x 3000 PNG (opaque photograph
// and one with transparency, at 8 and at 16 bits a sample), over the
// resident size just before.
void openPeak(benchmark::State& state)
{
    const bool alpha = state.range(0) != 0;
    const bool deep = state.range(1) == 16;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    {
        QImage picture = platform::CanvasBitmap::make(W, H);
        paintPhoto(picture);
        if (alpha) {
            for (int y = 0; y < H; y += 3)
                std::fill_n(picture.scanLine(y), W * 2, uchar(0)); // a transparent half row now and then
        }
        QImageWriter writer(path);
        writer.setCompression(1);
        const QImage::Format format = deep ? (alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64)
                                           : (alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (!writer.write(picture.convertToFormat(format)))
            state.SkipWithError("cannot write the PNG");
    }
    double peakMiB = 0;
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from now
        const long before = statusKiB("VmRSS");
        auto store = SWImageDataSource::fromFile(path, Qt::white);
        const long peak = statusKiB("VmHWM");
        benchmark::DoNotOptimize(store.get());
        if (!store)
            state.SkipWithError("the PNG did not open");
        peakMiB = double(peak - before) / 1024.0;
    }
    state.counters["peak_over_idle_MiB"] = peakMiB;
    state.counters["peak_per_canvas"] = peakMiB * MiB / double(CanvasBytes);
    state.counters["file_MiB"] = double(QFile(path).size()) / MiB;
}

} // namespace

BENCHMARK(stepMemory)
    ->Name("StepMemory4000x3000/segments")
    ->Arg(20)
    ->Arg(2000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(stepTime)
    ->Name("StepTime4000x3000/record0_undo1_redo2/marks/shared")
    ->ArgsProduct({{0, 1, 2}, {1, 0}, {0, 1}})
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(openPeak)
    ->Name("OpenPng4000x3000/alpha/bits")
    ->ArgsProduct({{0, 1}, {8, 16}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runToolBenchmarks(argc, argv);
}

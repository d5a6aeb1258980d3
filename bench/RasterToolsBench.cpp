// Costs of the raster tools on a 4000 x 3000 canvas, anti-aliased:
// - the pencil's preview per mouse event once the stroke has 2000 segments,
//   against clearing the buffer and stroking the whole path again (the
//   output is the same pixels);
// - one bomb tick, averaged over whole explosions ("worst_ms": the slowest);
// - one tick of a floating selection's marching border (side 0: the whole
//   canvas), against redrawing the floating image and its border whole.
#include "KZToolboxController.h"
#include "SWBombTool.h"
#include "SWBrushTool.h"
#include "SWDrawingSupport.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWSelectionTool.h"

#include "platform/foundation/UserDefaults.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "support/BenchMain.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

namespace {

constexpr int W = 4000;
constexpr int H = 3000;

std::unique_ptr<SWImageDataSource> canvas()
{
    return SWImageDataSource::create(QSizeF(W, H), Qt::white);
}

// A scribble: a random walk of steps up to 24 pixels, which keeps crossing
// itself as a drawing hand does.
struct Scribble {
    std::mt19937 random{7};
    std::uniform_real_distribution<double> step{-24.0, 24.0};
    QPointF p{W / 2.0, H / 2.0};
    QPointF next()
    {
        p = QPointF(std::clamp(p.x() + step(random), 0.0, double(W - 1)),
                    std::clamp(p.y() + step(random), 0.0, double(H - 1)));
        return p;
    }
};

// range(0): line width; range(1): 1 for the tool, 0 for stroking the whole
// path again into a cleared buffer after every event.
void pencilEvent(benchmark::State& state)
{
    const auto width = qint64(state.range(0));
    const bool tool = state.range(1) != 0;
    auto store = canvas();
    KZToolboxController controller;
    controller.setLineWidth(width);
    SWBrushTool brush(&controller);
    brush.setFrontColor(QColor(20, 40, 200, 180));
    brush.setBackColor(Qt::white);
    Scribble scribble;
    brush.setSavedPoint(scribble.p);
    brush.performDrawAtPoint(scribble.p, store.get(), SWTool::MouseDown, nullptr);
    for (int i = 0; i < 2000; ++i)
        brush.performDrawAtPoint(scribble.next(), store.get(), SWTool::MouseDragged, nullptr);
    for (auto _ : state) {
        const QPointF p = scribble.next();
        if (tool) {
            brush.performDrawAtPoint(p, store.get(), SWTool::MouseDragged, nullptr);
        } else {
            brush.pathFromPoint(brush.savedPoint(), p);
            brush.setSavedPoint(p);
            QImage& buffer = store->bufferImage();
            SWImageTools::clearImage(buffer);
            QPainter painter(&buffer);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillPath(SWDrawingSupport::roundStrokeOutline(brush.path(), double(width), Qt::BevelJoin),
                             QColor(20, 40, 200, 180));
        }
    }
    state.counters["segments"] = double(brush.path().elementCount() / 2);
}

void bombTick(benchmark::State& state)
{
    auto store = canvas();
    KZToolboxController controller;
    SWBombTool bomb(&controller);
    bomb.setFrontColor(Qt::black);
    bomb.setBackColor(QColor(250, 120, 0));
    const auto start = [&] {
        bomb.setSavedPoint(QPointF(1300, 1100));
        bomb.performDrawAtPoint(QPointF(1300, 1100), store.get(), SWTool::MouseDown, nullptr);
    };
    start();
    double worst = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        bomb.drawNewCircle();
        worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        if (!bomb.isExploding()) {
            state.PauseTiming();
            store->mainImage().fill(Qt::white);
            start();
            state.ResumeTiming();
        }
    }
    state.counters["worst_ms"] = worst;
}

// range(0): side of the floating selection, 0 for the whole canvas;
// range(1): 1 when the buffer is touched before every tick, which forces the
// whole redraw (clear, floating image, border) instead of the border's strip.
void borderTick(benchmark::State& state)
{
    const int side = int(state.range(0));
    const bool whole = state.range(1) != 0;
    auto store = canvas();
    KZToolboxController controller;
    SWSelectionTool selection(&controller);
    selection.setBackColor(Qt::white);
    const QPointF from = side ? QPointF((W - side) / 2.0, (H - side) / 2.0) : QPointF(0, 0);
    const QPointF to = side ? from + QPointF(side, side) : QPointF(W, H);
    selection.setSavedPoint(from);
    selection.performDrawAtPoint(from, store.get(), SWTool::MouseDown, nullptr);
    selection.performDrawAtPoint(to, store.get(), SWTool::MouseUp, nullptr);
    for (auto _ : state) {
        if (whole)
            store->bufferImage().scanLine(0);
        selection.drawNewBorder();
    }
    state.counters["floating"] = selection.isSelected() ? 1 : 0;
}

} // namespace

BENCHMARK(pencilEvent)
    ->Name("PencilEventAfter2000Segments/width/tool")
    ->Args({2, 1})
    ->Args({2, 0})
    ->Args({20, 1})
    ->Args({20, 0})
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(bombTick)->Name("BombTick4000x3000")->Iterations(500)->Unit(benchmark::kMillisecond);
BENCHMARK(borderTick)
    ->Name("SelectionBorderTick/side/wholeRedraw")
    ->Args({400, 0})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runToolBenchmarks(argc, argv);
}

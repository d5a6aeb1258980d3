// Redraw costs of the canvas: a small tool rectangle on a large canvas, and a
// full repaint of the visible part at three zoom levels.
#include "SWCenteringClipView.h"
#include "SWImageDataSource.h"
#include "SWPaintView.h"
#include "SWScalingScrollView.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Counts its paints, so a figure shows that every iteration really drew.
class CountingPaintView : public SWPaintView {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        SWPaintView::paintEvent(event);
    }
};

// A window showing one canvas in the zooming scroll view, as a document does.
struct Canvas {
    Canvas(QSize canvasSize, double level)
    {
        store = SWImageDataSource::create(QSizeF(canvasSize), Qt::white);
        window.resize(1280, 800);
        scrollView = new SWScalingScrollView(&window);
        scrollView->setGeometry(window.rect());
        scrollView->setContentView(new SWCenteringClipView);
        paintView = new CountingPaintView;
        scrollView->setDocumentView(paintView);
        paintView->preparePaintViewWithDataSource(store.get(), nullptr);
        window.show();
        scrollView->setScaleFactor(level, true);
        QApplication::processEvents();
    }
    std::unique_ptr<SWImageDataSource> store;
    QWidget window;
    SWScalingScrollView* scrollView;
    CountingPaintView* paintView;
};

// What one mouse event of a tool costs the display: its 20 x 20 rectangle
// is invalidated and painted at once.
void redrawSmallRect(benchmark::State& state)
{
    const double level = double(state.range(0));
    Canvas canvas(QSize(8000, 8000), level);
    const QRectF toolRect(60, 40, 20, 20);
    const int before = canvas.paintView->paints;
    for (auto _ : state) {
        canvas.paintView->setInvalidRect(toolRect);
        canvas.paintView->repaint(canvas.paintView->widgetRectFromCanvasRect(toolRect.adjusted(-2, -2, 2, 2))
                                      .toAlignedRect());
    }
    state.counters["paintsPerIteration"] = double(canvas.paintView->paints - before) / double(state.iterations());
}

void fullRepaint(benchmark::State& state)
{
    const double level = double(state.range(0)) / 100.0;
    Canvas canvas(QSize(4000, 3000), level);
    const int before = canvas.paintView->paints;
    for (auto _ : state)
        canvas.paintView->repaint();
    state.counters["paintsPerIteration"] = double(canvas.paintView->paints - before) / double(state.iterations());
}

} // namespace

BENCHMARK(redrawSmallRect)->Name("Redraw20x20On8000x8000/zoom")->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(fullRepaint)->Name("FullRepaint4000x3000/percent")->Arg(25)->Arg(100)->Arg(1600)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

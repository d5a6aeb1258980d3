// Dragging a placed 1000 x 1000 element on a 5000 x 5000 canvas with the
// vector tool: the cost of one mouse event with its redraw (the tool clears
// and redraws the buffer, then the invalid area of the store is painted as
// the canvas view would), first moving the element, then turning it.
// "x_memcpy" is the event's cost over one memcpy of the element's 4 MB.
// range(1) = 1 clears the whole buffer before every event as well, the cost
// the tool avoids by clearing only the old and new element areas.
#include "KZBitmapImage.h"
#include "KZGraphicEditor.h"
#include "KZGraphicElementClass.h"
#include "KZGraphicTool.h"
#include "KZToolboxController.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "support/MemcpyBaseline.h"

#include "platform/foundation/UserDefaults.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "support/BenchMain.h"

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>

namespace {

constexpr int kCanvas = 5000;
constexpr int kSide = 1000;

class BenchElement : public KZBitmapImage {
public:
    const KZGraphicElementClass& elementClass() const override
    {
        static const KZGraphicElementClass kind{
            QStringLiteral("bench element"), nullptr,
            [](KZGraphicsContext* context, const std::shared_ptr<KZGraphicElement>& element) {
                return std::make_unique<KZGraphicEditor>(context, element);
            }};
        return kind;
    }
};

class BenchTool : public KZGraphicTool {
public:
    explicit BenchTool(KZToolboxController* controller)
        : KZGraphicTool(controller, nullptr)
    {
    }
};

QImage noise()
{
    QImage image = SWImageTools::initImageRep(QSizeF(kSide, kSide));
    std::mt19937 random(11);
    for (int y = 0; y < kSide; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < kSide; ++x)
            row[x] = random() | 0xff000000u; // opaque: alpha is the high byte on little-endian RGBA
    }
    return image;
}

// range(0): 0 move, 1 rotate; range(1): 1 to clear the whole buffer too.
void dragEvent(benchmark::State& state)
{
    const bool rotate = state.range(0) != 0;
    const bool wholeClear = state.range(1) != 0;
    auto store = SWImageDataSource::create(QSizeF(kCanvas, kCanvas), Qt::white);
    QImage screen(kCanvas, kCanvas, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::gray);
    KZToolboxController controller;
    BenchTool tool(&controller);
    const QPointF centre(kCanvas / 2.0, kCanvas / 2.0);
    auto element = std::make_shared<BenchElement>();
    element->setImage(noise());
    element->setPosition(centre);
    element->setHasCreated(true);
    tool.activate();
    tool.setImageDataSource(store.get());
    tool.didCreatedGraphic(element);

    // Grab inside to move, or just beyond the right middle handle to turn.
    QPointF p = rotate ? centre + QPointF(kSide / 2.0 + 10, 0) : centre;
    tool.setSavedPoint(p);
    tool.performDrawAtPoint(p, store.get(), SWTool::MouseDown, nullptr);
    double angle = 0;
    double step = 3;
    double seconds = 0;
    long events = 0;
    for (auto _ : state) {
        if (rotate) {
            angle += 1.0;
            const double a = angle * std::numbers::pi / 180;
            p = centre + QPointF(std::cos(a), std::sin(a)) * (kSide / 2.0 + 10);
        } else {
            // Back and forth across the canvas, 3 pixels an event.
            if (p.x() + step > kCanvas - kSide || p.x() + step < kSide)
                step = -step;
            p += QPointF(step, step);
        }
        const auto t0 = std::chrono::steady_clock::now();
        if (wholeClear)
            SWImageTools::clearImage(store->bufferImage());
        tool.performDrawAtPoint(p, store.get(), SWTool::MouseDragged, nullptr);
        {
            // The canvas view's repaint of the invalid area.
            QPainter painter(&screen);
            const QRectF dirty = tool.invalidRect().adjusted(-2, -2, 2, 2).intersected(QRectF(0, 0, kCanvas, kCanvas));
            painter.setClipRect(dirty);
            store->renderToContext(painter, dirty);
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++events;
    }
    const double perEvent = seconds / double(std::max(1L, events));
    state.counters["per_event_ms"] = perEvent * 1e3;
    state.counters["x_memcpy"] = perEvent / memcpySeconds(std::size_t(kSide) * kSide * 4);
    state.counters["orientation"] = element->orientation();
}

} // namespace

BENCHMARK(dragEvent)
    ->Name("DragElement1000On5000/rotate/wholeClear")
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runToolBenchmarks(argc, argv);
}

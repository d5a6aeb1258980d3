// One arrow-key nudge of a floating 4000 x 3000 selection in a document
// window with its menu bar, the key delivered the way the window delivers
// it: offered as a shortcut to every view from the canvas up to the window
// (where the menu bar is validated), then pressed. Reported: the time per
// nudge and how many times the element was drawn for it.
#include "KZGraphicElement.h"
#include "KZGraphicTool.h"
#include "KZGraphicsContext.h"
#include "KZOverlayView.h"
#include "KZRectangleSelectionTool.h"
#include "KZToolboxController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWMainMenu.h"
#include "SWToolbox.h"

#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void press(QWidget* target, Qt::Key key)
{
    QKeyEvent override(QEvent::ShortcutOverride, key, Qt::NoModifier);
    QApplication::sendEvent(target, &override);
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &up);
}

void nudgeFloatingSelection(benchmark::State& state)
{
    auto* document = new SWDocument;
    platform::DocumentController::shared().addDocument(document);
    document->makeWindowControllers();
    document->showWindows();
    document->window()->resize(1200, 900);
    document->window()->setMenuBar(SWMainMenu::build(document->window()));
    document->setToolbox(std::make_unique<SWToolbox>(
        document, document->toolboxController(),
        std::vector<SWToolbox::ToolClass>{
            {"KZRectangleSelectionTool", [](KZToolboxController* c) -> std::unique_ptr<SWTool> {
                 return std::make_unique<KZRectangleSelectionTool>(c);
             }}}));
    document->dataSource()->resizeToSize(QSizeF(4000, 3000), false);
    document->selectAll();
    QApplication::processEvents();
    auto* tool = dynamic_cast<KZGraphicTool*>(document->toolbox()->currentTool());
    if (!tool || !tool->element()) {
        state.SkipWithError("nothing floats");
        return;
    }
    QWidget* canvas = document->overlayView();
    canvas->setFocus();

    double seconds = 0;
    long nudges = 0;
    const quint64 drawnBefore = KZGraphicsContext::elementDrawCount();
    for (auto _ : state) {
        // Right and back again, so the selection stays where it was lifted.
        const auto t0 = std::chrono::steady_clock::now();
        press(canvas, nudges % 2 ? Qt::Key_Left : Qt::Key_Right);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++nudges;
    }
    state.counters["per_nudge_ms"] = seconds / double(std::max(1L, nudges)) * 1e3;
    state.counters["draws_per_nudge"] =
        double(KZGraphicsContext::elementDrawCount() - drawnBefore) / double(std::max(1L, nudges));
    document->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

BENCHMARK(nudgeFloatingSelection)->Name("NudgeFloatingSelection4000x3000")->Iterations(20)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::UserDefaults::standard().registerDefaults({{QStringLiteral("AllowAntialias"), true},
                                                         {QStringLiteral("UndoLevels"), 128}});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "E2EHarness.h"

#include <QImage>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>

namespace {
// The longest horizontal run of pure white (the blank canvas) in the rows
// from top to bottom of the picture; the window's other white (empty
// swatches on the ribbon) lies outside them.
int longestWhiteRun(const QImage& shot, int top, int bottom)
{
    int best = 0;
    for (int y = std::max(0, top); y <= std::min(shot.height() - 1, bottom); ++y) {
        int run = 0;
        for (int x = 0; x < shot.width(); ++x) {
            run = shot.pixel(x, y) == qRgb(255, 255, 255) ? run + 1 : 0;
            best = std::max(best, run);
        }
    }
    return best;
}

struct Program {
    Program()
    {
        started = h.launch();
        if (started)
            window = h.waitForWindow();
        if (!window.isEmpty())
            h.focus(window);
    }
    void quit()
    {
        h.focus(window);
        h.key(QStringLiteral("ctrl+q"));
    }
    E2EHarness h;
    bool started = false;
    QString window;
};

// The canvas's white run once the screen shows what is expected (a busy
// machine may repaint late), or the last one seen at the deadline.
int settledWhiteRun(Program& p, const std::function<bool(int)>& expected)
{
    int run = 0;
    E2EHarness::waitUntil([&] {
        const QRect canvas = p.h.canvasExtents(p.window, 2000);
        run = longestWhiteRun(p.h.screenshot(), canvas.top(), canvas.bottom());
        return expected(run);
    });
    return run;
}
} // namespace

TEST(CanvasTools, ZoomShortcutsScaleTheCanvasOnScreen)
{
    Program p;
    ASSERT_FALSE(p.window.isEmpty()) << p.h.standardError().toStdString();
    // A blank 400 x 300 canvas at 100%: one canvas pixel per screen pixel.
    const auto is = [](int value) { return [value](int run) { return run == value; }; };
    EXPECT_EQ(settledWhiteRun(p, is(400)), 400);
    p.h.key(QStringLiteral("ctrl+minus"));
    EXPECT_EQ(settledWhiteRun(p, is(200)), 200);
    p.h.key(QStringLiteral("ctrl+minus"));
    EXPECT_EQ(settledWhiteRun(p, is(100)), 100);
    p.h.key(QStringLiteral("ctrl+minus")); // at 25% Zoom Out is disabled: no change
    // Zoom In after it shows where it left the zoom: 50%, not 25%.
    p.h.key(QStringLiteral("ctrl+equal"));
    EXPECT_EQ(settledWhiteRun(p, is(200)), 200);
    p.h.key(QStringLiteral("ctrl+0"));
    EXPECT_EQ(settledWhiteRun(p, is(400)), 400);
    p.h.key(QStringLiteral("ctrl+equal"));
    const int zoomed = settledWhiteRun(p, [](int run) { return run > 400; });
    EXPECT_GT(zoomed, 400) << "200% shows more screen pixels (clipped by the window)";
    EXPECT_LE(zoomed, 800);

    // Drags with both buttons over the canvas travel the whole event road.
    p.h.key(QStringLiteral("ctrl+0"));
    ASSERT_EQ(settledWhiteRun(p, is(400)), 400);
    const QRect canvas = p.h.canvasExtents(p.window);
    ASSERT_EQ(canvas.size(), QSize(400, 300));
    const QPoint on = canvas.topLeft() + QPoint(25, 100);
    p.h.drag(on, on + QPoint(40, 30), QString(), 1);
    p.h.drag(on + QPoint(10, 0), on + QPoint(60, 40), QString(), 3);
    p.h.mouseMove(on.x() + 5, on.y() + 5);
    p.h.key(QStringLiteral("Escape"));
    p.h.key(QStringLiteral("Delete"));
    // The pencil painted both drags: undone, the picture is unedited again
    // and quitting asks nothing.
    p.h.key(QStringLiteral("ctrl+z"));
    p.h.key(QStringLiteral("ctrl+z"));

    p.quit();
    EXPECT_EQ(p.h.waitForExit(), 0);
    EXPECT_FALSE(p.h.stderrHasSanitizerReport()) << p.h.standardError().toStdString();
}

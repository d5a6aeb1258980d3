// The "Brushes" tool on its own: brush loading, the width-to-radius table,
// the cursor, time steps, the redraw rectangle and the gesture's pixels.
#include "BrushTestSupport.h"
#include "DabBrushResource.h"
#include "DabBrushTool.h"
#include "KZToolboxController.h"
#include "SWImageDataSource.h"

#include "StderrCapture.h"

#include "platform/foundation/ModifierFlags.h"

#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// A tool with its controller and a white canvas, driven with timed events.
struct ToolOnCanvas {
    explicit ToolOnCanvas(const QString& brushFile = brushFixture(QStringLiteral("solid_round.myb")))
        : tool(&controller)
    {
        controller.updateInfo();
        store = SWImageDataSource::create(QSizeF(120, 80), Qt::white);
        if (!brushFile.isEmpty())
            tool.loadBrushWithFilePath(brushFile);
    }

    void send(int phase, const QPointF& p, qint64 ms, uint64_t flags = 0)
    {
        const QEvent::Type type = phase == 0 ? QEvent::MouseButtonPress
                                             : (phase == 1 ? QEvent::MouseMove : QEvent::MouseButtonRelease);
        QMouseEvent event(type, p, p, p, Qt::LeftButton, phase == 2 ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        event.setTimestamp(ulong(ms));
        if (phase == 0)
            tool.setSavedPoint(p);
        tool.setFlags(flags);
        tool.performDrawAtPoint(p, store.get(), phase, &event);
    }

    // A straight stroke from a to b in `steps` drags, 10 ms apart.
    void stroke(const QPointF& a, const QPointF& b, qint64 startMs = 1000, int steps = 20, uint64_t flags = 0)
    {
        send(0, a, startMs, flags);
        for (int i = 1; i <= steps; ++i)
            send(1, a + (b - a) * (double(i) / steps), startMs + 10 * i, flags);
        send(2, b, startMs + 10 * steps + 10, flags);
    }

    QImage& image() { return store->mainImage(); }

    KZToolboxController controller;
    DabBrushTool tool;
    std::unique_ptr<SWImageDataSource> store;
};

// Bounding box of the pixels that differ.
QRect changedPixels(const QImage& before, const QImage& after)
{
    QRect box;
    for (int y = 0; y < before.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < before.width(); ++x) {
            if (a[x] != b[x])
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

TEST(DabBrushTool, WidthToRadiusTable)
{
    const struct {
        double width;
        float base;
    } cases[] = {{-3, 0.8f}, {0, 0.8f}, {0.5, 0.8f}, {1, 0.8f}, {2, 1.1f}, {2.9, 1.1f}, {3, 1.5f},
                 {4, 0.0f},  {5, 2.0f}, {6, 0.0f},   {7, 0.0f}, {8, 0.0f}, {9, 3.0f},   {12, 3.0f},
                 {1e9, 3.0f}, {std::nan(""), 0.8f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(DabBrushTool::radiusBaseValueForLineWidth(c.width), c.base) << c.width;

    // Through the controller's width, into the engine (not the setting object).
    ToolOnCanvas t;
    for (const auto& c : cases) {
        if (!std::isfinite(c.width) || c.width < 0 || c.width > 100)
            continue;
        t.tool.setLineWidth(c.width);
        EXPECT_FLOAT_EQ(t.tool.dabBrush()->brush()->base_value(BrushSettingIndex::radius_logarithmic), c.base)
            << c.width;
    }
    EXPECT_FLOAT_EQ(t.tool.dabBrush()->setting_value_by_cname(QStringLiteral("radius_logarithmic")), 2.0f);
}

TEST(DabBrushTool, LineWidthAndCursorFollowTheBrushReach)
{
    // No brush: the toolbox width, and a cursor of that size.
    ToolOnCanvas none{QString()};
    none.controller.setLineWidth(7);
    EXPECT_EQ(none.tool.lineWidth(), 7.0);
    EXPECT_EQ(none.tool.cursor().pixmap().width(), 7);

    ToolOnCanvas t; // offset_by_random 0
    t.controller.setLineWidth(5);
    EXPECT_NEAR(t.tool.lineWidth(), 2 * std::exp(2.0), 1e-4); // about 14.78
    const QCursor small = t.tool.cursor();
    EXPECT_EQ(small.pixmap().width(), 15);
    EXPECT_EQ(small.hotSpot(), QPoint(7, 7));
    t.controller.setLineWidth(9);
    EXPECT_EQ(t.tool.cursor().pixmap().width(), 18) << "capped";
    EXPECT_EQ(t.tool.cursor().hotSpot(), QPoint(9, 9));
}

TEST(DabBrushTool, RefusedOrMissingBrushFilesKeepTheBrushInUse)
{
    ToolOnCanvas t;
    DabBrushResource* kept = t.tool.dabBrush();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(t.tool.dabBrush()->get_color_rgb(), QColor(Qt::black));

    StderrCapture log;
    EXPECT_FALSE(t.tool.loadBrushWithFilePath(brushFixture(QStringLiteral("version3.myb"))));
    EXPECT_EQ(t.tool.dabBrush(), kept);
    EXPECT_EQ(log.count(QStringLiteral("Brush file refused, keeping the current brush")), 1);

    EXPECT_FALSE(t.tool.loadBrushWithFilePath(QString()));
    EXPECT_FALSE(t.tool.loadBrushWithFilePath(brushFixture(QStringLiteral("no_such.myb"))));
    QTemporaryDir dir;
    EXPECT_FALSE(t.tool.loadBrushWithFilePath(dir.path())) << "a folder is no brush file";
    EXPECT_EQ(t.tool.dabBrush(), kept);

    // A readable file still replaces it.
    EXPECT_TRUE(t.tool.loadBrushWithFilePath(brushFixture(QStringLiteral("unknown_key.myb"))));
    EXPECT_NE(t.tool.dabBrush(), kept);
}

TEST(DabBrushTool, APressAlonePaintsNothingAndDragsPaintAlongThePath)
{
    ToolOnCanvas t;
    const QImage blank = t.image().copy();
    t.send(0, QPointF(20, 20), 1000);
    EXPECT_EQ(t.image(), blank) << "the press only places the brush";
    // The press gave the engine the toolbox width: 2 gives e^1.1.
    EXPECT_FLOAT_EQ(t.tool.dabBrush()->brush()->base_value(BrushSettingIndex::radius_logarithmic), 1.1f);
    EXPECT_FLOAT_EQ(t.tool.dabBrush()->brush()->state(BrushStateIndex::pos_x), 20.0f);
    EXPECT_FLOAT_EQ(t.tool.dabBrush()->brush()->state(BrushStateIndex::pos_y), 60.0f) << "y counts upwards";

    QImage before = t.image().copy();
    t.send(1, QPointF(60, 20), 1010);
    t.send(1, QPointF(100, 20), 1020);
    t.send(2, QPointF(100, 20), 1030);
    const QRect painted = changedPixels(blank, t.image());
    ASSERT_FALSE(painted.isEmpty());
    // A horizontal stroke 3 pixels in radius along y = 20 (a flipped stroke
    // would land at y = 60).
    EXPECT_GE(painted.top(), 14);
    EXPECT_LE(painted.bottom(), 26);
    EXPECT_LE(painted.left(), 24);
    EXPECT_GE(painted.right(), 96);
    const QColor middle = t.image().pixelColor(60, 20);
    EXPECT_LT(middle.lightness(), 200) << "black paint";
    EXPECT_EQ(middle.red(), middle.blue());
}

TEST(DabBrushTool, OptionPaintsWithTheBackColour)
{
    ToolOnCanvas t;
    t.controller.setForegroundColor(QColor(0, 0, 255));
    t.controller.setBackgroundColor(QColor(255, 0, 0));
    t.stroke(QPointF(10, 20), QPointF(110, 20), 1000, 20, platform::ModifierFlags::Option);
    const QColor back = t.image().pixelColor(60, 20);
    EXPECT_EQ(back.red(), 255);
    EXPECT_LT(back.green(), 200);
    EXPECT_EQ(back.green(), back.blue()) << "red over white, no blue";
    // After the press the brush holds the front colour again; a plain stroke paints it.
    t.stroke(QPointF(10, 60), QPointF(110, 60), 2000);
    const QColor front = t.image().pixelColor(60, 60);
    EXPECT_EQ(front.blue(), 255);
    EXPECT_LT(front.red(), 200);
}

TEST(DabBrushTool, EventTimestampsGiveTheTimeSteps)
{
    ToolOnCanvas t;
    Brush* engine = t.tool.dabBrush()->brush();
    t.send(0, QPointF(20, 20), 5000);
    EXPECT_DOUBLE_EQ(t.tool.previousTimestamp(), 5.0);
    // The press resets the engine; at most a moment is stepped after it.
    EXPECT_DOUBLE_EQ(engine->painting_time(), 0.0);
    EXPECT_LE(engine->idle_time(), 0.001);
    t.send(1, QPointF(40, 20), 5020);
    EXPECT_NEAR(engine->painting_time(), 0.02, 1e-9) << "a painting step of 20 ms";
    t.send(2, QPointF(40, 20), 5020);

    // A new press 5 ms after the last event still starts over at the pointer.
    const QImage before = t.image().copy();
    t.send(0, QPointF(90, 50), 5025);
    EXPECT_EQ(t.image(), before);
    EXPECT_FLOAT_EQ(engine->state(BrushStateIndex::pos_x), 90.0f);
    EXPECT_FLOAT_EQ(engine->state(BrushStateIndex::pos_y), 30.0f);
}

TEST(DabBrushTool, RedrawRectangleCoversEveryDabOfTheEvent)
{
    ToolOnCanvas t;
    t.controller.setLineWidth(5);
    t.send(0, QPointF(15, 15), 1000);
    const QPointF points[] = {{35, 30}, {70, 50}, {100, 65}, {110, 70}};
    qint64 ms = 1000;
    for (const QPointF& p : points) {
        const QImage before = t.image().copy();
        t.send(1, p, ms += 15);
        const QRect painted = changedPixels(before, t.image());
        ASSERT_FALSE(painted.isEmpty());
        EXPECT_TRUE(t.tool.invalidRect().contains(QRectF(painted)))
            << "painted " << painted.x() << "," << painted.y() << " " << painted.width() << "x"
            << painted.height();
    }
}

TEST(DabBrushTool, WithoutABrushNothingIsPaintedAndTheRedrawRectIsTiny)
{
    ToolOnCanvas t{QString()};
    const QImage blank = t.image().copy();
    t.stroke(QPointF(10, 10), QPointF(100, 60));
    EXPECT_EQ(t.image(), blank);
    EXPECT_LE(t.tool.invalidRect().width() * t.tool.invalidRect().height(), 9.0);
    // And a null image store is ignored.
    t.tool.performDrawAtPoint(QPointF(1, 1), nullptr, 0, nullptr);
}

TEST(DabBrushTool, ReleaseClearsTheBufferImage)
{
    ToolOnCanvas t;
    t.store->bufferImage().fill(Qt::red);
    t.stroke(QPointF(10, 10), QPointF(30, 10), 1000, 2);
    EXPECT_EQ(t.store->bufferImage().pixelColor(5, 5).alpha(), 0);
    EXPECT_EQ(t.store->bufferImage().pixelColor(100, 70).alpha(), 0);
}

TEST(DabBrushTool, SizeBoxGivesTheStrokeWidthOfTheRadiusTable)
{
    // The toolbox width picks one of five radii (e raised to the table's
    // value), or a radius of one pixel for the widths the table leaves out;
    // widths beyond 9 stay at the largest. The painted band across a hard
    // stroke is then about twice that radius, whatever the Size box says.
    const struct {
        int size;
        double radius;
    } cases[] = {{1, std::exp(0.8)}, {2, std::exp(1.1)}, {3, std::exp(1.5)}, {4, 1.0}, {5, std::exp(2.0)},
                 {6, 1.0},          {8, 1.0},           {9, std::exp(3.0)}, {20, std::exp(3.0)}, {99, std::exp(3.0)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        ToolOnCanvas t; // hard edge, opaque black
        t.controller.setLineWidth(c.size);
        t.stroke(QPointF(10, 40), QPointF(110, 40));
        int painted = 0;
        for (int y = 0; y < t.image().height(); ++y)
            painted += t.image().pixelColor(60, y).lightness() < 128 ? 1 : 0;
        EXPECT_NEAR(painted, 2.0 * c.radius, 2.0);
    }
}

#include "RasterToolFixture.h"
#include "SWFillTool.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {
// A black square outline from (20, 20) to (60, 60) on white, with a black
// pixel diagonally touching the outside of its top-left corner.
void drawEnclosure(QImage& image)
{
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(20, 20, 40, 40);
    painter.end();
    image.setPixelColor(19, 19, Qt::black);
}
} // namespace

TEST(SWFillTool, FillsExactlyTheEnclosedAreaInOneUndoStep)
{
    RasterToolFixture f;
    drawEnclosure(f.mainImage());
    const QImage before = f.mainImage().copy();
    f.controller()->setForegroundColor(QColor(0, 200, 0));
    ASSERT_NE(f.choose("Fill"), nullptr);
    f.gesture({{40.7, 40.2}});
    EXPECT_EQ(f.undo()->undoCount(), 1);
    int changed = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const bool inside = x > 20 && x < 60 && y > 20 && y < 60;
            const QColor expected = inside ? QColor(0, 200, 0) : before.pixelColor(x, y);
            changed += f.mainImage().pixelColor(x, y) != before.pixelColor(x, y);
            ASSERT_EQ(f.mainImage().pixelColor(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(changed, 39 * 39);
    f.undo()->undo();
    EXPECT_TRUE(sameImage(f.mainImage(), before));
}

TEST(SWFillTool, AClickOnThePixelsOwnColourTakesNoUndoStep)
{
    for (const QColor colour : {QColor(Qt::white), QColor(30, 60, 90, 77)}) {
        SCOPED_TRACE(colour.name(QColor::HexArgb).toStdString());
        RasterToolFixture f;
        f.controller()->setForegroundColor(colour);
        f.choose("Fill");
        f.gesture({{10, 10}});
        const int steps = colour == QColor(Qt::white) ? 0 : 1;
        EXPECT_EQ(f.undo()->undoCount(), steps);
        // A translucent colour does not come back exactly from its stored
        // pixel; the second fill still sees it as filled.
        f.gesture({{10, 10}});
        EXPECT_EQ(f.undo()->undoCount(), steps);
    }
}

TEST(SWFillTool, TheSeedIsThePixelUnderTheClickAndOptionFillsWithTheBackColour)
{
    RasterToolFixture f;
    // A one-pixel red row with white above: a click inside the row's pixel
    // fills the row, not the white above.
    for (int x = 0; x < f.mainImage().width(); ++x)
        f.mainImage().setPixelColor(x, 30, Qt::red);
    f.controller()->setBackgroundColor(QColor(0, 0, 255));
    f.choose("Fill");
    f.gesture({{15.5, 30.9}}, platform::ModifierFlags::Option);
    EXPECT_EQ(pixelAt(f.mainImage(), 100, 30), QColor(0, 0, 255));
    EXPECT_EQ(pixelAt(f.mainImage(), 100, 29), QColor(Qt::white));
    // A press beside the canvas fills nothing.
    f.gesture({{-3, 10}});
    f.gesture({{10, 150}});
    EXPECT_EQ(f.undo()->undoCount(), 1);
}

TEST(SWFillTool, ItsCursorShowsOverTheCanvasOnly)
{
    RasterToolFixture f;
    auto* fill = dynamic_cast<SWFillTool*>(f.choose("Fill"));
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->cursor().hotSpot(), QPoint(14, 13));
    f.mouse(QEvent::MouseMove, {-40, 10}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(fill->cursor().shape(), Qt::ArrowCursor);
    f.mouse(QEvent::MouseMove, {40, 10}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(fill->cursor().shape(), Qt::BitmapCursor);
}

// Write marks of a canvas bitmap: the tiles a write's rectangle reaches,
// and whether a write went around the marks.
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/CanvasWrite.h"
#include "platform/graphics/CanvasWriteMarks.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

using platform::CanvasBitmap;
using platform::CanvasWrite;
using platform::CanvasWriteMarks;

namespace {

using Tiles = std::set<std::pair<int, int>>;

Tiles marked(const CanvasWriteMarks& marks)
{
    return {marks.tiles().begin(), marks.tiles().end()};
}

} // namespace

TEST(CanvasWriteMarks, ARectangleMarksTheTilesItReachesAndNothingOutsideTheBitmap)
{
    // 200 x 130: 4 x 3 tiles, the last column 8 and the last row 2 pixels wide.
    struct Case {
        const char* name;
        QRect area;
        Tiles tiles;
    };
    const std::vector<Case> cases{
        {"one pixel", QRect(0, 0, 1, 1), {{0, 0}}},
        {"the last pixel of a tile", QRect(63, 63, 1, 1), {{0, 0}}},
        {"the first pixel of the next", QRect(64, 64, 1, 1), {{1, 1}}},
        {"across four tiles", QRect(60, 60, 8, 8), {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {"the short corner tile", QRect(199, 129, 1, 1), {{3, 2}}},
        {"partly beside the bitmap", QRect(-50, 120, 80, 400), {{0, 1}, {0, 2}}},
        {"wholly beside it", QRect(300, 10, 5, 5), {}},
        {"empty", QRect(), {}},
    };
    const QImage image = CanvasBitmap::make(200, 130);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CanvasWriteMarks marks;
        marks.clear(image);
        marks.mark(c.area);
        EXPECT_EQ(marked(marks), c.tiles);
        for (int ty = 0; ty < 3; ++ty)
            for (int tx = 0; tx < 4; ++tx)
                EXPECT_EQ(marks.isMarked(tx, ty), c.tiles.count({tx, ty}) == 1) << tx << ", " << ty;
    }
}

TEST(CanvasWriteMarks, AWriteAroundTheMarksIsNoticedUntilTheyStartOver)
{
    QImage image = CanvasBitmap::make(100, 100);
    CanvasWriteMarks marks;
    marks.clear(image);
    EXPECT_TRUE(marks.accountFor(image));
    {
        CanvasWrite write(&marks, image, QRect(10, 10, 5, 5));
        QPainter painter(&write.image());
        painter.fillRect(10, 10, 5, 5, Qt::red);
    }
    EXPECT_TRUE(marks.accountFor(image)) << "a write through the marks";
    EXPECT_EQ(marked(marks), (Tiles{{0, 0}}));

    // Written after the last marked write...
    image.setPixel(90, 90, 0xff00ff00u);
    EXPECT_FALSE(marks.accountFor(image));
    // ...or before a marked one: either way the marks cannot tell.
    {
        CanvasWrite write(&marks, image, QRect(0, 0, 1, 1));
        write.image().setPixel(0, 0, 0xff0000ffu);
    }
    EXPECT_FALSE(marks.accountFor(image));

    marks.clear(image);
    EXPECT_TRUE(marks.accountFor(image));
    EXPECT_TRUE(marks.tiles().empty());

    // A bitmap of another size put in its place through the marks is new
    // everywhere.
    {
        CanvasWrite write(&marks, image);
        write.image() = CanvasBitmap::make(70, 50);
    }
    EXPECT_TRUE(marks.accountFor(image));
    EXPECT_EQ(marked(marks), (Tiles{{0, 0}, {1, 0}}));
}

TEST(CanvasWriteMarks, ReadingThePixelsIsNoWrite)
{
    QImage image = CanvasBitmap::make(80, 80);
    image.fill(0xff102030u);
    CanvasWriteMarks marks;
    marks.clear(image);
    const QImage& seen = image;
    EXPECT_EQ(seen.pixel(5, 5), seen.pixel(6, 6));
    EXPECT_NE(seen.constScanLine(3), nullptr);
    QImage copy = image.copy(0, 0, 10, 10);
    {
        QPainter painter(&copy);
        painter.drawImage(0, 0, image);
    }
    EXPECT_TRUE(marks.accountFor(image));
}

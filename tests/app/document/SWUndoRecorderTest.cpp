// The recorder's steps on their own: tiles, encodings, the shared
// checkpoint's pages, and pictures replaced behind its back.
#include "SWUndoRecorder.h"
#include "SWUndoStep.h"

#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/CanvasWrite.h"
#include "platform/graphics/CanvasWriteMarks.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

using platform::CanvasBitmap;

namespace {

QImage noise(QSize size, unsigned seed)
{
    QImage image = CanvasBitmap::make(size);
    std::mt19937 random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const auto a = std::uint8_t(random() | 1);
            row[x] = CanvasBitmap::pack(std::uint8_t(random() % (a + 1u)), std::uint8_t(random() % (a + 1u)),
                                        std::uint8_t(random() % (a + 1u)), a);
        }
    }
    return image;
}

// A change of a few rectangles of one colour.
void scribble(QImage& image, std::mt19937& random)
{
    QPainter painter(&image);
    for (int i = 0; i < 3; ++i) {
        const int x = int(random() % unsigned(image.width()));
        const int y = int(random() % unsigned(image.height()));
        painter.fillRect(x, y, 1 + int(random() % 90), 1 + int(random() % 40), QColor::fromRgb(random() | 0xff000000u));
    }
}

} // namespace

TEST(SWUndoRecorder, EveryStepRestoresItsPictureExactly)
{
    for (const bool sharing : {true, false}) {
        SCOPED_TRACE(sharing ? "shared checkpoint" : "copied checkpoint");
        SWUndoRecorder recorder;
        recorder.setSharing(sharing);
        QImage live = noise({333, 201}, 1);
        std::mt19937 random(5);
        std::vector<QImage> pictures;
        std::vector<std::shared_ptr<SWUndoStep>> steps;
        for (int i = 0; i < 12; ++i) {
            pictures.push_back(live.copy());
            steps.push_back(recorder.beginStep(live));
            if (i == 5) {
                live = noise({120, 77}, 9); // the canvas changed size
            } else if (i == 8) {
                live = live.copy(); // replaced by an equal bitmap, then drawn on
                scribble(live, random);
            } else {
                scribble(live, random);
            }
        }
        const QImage last = live.copy();
        recorder.beginStep(live); // completes the last
        EXPECT_EQ(live, last) << "opening a step leaves the pixels alone";
        EXPECT_TRUE(steps[5]->isWhole());
        EXPECT_FALSE(steps[4]->isWhole());

        // Walk back as undo does, each step applied to the picture after it.
        for (int i = int(steps.size()) - 1; i >= 0; --i) {
            const auto& step = steps[size_t(i)];
            ASSERT_TRUE(step->isComplete());
            if (live.size() != step->size())
                live = CanvasBitmap::make(step->size());
            ASSERT_TRUE(step->apply(live));
            EXPECT_EQ(live, pictures[size_t(i)]) << "step " << i;
        }
    }
}

TEST(SWUndoRecorder, ASmallChangeKeepsOneTileAndTheCheckpointSharesTheRest)
{
    SWUndoRecorder recorder;
    QImage live = noise({1000, 600}, 3);
    const QImage original = live.copy();
    auto first = recorder.beginStep(live);
    const uchar* shared = live.constBits();
    for (int round = 0; round < 3; ++round) {
        live.setPixel(130 + round, 70, 0xff00ff00u); // one tile, column 2 row 1
        auto next = recorder.beginStep(live);
        EXPECT_EQ(live.constBits(), shared) << "the live picture stays the shared one";
    }
    EXPECT_EQ(first->tileCount(), 1);
    EXPECT_LT(first->byteSize(), std::size_t(SWUndoStep::TileSide) * SWUndoStep::TileSide * 4 + 512);
    // Pages given back to the checkpoint read its (equal) pixels; writing
    // them again copies them afresh.
    QImage expected = original.copy();
    for (int round = 0; round < 3; ++round)
        expected.setPixel(130 + round, 70, 0xff00ff00u);
    EXPECT_EQ(live, expected);
    live.setPixel(131, 70, 0xff0000ffu);
    EXPECT_EQ(live.pixel(131, 70), 0xff0000ffu);
    EXPECT_EQ(live.pixel(130, 70), 0xff00ff00u);
}

TEST(SWUndoStep, TilesKeepTheirPixelsInEveryEncoding)
{
    // One colour, runs of two colours, and noise: one pixel, deflated, raw.
    const QSize size(150, 70);
    QImage picture = noise(size, 4);
    {
        QPainter painter(&picture);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(0, 0, 64, 64, QColor(10, 20, 30, 40));
        for (int y = 0; y < 64; y += 2)
            painter.fillRect(64, y, 64, 1, QColor(200, 10, 10));
    }
    SWUndoStep step;
    step.begin(size, true);
    for (int ty = 0; ty < 2; ++ty)
        for (int tx = 0; tx < 3; ++tx)
            ASSERT_TRUE(step.addTile(tx, ty, picture.constScanLine(ty * 64), std::size_t(picture.bytesPerLine())));
    EXPECT_FALSE(step.addTile(3, 0, picture.constScanLine(0), std::size_t(picture.bytesPerLine())));
    step.finish();
    EXPECT_LT(step.byteSize(), std::size_t(size.width()) * size.height() * 4);
    QImage target = CanvasBitmap::make(size);
    ASSERT_TRUE(step.apply(target));
    EXPECT_EQ(target, picture);
    QImage wrong = CanvasBitmap::make(size + QSize(1, 0));
    EXPECT_FALSE(step.apply(wrong));
}

namespace {

// The tiles a set of rectangles reaches, column and row, in grid order.
std::set<std::pair<int, int>> tilesOf(const std::vector<QRect>& rects)
{
    std::set<std::pair<int, int>> tiles;
    for (const QRect& r : rects)
        for (int ty = r.top() / SWUndoStep::TileSide; ty <= r.bottom() / SWUndoStep::TileSide; ++ty)
            for (int tx = r.left() / SWUndoStep::TileSide; tx <= r.right() / SWUndoStep::TileSide; ++tx)
                tiles.insert({tx, ty});
    return tiles;
}

std::set<std::pair<int, int>> tilesHeld(const SWUndoStep& step)
{
    const auto positions = step.tilePositions();
    return {positions.begin(), positions.end()};
}

// Fills the rectangles with one colour (noise() may make a pixel of it by
// chance, never a whole rectangle of it).
void paint(QImage& image, const std::vector<QRect>& rects, QRgb colour)
{
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : rects)
        painter.fillRect(r, QColor::fromRgba(colour));
}

} // namespace

// Undo and redo as the document runs them: open a step (it becomes the
// way back), then apply the step being undone or redone through the
// recorder. Each stroke's step holds exactly the tiles the stroke reached,
// its undo gives back the picture of before to the byte, and the redo
// step holds the same tiles.
TEST(SWUndoRecorder, AnUndoAfterAStrokeRestoresExactlyTheTilesItTouched)
{
    struct Case {
        const char* name;
        std::vector<QRect> stroke;
    };
    // 1000 x 600 is 16 x 10 tiles, the last column 40 and the last row 24
    // pixels short of a whole tile.
    const std::vector<Case> cases{
        {"one pixel", {QRect(130, 70, 1, 1)}},
        {"across four tiles", {QRect(60, 60, 10, 10)}},
        {"a long thin line", {QRect(10, 300, 900, 2)}},
        {"two places far apart", {QRect(5, 5, 3, 3), QRect(900, 500, 30, 30)}},
        {"the short last column and row", {QRect(990, 590, 10, 10)}},
        {"a tall thin line", {QRect(700, 0, 1, 600)}},
    };
    for (const bool sharing : {true, false}) {
        SWUndoRecorder recorder;
        recorder.setSharing(sharing);
        QImage live = noise({1000, 600}, 7);
        std::vector<std::shared_ptr<SWUndoStep>> undoStack;
        std::vector<QImage> pictures{live.copy()};
        int round = 0;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(sharing ? "shared, " : "copied, ") + c.name);
            std::shared_ptr<SWUndoStep> step = recorder.beginStep(live);
            paint(live, c.stroke, 0xff102030u + std::uint32_t(round++));
            const QImage after = live.copy();
            recorder.beginStep(live); // completes the stroke's step
            if (round % 2 == 0)
                recorder.compressCompleted(); // half the steps undo from deflated tiles
            ASSERT_TRUE(step->isComplete());
            EXPECT_EQ(tilesHeld(*step), tilesOf(c.stroke));

            std::shared_ptr<SWUndoStep> back = recorder.beginStep(live);
            ASSERT_TRUE(recorder.apply(*step, live));
            EXPECT_EQ(live, pictures.back()) << "undo";
            std::shared_ptr<SWUndoStep> forth = recorder.beginStep(live);
            EXPECT_EQ(tilesHeld(*back), tilesOf(c.stroke)) << "the redo step";
            ASSERT_TRUE(recorder.apply(*back, live));
            EXPECT_EQ(live, after) << "redo";
            undoStack.push_back(forth); // its tiles are checked once it is complete

            pictures.push_back(after);
        }
        // Back to the first picture, one undo at a time, every picture on the way.
        for (int i = int(undoStack.size()) - 1; i >= 0; --i) {
            recorder.beginStep(live);
            EXPECT_EQ(tilesHeld(*undoStack[size_t(i)]), tilesOf(cases[size_t(i)].stroke))
                << "the step that undoes the redo of " << cases[size_t(i)].name;
            ASSERT_TRUE(recorder.apply(*undoStack[size_t(i)], live));
            EXPECT_EQ(live, pictures[size_t(i)]) << (sharing ? "shared" : "copied") << ", undo to " << i;
        }
    }
}

// Drawing between opening a step and applying one (no document does it,
// but nothing forbids it) still leaves every step exact.
TEST(SWUndoRecorder, ApplyAfterUnrecordedDrawingKeepsEveryStepExact)
{
    SWUndoRecorder recorder;
    QImage live = noise({300, 200}, 2);
    const QImage first = live.copy();
    auto step = recorder.beginStep(live);
    paint(live, {QRect(10, 10, 20, 20)}, 0xff0000ffu);
    auto back = recorder.beginStep(live);
    const QImage stroked = live.copy();
    paint(live, {QRect(20, 20, 100, 5)}, 0xff00ff00u); // lands in the open step
    const QImage drawn = live.copy();
    ASSERT_TRUE(recorder.apply(*step, live));
    QImage expected = drawn.copy();
    // The step restores the tiles it holds (those of the first stroke).
    for (const auto& [tx, ty] : step->tilePositions()) {
        const QRect tile = QRect(tx * 64, ty * 64, 64, 64) & expected.rect();
        QPainter painter(&expected);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(tile.topLeft(), first, tile);
    }
    EXPECT_EQ(live, expected);
    recorder.beginStep(live);
    ASSERT_TRUE(back->isComplete());
    ASSERT_TRUE(back->apply(live));
    EXPECT_EQ(live, stroked) << "the open step came back to the picture it opened on";
}

// The document's way: every write goes through the picture's marks, and a
// step compares the marked tiles alone. The steps hold exactly the tiles
// the writes reached and undo and redo to the byte, and the page map finds
// no changed tile the marks missed.
TEST(SWUndoRecorder, MarkedWritesMakeStepsOfExactlyTheirTiles)
{
    const std::vector<std::vector<QRect>> strokes{
        {QRect(130, 70, 1, 1)},
        {QRect(60, 60, 10, 10)},
        {QRect(10, 300, 900, 2)},
        {QRect(5, 5, 3, 3), QRect(900, 500, 30, 30)},
        {QRect(990, 590, 10, 10)},
        {QRect(700, 0, 1, 600)},
    };
    for (const bool sharing : {true, false}) {
        SCOPED_TRACE(sharing ? "shared checkpoint" : "copied checkpoint");
        SWUndoRecorder recorder;
        recorder.setSharing(sharing);
        recorder.setAuditing(true);
        QImage live = noise({1000, 600}, 8);
        platform::CanvasWriteMarks marks;
        recorder.beginStep(live, &marks);
        std::vector<QImage> pictures{live.copy()};
        std::vector<std::shared_ptr<SWUndoStep>> undoStack;
        int round = 0;
        for (const auto& stroke : strokes) {
            SCOPED_TRACE(round);
            std::shared_ptr<SWUndoStep> step = recorder.beginStep(live, &marks);
            for (const QRect& r : stroke) {
                platform::CanvasWrite write(&marks, live, r);
                paint(write.image(), {r}, 0xff304050u + std::uint32_t(round));
            }
            ++round;
            const QImage after = live.copy();
            std::shared_ptr<SWUndoStep> back = recorder.beginStep(live, &marks);
            EXPECT_EQ(live, after) << "recording leaves the pixels alone";
            EXPECT_EQ(tilesHeld(*step), tilesOf(stroke));
            ASSERT_TRUE(recorder.apply(*step, live, &marks));
            EXPECT_EQ(live, pictures.back()) << "undo";
            std::shared_ptr<SWUndoStep> forth = recorder.beginStep(live, &marks);
            EXPECT_EQ(tilesHeld(*back), tilesOf(stroke)) << "the redo step";
            ASSERT_TRUE(recorder.apply(*back, live, &marks));
            EXPECT_EQ(live, after) << "redo";
            undoStack.push_back(forth);
            pictures.push_back(after);
        }
        for (int i = int(undoStack.size()) - 1; i >= 0; --i) {
            recorder.beginStep(live, &marks);
            ASSERT_TRUE(recorder.apply(*undoStack[size_t(i)], live, &marks));
            EXPECT_EQ(live, pictures[size_t(i)]) << "undo to " << i;
        }
        EXPECT_EQ(recorder.missedTiles(), 0);
        EXPECT_EQ(recorder.unaccountedSteps(), 0);
    }
}

// A write around the marks changes the picture's cache key: the step then
// finds the change from the pixels, and is just as exact.
TEST(SWUndoRecorder, AWriteAroundTheMarksIsFoundFromThePixels)
{
    for (const bool sharing : {true, false}) {
        SCOPED_TRACE(sharing ? "shared checkpoint" : "copied checkpoint");
        SWUndoRecorder recorder;
        recorder.setSharing(sharing);
        QImage live = noise({400, 300}, 12);
        const QImage before = live.copy();
        platform::CanvasWriteMarks marks;
        auto step = recorder.beginStep(live, &marks);
        {
            platform::CanvasWrite write(&marks, live, QRect(10, 10, 5, 5));
            paint(write.image(), {QRect(10, 10, 5, 5)}, 0xff0000ffu);
        }
        paint(live, {QRect(300, 200, 20, 20)}, 0xff00ff00u); // not marked
        const QImage after = live.copy();
        recorder.beginStep(live, &marks);
        EXPECT_EQ(recorder.unaccountedSteps(), 1);
        EXPECT_EQ(tilesHeld(*step), tilesOf({QRect(10, 10, 5, 5), QRect(300, 200, 20, 20)}));
        recorder.beginStep(live, &marks);
        ASSERT_TRUE(recorder.apply(*step, live, &marks));
        EXPECT_EQ(live, before);
    }
}

// A writer that changes more than the rectangle it marked: the audit finds
// the tiles, counts them and keeps them in the step. Without the audit the
// step misses them, but the live picture never loses a pixel: a page goes
// back to the checkpoint only whole.
TEST(SWUndoRecorder, AWriterThatMarksTooLittleIsCaughtAndThePictureKeepsItsPixels)
{
    const QRect named(70, 70, 4, 4);
    const QRect drawn(70, 70, 200, 130); // beyond the named tile, on pages near it and far from it
    for (const bool auditing : {true, false}) {
        SCOPED_TRACE(auditing ? "audited" : "not audited");
        SWUndoRecorder recorder;
        recorder.setAuditing(auditing);
        QImage live = noise({1000, 600}, 13);
        const QImage before = live.copy();
        platform::CanvasWriteMarks marks;
        auto step = recorder.beginStep(live, &marks);
        {
            platform::CanvasWrite write(&marks, live, named);
            paint(write.image(), {drawn}, 0xffa0b0c0u);
        }
        const QImage after = live.copy();
        recorder.beginStep(live, &marks);
        EXPECT_EQ(live, after) << "the picture keeps what was drawn";
        if (auditing) {
            EXPECT_EQ(recorder.missedTiles(), int(tilesOf({drawn}).size() - tilesOf({named}).size()));
            EXPECT_EQ(tilesHeld(*step), tilesOf({drawn}));
            recorder.beginStep(live, &marks);
            ASSERT_TRUE(recorder.apply(*step, live, &marks));
            EXPECT_EQ(live, before);
        } else {
            EXPECT_EQ(recorder.missedTiles(), 0);
            // Drawn on again and recorded: still nothing is lost.
            {
                platform::CanvasWrite write(&marks, live, QRect(600, 400, 3, 3));
                paint(write.image(), {QRect(600, 400, 3, 3)}, 0xff102030u);
            }
            const QImage again = live.copy();
            recorder.beginStep(live, &marks);
            EXPECT_EQ(live, again);
        }
    }
}

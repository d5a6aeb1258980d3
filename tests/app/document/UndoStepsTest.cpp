// Undo and redo through the document's tiled steps: every tool gesture and
// picture command comes back byte for byte, on a canvas of many tiles with
// partial tiles at the right and bottom edges.
#include "tools/RasterToolFixture.h"

#include "SWAirbrushTool.h"
#include "SWBombTool.h"
#include "SWUndoStep.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr QSize kCanvas(300, 200); // 5 x 4 tiles, the last column 44 wide, the last row 8 high

// Coloured blocks, a gradient and scattered dots: every moved or restored
// pixel can be told apart.
void paintPattern(QImage& image)
{
    QPainter painter(&image);
    for (int y = 0; y < image.height(); y += 25)
        for (int x = 0; x < image.width(); x += 30)
            painter.fillRect(x, y, 30, 25, QColor((x * 7) % 256, (y * 5) % 256, (x + y) % 256));
    QLinearGradient gradient(0, 0, image.width(), 0);
    gradient.setColorAt(0, QColor(0, 0, 0, 0));
    gradient.setColorAt(1, QColor(40, 200, 90, 160));
    painter.fillRect(0, 150, image.width(), 50, gradient);
    for (int i = 0; i < image.width(); i += 7)
        painter.fillRect(i, (i * 13) % image.height(), 2, 2, QColor(i % 255, 90, 140, 200));
}

struct Case {
    const char* name;
    const char* tool; // null for a command
    std::function<void(RasterToolFixture&)> act;
};

} // namespace

TEST(UndoSteps, EveryGestureAndCommandUndoesAndRedoesToTheExactPixels)
{
    const Case cases[] = {
        {"pencil", "Brush", [](RasterToolFixture& f) { f.gesture({{10, 10}, {120, 60}, {290, 190}, {40, 180}}); }},
        {"eraser", "Eraser", [](RasterToolFixture& f) { f.gesture({{250, 20}, {200, 100}, {20, 195}}); }},
        {"line", "Line", [](RasterToolFixture& f) { f.gesture({{5, 195}, {295, 3}}); }},
        {"ellipse", "Ellipse", [](RasterToolFixture& f) { f.gesture({{30, 20}, {280, 190}}); }},
        {"fill", "Fill", [](RasterToolFixture& f) { f.gesture({{70, 40}}); }},
        {"curve", "Curve",
         [](RasterToolFixture& f) {
             f.gesture({{10, 100}, {290, 100}});
             f.gesture({{60, 10}});
             f.gesture({{200, 195}});
         }},
        {"airbrush", "Airbrush",
         [](RasterToolFixture& f) {
             f.press({100, 70});
             for (int i = 0; i < 20; ++i) {
                 f.dragTo({100.0 + 8 * i, 70.0 + 6 * i});
                 f.tool<SWAirbrushTool>()->spray();
             }
             f.release({260, 190});
         }},
        {"bomb", "Bomb",
         [](RasterToolFixture& f) {
             f.gesture({{150, 100}});
             auto* bomb = f.tool<SWBombTool>();
             for (int tick = 0; tick < 3 && bomb->isExploding(); ++tick)
                 bomb->drawNewCircle();
             f.document->undoOperation(); // ends the explosion: the step holds all of it
             f.document->redoOperation();
         }},
        {"rectangle selection moved", "Rectangle Selection",
         [](RasterToolFixture& f) {
             f.gesture({{20, 10}, {150, 90}});
             f.gesture({{50, 50}, {210, 160}}); // moved across tiles
             f.gesture({{295, 5}});             // outside the moved box: pasted back
         }},
        {"free selection moved", "Arbitrary Selection",
         [](RasterToolFixture& f) {
             f.gesture({{20, 20}, {140, 30}, {120, 120}, {30, 110}, {20, 20}});
             f.gesture({{70, 70}, {230, 150}});
             f.gesture({{5, 195}}); // outside the moved box: pasted back
         }},
        {"brushes", "Brushes", [](RasterToolFixture& f) { f.mouseDrag({{20, 20}, {80, 60}, {160, 120}, {280, 190}}); }},
        {"flip horizontal", nullptr, [](RasterToolFixture& f) { f.document->flipHorizontal(); }},
        {"flip vertical", nullptr, [](RasterToolFixture& f) { f.document->flipVertical(); }},
        {"rotate right", nullptr, [](RasterToolFixture& f) { f.document->rotate90R(); }},
        {"rotate 180", nullptr, [](RasterToolFixture& f) { f.document->rotate180(); }},
        {"invert", nullptr, [](RasterToolFixture& f) { f.document->invertColors(); }},
        {"resize scaled", nullptr, [](RasterToolFixture& f) { f.document->resizeToSize(QSizeF(170, 333), true); }},
        {"resize canvas", nullptr, [](RasterToolFixture& f) { f.document->resizeToSize(QSizeF(400, 90), false); }},
        {"crop", nullptr,
         [](RasterToolFixture& f) { f.document->cropToBitmap(f.mainImage().copy(50, 30, 130, 70)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RasterToolFixture f(kCanvas, true);
        f.controller()->setLineWidth(9);
        f.controller()->setBackgroundColor(QColor(250, 250, 240));
        if (c.tool) {
            ASSERT_NE(f.choose(QString::fromLatin1(c.tool)), nullptr);
        }
        paintPattern(f.mainImage());
        f.undo()->removeAllActions();
        const QImage before = f.mainImage().copy();
        c.act(f);
        f.endEvent();
        const QImage after = f.mainImage().copy();
        ASSERT_NE(after, before);
        ASSERT_EQ(f.undo()->undoCount(), 1);

        f.document->undoOperation();
        EXPECT_EQ(f.mainImage(), before);
        f.document->redoOperation();
        EXPECT_EQ(f.mainImage(), after);
        f.document->undoOperation();
        EXPECT_EQ(f.mainImage(), before);
        f.document->redoOperation();
        EXPECT_EQ(f.mainImage(), after);
    }
}

TEST(UndoSteps, AStepRecordedBeforeAResizeRestoresSizeAndPixelsAfterIt)
{
    RasterToolFixture f(kCanvas, true);
    f.controller()->setLineWidth(5);
    f.choose("Brush");
    paintPattern(f.mainImage());
    f.undo()->removeAllActions();
    std::vector<QImage> pictures{f.mainImage().copy()};
    const auto record = [&] {
        f.endEvent();
        pictures.push_back(f.mainImage().copy());
    };
    f.gesture({{10, 10}, {290, 190}});
    record();
    f.document->resizeToSize(QSizeF(420, 130), false);
    record();
    f.gesture({{400, 5}, {10, 125}});
    record();
    f.document->rotate90L();
    record();
    f.gesture({{5, 5}, {120, 400}});
    record();
    ASSERT_EQ(f.undo()->undoCount(), 5);

    for (int i = int(pictures.size()) - 2; i >= 0; --i) {
        f.document->undoOperation();
        EXPECT_EQ(f.store()->canvasSize(), QSizeF(pictures[size_t(i)].size())) << "undo to " << i;
        EXPECT_EQ(f.mainImage(), pictures[size_t(i)]) << "undo to " << i;
    }
    for (size_t i = 1; i < pictures.size(); ++i) {
        f.document->redoOperation();
        EXPECT_EQ(f.mainImage(), pictures[i]) << "redo to " << i;
    }
    // Half way back, and a new stroke: the redo steps go, the rest still undo.
    f.document->undoOperation();
    f.document->undoOperation();
    f.gesture({{0, 0}, {400, 120}});
    f.document->undoOperation();
    EXPECT_EQ(f.mainImage(), pictures[3]);
    f.document->undoOperation();
    f.document->undoOperation();
    f.document->undoOperation();
    EXPECT_EQ(f.mainImage(), pictures[0]);
}

TEST(UndoSteps, ShortStrokesKeepOnlyTheirTilesAndTheBudgetDropsTheOldestFirst)
{
    RasterToolFixture f({1000, 700}, true);
    f.controller()->setLineWidth(3);
    f.choose("Brush");
    paintPattern(f.mainImage());
    f.undo()->removeAllActions();
    std::vector<QImage> pictures{f.mainImage().copy()};
    const std::vector<std::vector<QPointF>> strokes{
        {{500, 300}, {540, 320}}, {{100, 100}, {110, 100}}, {{600, 600}, {700, 650}}, {{800, 100}, {810, 110}}};
    for (const auto& stroke : strokes) {
        f.gesture(stroke);
        pictures.push_back(f.mainImage().copy());
    }
    // The last stroke's step completes when the next one opens.
    f.document->handleUndoWithImageData();
    f.endEvent();
    const std::size_t canvasBytes = std::size_t(1000) * 700 * 4;
    EXPECT_GT(f.undo()->byteSize(), 0u);
    EXPECT_LT(f.undo()->byteSize(), canvasBytes / 20) << "four short strokes";

    // A budget for about two strokes: the oldest steps go, and what is left
    // undoes without a gap.
    f.undo()->setByteBudget(f.undo()->byteSize() / 2);
    const int left = f.undo()->undoCount();
    EXPECT_LT(left, 5);
    EXPECT_GE(left, 1);
    while (f.undo()->canUndo())
        f.document->undoOperation();
    EXPECT_EQ(f.mainImage(), pictures[size_t(5 - left)]);
}

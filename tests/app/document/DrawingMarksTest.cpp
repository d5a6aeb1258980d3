// Every drawing path marks what it writes: each tool gesture and picture
// command, recorded by a document whose undo recorder checks the marks
// against the pages the picture really wrote, leaves no changed tile
// unmarked and no write around the marks, and still undoes to the byte.
#include "tools/RasterToolFixture.h"

#include "SWAirbrushTool.h"
#include "SWBombTool.h"
#include "SWUndoRecorder.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr QSize kCanvas(700, 500); // 11 x 8 tiles, the last column 60 wide, the last row 52 high

void paintPattern(QImage& image)
{
    QPainter painter(&image);
    for (int y = 0; y < image.height(); y += 25)
        for (int x = 0; x < image.width(); x += 30)
            painter.fillRect(x, y, 30, 25, QColor((x * 7) % 256, (y * 5) % 256, (x + y) % 256));
}

struct Case {
    const char* name;
    const char* tool; // null for a command
    std::function<void(RasterToolFixture&)> act;
};

} // namespace

TEST(DrawingMarks, EveryGestureAndCommandMarksAllItChanges)
{
    const Case cases[] = {
        {"pencil", "Brush", [](RasterToolFixture& f) { f.gesture({{10, 10}, {320, 160}, {690, 490}, {40, 480}}); }},
        {"eraser", "Eraser", [](RasterToolFixture& f) { f.gesture({{650, 20}, {300, 250}, {20, 495}}); }},
        {"line", "Line", [](RasterToolFixture& f) { f.gesture({{5, 495}, {695, 3}}); }},
        {"ellipse", "Ellipse", [](RasterToolFixture& f) { f.gesture({{130, 120}, {580, 390}}); }},
        {"fill", "Fill", [](RasterToolFixture& f) { f.gesture({{70, 40}}); }},
        {"curve", "Curve",
         [](RasterToolFixture& f) {
             f.gesture({{10, 250}, {690, 250}});
             f.gesture({{160, 10}});
             f.gesture({{500, 495}});
         }},
        {"airbrush", "Airbrush",
         [](RasterToolFixture& f) {
             f.press({300, 170});
             for (int i = 0; i < 20; ++i) {
                 f.dragTo({300.0 + 8 * i, 170.0 + 6 * i});
                 f.tool<SWAirbrushTool>()->spray();
             }
             f.release({460, 290});
         }},
        {"bomb", "Bomb",
         [](RasterToolFixture& f) {
             f.gesture({{350, 250}});
             auto* bomb = f.tool<SWBombTool>();
             for (int tick = 0; tick < 3 && bomb->isExploding(); ++tick)
                 bomb->drawNewCircle();
             f.document->undoOperation(); // ends the explosion
             f.document->redoOperation();
         }},
        {"rectangle selection moved", "Rectangle Selection",
         [](RasterToolFixture& f) {
             f.gesture({{20, 10}, {150, 90}});
             f.gesture({{50, 50}, {410, 360}});
             f.gesture({{695, 5}});
         }},
        {"free selection moved", "Arbitrary Selection",
         [](RasterToolFixture& f) {
             f.gesture({{20, 20}, {140, 30}, {120, 120}, {30, 110}, {20, 20}});
             f.gesture({{70, 70}, {530, 350}});
             f.gesture({{5, 495}});
         }},
        {"brushes", "Brushes", [](RasterToolFixture& f) { f.mouseDrag({{20, 20}, {180, 160}, {460, 320}, {680, 490}}); }},
        {"flip horizontal", nullptr, [](RasterToolFixture& f) { f.document->flipHorizontal(); }},
        {"flip vertical", nullptr, [](RasterToolFixture& f) { f.document->flipVertical(); }},
        {"rotate right", nullptr, [](RasterToolFixture& f) { f.document->rotate90R(); }},
        {"rotate 180", nullptr, [](RasterToolFixture& f) { f.document->rotate180(); }},
        {"resize canvas", nullptr, [](RasterToolFixture& f) { f.document->resizeToSize(QSizeF(800, 90), false); }},
        {"invert", nullptr, [](RasterToolFixture& f) { f.document->invertColors(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RasterToolFixture f(kCanvas, true);
        SWUndoRecorder* recorder = f.document->undoRecorder();
        ASSERT_NE(recorder, nullptr);
        recorder->setAuditing(true);
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

        // Undo completes the gesture's step, redo the undo's.
        f.document->undoOperation();
        EXPECT_EQ(f.mainImage(), before);
        f.document->redoOperation();
        EXPECT_EQ(f.mainImage(), after);
        f.document->undoOperation();
        EXPECT_EQ(f.mainImage(), before);
        EXPECT_EQ(recorder->missedTiles(), 0) << "changed tiles no write marked";
        EXPECT_EQ(recorder->unaccountedSteps(), 0) << "steps whose picture was written around its marks";
    }
}

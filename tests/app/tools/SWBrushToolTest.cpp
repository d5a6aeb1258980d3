#include "RasterToolFixture.h"
#include "SWBrushTool.h"
#include "SWDrawingSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <random>

using platform::ModifierFlags::Option;

namespace {
// What the buffer must show after every event: the whole stroke so far,
// cleared and filled once.
QImage referenceStroke(QSize size, const QPainterPath& path, double width, const QColor& colour, bool antialias)
{
    QImage image = SWImageTools::initImageRep(QSizeF(size));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillPath(SWDrawingSupport::freehandOutline(path, width), colour);
    return image;
}
} // namespace

TEST(SWBrushTool, DragPreviewsInTheBufferAndTheReleaseCommitsOneUndoStep)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(1);
    ASSERT_NE(f.choose("Brush"), nullptr);
    const QImage before = f.mainImage().copy();
    f.press({10, 10});
    f.dragTo({50, 10});
    f.dragTo({50, 40});
    f.document->refreshDisplay(); // clears the buffer; the stroke draws itself again
    // Preview only: the picture is untouched, the stroke is in the buffer.
    EXPECT_TRUE(sameImage(f.mainImage(), before));
    EXPECT_EQ(pixelAt(f.buffer(), 30, 10), QColor(Qt::black));
    f.release({50, 40});
    f.endEvent();
    EXPECT_EQ(f.undo()->undoCount(), 1);
    for (const QPoint p : {QPoint(10, 10), QPoint(30, 10), QPoint(50, 10), QPoint(50, 25), QPoint(50, 40)})
        EXPECT_EQ(pixelAt(f.mainImage(), p.x(), p.y()), QColor(Qt::black)) << p.x() << "," << p.y();
    EXPECT_EQ(pixelAt(f.mainImage(), 30, 25), QColor(Qt::white));
    EXPECT_EQ(countPixels(f.buffer(), QColor(0, 0, 0, 0)), f.buffer().width() * f.buffer().height());
    f.undo()->undo();
    EXPECT_TRUE(sameImage(f.mainImage(), before));
}

TEST(SWBrushTool, AClickLeavesADotOfTheLineWidth)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(5);
    f.choose("Brush");
    f.gesture({{20, 20}});
    EXPECT_EQ(pixelAt(f.mainImage(), 20, 20), QColor(Qt::black));
    EXPECT_EQ(pixelAt(f.mainImage(), 22, 20), QColor(Qt::black));
    EXPECT_EQ(pixelAt(f.mainImage(), 20, 18), QColor(Qt::black));
    EXPECT_EQ(pixelAt(f.mainImage(), 24, 20), QColor(Qt::white));
    EXPECT_EQ(pixelAt(f.mainImage(), 20, 24), QColor(Qt::white));
}

TEST(SWBrushTool, AStrokeEndedByEscapeDoesNotComeBackWithTheNext)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(3);
    f.choose("Brush");
    f.mouse(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, {60, 10}, Qt::NoButton, Qt::LeftButton);
    f.key(Qt::Key_Escape);
    f.mouse(QEvent::MouseButtonRelease, {60, 10}, Qt::LeftButton, Qt::NoButton);
    f.endEvent();
    EXPECT_EQ(f.undo()->undoCount(), 0);
    f.mouseDrag({{10, 50}, {60, 50}});
    EXPECT_EQ(f.undo()->undoCount(), 1);
    EXPECT_EQ(pixelAt(f.mainImage(), 35, 50), QColor(Qt::black));
    EXPECT_EQ(pixelAt(f.mainImage(), 35, 10), QColor(Qt::white));
}

TEST(SWBrushTool, ARightDragPaintsTheBackColour)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(3);
    f.controller()->setBackgroundColor(QColor(200, 30, 40));
    f.choose("Brush");
    f.mouseDrag({{10, 10}, {40, 10}}, Qt::RightButton);
    EXPECT_EQ(pixelAt(f.mainImage(), 25, 10), QColor(200, 30, 40));
}

TEST(SWBrushTool, TheWholeStrokeIsOneShapeSoTranslucentCrossingsDoNotDarken)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(4);
    f.controller()->setForegroundColor(QColor(0, 0, 255, 128));
    f.choose("Brush");
    f.gesture({{10, 30}, {60, 30}, {35, 10}, {35, 50}});
    EXPECT_EQ(pixelAt(f.mainImage(), 35, 30), pixelAt(f.mainImage(), 20, 30));
    EXPECT_EQ(pixelAt(f.mainImage(), 35, 30), pixelAt(f.mainImage(), 35, 45));
}

// The preview is redrawn only near the newest segment: it must equal the
// whole stroke drawn afresh after every event, whatever the width, the
// anti-aliasing and the colour, and when the buffer was cleared behind the
// tool's back or the colour changed in mid-stroke.
TEST(SWBrushTool, PartialRedrawIsPixelIdenticalToRedrawingTheWholeStroke)
{
    struct Case {
        double width;
        bool antialias;
        QColor colour;
    } cases[] = {{1, false, Qt::black},
                 {1, true, QColor(20, 40, 200, 140)},
                 {2, true, Qt::black},
                 {5, false, QColor(250, 10, 10, 100)},
                 {13, true, QColor(0, 120, 0, 200)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.width << " antialias " << c.antialias);
        RasterToolFixture f({160, 120}, c.antialias);
        f.controller()->setLineWidth(qint64(c.width));
        f.controller()->setForegroundColor(c.colour);
        auto* brush = dynamic_cast<SWBrushTool*>(f.choose("Brush"));
        ASSERT_NE(brush, nullptr);
        std::mt19937 random(unsigned(c.width * 7 + c.antialias));
        std::uniform_real_distribution<double> step(-9.0, 9.0);
        QPointF p(80.3, 60.7);
        f.press(p);
        int mismatches = 0;
        for (int i = 0; i < 160; ++i) {
            p = QPointF(std::clamp(p.x() + step(random), -10.0, 170.0), std::clamp(p.y() + step(random), -10.0, 130.0));
            uint64_t flags = 0;
            if (i == 60)
                SWImageTools::clearImage(f.buffer()); // somebody else cleared the preview
            if (i >= 100 && i < 110)
                flags = Option; // the colour changes in mid-stroke
            f.dragTo(p, flags);
            const QColor colour = flags ? f.controller()->backgroundColor() : c.colour;
            const QImage expected = referenceStroke(f.buffer().size(), brush->path(), c.width, colour, c.antialias);
            mismatches += expected != f.buffer();
        }
        EXPECT_EQ(mismatches, 0);
        f.release(p);
    }
}

#include "RasterToolFixture.h"
#include "SWCurveTool.h"

#include <gtest/gtest.h>

TEST(SWCurveTool, ThreeClicksMakeTheCurveAndTheThirdReleaseCommitsIt)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(3);
    auto* curve = dynamic_cast<SWCurveTool*>(f.choose("Curve"));
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->numberOfClicks(), 0);
    f.gesture({{20, 100}, {180, 100}});
    EXPECT_EQ(curve->numberOfClicks(), 1);
    EXPECT_EQ(pixelAt(f.buffer(), 100, 100), QColor(Qt::black));
    EXPECT_EQ(pixelAt(f.mainImage(), 100, 100), QColor(Qt::white));
    f.gesture({{60, 20}}); // bends toward the top
    f.gesture({{140, 20}});
    EXPECT_EQ(curve->numberOfClicks(), 0);
    EXPECT_EQ(f.undo()->undoCount(), 1);
    EXPECT_EQ(pixelAt(f.mainImage(), 100, 100), QColor(Qt::white));
    EXPECT_EQ(pixelAt(f.mainImage(), 100, 40), QColor(Qt::black)); // the curve's top
    EXPECT_EQ(countPixels(f.buffer(), QColor(0, 0, 0, 0)), f.buffer().width() * f.buffer().height());
}

TEST(SWCurveTool, ACurveLeftAfterOneClickIsCommittedByAChangeOfTool)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(3);
    f.choose("Curve");
    f.gesture({{20, 100}, {180, 100}});
    EXPECT_EQ(f.undo()->undoCount(), 0);
    // A change of settings redraws the canvas, clearing the buffer: the
    // curve draws itself again.
    f.document->refreshDisplay();
    EXPECT_EQ(pixelAt(f.buffer(), 100, 100), QColor(Qt::black));
    f.choose("Brush");
    f.endEvent();
    EXPECT_EQ(f.undo()->undoCount(), 1);
    EXPECT_EQ(pixelAt(f.mainImage(), 100, 100), QColor(Qt::black));
}

TEST(SWCurveTool, EscapeDuringTheThirdDragCommitsAndTheRestIsIgnored)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(3);
    auto* curve = dynamic_cast<SWCurveTool*>(f.choose("Curve"));
    f.mouseDrag({{20, 100}, {180, 100}});
    f.mouseDrag({{60, 20}});
    f.mouse(QEvent::MouseButtonPress, {140, 20}, Qt::LeftButton, Qt::LeftButton);
    f.key(Qt::Key_Escape);
    f.mouse(QEvent::MouseMove, {140, 140}, Qt::NoButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, {140, 140}, Qt::LeftButton, Qt::NoButton);
    f.endEvent();
    EXPECT_EQ(curve->numberOfClicks(), 0);
    EXPECT_EQ(f.undo()->undoCount(), 1);
    EXPECT_EQ(pixelAt(f.mainImage(), 100, 40), QColor(Qt::black));
    EXPECT_EQ(countPixels(f.buffer(), QColor(0, 0, 0, 0)), f.buffer().width() * f.buffer().height());
}

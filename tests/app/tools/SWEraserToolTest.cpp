#include "RasterToolFixture.h"
#include "SWEraserTool.h"

#include <gtest/gtest.h>

TEST(SWEraserTool, PaintsTheBackColourIntoThePictureWhileDownWithItsUndoStepFromThePress)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(4);
    f.controller()->setBackgroundColor(QColor(0, 0, 0, 0)); // erase to transparency
    f.mainImage().fill(QColor(10, 200, 10));
    const QImage before = f.mainImage().copy();
    auto* eraser = dynamic_cast<SWEraserTool*>(f.choose("Eraser"));
    ASSERT_NE(eraser, nullptr);
    EXPECT_EQ(eraser->drawingColor(), QColor(0, 0, 0, 0));
    f.press({20, 20});
    // The undo step is there before the first pixel changed, and the press
    // already erased a dot.
    EXPECT_EQ(f.undo()->undoCount(), 1);
    EXPECT_EQ(pixelAt(f.mainImage(), 20, 20).alpha(), 0);
    f.dragTo({60, 20});
    EXPECT_EQ(pixelAt(f.mainImage(), 40, 20).alpha(), 0);
    f.dragTo({60, 60});
    f.release({60, 60});
    f.endEvent();
    EXPECT_EQ(f.undo()->undoCount(), 1);
    EXPECT_EQ(pixelAt(f.mainImage(), 60, 40).alpha(), 0);
    EXPECT_EQ(pixelAt(f.mainImage(), 40, 40), QColor(10, 200, 10));
    f.undo()->undo();
    EXPECT_TRUE(sameImage(f.mainImage(), before));

    // With Option the front colour.
    f.gesture({{100, 100}, {120, 100}}, platform::ModifierFlags::Option);
    EXPECT_EQ(pixelAt(f.mainImage(), 110, 100), QColor(Qt::black));
}

#include "RasterToolFixture.h"
#include "SWScalingScrollView.h"

#include <gtest/gtest.h>

TEST(SWZoomTool, APressZoomsInOnceAndWithOptionOut)
{
    RasterToolFixture f;
    SWScalingScrollView* scroll = f.document->scrollView();
    scroll->setScaleFactor(1.0, true);
    f.choose("Zoom");
    f.gesture({{50, 40}, {60, 50}, {70, 60}});
    EXPECT_DOUBLE_EQ(scroll->scaleFactor(), 2.0);
    EXPECT_EQ(f.tool()->savedPoint(), QPointF(50, 40));
    f.gesture({{50, 40}}, platform::ModifierFlags::Option);
    f.gesture({{50, 40}}, platform::ModifierFlags::Option);
    EXPECT_DOUBLE_EQ(scroll->scaleFactor(), 0.5);
}

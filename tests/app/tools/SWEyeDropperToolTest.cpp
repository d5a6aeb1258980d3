#include "RasterToolFixture.h"

#include "platform/appkit/ColorPanel.h"
#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

TEST(SWEyeDropperTool, ThePanelFollowsThePixelUnderTheMouse)
{
    RasterToolFixture f;
    f.mainImage().setPixelColor(10, 20, QColor(200, 10, 10));
    f.mainImage().setPixelColor(10, 19, QColor(10, 200, 10));
    f.mainImage().setPixelColor(30, 20, QColor(10, 10, 200));
    int notes = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        &notes, platform::ColorPanel::colorDidChangeNotification(), nullptr,
        [&notes](const platform::Notification&) { ++notes; });
    platform::ColorPanel& panel = platform::ColorPanel::shared();
    ASSERT_NE(f.choose("Eyedropper"), nullptr);
    f.press({10.9, 20.2});
    EXPECT_EQ(panel.color(), QColor(200, 10, 10));
    f.dragTo({30.5, 20.5});
    EXPECT_EQ(panel.color(), QColor(10, 10, 200));
    f.dragTo({-5, 20}); // off the picture: the panel keeps its colour
    EXPECT_EQ(panel.color(), QColor(10, 10, 200));
    f.release({10, 19});
    EXPECT_EQ(panel.color(), QColor(10, 200, 10));
    EXPECT_EQ(notes, 3);
    EXPECT_EQ(f.undo()->undoCount(), 0);
    platform::NotificationCenter::defaultCenter().removeObserver(&notes);
}

#include "KZTexturalScroller.h"

#include "GoldenImage.h"

#include <gtest/gtest.h>

TEST(KZTexturalScroller, A15By200ScrollerUsesTheVerticalSkinsAndShowsTheHoverKnobAlone)
{
    auto* scroller = new KZTexturalScroller(Qt::Vertical);
    scroller->setRange(0, 300);
    scroller->setPageStep(200);
    ControlHost host(scroller, QRect(10, 10, 15, 200), QSize(40, 220));
    EXPECT_FALSE(scroller->isHorizontalScroller());
    EXPECT_FALSE(scroller->hasArrowButtons());
    EXPECT_EQ(scroller->width(), KZTexturalScroller::kScrollerWidth);
    EXPECT_EQ(scroller->slotTexturalSkin()->currentImage()->stockName(), "vslot_n");
    EXPECT_EQ(scroller->knobTexturalSkin()->stateImages().value("h")->stockName(), "vknob_h");
    // The knob runs the whole length: no arrows take room.
    EXPECT_EQ(scroller->knobRect().top(), 0);
    EXPECT_EQ(scroller->knobRect().width(), 15);

    EXPECT_EQ(scroller->knobTexturalSkin()->state(), 1u);
    expectMatchesGolden("scroller_vertical_normal", controlPicture(host, scroller));
    QTest::mouseMove(scroller, QPoint(7, 150));
    EXPECT_EQ(scroller->knobTexturalSkin()->state(), 4u);
    expectMatchesGolden("scroller_vertical_hover", controlPicture(host, scroller));
    QTest::mouseMove(&host.window, QPoint(35, 215));
    EXPECT_EQ(scroller->knobTexturalSkin()->state(), 1u);
}

TEST(KZTexturalScroller, TheOrientationComesFromTheScrollViewNotTheFirstBounds)
{
    // Made before it has any size (as a scroll view makes its bars), the
    // horizontal scroller still takes the horizontal skins.
    KZTexturalScroller horizontal(Qt::Horizontal, "7_2_kz_scroller_paint_view");
    EXPECT_TRUE(horizontal.isHorizontalScroller());
    EXPECT_EQ(horizontal.slotTexturalSkin()->currentImage()->stockName(), "hslot_n");
    EXPECT_EQ(horizontal.knobTexturalSkin()->currentImage()->stockName(), "hknob_n");
    EXPECT_EQ(horizontal.height(), KZTexturalScroller::kScrollerWidth);
    EXPECT_TRUE(KZTexturalScroller(Qt::Vertical, "arrow_x").hasArrowButtons());
}

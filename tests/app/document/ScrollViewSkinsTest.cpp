// The canvas's scroll view wears the skinned scrollers, the skinned level
// pop-up and the skinned square between the scrollers.
#include "KZTexturalPopUpButton.h"
#include "KZTexturalScroller.h"
#include "KZTexturalView.h"
#include "SWCenteringClipView.h"
#include "SWScalingScrollView.h"

#include "../controls/GoldenImage.h"

#include <gtest/gtest.h>

TEST(SWScalingScrollView, WearsSkinnedScrollersTheLevelPopUpAndTheSquareBetween)
{
    auto* scrollView = new SWScalingScrollView;
    scrollView->setContentView(new SWCenteringClipView);
    auto* canvas = new QWidget;
    scrollView->setDocumentView(canvas);
    scrollView->setDocumentFrameSize(QSizeF(900, 700));
    ControlHost host(scrollView, QRect(0, 0, 300, 200), QSize(300, 200));

    auto* horizontal = qobject_cast<KZTexturalScroller*>(scrollView->horizontalScrollBar());
    auto* vertical = qobject_cast<KZTexturalScroller*>(scrollView->verticalScrollBar());
    ASSERT_TRUE(horizontal && vertical);
    EXPECT_TRUE(horizontal->isHorizontalScroller());
    EXPECT_FALSE(vertical->isHorizontalScroller());
    EXPECT_EQ(horizontal->knobTexturalSkin()->currentImage()->stockName(), "hknob_n");
    EXPECT_EQ(vertical->slotTexturalSkin()->currentImage()->stockName(), "vslot_n");
    EXPECT_EQ(horizontal->height(), KZTexturalScroller::kScrollerWidth);
    EXPECT_EQ(horizontal->singleStep(), 20);

    KZTexturalPopUpButton* popUp = scrollView->scalePopUpButton();
    ASSERT_TRUE(popUp);
    ASSERT_TRUE(popUp->cell()->skin());
    QStringList titles;
    for (int i = 0; i < popUp->count(); ++i)
        titles << popUp->itemText(i);
    EXPECT_EQ(titles, QStringList({"25%", "50%", "100%", "200%", "400%", "800%", "1600%"}));
    EXPECT_EQ(popUp->currentText(), "100%");
    // The pop-up sits at the left end of the horizontal scroller's row.
    const QPoint popUpAt = popUp->mapTo(scrollView, QPoint(0, 0));
    const QPoint scrollerAt = horizontal->mapTo(scrollView, QPoint(0, 0));
    EXPECT_EQ(popUpAt.x(), 0);
    EXPECT_EQ(scrollerAt.x(), popUp->width());

    KZTexturalView* square = scrollView->scrollerSquareView();
    ASSERT_TRUE(square);
    EXPECT_EQ(square->identifier(), "kz_scroller_paint_view_brgap");
    EXPECT_EQ(QRect(square->mapTo(scrollView, QPoint(0, 0)), square->size()),
              QRect(285, 185, 15, 15));

    // Choosing a level in the pop-up zooms.
    popUp->setCurrentIndex(3);
    emit popUp->activated(3);
    EXPECT_DOUBLE_EQ(scrollView->scaleFactor(), 2.0);

    expectMatchesGolden("scrollview_bottom_left", host.window.grab(QRect(0, 160, 140, 40)).toImage());
    expectMatchesGolden("scrollview_bottom_right", host.window.grab(QRect(240, 150, 60, 50)).toImage());
}

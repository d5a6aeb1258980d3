#include "KZTexturalScroller.h"

#include "GoldenImage.h"

#include <QScrollArea>
#include <QScrollBar>

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

namespace {
// A 200 x 150 scroll view over a 600 x 500 page, with a skinned vertical
// scroller of the given identifier and no horizontal one.
struct ArrowScrollView {
    QScrollArea* area = new QScrollArea;
    KZTexturalScroller* scroller;
    std::unique_ptr<ControlHost> host;
    explicit ArrowScrollView(const QString& identifier)
    {
        auto* page = new QWidget;
        page->resize(600, 500);
        area->setWidget(page);
        area->setFrameShape(QFrame::NoFrame);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        scroller = new KZTexturalScroller(Qt::Vertical, identifier);
        area->setVerticalScrollBar(scroller);
        area->verticalScrollBar()->setSingleStep(12);
        host = std::make_unique<ControlHost>(area, QRect(10, 10, 200, 150), QSize(220, 170));
    }
};
} // namespace

TEST(KZTexturalScroller, ArrowButtonsSitAtTheEndsOfTheScrollViewAndScrollByOneLine)
{
    ArrowScrollView view("arrow_kz_scroller");
    KZTexturalScroller* scroller = view.scroller;
    ASSERT_TRUE(scroller->hasArrowButtons());
    KZTexturalButton* up = scroller->upArrowButton();
    KZTexturalButton* down = scroller->downArrowButton();
    ASSERT_TRUE(up && down);
    EXPECT_EQ(scroller->scrollerUpArrowButtonSize(), QSizeF(15, 15));
    EXPECT_EQ(up->parentWidget(), view.area);
    EXPECT_EQ(up->geometry(), QRect(185, 0, 15, 15));
    EXPECT_EQ(down->geometry(), QRect(185, 135, 15, 15));
    // Between the buttons, overlapping each by 2 points.
    const QRect inArea(scroller->mapTo(view.area, QPoint(0, 0)), scroller->size());
    EXPECT_EQ(inArea, QRect(185, 13, 15, 124));
    EXPECT_EQ(scroller->slotRect(), QRectF(0, 2, 15, 120));

    QTest::mouseClick(down, Qt::LeftButton, {}, QPoint(7, 7));
    EXPECT_EQ(scroller->value(), 12);
    QTest::mouseClick(down, Qt::LeftButton, {}, QPoint(7, 7));
    QTest::mouseClick(up, Qt::LeftButton, {}, QPoint(7, 7));
    EXPECT_EQ(scroller->value(), 12);
    scroller->arrowButtonClicked(scroller); // not one of its buttons
    EXPECT_EQ(scroller->value(), 12);
    view.area->verticalScrollBar()->setSingleStep(0);
    QTest::mouseClick(down, Qt::LeftButton, {}, QPoint(7, 7));
    EXPECT_EQ(scroller->value(), 12) << "a line of 0 scrolls nothing";

    // They follow the scroll view's size.
    view.area->resize(160, 120);
    EXPECT_EQ(down->geometry(), QRect(145, 105, 15, 15));
    EXPECT_EQ(QRect(scroller->mapTo(view.area, QPoint(0, 0)), scroller->size()), QRect(145, 13, 15, 94));
    expectMatchesGolden("scroller_arrows", view.host->window.grab(QRect(140, 10, 30, 120)).toImage());
}

TEST(KZTexturalScroller, AGapViewFillsTheRestOfTheScrollersRow)
{
    QScrollArea area;
    auto* page = new QWidget;
    page->resize(600, 500);
    area.setWidget(page);
    area.setFrameShape(QFrame::NoFrame);
    auto* horizontal = new KZTexturalScroller(Qt::Horizontal);
    area.setHorizontalScrollBar(horizontal);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area.resize(200, 150);
    auto* gap = new QWidget;
    horizontal->setBottomRightGapView(gap);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    EXPECT_EQ(gap->parentWidget(), &area);
    const QRect bar(horizontal->mapTo(&area, QPoint(0, 0)), horizontal->size());
    EXPECT_EQ(gap->geometry(), QRect(bar.right() + 1, bar.top(), 200 - bar.right() - 1, bar.height()));
    EXPECT_FALSE(horizontal->hasArrowButtons());
    EXPECT_FALSE(horizontal->upArrowButton());
}

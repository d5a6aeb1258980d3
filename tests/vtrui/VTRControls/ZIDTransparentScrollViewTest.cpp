#include "ZIDTransparentScrollView.h"
#include "ZIDTransparentScroller.h"

#include <QPainter>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

TEST(ZIDTransparentScrollViewTest, ContentRunsUnderTheBars)
{
    ZIDTransparentScrollView view;
    view.resize(100, 80);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* content = new QWidget;
    content->resize(300, 300);
    view.setWidget(content);
    view.show();
    EXPECT_EQ(view.viewport()->geometry(), view.contentsRect());
    // Another layout pass (a bar hidden) spreads the view port again.
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(view.viewport()->geometry(), view.contentsRect());
    EXPECT_NE(qobject_cast<ZIDTransparentScroller*>(view.verticalScrollBar()), nullptr);
}

TEST(ZIDTransparentScrollerTest, DrawsTheKnobOnly)
{
    ZIDTransparentScroller bar(Qt::Vertical);
    bar.resize(14, 200);
    bar.setRange(0, 100);
    bar.setPageStep(100); // the knob takes the upper half
    QImage image(bar.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    bar.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int inkedRows = 0;
    for (int y = 0; y < image.height(); ++y)
        inkedRows += qAlpha(image.pixel(7, y)) > 0 ? 1 : 0;
    EXPECT_GT(inkedRows, 40);
    EXPECT_LT(inkedRows, 160); // no track below the knob
    EXPECT_EQ(qAlpha(image.pixel(7, 195)), 0);

    bar.setRange(0, 0); // nothing to scroll: nothing drawn
    image.fill(Qt::transparent);
    bar.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(qAlpha(image.pixel(7, 20)), 0);
}

} // namespace

// Pictures of the tab drawing classes: the bar, a framed page, and a row of
// segments with the middle one chosen.
#include "KZTabBarView.h"
#include "KZTabItemView.h"
#include "KZTabSegmentedCell.h"

#include "../controls/GoldenImage.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {
// Draws three 60-point segments through the cell, one after the other.
class SegmentRow : public QWidget {
public:
    KZTabSegmentedCell cell;
    SegmentRow()
    {
        cell.setSegmentCount(3);
        const char* labels[] = {"Basic", "Ink", "Pencil"};
        for (int i = 0; i < 3; ++i) {
            cell.setLabel(labels[i], i);
            cell.setWidth(60, i);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        for (int i = 0; i < cell.segmentCount(); ++i)
            cell.drawSegment(painter, i, QRectF(60 * i, 0, 60, height()), this);
    }
};

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}
} // namespace

TEST(TabDrawing, TheBarRunsFromDarkAtTheBottomToLightAtTheTop)
{
    auto* bar = new KZTabBarView;
    ControlHost host(bar, QRect(0, 0, 120, 27), QSize(120, 27));
    const QImage image = controlPicture(host, bar);
    EXPECT_LE(pixel(image, 60, 26).red(), 163) << "near the bottom stop";
    EXPECT_GE(pixel(image, 60, 0).red(), 196);
    expectMatchesGolden("tabbar", image);
}

TEST(TabDrawing, APageIsFramedAndShaded)
{
    auto* page = new KZTabItemView;
    ControlHost host(page, QRect(0, 0, 120, 60), QSize(120, 60));
    const QImage image = controlPicture(host, page);
    EXPECT_EQ(pixel(image, 1, 30), QColor(188, 197, 212));
    EXPECT_EQ(pixel(image, 60, 59).rgb(), QColor::fromRgbF(0.63f, 0.63f, 0.63f).rgb());
    EXPECT_EQ(pixel(image, 60, 0).rgb(), QColor::fromRgbF(0.92f, 0.92f, 0.92f).rgb());
    expectMatchesGolden("tabitem", image);
}

TEST(TabDrawing, TheChosenSegmentIsLighterThanTheOthers)
{
    auto* row = new SegmentRow;
    row->cell.setSelectedSegment(1);
    ControlHost host(row, QRect(0, 0, 180, 27), QSize(180, 27));
    const QImage image = controlPicture(host, row);
    EXPECT_GT(pixel(image, 62, 26).red(), pixel(image, 2, 26).red());
    EXPECT_EQ(pixel(image, 2, 1).rgb(), pixel(image, 122, 1).rgb());
    expectMatchesGolden("tabsegments_second_chosen", image);
}

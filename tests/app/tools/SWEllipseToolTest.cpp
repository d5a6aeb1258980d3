#include "RasterToolFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using platform::ModifierFlags::Option;
using platform::ModifierFlags::Shift;

TEST(SWEllipseTool, FillStylesPickTheColours)
{
    struct Case {
        int style;
        uint64_t flags;
        QColor centre;
        QColor rim;
    } cases[] = {
        {17, 0, Qt::red, Qt::black},  // filled with the back colour, outlined in the front colour
        {17, Option, Qt::black, Qt::red},
        {1, 0, Qt::black, Qt::black}, // fill only, in the front colour
        {16, 0, Qt::white, Qt::black},
        {0, 0, Qt::white, Qt::white},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        RasterToolFixture f;
        f.controller()->setLineWidth(3);
        f.controller()->setBackgroundColor(Qt::red);
        f.controller()->setFillStyle(c.style);
        f.choose("Ellipse");
        f.gesture({{20, 20}, {120, 80}}, c.flags);
        EXPECT_EQ(pixelAt(f.mainImage(), 70, 50), c.centre);
        EXPECT_EQ(pixelAt(f.mainImage(), 21, 50), c.rim);
        EXPECT_EQ(pixelAt(f.mainImage(), 70, 21), c.rim);
        EXPECT_EQ(f.undo()->undoCount(), 1);
    }
}

TEST(SWEllipseTool, NeverAntiAliasedAndDrawnToTheSideDragged)
{
    RasterToolFixture f({200, 150}, true);
    f.controller()->setLineWidth(5);
    f.controller()->setBackgroundColor(Qt::red);
    f.controller()->setFillStyle(17);
    f.choose("Ellipse");
    // Up and to the left of the press point.
    f.gesture({{150, 120}, {100, 100}, {60, 40}});
    EXPECT_EQ(pixelAt(f.mainImage(), 105, 80), QColor(Qt::red));
    EXPECT_EQ(pixelAt(f.mainImage(), 170, 130), QColor(Qt::white));
    std::set<QRgb> colours;
    for (int y = 0; y < f.mainImage().height(); ++y)
        for (int x = 0; x < f.mainImage().width(); ++x)
            colours.insert(f.mainImage().pixel(x, y));
    EXPECT_EQ(colours, (std::set<QRgb>{qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 0)}));
}

TEST(SWEllipseTool, ShiftMakesACircleOfTheSmallerSide)
{
    RasterToolFixture f;
    f.controller()->setLineWidth(2);
    f.choose("Ellipse");
    f.press({50, 50}, Shift);
    f.dragTo({90, 20}, Shift);
    EXPECT_EQ(f.tool()->path().boundingRect(), QRectF(50, 20, 30, 30));
    f.dragTo({50.4, 50.7}, Shift); // under a pixel: an empty circle, not NaN
    const QRectF bounds = f.tool()->path().boundingRect();
    EXPECT_TRUE(bounds.isEmpty());
    EXPECT_TRUE(std::isfinite(bounds.x()) && std::isfinite(bounds.y()));
    f.release({50.4, 50.7}, Shift);
}

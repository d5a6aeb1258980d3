// Stroking and filling whole paths with a brush.
#include "BrushTestSupport.h"
#include "DabBrushResource.h"
#include "DabBrushPath.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<DabBrushResource> solidBlackBrush()
{
    auto brush = std::make_unique<DabBrushResource>(brushFixture("solid_round.myb"));
    EXPECT_TRUE(brush->load());
    brush->set_color_rgb(QColor(Qt::black));
    return brush;
}

QImage whiteCanvas()
{
    QImage canvas(200, 120, QImage::Format_RGBA8888_Premultiplied);
    canvas.fill(Qt::white);
    return canvas;
}

bool isDark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 64;
}

TEST(DabBrushPath, StrokePaintsAlongThePathAndReportsItsReach)
{
    auto brush = solidBlackBrush();
    const double reach = 2.0 * brush->get_actual_radius();
    ASSERT_NEAR(brush->get_actual_radius(), std::exp(2.0), 1e-3);

    QImage canvas = whiteCanvas();
    QPainterPath path(QPointF(30, 40));
    path.lineTo(170, 40);
    path.moveTo(30, 90); // a second touch, not joined to the first
    path.lineTo(170, 90);
    QRectF area;
    {
        QPainter painter(&canvas);
        area = DabBrushPath::strokeWithDabBrush(path, *brush, painter);
    }
    EXPECT_EQ(area, path.boundingRect().adjusted(-reach, -reach, reach, reach));
    for (int x : {40, 100, 160}) {
        EXPECT_TRUE(isDark(canvas, x, 40)) << x;
        EXPECT_TRUE(isDark(canvas, x, 90)) << x;
        EXPECT_FALSE(isDark(canvas, x, 65)) << "no stroke joins the two touches at " << x;
    }
    EXPECT_FALSE(isDark(canvas, 5, 5));
}

TEST(DabBrushPath, FillCoversThePathOnly)
{
    auto brush = solidBlackBrush();
    QImage canvas = whiteCanvas();
    QPainterPath circle;
    circle.addEllipse(QPointF(100, 60), 40, 40);
    QRectF bounds;
    {
        QPainter painter(&canvas);
        bounds = DabBrushPath::fillWithDabBrush(circle, *brush, painter);
    }
    EXPECT_EQ(bounds, circle.boundingRect());
    EXPECT_TRUE(isDark(canvas, 100, 60));
    EXPECT_TRUE(isDark(canvas, 80, 45));
    EXPECT_FALSE(isDark(canvas, 62, 23)) << "corner of the bounds lies outside the circle";
    EXPECT_FALSE(isDark(canvas, 150, 60));
}

TEST(DabBrushPath, EmptyPathPaintsNothing)
{
    auto brush = solidBlackBrush();
    QImage canvas = whiteCanvas();
    const QImage before = canvas;
    {
        QPainter painter(&canvas);
        DabBrushPath::strokeWithDabBrush(QPainterPath(), *brush, painter);
        DabBrushPath::fillWithDabBrush(QPainterPath(), *brush, painter);
    }
    EXPECT_EQ(canvas, before);
}

} // namespace

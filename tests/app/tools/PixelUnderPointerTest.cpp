#include "RasterToolFixture.h"
#include "SWScalingScrollView.h"

#include <gtest/gtest.h>

#include <optional>

// Zoomed in, a canvas pixel covers a square of screen pixels. Wherever in
// that square the mouse goes down, the tools act on that canvas pixel and on
// no neighbour: the same pixels as a click at 100%.
namespace {
struct Zoomed {
    explicit Zoomed(double level, QSize canvas = {12, 10}, bool antialias = false)
        : f(canvas, antialias)
    {
        f.document->scrollView()->setScaleFactor(level, true);
        QApplication::processEvents();
    }
    RasterToolFixture f;
};

// Points inside the pixel's screen square, one in each quarter.
const QPointF kQuarters[] = {{0.1, 0.1}, {0.8, 0.2}, {0.3, 0.7}, {0.9, 0.95}};
const double kLevels[] = {2, 4, 16};

// The pixels of the picture that differ from the fill colour.
std::vector<QPoint> changedPixels(const QImage& image, const QColor& fill)
{
    std::vector<QPoint> changed;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != fill)
                changed.push_back({x, y});
    return changed;
}
} // namespace

TEST(PixelUnderPointer, AClickWithPencilOrEraserChangesExactlyThatPixel)
{
    struct Case {
        const char* tool;
        QColor fill;   // the picture before
        QColor result; // the clicked pixel after
    } cases[] = {{"Brush", Qt::white, Qt::black}, {"Eraser", QColor(10, 200, 10), Qt::white}};
    for (const Case& c : cases) {
        for (double level : kLevels) {
            for (const QPointF& quarter : kQuarters) {
                SCOPED_TRACE(testing::Message() << c.tool << " at " << level << " offset " << quarter.x() << ","
                                                << quarter.y());
                Zoomed z(level);
                z.f.mainImage().fill(c.fill);
                z.f.controller()->setLineWidth(1);
                z.f.choose(c.tool);
                const QPointF at = QPointF(5, 4) + quarter;
                z.f.mouseDrag({at});
                const std::vector<QPoint> changed = changedPixels(z.f.mainImage(), c.fill);
                ASSERT_EQ(changed.size(), 1u);
                EXPECT_EQ(changed[0], QPoint(5, 4));
                EXPECT_EQ(pixelAt(z.f.mainImage(), 5, 4), c.result);
            }
        }
    }
}

// Every stroke tool draws, zoomed in, the pixels the same gesture draws at
// 100%, wherever in the pixels' screen squares the pointer went down, moved
// and came up.
TEST(PixelUnderPointer, ZoomedGesturesDrawWhatTheyDrawAtActualSize)
{
    const struct {
        const char* tool;
        int width;
        std::vector<QPointF> pixels; // press, drags, release
    } cases[] = {{"Brush", 1, {{2, 2}, {6, 3}, {9, 7}}},
                 {"Brush", 2, {{2, 2}, {6, 3}, {9, 7}}},
                 {"Eraser", 3, {{9, 1}, {4, 5}, {2, 8}}},
                 {"Line", 1, {{2, 3}, {5, 4}, {9, 6}}},
                 {"Line", 3, {{1, 8}, {9, 2}}},
                 {"Ellipse", 1, {{2, 2}, {9, 7}}}};
    for (const auto& c : cases) {
        auto run = [&c](double level, QPointF offset) {
            Zoomed z(level);
            z.f.mainImage().fill(QColor(10, 200, 10));
            z.f.controller()->setLineWidth(c.width);
            z.f.choose(c.tool);
            std::vector<QPointF> points;
            for (const QPointF& p : c.pixels)
                points.push_back(p + offset);
            z.f.mouseDrag(points);
            return z.f.mainImage().copy();
        };
        const QImage actualSize = run(1, {0, 0});
        for (double level : kLevels) {
            for (const QPointF& quarter : kQuarters) {
                SCOPED_TRACE(testing::Message() << c.tool << " width " << c.width << " at " << level << " offset "
                                                << quarter.x() << "," << quarter.y());
                EXPECT_TRUE(sameImage(run(level, quarter), actualSize));
            }
        }
    }
}

// One pixel at the highest level: a click anywhere on it gives the pixel the
// same colour, the whole dot's (anti-aliased: the round dot's coverage).
TEST(PixelUnderPointer, AOnePixelPictureTakesTheSameDotWhereverItIsClicked)
{
    for (bool antialias : {false, true}) {
        std::optional<QColor> first;
        for (const QPointF& quarter : kQuarters) {
            SCOPED_TRACE(testing::Message() << "antialias " << antialias << " at " << quarter.x() << "," << quarter.y());
            Zoomed z(16, {1, 1}, antialias);
            z.f.controller()->setLineWidth(1);
            z.f.choose("Brush");
            z.f.mouseDrag({quarter});
            const QColor dot = pixelAt(z.f.mainImage(), 0, 0);
            EXPECT_LT(dot.red(), antialias ? 100 : 1);
            if (!first)
                first = dot;
            EXPECT_EQ(dot, *first);
        }
    }
}

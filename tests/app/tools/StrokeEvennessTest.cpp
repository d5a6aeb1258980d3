#include "RasterToolFixture.h"

#include <gtest/gtest.h>

// A stroke is one outline with the same coverage all along: where two mouse
// moves join there is no darker or lighter bead, so a straight stroke made
// of many short moves looks like the same stroke made in one move.
namespace {
int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            largest = std::max({largest, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                std::abs(p.blue() - q.blue()), std::abs(p.alpha() - q.alpha())});
        }
    }
    return largest;
}

QImage strokeWith(const char* tool, int width, const QColor& colour, const std::vector<QPointF>& points)
{
    RasterToolFixture f({120, 90}, true);
    f.mainImage().fill(QColor(30, 60, 90));
    f.controller()->setLineWidth(width);
    f.controller()->setForegroundColor(colour);
    f.controller()->setBackgroundColor(colour);
    f.choose(tool);
    f.gesture(points);
    return f.mainImage().copy();
}

std::vector<QPointF> shortMoves(QPointF from, QPointF to, int count)
{
    std::vector<QPointF> points;
    for (int i = 0; i <= count; ++i)
        points.push_back(from + (to - from) * (double(i) / count));
    return points;
}
} // namespace

TEST(StrokeEvenness, ManyShortMovesDrawTheSameStrokeAsOneMove)
{
    const QColor colours[] = {QColor(0x80, 0x80, 0x80), QColor(200, 20, 20, 0x80)};
    // Straight lines whose short moves land on whole pixels.
    const std::pair<QPointF, QPointF> lines[] = {{{10, 40}, {110, 40}}, {{60, 5}, {60, 85}}, {{10, 5}, {90, 85}}};
    for (const char* tool : {"Brush", "Eraser"}) {
        for (int width : {1, 2, 3, 6}) {
            for (const QColor& colour : colours) {
                for (const auto& [from, to] : lines) {
                    SCOPED_TRACE(testing::Message() << tool << " width " << width << " alpha " << colour.alpha()
                                                    << " from " << from.x() << "," << from.y());
                    const QImage once = strokeWith(tool, width, colour, {from, to});
                    const QImage pieces = strokeWith(tool, width, colour, shortMoves(from, to, 40));
                    EXPECT_LE(largestDifference(once, pieces), 1);
                }
            }
        }
    }
}

// Across a straight stroke at whole-pixel positions there are as many solid
// rows as the width, and no half-covered rows beside them.
TEST(StrokeEvenness, AStrokeAtWholePixelsCoversWholeRows)
{
    for (const char* tool : {"Brush", "Eraser"}) {
        for (int width : {1, 2, 3, 4}) {
            SCOPED_TRACE(testing::Message() << tool << " width " << width);
            const QImage image = strokeWith(tool, width, Qt::black, shortMoves({10, 40}, {110, 40}, 20));
            int solid = 0;
            for (int y = 0; y < image.height(); ++y) {
                const QColor c = image.pixelColor(60, y);
                if (c == QColor(Qt::black))
                    ++solid;
                else
                    EXPECT_EQ(c, QColor(30, 60, 90)) << "row " << y;
            }
            EXPECT_EQ(solid, width);
            EXPECT_EQ(image.pixelColor(60, 40), QColor(Qt::black));
        }
    }
}

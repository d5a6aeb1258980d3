#include "NPCheckerboard.h"
#include "NPPattern.h"
#include "VTRUITestSupport.h"

#include <QPainter>
#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <set>

#include <gtest/gtest.h>

namespace {

const QColor kSquareGrey = QColor::fromRgbF(0.82f, 0.82f, 0.82f);

NPPattern grid(double zoom, const QColor& stroke = Qt::blue)
{
    return NPPattern(2, QTransform(), zoom, 1.0, stroke, QColor());
}

// The tile's pixel columns (other than the border's) that carry ink, seen
// in the rows that hold no horizontal line.
std::set<int> inkedColumns(const QImage& tile, int rowStep)
{
    std::set<int> columns;
    for (int x = 1; x < tile.width(); ++x) {
        for (int y = 1; y < tile.height(); ++y) {
            if (y % rowStep != 0 && qAlpha(tile.pixel(x, y)) > 0)
                columns.insert(x);
        }
    }
    return columns;
}

TEST(NPPatternTest, UnknownTypeLogsAndMakesNoPattern)
{
    DebugLogCapture log;
    NPPattern pattern(3, QTransform(), 1.0, 1.0, Qt::black, QColor());
    EXPECT_FALSE(pattern.hasPattern());
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\{x NPPattern::customInit \d+\}:ERR $)"))
                    .match(log.lines()[0]).hasMatch()) << log.lines()[0].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\{x NPPattern::customInit \d+\}:ERR \*\*\* Error Got \*\*\*$)"))
                    .match(log.lines()[1]).hasMatch()) << log.lines()[1].toStdString();

    // Filling with it is checked and draws nothing.
    log.clear();
    QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    pattern.fillInContext(painter);
    painter.end();
    EXPECT_EQ(log.lines().size(), 1);
}

TEST(NPPatternTest, GridSideIsTenPerZoomStepButAtLeastFive)
{
    struct Case {
        double zoom;
        double side;
    };
    const Case cases[] = {{0.2, 5.0}, {0.5, 5.0}, {1.0, 10.0}, {5.0, 50.0}, {12.5, 125.0},
                          {std::numeric_limits<double>::quiet_NaN(), 5.0}};
    for (const Case& c : cases)
        EXPECT_EQ(NPPattern::calculateGridSize(c.zoom), c.side) << c.zoom;
}

TEST(NPPatternTest, SmallGridHasOnlyItsBorder)
{
    const NPPattern pattern = grid(0.2);
    ASSERT_TRUE(pattern.hasPattern());
    EXPECT_EQ(pattern.tileSize(), QSizeF(5, 5));
    for (int y = 1; y < 5; ++y) {
        for (int x = 1; x < 5; ++x)
            EXPECT_EQ(qAlpha(pattern.tileImage().pixel(x, y)), 0) << x << "," << y;
    }
    EXPECT_EQ(pattern.tileImage().pixel(0, 2), qRgb(0, 0, 255)); // the solid border
}

TEST(NPPatternTest, LargeGridDotsEveryPixel)
{
    const NPPattern pattern = grid(5.0);
    ASSERT_EQ(pattern.tileSize(), QSizeF(50, 50));
    const QImage& tile = pattern.tileImage();
    EXPECT_EQ(inkedColumns(tile, 5), std::set<int>({5, 10, 15, 20, 25, 30, 35, 40, 45}));
    // Dotted, not solid: one point on, three off.
    int inked = 0;
    for (int y = 1; y < 50; ++y)
        inked += qAlpha(tile.pixel(10, y)) > 0 ? 1 : 0;
    EXPECT_GE(inked, 10);
    EXPECT_LE(inked, 14);
}

TEST(NPPatternTest, GridWithoutStrokeColourFallsBackToGrey)
{
    DebugLogCapture log;
    const NPPattern pattern = grid(1.0, QColor());
    EXPECT_TRUE(log.contains(QStringLiteral("*** Error Got ***")));
    EXPECT_EQ(pattern.tileImage().pixel(0, 3), QColor::fromRgbF(0.44f, 0.44f, 0.44f).rgba());
}

TEST(NPCheckerboardTest, PatternAndDirectDrawingAgree)
{
    NPCheckerboard board{QTransform()};
    EXPECT_EQ(board.currentPatternTransform(), QTransform());
    ASSERT_EQ(board.pattern()->tileSize(), QSizeF(16, 16));

    QImage viaPattern(32, 32, QImage::Format_ARGB32_Premultiplied);
    viaPattern.fill(Qt::transparent);
    QPainter a(&viaPattern);
    board.drawRect(QRectF(0, 0, 32, 32), a);
    a.end();
    QImage direct(32, 32, QImage::Format_ARGB32_Premultiplied);
    direct.fill(Qt::transparent);
    QPainter b(&direct);
    NPCheckerboard::drawCheckerboardWithSquareSize(QSizeF(16, 16), QRectF(0, 0, 32, 32), b);
    b.end();
    EXPECT_EQ(viaPattern, direct);
    EXPECT_EQ(direct.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(direct.pixel(10, 2), kSquareGrey.rgba());
    EXPECT_EQ(direct.pixel(2, 10), kSquareGrey.rgba());
    EXPECT_EQ(direct.pixel(10, 10), qRgb(255, 255, 255));
}

TEST(NPCheckerboardTest, DirectDrawingStaysInItsRectangle)
{
    QImage canvas(20, 20, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    NPCheckerboard::drawCheckerboardWithSquareSize(QSizeF(16, 16), QRectF(4, 4, 0, 10), painter);
    NPCheckerboard::drawCheckerboardWithSquareSize(QSizeF(16, 16), QRectF(2, 2, 10, 5), painter);
    painter.end();
    EXPECT_EQ(qAlpha(canvas.pixel(1, 1)), 0);
    EXPECT_EQ(canvas.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(canvas.pixel(12, 3)), 0); // clipped at the right
    EXPECT_EQ(qAlpha(canvas.pixel(5, 7)), 0);  // and at the bottom
}

} // namespace

TEST(NPPatternTest, GridOfAZoomWithoutBoundLogsAndMakesNoPattern)
{
    const struct {
        double zoom;
        bool made;
    } cases[] = {
        {200.0, true},
        {1e7, false},
        {1e300, false},
        {std::numeric_limits<double>::infinity(), false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.zoom);
        DebugLogCapture log;
        NPPattern pattern(2, QTransform(), row.zoom, 1.0, Qt::black, QColor());
        EXPECT_EQ(pattern.hasPattern(), row.made);
        if (!row.made) {
            ASSERT_FALSE(log.lines().isEmpty());
            EXPECT_TRUE(log.lines().last().endsWith(QStringLiteral("*** Error Got ***"))) << log.lines().last().toStdString();
        }
    }
}

TEST(NPCheckerboardTest, DirectDrawingMatchesTheSquaresRuleAtAnyBoardSize)
{
    // Independently of the drawing: with 8-point squares starting at
    // (ox, oy), a pixel is white when its column and row fall in the same
    // half of their square, grey otherwise.
    const auto expected = [](int x, int y, int ox, int oy) {
        const bool left = ((x - ox) % 8 + 8) % 8 < 4;
        const bool top = ((y - oy) % 8 + 8) % 8 < 4;
        return left == top ? qRgb(255, 255, 255) : kSquareGrey.rgba();
    };
    const struct {
        const char* name;
        QRectF rect;
        int ox, oy;
    } cases[] = {
        {"a board the size of the canvas", QRectF(0, 0, 40, 40), 0, 0},
        // Two million squares each way: only those on the canvas are drawn
        // (gathering them all first asked for terabytes).
        {"a board reaching far past the canvas on every side", QRectF(-8e6, -8e6, 1.6e7, 1.6e7), 0, 0},
        {"a board shifted by half a square", QRectF(-4, -4, 100, 100), -4, -4},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        QImage canvas(40, 40, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        NPCheckerboard::drawCheckerboardWithSquareSize(QSizeF(8, 8), row.rect, painter);
        painter.end();
        int wrong = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                wrong += canvas.pixel(x, y) != expected(x, y, row.ox, row.oy);
        EXPECT_EQ(wrong, 0);
    }
}


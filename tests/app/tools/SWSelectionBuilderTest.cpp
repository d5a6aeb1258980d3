// Flood fill: the region, its mask, and painting through the mask.
#include "SWImageTools.h"
#include "SWSelectionBuilder.h"

#include "platform/graphics/CanvasBitmap.h"

#include <gtest/gtest.h>

#include <queue>
#include <random>

using platform::CanvasBitmap;

namespace {

// A plain breadth-first fill to compare against (4-connected, exact RGB).
std::vector<bool> referenceRegion(const QImage& image, QPoint seed)
{
    const int w = image.width();
    const int h = image.height();
    const auto rgb = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    std::vector<bool> in(std::size_t(w) * h, false);
    const QRgb want = rgb(seed.x(), seed.y());
    std::queue<QPoint> todo;
    todo.push(seed);
    in[std::size_t(seed.y()) * w + seed.x()] = true;
    while (!todo.empty()) {
        const QPoint p = todo.front();
        todo.pop();
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h)
                continue;
            const std::size_t i = std::size_t(q.y()) * w + q.x();
            if (!in[i] && rgb(q.x(), q.y()) == want) {
                in[i] = true;
                todo.push(q);
            }
        }
    }
    return in;
}

bool inMask(const QImage& mask, int x, int y)
{
    return mask.constScanLine(y)[x] == 0;
}

QImage filled(int w, int h, const QColor& c)
{
    QImage image = CanvasBitmap::make(w, h);
    image.fill(CanvasBitmap::premultipliedPixel(c));
    return image;
}

} // namespace

TEST(SWSelectionBuilder, StopsAtAPixelThatDiffersByOne)
{
    QImage image = filled(5, 3, QColor(100, 100, 100));
    image.setPixelColor(2, 0, QColor(100, 101, 100));
    image.setPixelColor(2, 1, QColor(100, 101, 100));
    image.setPixelColor(2, 2, QColor(100, 101, 100));
    const QImage mask = SWSelectionBuilder(image, QPointF(0.5, 1.5), 0.0).newRealMask();
    ASSERT_EQ(mask.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(mask.size(), image.size());
    for (int y = 0; y < 3; ++y) {
        EXPECT_TRUE(inMask(mask, 0, y));
        EXPECT_TRUE(inMask(mask, 1, y));
        EXPECT_FALSE(inMask(mask, 2, y));
        EXPECT_FALSE(inMask(mask, 3, y));
        EXPECT_EQ(mask.constScanLine(y)[4], 255);
    }
}

TEST(SWSelectionBuilder, AlphaIsNotCompared)
{
    QImage image = CanvasBitmap::make(3, 1);
    // Same premultiplied colour bytes, different alpha.
    auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(0));
    row[0] = CanvasBitmap::pack(50, 60, 70, 255);
    row[1] = CanvasBitmap::pack(50, 60, 70, 200);
    row[2] = CanvasBitmap::pack(50, 60, 71, 255);
    const QImage mask = SWSelectionBuilder(image, QPointF(0, 0), 0.0).newRealMask();
    EXPECT_TRUE(inMask(mask, 1, 0));
    EXPECT_FALSE(inMask(mask, 2, 0));
}

TEST(SWSelectionBuilder, DiagonalNeighboursAreNotConnected)
{
    QImage image = filled(4, 4, Qt::black);
    image.setPixelColor(0, 0, Qt::white);
    image.setPixelColor(1, 1, Qt::white);
    image.setPixelColor(2, 2, Qt::white);
    const QImage mask = SWSelectionBuilder(image, QPointF(1, 1), 0.0).newRealMask();
    EXPECT_TRUE(inMask(mask, 1, 1));
    EXPECT_FALSE(inMask(mask, 0, 0));
    EXPECT_FALSE(inMask(mask, 2, 2));
    EXPECT_FALSE(inMask(mask, 1, 0));
}

TEST(SWSelectionBuilder, NarrowAndAlignedWidths)
{
    for (const int width : {1, 15, 16, 17, 32}) {
        QImage image = filled(width, 5, Qt::yellow);
        const QImage mask = SWSelectionBuilder(image, QPointF(0, 2), 0.0).newRealMask();
        ASSERT_FALSE(mask.isNull()) << width;
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < width; ++x)
                EXPECT_TRUE(inMask(mask, x, y)) << width;
            // Row padding past the width stays blocked.
            for (int x = width; x < mask.bytesPerLine(); ++x)
                EXPECT_EQ(mask.constScanLine(y)[x], 255) << width;
        }
    }
}

TEST(SWSelectionBuilder, MatchesAReferenceFillOnRandomPictures)
{
    // Few colours make long, winding regions with holes.
    std::mt19937 rng(11);
    const QColor palette[] = {Qt::red, Qt::green, Qt::blue};
    for (int round = 0; round < 30; ++round) {
        const int w = 1 + int(rng() % 70);
        const int h = 1 + int(rng() % 50);
        QImage image = CanvasBitmap::make(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixelColor(x, y, palette[rng() % (round % 2 ? 2 : 3)]);
        const QPoint seed(int(rng() % w), int(rng() % h));
        const QImage mask = SWSelectionBuilder(image, QPointF(seed) + QPointF(0.25, 0.75), 0.0).newRealMask();
        const std::vector<bool> want = referenceRegion(image, seed);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(inMask(mask, x, y), bool(want[std::size_t(y) * w + x]))
                    << "round " << round << " at " << x << "," << y;
    }
}

TEST(SWSelectionBuilder, ToleranceWidensThePerSampleTest)
{
    QImage image = CanvasBitmap::make(4, 1);
    image.setPixelColor(0, 0, QColor(100, 100, 100));
    image.setPixelColor(1, 0, QColor(110, 95, 100)); // 10 away in red
    image.setPixelColor(2, 0, QColor(100, 100, 100));
    image.setPixelColor(3, 0, QColor(100, 100, 140)); // 40 away in blue
    const double fraction = 10.0 / 255.0 + 1e-9;
    SWSelectionBuilder builder(image, QPointF(0, 0), fraction);
    EXPECT_EQ(builder.tolerance(), 10);
    const QImage mask = builder.newRealMask();
    EXPECT_TRUE(inMask(mask, 1, 0));
    EXPECT_TRUE(inMask(mask, 2, 0));
    EXPECT_FALSE(inMask(mask, 3, 0));
    EXPECT_TRUE(inMask(SWSelectionBuilder(image, QPointF(0, 0), 1.0).newRealMask(), 3, 0));
}

TEST(SWSelectionBuilder, SeedOutsideTheBitmapGivesNoMask)
{
    const QImage image = filled(4, 4, Qt::red);
    for (const QPointF p : {QPointF(4, 0), QPointF(0, 4), QPointF(-0.5, 1), QPointF(qQNaN(), 1)})
        EXPECT_TRUE(SWSelectionBuilder(image, p, 0.0).newRealMask().isNull());
    EXPECT_TRUE(SWSelectionBuilder(QImage(), QPointF(0, 0), 0.0).newRealMask().isNull());
}

TEST(SWSelectionBuilder, FillMaskReplacesPixelsAlphaIncluded)
{
    QImage image = filled(4, 1, QColor(0, 0, 0, 0));
    image.setPixelColor(2, 0, Qt::white);
    image.setPixelColor(3, 0, Qt::black); // same colour samples as transparent: alpha is not compared
    const QImage mask = SWSelectionBuilder(image, QPointF(0, 0), 0.0).newRealMask();
    SWSelectionBuilder::fillMask(image, mask, QColor(255, 0, 0, 128));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 0, 0, 128));
    EXPECT_EQ(image.pixelColor(1, 0), QColor(255, 0, 0, 128));
    EXPECT_EQ(image.pixelColor(2, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(3, 0), QColor(Qt::black)); // not connected past the white pixel
    QImage other = filled(2, 2, Qt::white);
    SWSelectionBuilder::fillMask(other, mask, Qt::red); // sizes differ: nothing happens
    EXPECT_EQ(other.pixelColor(0, 0), QColor(Qt::white));
}

TEST(SWSelectionBuilder, SeedCheckReadsTheClickedPixel)
{
    // The row above the click has the fill colour already; the clicked
    // pixel does not, so the fill must go ahead.
    QImage image = filled(4, 4, Qt::white);
    for (int x = 0; x < 4; ++x)
        image.setPixelColor(x, 1, Qt::red);
    const QPointF click(1.5, 2.5);
    EXPECT_FALSE(SWImageTools::colorIsEqualToColor(SWImageTools::colorAtPoint(image, click).value(), Qt::red));
    SWSelectionBuilder builder(image, click, 0.0);
    EXPECT_EQ(builder.pickedPoint(), QPoint(1, 2));
    const QImage mask = builder.newRealMask();
    EXPECT_TRUE(inMask(mask, 1, 2));
    EXPECT_FALSE(inMask(mask, 1, 1));
    EXPECT_TRUE(SWImageTools::colorIsEqualToColor(SWImageTools::colorAtPoint(image, QPointF(0.5, 1.2)).value(),
                                                  Qt::red));
}

TEST(SWSelectionBuilder, PixelEquality)
{
    EXPECT_TRUE(SWSelectionBuilder::pixelEquality(CanvasBitmap::pack(1, 2, 3, 0), CanvasBitmap::pack(9, 9, 9, 0)));
    EXPECT_TRUE(SWSelectionBuilder::pixelEquality(CanvasBitmap::pack(1, 2, 3, 4), CanvasBitmap::pack(1, 2, 3, 4)));
    EXPECT_FALSE(SWSelectionBuilder::pixelEquality(CanvasBitmap::pack(1, 2, 3, 4), CanvasBitmap::pack(1, 2, 3, 5)));
}

TEST(SWSelectionBuilder, SegmentQueueStaysSmallOnAnOpenCanvas)
{
    const QImage image = filled(512, 512, Qt::white);
    SWSelectionBuilder builder(image, QPointF(256, 256), 0.0);
    const QImage mask = builder.newRealMask();
    EXPECT_TRUE(inMask(mask, 0, 0));
    EXPECT_TRUE(inMask(mask, 511, 511));
    EXPECT_LT(builder.peakSegmentBytes(), 64u * 1024u); // far below a byte per pixel
}

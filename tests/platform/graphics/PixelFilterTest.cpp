// Canvas bitmap helpers and colour inversion.
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/ColorInvert.h"

#include <QPainter>
#include <gtest/gtest.h>

using platform::CanvasBitmap;
using platform::ColorInvert;

TEST(CanvasBitmap, MadeTransparentInTheCanvasFormat)
{
    const QImage image = CanvasBitmap::make(7, 3);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(image.pixel(x, y), 0u);
    EXPECT_TRUE(CanvasBitmap::make(0, 5).isNull());
    EXPECT_TRUE(CanvasBitmap::make(-3, 5).isNull());
}

TEST(CanvasBitmap, LargeBitmapsBehaveLikeAnyOther)
{
    // Past the size where bitmaps get their own mapping.
    QImage large = CanvasBitmap::make(2048, 1100);
    ASSERT_FALSE(large.isNull());
    EXPECT_EQ(large.format(), CanvasBitmap::Format);
    EXPECT_EQ(large.pixel(2047, 1099), 0u);
    large.setPixelColor(2047, 1099, Qt::red);
    QImage copy = CanvasBitmap::copy(large);
    ASSERT_EQ(copy, large);
    {
        QPainter painter(&large);
        painter.fillRect(QRect(0, 0, 10, 10), Qt::blue);
    }
    EXPECT_EQ(large.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(copy.pixel(5, 5), 0u); // the copy does not share
    QImage shared = large;           // copy-on-write still applies
    shared.setPixelColor(0, 0, Qt::green);
    EXPECT_EQ(large.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_TRUE(CanvasBitmap::copy(QImage()).isNull());
}

TEST(CanvasBitmap, PixelWordsAreInMemoryOrder)
{
    const std::uint32_t word = CanvasBitmap::premultipliedPixel(QColor(255, 0, 0, 128));
    std::uint8_t b[4];
    CanvasBitmap::unpack(word, b);
    EXPECT_EQ(b[0], 128); // red premultiplied by half
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(b[2], 0);
    EXPECT_EQ(b[3], 128);
    EXPECT_EQ(CanvasBitmap::colorOfPixel(CanvasBitmap::pack(128, 0, 0, 128)), QColor(255, 0, 0, 128));
    EXPECT_EQ(CanvasBitmap::colorOfPixel(0).alpha(), 0);
}

TEST(CanvasBitmap, ResolutionRatio)
{
    EXPECT_DOUBLE_EQ(CanvasBitmap::pixelPerPointFromDotsPerMeter(2835), 1.0);    // 72 dpi
    EXPECT_DOUBLE_EQ(CanvasBitmap::pixelPerPointFromDotsPerMeter(5669), 2.0);    // 144 dpi
    EXPECT_NEAR(CanvasBitmap::pixelPerPointFromDotsPerMeter(5000), 1.7639, 1e-4); // no whole dpi near it
    EXPECT_EQ(CanvasBitmap::dotsPerMeterFromPixelPerPoint(2.0), 5669);
    EXPECT_EQ(CanvasBitmap::dotsPerMeterFromPixelPerPoint(0.0), 2835); // no ratio: one pixel per point
}

TEST(ColorInvert, InvertsStraightColourAndKeepsAlpha)
{
    struct Case {
        QColor in;
        QColor out;
    };
    const Case cases[] = {
        {QColor(255, 255, 255), QColor(0, 0, 0)},
        {QColor(10, 200, 30), QColor(245, 55, 225)},
        {QColor(255, 255, 255, 128), QColor(0, 0, 0, 128)}, // half-transparent white
        {QColor(0, 0, 0, 0), QColor(0, 0, 0, 0)},           // transparent stays transparent
    };
    QImage image = CanvasBitmap::make(int(std::size(cases)), 1);
    for (int i = 0; i < int(std::size(cases)); ++i)
        image.setPixelColor(i, 0, cases[i].in);
    ASSERT_TRUE(ColorInvert::invert(image));
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const QColor got = image.pixelColor(i, 0);
        EXPECT_EQ(got.alpha(), cases[i].out.alpha()) << i;
        if (cases[i].out.alpha() > 0)
            EXPECT_EQ(got.rgb(), cases[i].out.rgb()) << i;
        else
            EXPECT_EQ(image.pixel(i, 0), 0u) << i;
    }
    // Half-transparent white is stored as (128, 128, 128, 128); inverted it is (0, 0, 0, 128).
    std::uint8_t stored[4];
    CanvasBitmap::unpack(reinterpret_cast<const std::uint32_t*>(image.constScanLine(0))[2], stored);
    EXPECT_EQ(stored[0], 0);
    EXPECT_EQ(stored[3], 128);
}

TEST(ColorInvert, TwiceRestoresOpaquePictures)
{
    QImage image = CanvasBitmap::make(256, 3);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 3; ++y)
            image.setPixelColor(x, y, QColor(x, 255 - x, (x * 7) % 256));
    const QImage before = image.copy();
    ColorInvert::invert(image);
    EXPECT_NE(image, before);
    ColorInvert::invert(image);
    EXPECT_EQ(image, before);
}

TEST(ColorInvert, OtherFormatsAreBroughtToTheCanvasFormat)
{
    QImage rgb(4, 4, QImage::Format_RGB32);
    rgb.fill(QColor(0, 100, 255));
    ASSERT_TRUE(ColorInvert::invert(rgb));
    EXPECT_EQ(rgb.format(), CanvasBitmap::Format);
    EXPECT_EQ(rgb.pixelColor(2, 2), QColor(255, 155, 0));
    QImage null;
    EXPECT_FALSE(ColorInvert::invert(null));
}

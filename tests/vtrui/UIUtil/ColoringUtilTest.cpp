#include "ColoringUtil.h"
#include "VTRUITestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A 4 x 1 strip: opaque red, half-transparent blue, transparent, opaque white.
VTRImage strip()
{
    QImage pixels(4, 1, QImage::Format_ARGB32);
    pixels.setPixel(0, 0, qRgba(255, 0, 0, 255));
    pixels.setPixel(1, 0, qRgba(0, 0, 255, 128));
    pixels.setPixel(2, 0, qRgba(0, 0, 0, 0));
    pixels.setPixel(3, 0, qRgba(255, 255, 255, 255));
    return VTRImage(pixels);
}

TEST(ColoringUtilTest, SilhouetteTakesTheGreyAndKeepsTheAlpha)
{
    struct Case {
        int grey;
        uchar opaque;
        uchar half; // premultiplied by the alpha of 128
    };
    const Case cases[] = {{0, 0, 0}, {255, 255, 128}, {128, 128, 64}, {300, 255, 128}};
    for (const Case& c : cases) {
        const QImage result = ColoringUtil::generateColoringImage(strip(), nullptr, c.grey);
        ASSERT_EQ(result.size(), QSize(4, 1));
        ASSERT_EQ(result.format(), QImage::Format_RGBA8888_Premultiplied);
        const uchar* p = result.constScanLine(0);
        const uchar expected[16] = {c.opaque, c.opaque, c.opaque, 255, c.half, c.half, c.half, 128,
                                    0,        0,        0,        0,   c.opaque, c.opaque, c.opaque, 255};
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(p[i], expected[i]) << "grey " << c.grey << " byte " << i;
    }
}

TEST(ColoringUtilTest, NoBitmapGivesNothingAndLogs)
{
    DebugLogCapture log;
    EXPECT_TRUE(ColoringUtil::generateColoringImage(VTRImage(), nullptr, 0).isNull());
    EXPECT_TRUE(ColoringUtil::generateColoringImage(VTRImage(QSizeF(0, 5), {}), nullptr, 0).isNull());
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines()[0].endsWith(QStringLiteral(":ERR Failed to create cgimage when generating coloring image..")));
}

TEST(ColoringUtilTest, DrawnImageRendersAtThePaintersPixelRatio)
{
    const VTRImage drawn(QSizeF(3, 2), [](QPainter& painter, const QRectF& rect) {
        painter.fillRect(rect, Qt::red);
        return true;
    });
    QImage device(10, 10, QImage::Format_ARGB32_Premultiplied);
    device.setDevicePixelRatio(2.0);
    QPainter painter(&device);
    const QImage result = ColoringUtil::generateColoringImage(drawn, &painter, 255);
    painter.end();
    EXPECT_EQ(result.size(), QSize(6, 4));
    EXPECT_EQ(result.pixel(5, 3), qRgb(255, 255, 255));
}

} // namespace

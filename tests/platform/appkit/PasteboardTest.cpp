#include "platform/appkit/Pasteboard.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(Pasteboard, ImagesTravelAsTiffAndComeBackWhole)
{
    auto& pb = platform::Pasteboard::general();
    QImage image(7, 5, QImage::Format_ARGB32);
    image.fill(QColor(10, 200, 30));
    image.setPixelColor(6, 4, QColor(255, 0, 0));
    pb.writeImage(image);
    EXPECT_TRUE(pb.types().contains(platform::Pasteboard::tiffType()));
    EXPECT_FALSE(pb.dataForType(platform::Pasteboard::tiffType()).isEmpty());
    const QImage back = pb.readImage();
    ASSERT_EQ(back.size(), QSize(7, 5));
    EXPECT_EQ(back.pixelColor(6, 4), QColor(255, 0, 0));
    EXPECT_EQ(back.pixelColor(0, 0), QColor(10, 200, 30));
}

TEST(Pasteboard, TextAndUnreadableBytesGiveNoImage)
{
    auto& pb = platform::Pasteboard::general();
    pb.writeText(QStringLiteral("just words"));
    EXPECT_FALSE(pb.types().contains(platform::Pasteboard::tiffType()));
    EXPECT_TRUE(pb.types().contains(platform::Pasteboard::textType()));
    EXPECT_TRUE(pb.readImage().isNull());

    // Announced as a picture, but the bytes are not one.
    pb.setData(QByteArray("\x89PNG\r\n\x1a\nnot really", 18), platform::Pasteboard::pngType());
    EXPECT_TRUE(pb.hasImageType());
    EXPECT_TRUE(pb.readImage().isNull());
    pb.clearContents();
}

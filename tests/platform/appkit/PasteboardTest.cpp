#include "platform/appkit/Pasteboard.h"
#include "platform/graphics/GifEncoder.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {
QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    return writer.write(image) ? bytes : QByteArray();
}

void offer(QMimeData* data)
{
    QGuiApplication::clipboard()->setMimeData(data);
}
} // namespace

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

// What other programs and this one put on the clipboard: a picture in each
// encoding the program reads, Qt's own image, and offers without a picture
// (a copied file's name and address, a page with an image tag, raw bytes).
// A picture is on offer exactly when one decodes.
TEST(Pasteboard, OffersAPictureExactlyWhenOneOfItsEncodingsIsThere)
{
    auto& pb = platform::Pasteboard::general();
    QImage picture(6, 4, QImage::Format_ARGB32);
    picture.fill(QColor(20, 90, 200));
    const QImage canvas = picture.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const struct {
        const char* format;
        QByteArray bytes;
    } pictures[] = {{"image/png", encoded(picture, "png")},   {"image/jpeg", encoded(picture, "jpeg")},
                    {"image/bmp", encoded(picture, "bmp")},   {"image/tiff", encoded(picture, "tiff")},
                    {"image/gif", platform::GifEncoder::encode(canvas)}};
    for (const auto& c : pictures) {
        ASSERT_FALSE(c.bytes.isEmpty()) << c.format;
        auto* data = new QMimeData;
        data->setText(QStringLiteral("picture"));
        data->setData(QString::fromLatin1(c.format), c.bytes);
        offer(data);
        EXPECT_TRUE(pb.hasImageType()) << c.format;
        EXPECT_TRUE(pb.types().contains(platform::Pasteboard::tiffType())) << c.format;
        EXPECT_EQ(pb.readImage().size(), picture.size()) << c.format;
    }

    auto* own = new QMimeData;
    own->setImageData(picture);
    offer(own);
    EXPECT_TRUE(pb.hasImageType());
    EXPECT_EQ(pb.readImage().size(), picture.size());

    const struct {
        const char* format;
        QByteArray bytes;
    } others[] = {{"text/plain", "picture.png"},
                  {"text/uri-list", "file:///tmp/picture.png\r\n"},
                  {"text/html", "<img src=\"picture.png\">"},
                  {"application/octet-stream", encoded(picture, "png")}};
    for (const auto& c : others) {
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(c.format), c.bytes);
        offer(data);
        EXPECT_FALSE(pb.hasImageType()) << c.format;
        EXPECT_FALSE(pb.types().contains(platform::Pasteboard::tiffType())) << c.format;
        EXPECT_TRUE(pb.readImage().isNull()) << c.format;
    }
    pb.clearContents();
    EXPECT_FALSE(pb.hasImageType());
}

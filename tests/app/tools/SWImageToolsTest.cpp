// Pixel operations on canvas bitmaps.
#include "SWImageTools.h"

#include "TestMain.h"
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/ImageEncoder.h"

#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <gtest/gtest.h>

#include <array>
#include <random>

using platform::CanvasBitmap;

namespace {

QImage noise(int w, int h, unsigned seed, bool withAlpha = true)
{
    QImage image = CanvasBitmap::make(w, h);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int a = withAlpha ? int(rng() % 256) : 255;
            image.setPixelColor(x, y, QColor(int(rng() % 256), int(rng() % 256), int(rng() % 256), a));
        }
    return image;
}

std::array<int, 4> bytesAt(const QImage& image, int x, int y)
{
    const std::uint8_t* p = image.constScanLine(y) + 4 * x;
    return {p[0], p[1], p[2], p[3]};
}

} // namespace

TEST(SWImageTools, InitImageRepCutsFractionsAndStartsTransparent)
{
    const QImage image = SWImageTools::initImageRep(QSizeF(10.9, 5.2));
    ASSERT_EQ(image.size(), QSize(10, 5));
    EXPECT_EQ(image.format(), CanvasBitmap::Format);
    EXPECT_EQ(image.pixel(9, 4), 0u);
    EXPECT_TRUE(SWImageTools::initImageRep(QSizeF(-4, 8)).isNull());
    EXPECT_TRUE(SWImageTools::initImageRep(QSizeF(0.7, 8)).isNull());
}

TEST(SWImageTools, ClearImageInRectClearsPixelCentresInside)
{
    QImage image = CanvasBitmap::make(6, 4);
    image.fill(CanvasBitmap::premultipliedPixel(Qt::red));
    SWImageTools::clearImage(image, QRectF(1, 1, 2, 2));
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(image.pixelColor(2, 2).alpha(), 0);
    EXPECT_EQ(image.pixelColor(3, 2).alpha(), 255);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 255);
    SWImageTools::clearImage(image, QRectF(-10, -10, 100, 100)); // reaches past every side
    EXPECT_EQ(image.pixelColor(5, 3).alpha(), 0);
    QImage null;
    SWImageTools::clearImage(null); // a missing bitmap is left alone
    SWImageTools::clearImage(null, QRectF(0, 0, 1, 1));
}

TEST(SWImageTools, DrawToImageCopiesOrComposites)
{
    QImage target = CanvasBitmap::make(4, 1);
    target.fill(CanvasBitmap::premultipliedPixel(QColor(0, 0, 255)));
    QImage source = CanvasBitmap::make(2, 1);
    source.setPixelColor(0, 0, QColor(255, 0, 0, 128)); // half red
    // source pixel 1 stays transparent

    QImage copied = target.copy();
    SWImageTools::drawToImage(copied, source, QPointF(1, 0), false);
    EXPECT_EQ(bytesAt(copied, 0, 0), (std::array<int, 4>{0, 0, 255, 255}));
    EXPECT_EQ(bytesAt(copied, 1, 0), (std::array<int, 4>{128, 0, 0, 128})); // alpha replaced
    EXPECT_EQ(bytesAt(copied, 2, 0), (std::array<int, 4>{0, 0, 0, 0}));     // transparent copied too

    QImage blended = target.copy();
    SWImageTools::drawToImage(blended, source, QPointF(1, 0), true);
    EXPECT_EQ(bytesAt(blended, 1, 0), (std::array<int, 4>{128, 0, 127, 255})); // red over blue
    EXPECT_EQ(bytesAt(blended, 2, 0), (std::array<int, 4>{0, 0, 255, 255}));   // transparent changes nothing

    // Partly outside on either side: only the overlap is drawn.
    QImage edge = target.copy();
    SWImageTools::drawToImage(edge, source, QPointF(-1, 0), false);
    EXPECT_EQ(bytesAt(edge, 0, 0), (std::array<int, 4>{0, 0, 0, 0}));
    SWImageTools::drawToImage(edge, source, QPointF(3, 0), false);
    EXPECT_EQ(bytesAt(edge, 3, 0), (std::array<int, 4>{128, 0, 0, 128}));
    SWImageTools::drawToImage(edge, source, QPointF(100, 100), true); // entirely outside
}

TEST(SWImageTools, CompositeMatchesQPainterSourceOver)
{
    QImage below = noise(64, 16, 1);
    const QImage above = noise(64, 16, 2);
    QImage reference = below.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&reference);
        painter.drawImage(0, 0, above.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    reference = reference.convertToFormat(CanvasBitmap::Format);
    SWImageTools::drawToImage(below, above, true);
    int worst = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            for (int k = 0; k < 4; ++k)
                worst = std::max(worst, std::abs(bytesAt(below, x, y)[k] - bytesAt(reference, x, y)[k]));
    EXPECT_LE(worst, 1);
}

TEST(SWImageTools, CloneIsIndependent)
{
    QImage original = noise(5, 5, 3);
    QImage clone = SWImageTools::cloneImage(original);
    ASSERT_EQ(clone, original);
    clone.setPixel(0, 0, 0);
    EXPECT_NE(clone.pixel(0, 0), original.pixel(0, 0));
}

TEST(SWImageTools, FlipsMirrorAndTwiceRestoreBitForBit)
{
    const QImage original = noise(37, 21, 4); // includes transparent and half-transparent pixels
    QImage h = original.copy();
    SWImageTools::flipImageHorizontal(h);
    EXPECT_EQ(h.pixel(0, 5), original.pixel(36, 5));
    SWImageTools::flipImageHorizontal(h);
    EXPECT_EQ(h, original);

    QImage v = original.copy();
    SWImageTools::flipImageVertical(v);
    EXPECT_EQ(v.pixel(3, 0), original.pixel(3, 20));
    SWImageTools::flipImageVertical(v);
    EXPECT_EQ(v, original);
}

TEST(SWImageTools, QuarterTurns)
{
    QImage picture = noise(300, 200, 5);
    const QRgb topLeft = picture.pixel(0, 0);
    const QImage cw = SWImageTools::rotatedImage(picture, true);
    ASSERT_EQ(cw.size(), QSize(200, 300));
    EXPECT_EQ(cw.pixel(199, 0), topLeft);                    // top-left went to the top-right
    EXPECT_EQ(cw.pixel(199 - 7, 11), picture.pixel(11, 7));   // (x, y) -> (h - 1 - y, x)
    const QImage ccw = SWImageTools::rotatedImage(picture, false);
    EXPECT_EQ(ccw.pixel(0, 299), topLeft);                   // top-left went to the bottom-left
    EXPECT_EQ(ccw.pixel(7, 299 - 11), picture.pixel(11, 7)); // (x, y) -> (y, w - 1 - x)
    // There and back, on sizes that are no multiple of the tile size.
    for (const QSize size : {QSize(300, 200), QSize(131, 67), QSize(1, 9), QSize(65, 1)}) {
        const QImage p = noise(size.width(), size.height(), 6);
        EXPECT_EQ(SWImageTools::rotatedImage(SWImageTools::rotatedImage(p, true), false), p) << size.width();
        EXPECT_EQ(SWImageTools::rotatedImage(SWImageTools::rotatedImage(p, false), true), p) << size.width();
    }
    EXPECT_TRUE(SWImageTools::rotatedImage(QImage(), true).isNull());
}

TEST(SWImageTools, CropToRect)
{
    const QImage source = noise(10, 8, 7);
    const QImage inside = SWImageTools::cropImage(source, QRectF(2, 3, 4, 2));
    ASSERT_EQ(inside.size(), QSize(4, 2));
    EXPECT_EQ(inside.pixel(0, 0), source.pixel(2, 3));
    EXPECT_EQ(inside.pixel(3, 1), source.pixel(5, 4));
    // Past the source: the full size, transparent where the source has nothing.
    const QImage past = SWImageTools::cropImage(source, QRectF(8, 6, 5, 5));
    ASSERT_EQ(past.size(), QSize(5, 5));
    EXPECT_EQ(past.pixel(1, 1), source.pixel(9, 7));
    EXPECT_EQ(past.pixel(2, 1), 0u);
    EXPECT_EQ(past.pixel(0, 4), 0u);
}

TEST(SWImageTools, CropToPath)
{
    QImage source = CanvasBitmap::make(20, 20);
    source.fill(CanvasBitmap::premultipliedPixel(Qt::green));
    QPainterPath triangle;
    triangle.moveTo(15, 5); // drawn right to left: the bounds are normalised
    triangle.lineTo(5, 5);
    triangle.lineTo(5, 15);
    triangle.closeSubpath();
    const QImage crop = SWImageTools::cropImage(source, triangle);
    ASSERT_EQ(crop.size(), QSize(10, 10));
    EXPECT_EQ(crop.pixelColor(1, 1), QColor(Qt::green)); // inside, near the right angle
    EXPECT_EQ(crop.pixelColor(9, 9).alpha(), 0);         // outside the hypotenuse
    // Anti-aliasing off: only fully opaque or fully transparent pixels.
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const int a = crop.pixelColor(x, y).alpha();
            EXPECT_TRUE(a == 0 || a == 255) << x << "," << y;
        }
    EXPECT_TRUE(SWImageTools::cropImage(source, QPainterPath()).isNull());
    QPainterPath flat;
    flat.moveTo(1, 1);
    flat.lineTo(9, 1);
    EXPECT_TRUE(SWImageTools::cropImage(source, flat).isNull());
}

TEST(SWImageTools, StripImageOfColor)
{
    QImage image = CanvasBitmap::make(4, 1);
    image.setPixelColor(0, 0, QColor(255, 255, 255));      // opaque white
    image.setPixelColor(1, 0, QColor(255, 255, 255, 128)); // half-transparent white
    image.setPixelColor(2, 0, QColor(254, 255, 255));      // nearly white
    image.setPixel(3, 0, CanvasBitmap::pack(0, 0, 0, 0));
    SWImageTools::stripImage(image, Qt::white);
    EXPECT_EQ(bytesAt(image, 0, 0), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(bytesAt(image, 1, 0), (std::array<int, 4>{128, 128, 128, 128}));
    EXPECT_EQ(image.pixelColor(2, 0).alpha(), 255);

    // A colour of alpha 0 clears every pixel of alpha 0, whatever its bytes.
    QImage odd = CanvasBitmap::make(2, 1);
    reinterpret_cast<std::uint32_t*>(odd.scanLine(0))[0] = CanvasBitmap::pack(9, 9, 9, 0);
    odd.setPixelColor(1, 0, QColor(9, 9, 9));
    SWImageTools::stripImage(odd, QColor(255, 0, 0, 0));
    EXPECT_EQ(bytesAt(odd, 0, 0), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(odd.pixelColor(1, 0), QColor(9, 9, 9));
}

TEST(SWImageTools, SubtractSelectionChangesOnlyPixelsOnTheBitmap)
{
    QImage canvas = CanvasBitmap::make(6, 6);
    canvas.fill(CanvasBitmap::premultipliedPixel(Qt::blue));
    QImage selection = CanvasBitmap::make(3, 3);
    selection.fill(CanvasBitmap::premultipliedPixel(Qt::black));
    selection.setPixel(1, 1, 0); // a hole: transparent selection pixels change nothing
    SWImageTools::subtractSelection(canvas, selection, QPointF(4.9, -1.7), Qt::white); // cut toward zero: (4, -1)
    EXPECT_EQ(canvas.pixelColor(4, 0), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(5, 1), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(5, 0), QColor(Qt::blue)); // under the hole
    EXPECT_EQ(canvas.pixelColor(3, 0), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(4, 2), QColor(Qt::blue));

    // A half-transparent colour is stored premultiplied, as every canvas pixel is.
    QImage half = CanvasBitmap::make(1, 1);
    SWImageTools::subtractSelection(half, selection, QPointF(0, 0), QColor(255, 0, 0, 128));
    EXPECT_EQ(bytesAt(half, 0, 0), (std::array<int, 4>{128, 0, 0, 128}));
}

TEST(SWImageTools, ColorEquality)
{
    struct Case {
        QColor a, b;
        bool equal;
    };
    const Case cases[] = {
        {QColor(10, 20, 30), QColor(10, 20, 30), true},
        {QColor(10, 20, 30), QColor(10, 20, 31), false},
        {QColor(10, 20, 30, 255), QColor(10, 20, 30, 254), false},
        {QColor::fromRgbF(0.5f, 0.5f, 0.5f), QColor::fromRgbF(0.501f, 0.5f, 0.5f), true}, // both round to 128
        {QColor::fromRgbF(0.5f, 0.5f, 0.5f), QColor::fromRgbF(0.497f, 0.5f, 0.5f), false}, // 127 against 128
        {QColor(Qt::red), QColor::fromHsv(0, 255, 255), true}, // other colour models compare in RGB
        {QColor(), QColor(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SWImageTools::colorIsEqualToColor(c.a, c.b), c.equal) << c.a.name().toStdString();
}

TEST(SWImageTools, ColorAtPointReadsThePixelUnderThePoint)
{
    QImage image = CanvasBitmap::make(3, 3);
    image.setPixelColor(1, 2, QColor(255, 0, 0, 128));
    EXPECT_EQ(SWImageTools::colorAtPoint(image, QPointF(1.9, 2.2)), QColor(255, 0, 0, 128));
    EXPECT_EQ(SWImageTools::colorAtPoint(image, QPointF(1, 1))->alpha(), 0);
    EXPECT_FALSE(SWImageTools::colorAtPoint(image, QPointF(3, 0)).has_value());
    EXPECT_FALSE(SWImageTools::colorAtPoint(image, QPointF(-0.1, 0)).has_value());
    EXPECT_FALSE(SWImageTools::colorAtPoint(QImage(), QPointF(0, 0)).has_value());
}

TEST(SWImageTools, ConvertFileType)
{
    const std::pair<const char*, const char*> cases[] = {
        {"PNG", "png"}, {"TIFF", "tif"}, {"JPEG", "jpg"}, {"Gif", "gif"}, {"bmp", "bmp"},
        {"tiff", "tif"}, {"jpeg", "jpg"}, {"webp", ""}, {"", ""},        {"pn", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(SWImageTools::convertFileType(in), QString(out)) << in;
}

TEST(SWImageTools, MonochromeByLuminance)
{
    QImage image = CanvasBitmap::make(3, 1);
    image.setPixelColor(0, 0, QColor(128, 128, 128)); // luminance 128: white
    image.setPixelColor(1, 0, QColor(127, 127, 127)); // 127: black
    image.setPixelColor(2, 0, QColor(0, 255, 0));     // 149.7: white
    const QImage mono = SWImageTools::createMonochromeImage(image);
    ASSERT_EQ(mono.format(), QImage::Format_Mono);
    EXPECT_EQ(mono.pixelIndex(0, 0), 1);
    EXPECT_EQ(mono.pixelIndex(1, 0), 0);
    EXPECT_EQ(mono.pixelIndex(2, 0), 1);
    EXPECT_EQ(mono.pixelColor(0, 0), QColor(Qt::white));
}

TEST(SWImageTools, InvertImage)
{
    QImage image = CanvasBitmap::make(1, 1);
    image.setPixelColor(0, 0, QColor(255, 255, 255, 128));
    EXPECT_TRUE(SWImageTools::invertImage(image));
    EXPECT_EQ(bytesAt(image, 0, 0), (std::array<int, 4>{0, 0, 0, 128}));
    QImage null;
    EXPECT_FALSE(SWImageTools::invertImage(null));
}

TEST(SWImageTools, PictureFromPasteboard)
{
    EXPECT_TRUE(SWImageTools::readImageFromPasteboard(nullptr).isNull());
    QMimeData empty;
    EXPECT_TRUE(SWImageTools::bitmapImageWithPasteboard(&empty).isNull());

    // Encoded data keeps its resolution.
    QMimeData png;
    QFile file(testDataPath("images/two-pixels-144dpi.png"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    png.setData("image/png", file.readAll());
    double ratio = 0;
    const QImage fromData = SWImageTools::bitmapImageWithPasteboard(&png, &ratio);
    ASSERT_EQ(fromData.size(), QSize(2, 1));
    EXPECT_EQ(fromData.format(), CanvasBitmap::Format);
    EXPECT_DOUBLE_EQ(ratio, 2.0);

    // An image object.
    QMimeData object;
    QImage rgb(3, 2, QImage::Format_RGB32);
    rgb.fill(Qt::red);
    object.setImageData(rgb);
    const QImage fromObject = SWImageTools::bitmapImageWithPasteboard(&object, &ratio);
    ASSERT_EQ(fromObject.size(), QSize(3, 2));
    EXPECT_EQ(fromObject.format(), CanvasBitmap::Format);
    EXPECT_EQ(fromObject.pixelColor(2, 1), QColor(Qt::red));
    EXPECT_DOUBLE_EQ(ratio, 1.0);

    // A dropped file.
    QMimeData url;
    url.setUrls({QUrl::fromLocalFile(testDataPath("images/no-resolution.png"))});
    EXPECT_EQ(SWImageTools::bitmapImageWithPasteboard(&url).size(), QSize(2, 1));
    QMimeData broken;
    broken.setUrls({QUrl::fromLocalFile(testDataPath("images/truncated.png"))});
    EXPECT_TRUE(SWImageTools::bitmapImageWithPasteboard(&broken).isNull());
}

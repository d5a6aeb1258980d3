// Writing and reading image files: round trips of the five types, the
// resolution, GIF quantisation, and files that must fail cleanly.
#include "TestMain.h"

#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/ColorQuantizer.h"
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageEncoder.h"
#include "SamePixels.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <sys/resource.h>

using platform::CanvasBitmap;
using platform::ColorQuantizer;
using platform::ImageDecoder;
using platform::ImageEncoder;

namespace {

// A picture with exactly `colors` distinct opaque colours, laid out so
// that neighbours differ (a poor case for lossy coders).
QImage pictureWithColors(int width, int height, int colors)
{
    QImage image = CanvasBitmap::make(width, height);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int k = (x + y * width) % colors;
            row[x] = CanvasBitmap::pack(std::uint8_t(k * 37), std::uint8_t(k * 91 / 7), std::uint8_t(255 - k), 255);
        }
    }
    return image;
}

// Smooth content with a transparent corner and half-transparent pixels.
QImage pictureWithAlpha(int width, int height)
{
    QImage image = CanvasBitmap::make(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int a = x < width / 4 && y < height / 4 ? 0 : (x % 3 == 0 ? 128 : 255);
            image.setPixelColor(x, y, QColor(x * 255 / width, y * 255 / height, 90, a));
        }
    return image;
}

int maxSampleDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const std::uint8_t* pa = a.constScanLine(y);
        const std::uint8_t* pb = b.constScanLine(y);
        for (int i = 0; i < a.width() * 4; ++i)
            worst = std::max(worst, std::abs(int(pa[i]) - int(pb[i])));
    }
    return worst;
}

ImageDecoder::Result roundTrip(const QImage& picture, const QString& type, double ratio)
{
    QString error;
    const QByteArray data = ImageEncoder::encode(picture, type, 0.8, ratio, &error);
    EXPECT_FALSE(data.isEmpty()) << type.toStdString() << ": " << error.toStdString();
    return ImageDecoder::decode(data);
}

} // namespace

struct RoundTripCase {
    const char* type;
    bool exact; // JPEG is compared on a smooth picture in its own test
    bool keepsResolution;
};

void PrintTo(const RoundTripCase& c, std::ostream* os)
{
    *os << c.type;
}

class ImageFileRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ImageFileRoundTrip, KeepsSizePixelsAndResolution)
{
    const RoundTripCase c = GetParam();
    // 200 colours: within a GIF palette, so GIF must be exact too.
    const QImage picture = pictureWithColors(67, 45, 200);
    const ImageDecoder::Result back = roundTrip(picture, c.type, 2.0);
    ASSERT_TRUE(back.ok()) << back.error.toStdString();
    EXPECT_EQ(back.image.size(), picture.size());
    EXPECT_EQ(back.image.format(), CanvasBitmap::Format);
    if (c.exact) {
        EXPECT_TRUE(samePixels(back.image, picture));
    }
    EXPECT_DOUBLE_EQ(back.pixelPerPoint, c.keepsResolution ? 2.0 : 1.0);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ImageFileRoundTrip,
                         ::testing::Values(RoundTripCase{"png", true, true}, RoundTripCase{"bmp", true, true},
                                           RoundTripCase{"tif", true, true}, RoundTripCase{"gif", true, false},
                                           RoundTripCase{"jpg", false, true}),
                         [](const auto& info) { return std::string(info.param.type); });

TEST(ImageFiles, JpegIsCloseOnSmoothPictures)
{
    QImage smooth = CanvasBitmap::make(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            smooth.setPixelColor(x, y, QColor(x * 4, y * 4, 128));
    const ImageDecoder::Result back = roundTrip(smooth, "jpg", 1.0);
    ASSERT_TRUE(back.ok());
    EXPECT_LE(maxSampleDifference(back.image, smooth), 12);
}

TEST(ImageFiles, TransparencySurvivesPngTiffAndGif)
{
    const QImage picture = pictureWithAlpha(40, 32);
    for (const char* type : {"png", "tif"}) {
        const ImageDecoder::Result back = roundTrip(picture, type, 1.0);
        ASSERT_TRUE(back.ok()) << type;
        EXPECT_TRUE(samePixels(back.image, picture)) << type;
    }
    // GIF: no partial alpha; alpha 0 stays transparent, the rest is opaque.
    const ImageDecoder::Result gif = roundTrip(picture, "gif", 1.0);
    ASSERT_TRUE(gif.ok());
    EXPECT_EQ(gif.image.pixelColor(0, 0).alpha(), 0);
    // Over a thousand colours here: each pixel takes a near palette entry.
    EXPECT_EQ(gif.image.pixelColor(38, 31).alpha(), 255);
    EXPECT_NEAR(gif.image.pixelColor(38, 31).red(), picture.pixelColor(38, 31).red(), 16);
    const QColor half = gif.image.pixelColor(39, 31); // alpha 128 becomes opaque
    EXPECT_EQ(half.alpha(), 255);
    EXPECT_NEAR(half.red(), picture.pixelColor(39, 31).red(), 16);
}

// JPEG and BMP hold no transparency: the picture is written as the canvas
// shows it, over white, not with its transparent pixels turned black.
TEST(ImageFiles, JpegAndBmpFlattenTransparencyOntoWhite)
{
    QImage picture = CanvasBitmap::make(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            picture.setPixelColor(x, y, x < 16 ? QColor(0, 0, 0, 0) : QColor(200, 0, 0, 128));
    for (const char* type : {"jpg", "bmp"}) {
        SCOPED_TRACE(type);
        const ImageDecoder::Result back = roundTrip(picture, type, 1.0);
        ASSERT_TRUE(back.ok());
        const int tolerance = QString(type) == "jpg" ? 6 : 1;
        for (const QPoint p : {QPoint(4, 4), QPoint(12, 28)}) {
            const QColor c = back.image.pixelColor(p);
            EXPECT_EQ(c.alpha(), 255);
            EXPECT_GE(c.red(), 255 - tolerance);
            EXPECT_GE(c.green(), 255 - tolerance);
            EXPECT_GE(c.blue(), 255 - tolerance);
        }
        // Half-transparent red over white: (227, 127, 127).
        const QColor half = back.image.pixelColor(26, 16);
        EXPECT_EQ(half.alpha(), 255);
        EXPECT_NEAR(half.red(), 227, tolerance);
        EXPECT_NEAR(half.green(), 127, tolerance);
        EXPECT_NEAR(half.blue(), 127, tolerance);
    }
}

TEST(ImageFiles, UnknownTypeIsWrittenAsPng)
{
    EXPECT_EQ(ImageEncoder::effectiveType("xyz"), "png");
    EXPECT_EQ(ImageEncoder::effectiveType(""), "png");
    EXPECT_EQ(ImageEncoder::effectiveType("PNG"), "png"); // types are lower-case extensions
    const QByteArray data = ImageEncoder::encode(pictureWithColors(8, 8, 5), "webp-ish", 0.8, 1.0);
    EXPECT_TRUE(data.startsWith("\x89PNG\r\n\x1a\n"));
}

TEST(ImageFiles, TiffIsWrittenUncompressed)
{
    const QImage picture = pictureWithColors(50, 40, 3);
    const QByteArray data = ImageEncoder::encode(picture, "tif", 0.8, 1.0);
    // Uncompressed: at least the 4 bytes of every pixel are in the file.
    EXPECT_GE(data.size(), 50 * 40 * 4);
}

TEST(ImageFiles, JpegQualityChangesTheFile)
{
    const QImage picture = pictureWithAlpha(64, 64);
    const QByteArray low = ImageEncoder::encode(picture, "jpg", 0.1, 1.0);
    const QByteArray high = ImageEncoder::encode(picture, "jpg", 1.0, 1.0);
    EXPECT_LT(low.size(), high.size());
}

TEST(ImageFiles, BlankCanvasRatioWritesOnePixelPerPoint)
{
    const ImageDecoder::Result back = roundTrip(pictureWithColors(4, 4, 2), "png", 0.0);
    ASSERT_TRUE(back.ok());
    EXPECT_DOUBLE_EQ(back.pixelPerPoint, 1.0);
}

TEST(ImageFiles, WriteFileLeavesTheOldFileWhenEncodingFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.png");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    QString error;
    EXPECT_FALSE(ImageEncoder::writeFile(path, QImage(), "png", 0.8, 1.0, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("old"));
}

TEST(GifQuantization, ManyColoursFitThePalette)
{
    QImage picture = CanvasBitmap::make(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            picture.setPixelColor(x, y, QColor(x * 2, y * 2, (x + y) % 256));
    const ColorQuantizer::Result q = ColorQuantizer::quantize(picture);
    EXPECT_FALSE(q.exact);
    EXPECT_LE(q.palette.size(), 256u);
    EXPECT_EQ(q.transparentIndex, -1);
    // Every pixel ends near its colour.
    int worst = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const QRgb got = q.palette[q.indices[std::size_t(y) * 128 + x]];
            const QColor want = picture.pixelColor(x, y);
            worst = std::max({worst, std::abs(qRed(got) - want.red()), std::abs(qGreen(got) - want.green()),
                              std::abs(qBlue(got) - want.blue())});
        }
    EXPECT_LE(worst, 40);

    const ImageDecoder::Result back = ImageDecoder::decode(ImageEncoder::encode(picture, "gif", 0.8, 1.0));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.image.size(), picture.size());
}

TEST(GifQuantization, PaletteLimitCountsTheTransparentEntry)
{
    // 255 opaque colours and transparency fit exactly; 256 and transparency do not.
    for (const int colors : {255, 256}) {
        QImage picture = pictureWithColors(64, 64, colors);
        picture.setPixel(0, 0, 0); // one transparent pixel, not one of the colours above
        const ColorQuantizer::Result q = ColorQuantizer::quantize(picture);
        EXPECT_EQ(q.exact, colors == 255) << colors;
        EXPECT_LE(q.palette.size(), 256u);
        EXPECT_GE(q.transparentIndex, 0);
    }
    // 256 opaque colours without transparency are exact.
    EXPECT_TRUE(ColorQuantizer::quantize(pictureWithColors(64, 64, 256)).exact);
}

TEST(ImageDecoderFailures, BrokenFixturesFailWithAMessage)
{
    const char* files[] = {"truncated.png", "corrupt.png", "truncated.jpg", "truncated-end.jpg", "corrupt.jpg",
                           "truncated.gif", "corrupt.gif", "truncated.bmp", "corrupt.bmp",       "truncated.tif",
                           "corrupt.tif",   "not-a-picture.png"};
    for (const char* name : files) {
        const ImageDecoder::Result r = ImageDecoder::readFile(testDataPath(QString("images/") + name));
        EXPECT_FALSE(r.ok()) << name;
        EXPECT_TRUE(r.image.isNull()) << name;
        EXPECT_FALSE(r.error.isEmpty()) << name;
    }
}

TEST(ImageDecoderFailures, IntactFixtureOfTheSameKindReads)
{
    // The TIFF the broken ones were cut from: the check does not reject good files.
    const ImageDecoder::Result r = ImageDecoder::readFile(testDataPath("images/strips-first.tif"));
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.image.size(), QSize(64, 48));
    EXPECT_DOUBLE_EQ(r.pixelPerPoint, 1.0);
}

TEST(ImageDecoderFailures, TooLargeAPictureIsRefusedBeforeDecoding)
{
    const ImageDecoder::Result r = ImageDecoder::readFile(testDataPath("images/huge-dimensions.png"));
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.error.contains("too large")) << r.error.toStdString();
    EXPECT_TRUE(r.error.contains("100000 x 100000")) << r.error.toStdString();
    // A reader that learns the size only while decoding: the header is read first.
    const ImageDecoder::Result mng = ImageDecoder::readFile(testDataPath("images/huge-dimensions.mng"));
    EXPECT_FALSE(mng.ok());
    EXPECT_TRUE(mng.error.contains("23554 x 16641")) << mng.error.toStdString();
}

// Headers and chunks that declare far more than the file holds are refused
// from the file's structure, before a decoder allocates what they declare
// (1.7 GB for the PNG's text chunk, 427 MB for the GIF's screen).
TEST(ImageDecoderFailures, DeclarationsBeyondTheFileAreRefusedBeforeDecoding)
{
    const struct {
        const char* file;
        const char* why;
    } cases[] = {{"text-chunk-past-end.png", "incomplete"},
                 {"profile-chunk-past-end.png", "incomplete"},
                 {"screen-larger-than-picture.gif", "incomplete"},
                 {"screen-past-limit.gif", "too large to open (20000 x 20000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        struct rusage before {};
        getrusage(RUSAGE_SELF, &before);
        const ImageDecoder::Result r = ImageDecoder::readFile(testDataPath(QString("images/") + c.file));
        struct rusage after {};
        getrusage(RUSAGE_SELF, &after);
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.why))) << r.error.toStdString();
        // The peak stays where it was, give or take what a small picture takes.
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kB";
    }
}

TEST(ImageDecoderFailures, MissingAndEmptyFiles)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ImageDecoder::readFile(dir.filePath("absent.png")).ok());
    QFile empty(dir.filePath("empty.png"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    const ImageDecoder::Result r = ImageDecoder::readFile(empty.fileName());
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_FALSE(ImageDecoder::decode(QByteArray()).ok());
}

TEST(ImageDecoderResolution, DeclaredAndUndeclared)
{
    const ImageDecoder::Result declared = ImageDecoder::readFile(testDataPath("images/two-pixels-144dpi.png"));
    ASSERT_TRUE(declared.ok());
    EXPECT_EQ(declared.image.size(), QSize(2, 1));
    EXPECT_DOUBLE_EQ(declared.pixelPerPoint, 2.0); // 2 pixels over a point width of 1
    EXPECT_EQ(declared.image.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(declared.image.pixelColor(1, 0), QColor(0, 0, 255));

    const ImageDecoder::Result plain = ImageDecoder::readFile(testDataPath("images/no-resolution.png"));
    ASSERT_TRUE(plain.ok());
    EXPECT_DOUBLE_EQ(plain.pixelPerPoint, 1.0);
}

TEST(ImageDecoderResolution, OddRatiosSurviveEveryTypeThatStoresThem)
{
    for (const char* type : {"png", "bmp", "tif", "jpg"}) {
        const ImageDecoder::Result back = roundTrip(pictureWithColors(10, 10, 4), type, 300.0 / 72.0);
        ASSERT_TRUE(back.ok()) << type;
        EXPECT_NEAR(back.pixelPerPoint, 300.0 / 72.0, 1e-9) << type;
    }
}

// An independent decoder reads what we write.
TEST(ImageFilesIndependentCheck, IdentifyReadsEveryWrittenType)
{
    const QString identify = QStandardPaths::findExecutable("identify");
    if (identify.isEmpty())
        GTEST_SKIP() << "ImageMagick's identify is not installed; skipping the independent decoder check";
    QTemporaryDir dir;
    const QImage picture = pictureWithColors(37, 23, 40);
    for (const char* type : {"png", "jpg", "bmp", "gif", "tif"}) {
        const QString path = dir.filePath(QString("picture.") + type);
        QString error;
        ASSERT_TRUE(ImageEncoder::writeFile(path, picture, type, 0.8, 2.0, &error)) << error.toStdString();
        QProcess process;
        process.start(identify, {"-format", "%m %w %h\\n", path});
        ASSERT_TRUE(process.waitForFinished(30000)) << type;
        EXPECT_EQ(process.exitCode(), 0) << type << ": " << process.readAllStandardError().toStdString();
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        static const QMap<QString, QString> magick = {
            {"png", "PNG"}, {"jpg", "JPEG"}, {"bmp", "BMP"}, {"gif", "GIF"}, {"tif", "TIFF"}};
        // ImageMagick names our BMP by its version, "BMP3".
        EXPECT_TRUE(out.startsWith(magick[type]) && out.endsWith(" 37 23")) << type << ": " << out.toStdString();
    }
    // The resolution as the independent decoder sees it.
    QProcess density;
    density.start(identify, {"-units", "PixelsPerInch", "-format", "%x", dir.filePath("picture.tif")});
    ASSERT_TRUE(density.waitForFinished(30000));
    EXPECT_NEAR(QString::fromLocal8Bit(density.readAllStandardOutput()).trimmed().toDouble(), 144.0, 0.01);
}

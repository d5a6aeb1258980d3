// The structure checks that catch cut-short files, and the resolution read
// from headers, on hand-built bytes.
#include "TestMain.h"

#include "platform/graphics/ImageFileInspector.h"

#include <QByteArray>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

using platform::ImageFileInspector;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// A minimal JPEG skeleton: SOI, optional APP0, SOS with entropy data, EOI.
QByteArray jpeg(bool jfifDpi, bool withEoi, bool stuffedData)
{
    QByteArray d = bytes({0xFF, 0xD8});
    if (jfifDpi) // JFIF, units 1 (dpi), 300 x 150
        d += bytes({0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 1, 0x01, 0x2C, 0x00, 0x96, 0, 0});
    d += bytes({0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 63, 0}); // scan header
    d += bytes({0x12, 0x34});
    if (stuffedData)
        d += bytes({0xFF, 0x00, 0xFF, 0xD3, 0x56}); // a stuffed 0xFF and a restart marker inside the scan
    if (withEoi)
        d += bytes({0xFF, 0xD9});
    return d;
}

QByteArray bmp(qint64 width, qint64 height, int rowsPresent, int ppm)
{
    const qint64 stride = ((width * 24 + 31) / 32) * 4;
    QByteArray d(54, 0);
    auto le32 = [&](int at, quint32 v) {
        for (int k = 0; k < 4; ++k)
            d[at + k] = char((v >> (8 * k)) & 0xFF);
    };
    d[0] = 'B';
    d[1] = 'M';
    le32(10, 54);
    le32(14, 40);
    le32(18, quint32(width));
    le32(22, quint32(height));
    d[26] = 1;
    d[28] = 24;
    le32(38, quint32(ppm));
    le32(42, quint32(ppm));
    d += QByteArray(qsizetype(std::min<qint64>(stride * rowsPresent, 1 << 20)), '\x7f');
    return d;
}

} // namespace

TEST(ImageFileInspector, JpegNeedsItsEndMarker)
{
    EXPECT_TRUE(ImageFileInspector::inspect(jpeg(false, true, true)).complete);
    EXPECT_FALSE(ImageFileInspector::inspect(jpeg(false, false, true)).complete);
    // A 0xFF 0xD9 inside an earlier segment (a thumbnail) does not count.
    QByteArray withThumbnail = bytes({0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x06, 0xFF, 0xD9, 0, 0});
    withThumbnail += jpeg(false, false, false).mid(2);
    EXPECT_FALSE(ImageFileInspector::inspect(withThumbnail).complete);
}

TEST(ImageFileInspector, JpegResolutionFromJfif)
{
    const ImageFileInspector::Result r = ImageFileInspector::inspect(jpeg(true, true, false));
    EXPECT_EQ(r.kind, ImageFileInspector::Kind::Jpeg);
    ASSERT_TRUE(r.dotsPerMeter.has_value());
    EXPECT_NEAR(r.dotsPerMeter->x(), 300 / 0.0254, 1e-6);
    EXPECT_NEAR(r.dotsPerMeter->y(), 150 / 0.0254, 1e-6);
    EXPECT_FALSE(ImageFileInspector::inspect(jpeg(false, true, false)).dotsPerMeter.has_value());
}

TEST(ImageFileInspector, BmpRowsMustAllBeThere)
{
    EXPECT_TRUE(ImageFileInspector::inspect(bmp(5, 4, 4, 0)).complete);
    EXPECT_FALSE(ImageFileInspector::inspect(bmp(5, 4, 3, 0)).complete);
    EXPECT_FALSE(ImageFileInspector::inspect(bmp(5, 4, 4, 0).left(30)).complete);
    // Absurd sizes do not overflow into "complete".
    EXPECT_FALSE(ImageFileInspector::inspect(bmp(0x7FFFFFFF, 0x7FFFFFFF, 1, 0)).complete);
    EXPECT_FALSE(ImageFileInspector::inspect(bmp(5, 4, 4, 0)).dotsPerMeter.has_value());
    const auto r = ImageFileInspector::inspect(bmp(5, 4, 4, 5669));
    ASSERT_TRUE(r.dotsPerMeter.has_value());
    EXPECT_EQ(r.dotsPerMeter->x(), 5669);
}

TEST(ImageFileInspector, GifNeedsTheFirstPictureWhole)
{
    QByteArray gif("GIF89a", 6);
    gif += bytes({2, 0, 2, 0, 0x80, 0, 0});                  // 2 x 2, global table of 2 colours
    gif += bytes({0, 0, 0, 255, 255, 255});                  // the table
    gif += bytes({0x21, 0xF9, 4, 1, 0, 0, 0, 0});            // graphic control
    gif += bytes({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0});         // picture descriptor
    gif += bytes({2, 3, 0x84, 0x1D, 0x05, 0});               // code size 2, one data block, end
    EXPECT_TRUE(ImageFileInspector::inspect(gif).complete);   // the trailer may be missing
    EXPECT_TRUE(ImageFileInspector::inspect(gif + bytes({0x3B})).complete);
    EXPECT_FALSE(ImageFileInspector::inspect(gif.left(gif.size() - 1)).complete);
    EXPECT_FALSE(ImageFileInspector::inspect(gif.left(20)).complete);
}

// Every chunk's declared length must fit in the file, after the pixels too.
TEST(ImageFileInspector, PngChunksMustFitInTheFile)
{
    auto chunk = [](const char* kind, const QByteArray& payload, quint32 declared) {
        QByteArray c;
        for (int k = 3; k >= 0; --k)
            c.append(char((declared >> (8 * k)) & 0xFF));
        return c + QByteArray(kind, 4) + payload + QByteArray(4, '\0');
    };
    const QByteArray start = QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", QByteArray(13, '\1'), 13);
    const QByteArray pixels = chunk("IDAT", QByteArray(20, '\2'), 20);
    const QByteArray end = chunk("IEND", {}, 0);
    EXPECT_TRUE(ImageFileInspector::inspect(start + pixels + end).complete);
    EXPECT_TRUE(ImageFileInspector::inspect(start + pixels + end + "trailing bytes").complete);
    EXPECT_TRUE(ImageFileInspector::inspect(start + pixels + chunk("tEXt", QByteArray("a\0b", 3), 3) + end).complete);
    // A text chunk after the pixels that declares 1.7 GB.
    EXPECT_FALSE(ImageFileInspector::inspect(start + pixels + chunk("tEXt", QByteArray("a\0b", 3), 1700000000) + end).complete);
    // One before them, and one that only just does not fit.
    EXPECT_FALSE(ImageFileInspector::inspect(start + chunk("iCCP", QByteArray("p\0\0", 3), 0x7FFFFFF0) + pixels + end).complete);
    const QByteArray whole = start + pixels + chunk("tEXt", QByteArray("a\0b", 3), 3);
    EXPECT_FALSE(ImageFileInspector::inspect(whole.left(whole.size() - 1)).complete);
}

// The GIF reader allocates the whole screen, whatever size its picture
// reports; and the picture's data must be able to fill the picture.
TEST(ImageFileInspector, GifDeclaresItsScreenAndItsDataMustFillThePicture)
{
    auto gif = [](int sw, int sh, int pw, int ph, int dataBytes) {
        QByteArray g("GIF89a", 6);
        g += bytes({sw & 0xFF, sw >> 8, sh & 0xFF, sh >> 8, 0x80, 0, 0, 0, 0, 0, 255, 255, 255});
        g += bytes({0x2C, 0, 0, 0, 0, pw & 0xFF, pw >> 8, ph & 0xFF, ph >> 8, 0, 2});
        for (int left = dataBytes; left > 0; left -= 255) {
            const int n = std::min(255, left);
            g += char(n) + QByteArray(n, '\0');
        }
        return g + bytes({0, 0x3B});
    };
    const ImageFileInspector::Result small = ImageFileInspector::inspect(gif(40, 30, 20, 10, 100));
    EXPECT_TRUE(small.complete);
    ASSERT_TRUE(small.declaredSize.has_value());
    EXPECT_EQ(*small.declaredSize, QSize(40, 30));
    // A picture larger than its screen: the larger of both.
    EXPECT_EQ(*ImageFileInspector::inspect(gif(40, 30, 60, 10, 100)).declaredSize, QSize(60, 30));
    // 242 bytes of codes cannot make 1324 x 11384 pixels.
    const ImageFileInspector::Result sparse = ImageFileInspector::inspect(gif(9376, 11384, 1324, 11384, 242));
    EXPECT_FALSE(sparse.complete);
    EXPECT_EQ(*sparse.declaredSize, QSize(9376, 11384));
    // While a few kilobytes can fill a plain 1000 x 1000 picture.
    EXPECT_TRUE(ImageFileInspector::inspect(gif(1000, 1000, 1000, 1000, 4000)).complete);
}

TEST(ImageFileInspector, TiffResolutionUnits)
{
    // II, IFD at 8 with XResolution, YResolution, ResolutionUnit; rationals after it.
    auto tiff = [](int unit) {
        QByteArray d = bytes({'I', 'I', 42, 0, 8, 0, 0, 0, 3, 0});
        const int rationals = 8 + 2 + 3 * 12 + 4;
        d += bytes({0x1A, 1, 5, 0, 1, 0, 0, 0, rationals, 0, 0, 0});
        d += bytes({0x1B, 1, 5, 0, 1, 0, 0, 0, rationals + 8, 0, 0, 0});
        d += bytes({0x28, 1, 3, 0, 1, 0, 0, 0, unit, 0, 0, 0});
        d += bytes({0, 0, 0, 0});
        d += bytes({144, 0, 0, 0, 1, 0, 0, 0, 72, 0, 0, 0, 1, 0, 0, 0});
        return d;
    };
    const auto inches = ImageFileInspector::inspect(tiff(2));
    ASSERT_TRUE(inches.dotsPerMeter.has_value());
    EXPECT_NEAR(inches.dotsPerMeter->x(), 144 / 0.0254, 1e-6);
    EXPECT_NEAR(inches.dotsPerMeter->y(), 72 / 0.0254, 1e-6);
    const auto centimetres = ImageFileInspector::inspect(tiff(3));
    ASSERT_TRUE(centimetres.dotsPerMeter.has_value());
    EXPECT_NEAR(centimetres.dotsPerMeter->x(), 14400, 1e-6);
    EXPECT_FALSE(ImageFileInspector::inspect(tiff(1)).dotsPerMeter.has_value()); // no absolute unit
}

TEST(ImageFileInspector, GarbageNeverReadsOutOfBounds)
{
    // Random bytes behind each signature: the inspector must stay inside the
    // data (the sanitizer build checks every access).
    const QByteArray signatures[] = {QByteArray("\x89PNG\r\n\x1a\n", 8), bytes({0xFF, 0xD8}), QByteArray("GIF89a"),
                                     QByteArray("BM"), QByteArray("II*\0", 4), QByteArray("MM\0*", 4)};
    std::mt19937 rng(7);
    for (const QByteArray& signature : signatures) {
        for (int round = 0; round < 300; ++round) {
            QByteArray data = signature;
            const int n = int(rng() % 200);
            for (int i = 0; i < n; ++i)
                data.append(char(rng() % 4 == 0 ? 0xFF : rng() & 0xFF));
            const QByteArray exact(data.constData(), data.size()); // no spare capacity past the end
            (void)ImageFileInspector::inspect(exact);
        }
    }
    SUCCEED();
}

// A PNG walked through small reads from its file gives the facts the walk
// over its whole bytes gives, for every PNG fixture and for each file cut
// at several places; what is no PNG is left to the other walk.
TEST(ImageFileInspector, APngWalkedThroughSmallReadsAgreesWithTheWholeBytes)
{
    QByteArray manyChunks("\x89PNG\r\n\x1a\n", 8);
    const auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray out;
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(char((data.size() >> shift) & 0xff));
        return out + QByteArray(type, 4) + data + QByteArray(4, '\0');
    };
    manyChunks += chunk("IHDR", QByteArray(13, '\1'));
    manyChunks += chunk("pHYs", bytes({0, 0, 0x16, 0x25, 0, 0, 0x16, 0x25, 1}));
    for (int i = 0; i < 300; ++i)
        manyChunks += chunk("IDAT", QByteArray(37 + i % 50, char(i)));
    manyChunks += chunk("IEND", {});

    std::vector<QByteArray> files{manyChunks};
    for (const char* name : {"two-pixels-144dpi.png", "no-resolution.png", "truncated.png", "text-chunk-past-end.png",
                             "profile-chunk-past-end.png", "huge-dimensions.png", "corrupt.png", "not-a-picture.png"}) {
        QFile fixture(testDataPath(QStringLiteral("images/") + QString::fromLatin1(name)));
        ASSERT_TRUE(fixture.open(QIODevice::ReadOnly)) << name;
        files.push_back(fixture.readAll());
    }
    for (const QByteArray& whole : std::vector<QByteArray>(files)) {
        for (const qsizetype cut : {qsizetype(7), qsizetype(20), whole.size() / 2, whole.size() - 5})
            files.push_back(whole.left(std::max<qsizetype>(0, cut)));
    }
    for (const QByteArray& data : files) {
        const std::function<qint64(std::uint64_t, char*, qint64)> read = [&](std::uint64_t at, char* into,
                                                                             qint64 most) -> qint64 {
            if (at >= std::uint64_t(data.size()))
                return 0;
            const qint64 n = std::min<qint64>(most, data.size() - qint64(at));
            std::memcpy(into, data.constData() + at, std::size_t(n));
            return n;
        };
        const ImageFileInspector::Result whole = ImageFileInspector::inspect(data);
        const std::optional<ImageFileInspector::Result> walked =
            ImageFileInspector::inspectPngFile(read, std::uint64_t(data.size()));
        if (whole.kind != ImageFileInspector::Kind::Png) {
            EXPECT_FALSE(walked.has_value());
            continue;
        }
        ASSERT_TRUE(walked.has_value());
        EXPECT_EQ(walked->complete, whole.complete);
        EXPECT_EQ(walked->dotsPerMeter, whole.dotsPerMeter);
        EXPECT_EQ(walked->declaredSize, whole.declaredSize);
    }
}

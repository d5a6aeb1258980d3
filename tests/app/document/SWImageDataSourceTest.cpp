// The image store: blank canvases, pictures read from files, resizing,
// turning, copies for undo, and drawing.
#include "SWImageDataSource.h"

#include "TestMain.h"
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/ImageEncoder.h"

#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

using platform::CanvasBitmap;

namespace {

bool allPixels(const QImage& image, QRgb value)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != value)
                return false;
    return true;
}

QImage noise(int w, int h, unsigned seed)
{
    QImage image = CanvasBitmap::make(w, h);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor(int(rng() % 256), int(rng() % 256), int(rng() % 256)));
    return image;
}

QString writePicture(const QTemporaryDir& dir, const QString& name, const QImage& picture, double ratio = 1.0)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(platform::ImageEncoder::writeFile(path, picture, QFileInfo(name).suffix(), 0.8, ratio));
    return path;
}

class RecordingEditor : public SWImageDataSource::Editor {
public:
    explicit RecordingEditor(std::vector<int>& calls, int id)
        : m_calls(calls)
        , m_id(id)
    {
    }
    void renderToContext(QPainter&, const QRectF&) override { m_calls.push_back(m_id); }

private:
    std::vector<int>& m_calls;
    int m_id;
};

} // namespace

TEST(SWImageDataSource, NewCanvas)
{
    auto store = SWImageDataSource::create(QSizeF(640, 480), Qt::white);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->mainImage().size(), QSize(640, 480));
    EXPECT_EQ(store->mainImage().format(), CanvasBitmap::Format);
    EXPECT_TRUE(allPixels(store->mainImage(), qRgba(255, 255, 255, 255)));
    EXPECT_EQ(store->bufferImage().size(), QSize(640, 480));
    EXPECT_TRUE(allPixels(store->bufferImage(), 0));
    EXPECT_EQ(store->drawableRect(), QRectF(0, 0, 640, 480));
    EXPECT_EQ(store->canvasSize(), QSizeF(640, 480));
    EXPECT_EQ(store->pixelPerPoint(), 0.0);
    EXPECT_EQ(store->backgroundColor(), QColor(Qt::white));
    EXPECT_TRUE(store->editors().empty());

    SWImageDataSource plain;
    EXPECT_TRUE(plain.mainImage().isNull());
    EXPECT_EQ(plain.pixelPerPoint(), 0.0);
}

TEST(SWImageDataSource, ResizeWithoutScalingKeepsTheTopLeft)
{
    auto store = SWImageDataSource::create(QSizeF(100, 100), Qt::white);
    store->setBackgroundColor(Qt::blue);
    store->mainImage().setPixelColor(10, 10, Qt::red);
    store->mainImage().setPixelColor(99, 99, Qt::red);
    ASSERT_TRUE(store->resizeToSize(QSizeF(150, 80), false));
    EXPECT_EQ(store->mainImage().size(), QSize(150, 80));
    EXPECT_EQ(store->bufferImage().size(), QSize(150, 80));
    EXPECT_EQ(store->drawableRect(), QRectF(0, 0, 150, 80));
    EXPECT_EQ(store->mainImage().pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(store->mainImage().pixelColor(50, 50), QColor(Qt::white));
    EXPECT_EQ(store->mainImage().pixelColor(120, 10), QColor(Qt::blue)); // new area: background colour
    EXPECT_EQ(store->mainImage().pixelColor(149, 79), QColor(Qt::blue));
    EXPECT_TRUE(allPixels(store->bufferImage(), 0));
}

TEST(SWImageDataSource, ResizeWithScalingRepeatsPixels)
{
    auto store = SWImageDataSource::create(QSizeF(2, 2), Qt::white);
    store->mainImage().setPixelColor(0, 0, Qt::red);
    store->mainImage().setPixelColor(1, 1, Qt::green);
    ASSERT_TRUE(store->resizeToSize(QSizeF(6, 4), true));
    const QImage& m = store->mainImage();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const QColor want = (x < 3 && y < 2) ? QColor(Qt::red) : (x >= 3 && y >= 2) ? QColor(Qt::green) : QColor(Qt::white);
            EXPECT_EQ(m.pixelColor(x, y), want) << x << "," << y; // no smoothing: only the three colours
        }
    // Shrinking samples the nearest pixel.
    auto big = SWImageDataSource::create(QSizeF(4, 4), Qt::white);
    big->mainImage().setPixelColor(1, 1, Qt::red);
    ASSERT_TRUE(big->resizeToSize(QSizeF(2, 2), true));
    EXPECT_EQ(big->mainImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST(SWImageDataSource, ResizeToTheSameSizeKeepsTheBuffer)
{
    auto store = SWImageDataSource::create(QSizeF(20, 10), Qt::white);
    store->bufferImage().setPixelColor(3, 3, Qt::red);
    const QImage* before = &store->mainImage();
    ASSERT_TRUE(store->resizeToSize(QSizeF(20, 10), false));
    EXPECT_EQ(store->bufferImage().pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(before, &store->mainImage());
}

TEST(SWImageDataSource, RotateTurnsBothBitmaps)
{
    auto store = SWImageDataSource::create(QSizeF(300, 200), Qt::white);
    store->mainImage().setPixelColor(0, 0, Qt::red);
    store->bufferImage().setPixelColor(0, 0, Qt::green);
    ASSERT_TRUE(store->rotate(true));
    EXPECT_EQ(store->canvasSize(), QSizeF(200, 300));
    EXPECT_EQ(store->drawableRect(), QRectF(0, 0, 200, 300));
    EXPECT_EQ(store->mainImage().size(), QSize(200, 300));
    EXPECT_EQ(store->bufferImage().size(), QSize(200, 300));
    EXPECT_EQ(store->mainImage().pixelColor(199, 0), QColor(Qt::red)); // top-left is now top-right
    EXPECT_EQ(store->bufferImage().pixelColor(199, 0), QColor(Qt::green));
    ASSERT_TRUE(store->rotate(false));
    EXPECT_EQ(store->mainImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(store->canvasSize(), QSizeF(300, 200));

    // A clear buffer comes back clear in the turned size.
    store->bufferImage().fill(0u);
    ASSERT_TRUE(store->rotate(true));
    EXPECT_EQ(store->bufferImage().size(), QSize(200, 300));
    EXPECT_TRUE(allPixels(store->bufferImage(), 0));

    SWImageDataSource empty;
    EXPECT_FALSE(empty.rotate(true));
}

TEST(SWImageDataSource, BufferGutter)
{
    auto store = SWImageDataSource::create(QSizeF(50, 30), Qt::white);
    store->setBufferGutterSizeWithType(2);
    EXPECT_EQ(store->drawableRectForBufferImage(true), QRectF(-4, -4, 58, 38));
    EXPECT_EQ(store->drawableRectForBufferImage(false), QRectF(0, 0, 50, 30));
    for (const int type : {0, 1, 3}) {
        store->setBufferGutterSizeWithType(type);
        EXPECT_EQ(store->drawableRectForBufferImage(true), QRectF(0, 0, 50, 30)) << type;
    }
}

TEST(SWImageDataSource, CopyAndRestoreTheMainImage)
{
    auto store = SWImageDataSource::create(QSizeF(8, 8), Qt::white);
    store->mainImage().setPixelColor(1, 1, Qt::red);
    const QImage snapshot = store->copyMainImageData();
    // Drawing through raw pixel access after the copy must not reach it.
    std::uint8_t* bits = store->mainImage().bits();
    std::memset(bits, 0, 4);
    store->mainImage().setPixelColor(1, 1, Qt::blue);
    EXPECT_EQ(snapshot.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(snapshot.pixelColor(0, 0), QColor(Qt::white));
    store->restoreMainImageFromData(snapshot);
    EXPECT_EQ(store->mainImage().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(store->mainImage().pixelColor(0, 0), QColor(Qt::white));
    store->restoreMainImageFromData(QImage()); // nothing
    EXPECT_EQ(store->mainImage().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_TRUE(SWImageDataSource().copyMainImageData().isNull());
}

TEST(SWImageDataSource, RestoreBufferGrowsToCoverBoth)
{
    auto store = SWImageDataSource::create(QSizeF(10, 10), Qt::white);
    store->bufferImage().setPixelColor(9, 9, Qt::green);
    QImage wide = CanvasBitmap::make(15, 4);
    wide.fill(CanvasBitmap::premultipliedPixel(Qt::red));
    ASSERT_TRUE(store->restoreBufferImageFromData(wide));
    EXPECT_EQ(store->bufferImage().size(), QSize(15, 10));
    EXPECT_EQ(store->bufferImage().pixelColor(14, 3), QColor(Qt::red));
    EXPECT_EQ(store->bufferImage().pixelColor(9, 9).alpha(), 0); // a new, cleared buffer
    EXPECT_EQ(store->mainImage().size(), QSize(10, 10));
}

TEST(SWImageDataSource, ReadsAPictureTheRightWayUp)
{
    QTemporaryDir dir;
    QImage picture = noise(30, 20, 1);
    picture.setPixelColor(0, 0, Qt::red);
    picture.setPixelColor(5, 0, QColor(0, 0, 0, 0)); // transparent pixels stay transparent
    auto store = SWImageDataSource::fromFile(writePicture(dir, "top-left-red.png", picture), Qt::white);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->canvasSize(), QSizeF(30, 20));
    EXPECT_EQ(store->mainImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(store->mainImage().pixel(5, 0), 0u);
    EXPECT_EQ(store->mainImage(), picture);
    EXPECT_TRUE(allPixels(store->bufferImage(), 0));
    EXPECT_DOUBLE_EQ(store->pixelPerPoint(), 1.0);

    // Written again, the top row is still on top.
    const QString again = dir.filePath("again.png");
    ASSERT_TRUE(platform::ImageEncoder::writeFile(again, store->mainImage(), "png", 0.8, store->pixelPerPoint()));
    auto reread = SWImageDataSource::fromFile(again, Qt::white);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->mainImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST(SWImageDataSource, KeepsTheRatioOfTheFile)
{
    auto store = SWImageDataSource::fromFile(testDataPath("images/two-pixels-144dpi.png"), Qt::white);
    ASSERT_TRUE(store);
    EXPECT_DOUBLE_EQ(store->pixelPerPoint(), 2.0);
}

TEST(SWImageDataSource, AFailedReadLeavesTheStoreAsItWas)
{
    auto store = SWImageDataSource::create(QSizeF(12, 7), Qt::white);
    store->mainImage().setPixelColor(2, 2, Qt::red);
    QString error;
    EXPECT_FALSE(store->readFromFile(testDataPath("images/truncated.png"), Qt::black, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(store->canvasSize(), QSizeF(12, 7));
    EXPECT_EQ(store->mainImage().pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(store->backgroundColor(), QColor(Qt::white));
    EXPECT_FALSE(SWImageDataSource::fromFile(testDataPath("images/huge-dimensions.png"), Qt::white, &error));
    EXPECT_TRUE(error.contains("too large"));
}

TEST(SWImageDataSource, ReadingAgainSetsTheSameStoreUp)
{
    auto store = SWImageDataSource::create(QSizeF(12, 7), Qt::white);
    SWImageDataSource* same = store.get();
    ASSERT_TRUE(store->readFromFile(testDataPath("images/no-resolution.png"), Qt::gray));
    EXPECT_EQ(same, store.get());
    EXPECT_EQ(store->canvasSize(), QSizeF(2, 1));
    EXPECT_EQ(store->bufferImage().size(), QSize(2, 1));
    EXPECT_EQ(store->mainImage().pixelColor(1, 0), QColor(Qt::blue));
    EXPECT_EQ(store->backgroundColor(), QColor(Qt::gray));
}

TEST(SWImageDataSource, FromPasteboard)
{
    QMimeData mime;
    QImage picture(4, 3, QImage::Format_ARGB32);
    picture.fill(Qt::magenta);
    mime.setImageData(picture);
    auto store = SWImageDataSource::fromPasteboard(&mime, Qt::white);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->canvasSize(), QSizeF(4, 3));
    EXPECT_EQ(store->mainImage().pixelColor(3, 2), QColor(Qt::magenta));
    QMimeData empty;
    EXPECT_FALSE(SWImageDataSource::fromPasteboard(&empty, Qt::white));
    EXPECT_FALSE(SWImageDataSource::fromPasteboard(nullptr, Qt::white));
}

TEST(SWImageDataSource, RendersMainThenBufferThenEditors)
{
    auto store = SWImageDataSource::create(QSizeF(10, 10), Qt::white);
    store->bufferImage().setPixelColor(2, 2, QColor(255, 0, 0, 255));
    store->bufferImage().setPixelColor(3, 3, QColor(0, 0, 255, 0));
    std::vector<int> calls;
    auto first = std::make_shared<RecordingEditor>(calls, 1);
    auto second = std::make_shared<RecordingEditor>(calls, 2);
    store->pushEditor(first);
    store->pushEditor(second); // newest first
    QImage target(12, 12, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        store->renderToContext(painter, QRectF(0, 0, 12, 12));
    }
    EXPECT_EQ(target.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(3, 3), QColor(Qt::white)); // transparent buffer shows the main image
    EXPECT_EQ(target.pixelColor(11, 11), QColor(Qt::black));
    EXPECT_EQ(calls, (std::vector<int>{2, 1}));
    store->removeEditor(second);
    EXPECT_EQ(store->editors().size(), 1u);

    // Only the frame is drawn.
    QImage part(10, 10, QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::black);
    {
        QPainter painter(&part);
        store->renderToContext(painter, QRectF(5, 5, 5, 5));
    }
    EXPECT_EQ(part.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(part.pixelColor(7, 7), QColor(Qt::white));
}

namespace {

// A 16384 x 16384 RGBA PNG: a coloured first row, then rows that repeat
// the one above (filter "up" on zero bytes), so it deflates to a few MB.
QByteArray largePng(int side)
{
    auto be32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToBigEndian(v, b.data());
        return b;
    };
    auto chunk = [&](const char* type, const QByteArray& data) {
        QByteArray body = QByteArray(type, 4) + data;
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size())));
        return be32(quint32(data.size())) + body + be32(crc);
    };
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += chunk("IHDR", be32(quint32(side)) + be32(quint32(side)) + QByteArray("\x08\x06\x00\x00\x00", 5));
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE);
    QByteArray compressed;
    std::vector<unsigned char> row(std::size_t(side) * 4 + 1, 0);
    std::vector<unsigned char> out(1 << 20);
    for (int y = 0; y < side; ++y) {
        if (y == 0) {
            for (int x = 0; x < side; ++x) {
                unsigned char* px = row.data() + 1 + 4 * std::size_t(x);
                px[0] = std::uint8_t(x); // red follows the column
                px[1] = 40;
                px[2] = 200;
                px[3] = 255;
            }
        } else if (y == 1) {
            std::fill(row.begin(), row.end(), 0);
            row[0] = 2; // "up": the same bytes as the row above
        }
        z.next_in = row.data();
        z.avail_in = uInt(row.size());
        const bool last = y == side - 1;
        int rc = Z_OK;
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            rc = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(reinterpret_cast<const char*>(out.data()), qsizetype(out.size() - z.avail_out));
        } while (last ? rc != Z_STREAM_END : z.avail_out == 0);
    }
    deflateEnd(&z);
    for (qsizetype at = 0; at < compressed.size(); at += 1 << 20)
        png += chunk("IDAT", compressed.mid(at, 1 << 20));
    png += chunk("IEND", QByteArray());
    return png;
}

} // namespace

TEST(SWImageDataSource, OpensAVeryLargePicture)
{
    constexpr int Side = 16384;
    QTemporaryDir dir;
    const QString path = dir.filePath("large.png");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(largePng(Side));
    }
    QString error;
    auto store = SWImageDataSource::fromFile(path, Qt::white, &error);
    ASSERT_TRUE(store) << error.toStdString();
    EXPECT_EQ(store->canvasSize(), QSizeF(Side, Side));
    EXPECT_EQ(store->bufferImage().size(), QSize(Side, Side));
    EXPECT_EQ(store->mainImage().pixelColor(7, Side - 1), QColor(7, 40, 200));
    EXPECT_EQ(store->mainImage().pixelColor(Side - 1, 0), QColor(255, 40, 200));
}

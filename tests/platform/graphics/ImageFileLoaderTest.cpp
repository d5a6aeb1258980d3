// Reading a picture's header at once and its pixels on a thread of their
// own: what the header refuses, what comes back and when.
#include "TestMain.h"
#include "EventLoopWait.h"

#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageFileLoader.h"
#include "SamePixels.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <optional>

using platform::CanvasBitmap;
using platform::ImageDecoder;
using platform::ImageFileLoader;

namespace {

QString fixture(const char* name)
{
    return testDataPath(QStringLiteral("images/") + QString::fromLatin1(name));
}

// A picture whose pixels all differ from their neighbours, with
// transparent and half-transparent ones, written by Qt's own PNG writer.
QString writePicture(const QTemporaryDir& dir, QSize size)
{
    QImage picture(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixelColor(x, y, QColor((x * 7) % 256, (y * 13) % 256, (x + y) % 256, (x * y) % 3 ? 255 : 128));
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    EXPECT_TRUE(picture.save(path));
    return path;
}

// What Qt alone makes of the file, in the canvas format.
QImage independentlyDecoded(const QString& path)
{
    return QImage(path).convertToFormat(CanvasBitmap::Format);
}

} // namespace

// The header alone tells the size, and refuses what a full read would
// refuse before decoding; damage inside the pixel data shows only later.
TEST(ImageDecoderHeader, TellsTheSizeOrWhyTheFileWillNotOpen)
{
    QTemporaryDir dir;
    QFile empty(dir.filePath(QStringLiteral("empty.png")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    const struct {
        QString path;
        QSize size;           // when the header passes
        const char* refusal;  // part of the message when it does not
    } cases[] = {
        {fixture("two-pixels-144dpi.png"), QSize(2, 1), nullptr},
        {fixture("strips-first.tif"), QSize(64, 48), nullptr},
        {fixture("corrupt.png"), QSize(64, 48), nullptr},
        {fixture("not-a-picture.png"), {}, "not a picture"},
        {fixture("truncated.png"), {}, "incomplete"},
        {fixture("text-chunk-past-end.png"), {}, "incomplete"},
        {fixture("huge-dimensions.png"), {}, "100000 x 100000"},
        {fixture("huge-dimensions.mng"), {}, "23554 x 16641"},
        {fixture("screen-past-limit.gif"), {}, "20000 x 20000"},
        {empty.fileName(), {}, "empty"},
        {dir.filePath(QStringLiteral("absent.png")), {}, "cannot be opened"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const ImageDecoder::Header header = ImageDecoder::readHeader(c.path);
        if (c.refusal) {
            EXPECT_FALSE(header.ok());
            EXPECT_TRUE(header.error.contains(QString::fromLatin1(c.refusal))) << header.error.toStdString();
        } else {
            EXPECT_TRUE(header.ok()) << header.error.toStdString();
            EXPECT_EQ(header.size, c.size);
        }
    }
}

TEST(ImageDecoderHeader, AStoppedReadFailsWithoutAPicture)
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, QSize(40, 30));
    std::atomic<bool> stop{true};
    const ImageDecoder::Result stopped = ImageDecoder::readFile(path, &stop);
    EXPECT_FALSE(stopped.ok());
    EXPECT_TRUE(stopped.image.isNull());
    stop = false;
    EXPECT_TRUE(samePixels(ImageDecoder::readFile(path, &stop).image, independentlyDecoded(path)));
}

// Whatever the file's sample layout, the decoded canvas holds exactly what
// Qt's own conversion of the file makes: whether the pixels were decoded in
// the canvas's memory and brought to its format row by row, or converted
// from the reader's picture.
TEST(ImageDecoderPixels, MatchQtsOwnConversionForEverySampleLayout)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QImage::Format format;
        QSize size;
    } cases[] = {
        {"opaque", QImage::Format_RGB32, QSize(300, 200)},
        {"opaque, large", QImage::Format_RGB32, QSize(1600, 1400)},
        {"with alpha", QImage::Format_ARGB32, QSize(300, 200)},
        {"with alpha, large", QImage::Format_ARGB32, QSize(1600, 1400)},
        {"grey", QImage::Format_Grayscale8, QSize(300, 200)},
        {"16 bits a sample", QImage::Format_RGBA64, QSize(300, 200)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage picture(c.size, QImage::Format_ARGB32);
        for (int y = 0; y < c.size.height(); ++y)
            for (int x = 0; x < c.size.width(); ++x)
                picture.setPixel(x, y, qRgba((x * 7) % 256, (y * 13) % 256, (x ^ y) % 256, (x * 3 + y) % 256));
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".png"));
        ASSERT_TRUE(picture.convertToFormat(c.format).save(path));
        const ImageDecoder::Result decoded = ImageDecoder::readFile(path);
        ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
        EXPECT_EQ(decoded.image.format(), CanvasBitmap::Format);
        EXPECT_TRUE(samePixels(decoded.image, independentlyDecoded(path)));
    }
}

TEST(ImageFileLoader, ThePictureArrivesThroughTheReceiversEventLoop)
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, QSize(300, 200));
    QObject receiver;
    std::optional<ImageDecoder::Result> arrived;
    Qt::HANDLE arrivedOn = nullptr;
    ImageFileLoader loader(path);
    ASSERT_TRUE(loader.start(&receiver, [&](ImageDecoder::Result result) {
        arrived = std::move(result);
        arrivedOn = QThread::currentThreadId();
    }));
    ASSERT_TRUE(processEventsUntil([&] { return arrived.has_value(); }));
    EXPECT_EQ(arrivedOn, QThread::currentThreadId());
    ASSERT_TRUE(arrived->ok()) << arrived->error.toStdString();
    EXPECT_EQ(arrived->image.format(), CanvasBitmap::Format);
    EXPECT_TRUE(samePixels(arrived->image, independentlyDecoded(path)));
    EXPECT_DOUBLE_EQ(arrived->pixelPerPoint, ImageDecoder::readFile(path).pixelPerPoint);
}

TEST(ImageFileLoader, AFailureArrivesWithItsMessage)
{
    QObject receiver;
    std::optional<ImageDecoder::Result> arrived;
    ImageFileLoader loader(fixture("corrupt.png"));
    ASSERT_TRUE(loader.start(&receiver, [&](ImageDecoder::Result result) { arrived = std::move(result); }));
    ASSERT_TRUE(processEventsUntil([&] { return arrived.has_value(); }));
    EXPECT_FALSE(arrived->ok());
    EXPECT_TRUE(arrived->error.contains(QStringLiteral("damaged"))) << arrived->error.toStdString();
}

// Whoever waits takes the result; nothing arrives a second time, and a
// loader that goes first delivers nothing at all.
TEST(ImageFileLoader, WaitingOrGoingFirstLeavesNothingToDeliver)
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, QSize(120, 80));
    QObject receiver;
    int deliveries = 0;
    {
        ImageFileLoader loader(path);
        ASSERT_TRUE(loader.start(&receiver, [&](ImageDecoder::Result) { ++deliveries; }));
        const ImageDecoder::Result result = loader.wait();
        EXPECT_TRUE(samePixels(result.image, independentlyDecoded(path)));
        EXPECT_FALSE(loader.wait().ok()); // taken already
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
    }
    {
        ImageFileLoader loader(path);
        ASSERT_TRUE(loader.start(&receiver, [&](ImageDecoder::Result) { ++deliveries; }));
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(deliveries, 0);

    // A loader never started has nothing to wait for.
    ImageFileLoader idle(path);
    EXPECT_FALSE(idle.wait().ok());
}

// Whenever the receiver is named, before the decode ends or after, the
// picture arrives once, through its event loop.
TEST(ImageFileLoader, TheReceiverMayBeNamedBeforeOrAfterTheDecodeEnds)
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, QSize(300, 200));
    const QImage expected = independentlyDecoded(path);
    for (const bool afterTheEnd : {false, true}) {
        SCOPED_TRACE(afterTheEnd ? "named after the decode ended" : "named at once");
        QObject receiver;
        int deliveries = 0;
        QImage arrived;
        ImageFileLoader loader(path);
        ASSERT_TRUE(loader.start());
        if (afterTheEnd) {
            ASSERT_TRUE(processEventsUntil([&] { return loader.hasFinished(); }));
        }
        loader.deliverTo(&receiver, [&](ImageDecoder::Result result) {
            ++deliveries;
            arrived = result.image;
        });
        // Never from inside deliverTo(): the caller is not ready for it yet.
        EXPECT_EQ(deliveries, 0);
        ASSERT_TRUE(processEventsUntil([&] { return deliveries > 0; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(deliveries, 1);
        EXPECT_TRUE(samePixels(arrived, expected));
    }
}

// A picture read ahead goes to whoever opens the same file, however its
// path is written; a read of another file takes nothing, and what nobody
// took is stopped and dropped.
TEST(ImageFileLoader, APictureReadAheadGoesToWhoeverOpensThatFile)
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, QSize(300, 200));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QString samePath = dir.filePath(QStringLiteral("sub/../picture.png"));
    const QString otherPath = dir.filePath(QStringLiteral("other.png"));

    ImageFileLoader::readAhead(path);
    EXPECT_EQ(ImageFileLoader::takeReadAhead(otherPath), nullptr);
    std::unique_ptr<ImageFileLoader> taken = ImageFileLoader::takeReadAhead(samePath);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(ImageFileLoader::takeReadAhead(path), nullptr); // taken once
    EXPECT_TRUE(samePixels(taken->wait().image, independentlyDecoded(path)));

    // Dropped unread: a later read of the file starts afresh.
    ImageFileLoader::readAhead(path);
    ImageFileLoader::dropReadAhead();
    EXPECT_EQ(ImageFileLoader::takeReadAhead(path), nullptr);

    // A file that cannot be read is read ahead like any other: its owner
    // gets the failure.
    ImageFileLoader::readAhead(otherPath);
    taken = ImageFileLoader::takeReadAhead(otherPath);
    ASSERT_NE(taken, nullptr);
    const ImageDecoder::Result missing = taken->wait();
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error.contains(QStringLiteral("cannot be opened"))) << missing.error.toStdString();
}

// PNG pictures of 16 bits a sample, read row by row into the canvas: the
// samples the file holds give the pixels (within the rounding to 8 bits),
// the bytes are those of the whole-picture conversion, and damage fails
// the read.
#include "TestMain.h"

#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/DeepPngReader.h"
#include "platform/graphics/ImageDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

using platform::CanvasBitmap;
using platform::DeepPngReader;
using platform::ImageDecoder;

namespace {

// PNG colour types.
enum ColorType { Gray = 0, Rgb = 2, GrayAlpha = 4, Rgba = 6 };

int channelsOf(int colorType)
{
    switch (colorType) {
    case Gray:
        return 1;
    case GrayAlpha:
        return 2;
    case Rgb:
        return 3;
    default:
        return 4;
    }
}

std::uint32_t crc32Of(const QByteArray& bytes)
{
    std::uint32_t crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= std::uint8_t(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

void appendBigEndian32(QByteArray& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xff));
}

QByteArray chunk(const char* type, const QByteArray& data)
{
    QByteArray out;
    appendBigEndian32(out, std::uint32_t(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    out += body;
    appendBigEndian32(out, crc32Of(body));
    return out;
}

using Sample = std::function<std::uint16_t(int x, int y, int channel)>;

// A PNG written sample by sample, without any image library: rows alternate
// between no filter and the Sub filter. transparent, when given, is the
// tRNS chunk's colour (one sample for grey, three for RGB).
QByteArray writePng16(int width, int height, int colorType, const Sample& sample,
                      const std::vector<std::uint16_t>& transparent = {})
{
    const int channels = channelsOf(colorType);
    const int pixelBytes = channels * 2;
    QByteArray raw;
    std::vector<std::uint8_t> row(std::size_t(width) * pixelBytes);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const std::uint16_t v = sample(x, y, c);
                row[std::size_t(x * pixelBytes + c * 2)] = std::uint8_t(v >> 8);
                row[std::size_t(x * pixelBytes + c * 2 + 1)] = std::uint8_t(v & 0xff);
            }
        const bool sub = y % 2 == 1;
        raw.append(char(sub ? 1 : 0));
        for (std::size_t i = 0; i < row.size(); ++i)
            raw.append(char(sub && i >= std::size_t(pixelBytes) ? row[i] - row[i - pixelBytes] : row[i]));
    }
    QByteArray header;
    appendBigEndian32(header, std::uint32_t(width));
    appendBigEndian32(header, std::uint32_t(height));
    header.append(char(16)).append(char(colorType)).append(char(0)).append(char(0)).append(char(0));
    QByteArray trns;
    for (const std::uint16_t v : transparent)
        trns.append(char(v >> 8)).append(char(v & 0xff));
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += chunk("IHDR", header);
    if (!trns.isEmpty())
        png += chunk("tRNS", trns);
    png += chunk("IDAT", qCompress(raw).mid(4)); // without Qt's length prefix: a zlib stream
    png += chunk("IEND", {});
    return png;
}

// The straight 16-bit R, G, B, A a PNG reader must see at (x, y).
std::array<std::uint16_t, 4> straightSamples(int colorType, const Sample& sample, int x, int y,
                                             const std::vector<std::uint16_t>& transparent)
{
    std::array<std::uint16_t, 4> s{};
    const bool grey = colorType == Gray || colorType == GrayAlpha;
    for (int c = 0; c < 3; ++c)
        s[std::size_t(c)] = sample(x, y, grey ? 0 : c);
    if (colorType == GrayAlpha)
        s[3] = sample(x, y, 1);
    else if (colorType == Rgba)
        s[3] = sample(x, y, 3);
    else if (!transparent.empty()) {
        bool match = true;
        for (std::size_t c = 0; c < transparent.size(); ++c)
            match = match && sample(x, y, int(c)) == transparent[c];
        s[3] = match ? 0 : 0xffff;
    } else {
        s[3] = 0xffff;
    }
    return s;
}

// The largest difference, over every sample, between the canvas and the
// file's samples premultiplied and scaled to 8 bits in real numbers.
double worstDifferenceFromSamples(const QImage& canvas, int colorType, const Sample& sample,
                                  const std::vector<std::uint16_t>& transparent)
{
    double worst = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        const std::uint8_t* row = canvas.constScanLine(y);
        for (int x = 0; x < canvas.width(); ++x) {
            const std::array<std::uint16_t, 4> s = straightSamples(colorType, sample, x, y, transparent);
            const double alpha = s[3] / 65535.0;
            for (int c = 0; c < 4; ++c) {
                const double exact = (c == 3 ? alpha : s[std::size_t(c)] / 65535.0 * alpha) * 255.0;
                worst = std::max(worst, std::abs(exact - row[x * 4 + c]));
            }
        }
    }
    return worst;
}

bool samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), std::size_t(a.width()) * 4) != 0)
            return false;
    return true;
}

// Samples spread over the whole 16-bit range, low bytes included, with
// alpha from clear to opaque and every channel different.
std::uint16_t spreadSample(int x, int y, int channel)
{
    return std::uint16_t((x * 4099 + y * 257 * 61 + channel * 12345 + (x * y) % 97) & 0xffff);
}

QImage readDeep(const QByteArray& png, DeepPngReader::Failure* failure, QString* detail)
{
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    return DeepPngReader::read(&buffer, ImageDecoder::MaximumPixelCount, failure, detail);
}

} // namespace

// The row conversion gives, for every 16-bit sample and a spread of alphas
// (clear, nearly clear, half, nearly opaque, opaque), the very bytes of the
// conversion of a whole 64-bit picture, which is what opening such a file
// gave before it was read row by row.
TEST(DeepPngReader, RowsConvertAsAWholePictureDoesForEverySampleAndAlpha)
{
    const std::uint16_t alphas[] = {0, 1, 127, 128, 255, 256, 257, 4660, 32767, 32768, 51914, 65279, 65534, 65535};
    const int width = 65536;
    QImage whole(width, int(std::size(alphas)), QImage::Format_RGBA64);
    ASSERT_FALSE(whole.isNull());
    for (int y = 0; y < whole.height(); ++y) {
        auto* row = reinterpret_cast<QRgba64*>(whole.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = QRgba64::fromRgba64(std::uint16_t(x), std::uint16_t(65535 - x), std::uint16_t((x * 7919) & 0xffff),
                                         alphas[y]);
    }
    const QImage expected = whole.convertToFormat(CanvasBitmap::Format);
    std::vector<std::uint32_t> converted(width);
    for (int y = 0; y < whole.height(); ++y) {
        SCOPED_TRACE(alphas[y]);
        std::vector<std::uint16_t> samples(std::size_t(width) * 4);
        const auto* source = reinterpret_cast<const QRgba64*>(whole.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            samples[std::size_t(x) * 4 + 0] = source[x].red();
            samples[std::size_t(x) * 4 + 1] = source[x].green();
            samples[std::size_t(x) * 4 + 2] = source[x].blue();
            samples[std::size_t(x) * 4 + 3] = source[x].alpha();
        }
        DeepPngReader::toCanvasRow(samples.data(), width, converted.data());
        int differing = 0;
        for (int x = 0; x < width; ++x)
            differing += std::memcmp(&converted[std::size_t(x)], expected.constScanLine(y) + x * 4, 4) != 0;
        EXPECT_EQ(differing, 0);
    }
}

// Every colour type of 16 bits a sample, with and without a transparent
// colour: the canvas holds the file's samples to within the rounding to 8
// bits (the samples written are the oracle), whether read by this reader
// alone or by opening the file, and byte for byte what Qt's own decoder and
// conversion make of the whole file. Qt's decoder scrambles the pixels of
// an RGB picture with a transparent colour at 16 bits (an outside decoder
// agrees with the samples), so there the samples alone speak.
TEST(DeepPngReader, EveryColourTypeReadsAsItsSamplesSay)
{
    QTemporaryDir dir;
    const auto opaqueGreyAt = [](int x, int y, int) { return std::uint16_t((x * 613 + y * 7) & 0xffff); };
    const struct {
        const char* name;
        int colorType;
        Sample sample;
        std::vector<std::uint16_t> transparent;
        bool qtReadsItRight;
    } cases[] = {
        {"grey", Gray, spreadSample, {}, true},
        {"grey with alpha", GrayAlpha, spreadSample, {}, true},
        {"rgb", Rgb, spreadSample, {}, true},
        {"rgba", Rgba, spreadSample, {}, true},
        {"grey with a transparent grey", Gray, opaqueGreyAt, {opaqueGreyAt(3, 0, 0)}, true},
        {"rgb with a transparent colour", Rgb, spreadSample,
         {spreadSample(5, 2, 0), spreadSample(5, 2, 1), spreadSample(5, 2, 2)}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray png = writePng16(61, 37, c.colorType, c.sample, c.transparent);
        DeepPngReader::Failure failure = DeepPngReader::Failure::Damaged;
        QString detail;
        const QImage direct = readDeep(png, &failure, &detail);
        ASSERT_EQ(failure, DeepPngReader::Failure::None) << detail.toStdString();
        ASSERT_EQ(direct.size(), QSize(61, 37));
        EXPECT_EQ(direct.format(), CanvasBitmap::Format);
        EXPECT_LE(worstDifferenceFromSamples(direct, c.colorType, c.sample, c.transparent), 1.0);
        if (!c.transparent.empty()) {
            const QPoint at = c.colorType == Gray ? QPoint(3, 0) : QPoint(5, 2);
            EXPECT_EQ(direct.constScanLine(at.y())[at.x() * 4 + 3], 0);
        }

        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".png"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(png);
        file.close();
        const ImageDecoder::Result opened = ImageDecoder::readFile(path);
        ASSERT_TRUE(opened.ok()) << opened.error.toStdString();
        EXPECT_TRUE(samePixels(opened.image, direct));
        EXPECT_DOUBLE_EQ(opened.pixelPerPoint, 1.0);
        if (c.qtReadsItRight) {
            EXPECT_TRUE(samePixels(direct, QImage(path).convertToFormat(CanvasBitmap::Format)));
        }
    }
}

// An outside decoder (ImageMagick) reads the same file to the same pixels,
// within one level.
TEST(DeepPngReader, AnOutsideDecoderAgrees)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not installed; skipping the outside decoder check";
    QTemporaryDir dir;
    const int width = 53;
    const int height = 29;
    const QString path = dir.filePath(QStringLiteral("deep.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(writePng16(width, height, Rgba, spreadSample));
    file.close();
    QProcess process;
    process.start(convert, {path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgba:-")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QByteArray straight = process.readAllStandardOutput();
    ASSERT_EQ(straight.size(), width * height * 4);

    const ImageDecoder::Result opened = ImageDecoder::readFile(path);
    ASSERT_TRUE(opened.ok()) << opened.error.toStdString();
    int worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto* outside = reinterpret_cast<const std::uint8_t*>(straight.constData()) + (y * width + x) * 4;
            const std::uint8_t* ours = opened.image.constScanLine(y) + x * 4;
            // The outside decoder's pixels are straight; premultiplied with
            // its own 8-bit samples they may be one more level off.
            for (int c = 0; c < 3; ++c) {
                const int premultiplied = (outside[c] * outside[3] + 127) / 255;
                worst = std::max(worst, std::abs(premultiplied - int(ours[c])) - 1);
            }
            worst = std::max(worst, std::abs(int(outside[3]) - int(ours[3])));
        }
    EXPECT_LE(worst, 1);
}

// Damage anywhere in the pixel data, a stopped read and a picture past the
// limit give no picture at all, with the reason.
TEST(DeepPngReader, DamageAStopAndTooLargeAPictureFailTheWholeRead)
{
    const QByteArray intact = writePng16(40, 30, Rgb, spreadSample);
    const int idat = intact.indexOf("IDAT");
    ASSERT_GT(idat, 0);

    QByteArray badChecksum = intact;
    badChecksum[idat + 20] = char(badChecksum[idat + 20] ^ 0x5a);

    // The compressed data damaged with the chunk's checksum made good again:
    // only the decompression can tell.
    QByteArray badData = intact;
    const int length = qFromBigEndian<quint32>(intact.constData() + idat - 4);
    badData[idat + 4 + length / 2] = char(badData[idat + 4 + length / 2] ^ 0xff);
    const QByteArray body = badData.mid(idat, 4 + length);
    const std::uint32_t crc = crc32Of(body);
    for (int k = 0; k < 4; ++k)
        badData[idat + 4 + length + k] = char((crc >> (24 - 8 * k)) & 0xff);

    for (const QByteArray& damaged : {badChecksum, badData}) {
        DeepPngReader::Failure failure = DeepPngReader::Failure::None;
        QString detail;
        EXPECT_TRUE(readDeep(damaged, &failure, &detail).isNull());
        EXPECT_EQ(failure, DeepPngReader::Failure::Damaged);
        EXPECT_FALSE(detail.isEmpty());
        const ImageDecoder::Result opened = ImageDecoder::decode(damaged);
        EXPECT_FALSE(opened.ok());
        EXPECT_TRUE(opened.error.contains(QStringLiteral("damaged"))) << opened.error.toStdString();
    }

    {
        QBuffer buffer;
        buffer.setData(intact);
        buffer.open(QIODevice::ReadOnly);
        DeepPngReader::Failure failure = DeepPngReader::Failure::None;
        QString detail;
        EXPECT_TRUE(DeepPngReader::read(&buffer, 40 * 30 - 1, &failure, &detail).isNull());
        EXPECT_EQ(failure, DeepPngReader::Failure::TooLarge);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("deep.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(intact);
    file.close();
    std::atomic<bool> stop{true};
    EXPECT_FALSE(ImageDecoder::readFile(path, &stop).ok());
    stop = false;
    EXPECT_TRUE(ImageDecoder::readFile(path, &stop).ok());
}

// Only PNGs of 16 bits a sample stored row after row are taken; the others
// are left to the general decoder, with the data where it was.
TEST(DeepPngReader, TakesOnlyPngsOfSixteenBitsInRows)
{
    QByteArray interlaced = writePng16(8, 8, Rgb, spreadSample);
    interlaced[28] = 1; // the header's interlace byte (the checksum is not looked at)
    QByteArray eightBits = writePng16(8, 8, Rgb, spreadSample);
    eightBits[24] = 8;
    const struct {
        const char* name;
        QByteArray data;
        bool taken;
    } cases[] = {
        {"16 bits", writePng16(8, 8, Rgb, spreadSample), true},
        {"16 bits, grey", writePng16(8, 8, Gray, spreadSample), true},
        {"interlaced", interlaced, false},
        {"8 bits", eightBits, false},
        {"not a PNG", QByteArray("GIF89a", 6) + QByteArray(40, '\0'), false},
        {"cut in the header", writePng16(8, 8, Rgb, spreadSample).left(20), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QBuffer buffer;
        buffer.setData(c.data);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_EQ(DeepPngReader::takes(&buffer), c.taken);
        EXPECT_EQ(buffer.pos(), 0);
    }
}

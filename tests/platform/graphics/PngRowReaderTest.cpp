// PNG pictures read row by row into the canvas: the samples the file holds
// give the pixels (within the rounding to 8 bits), the bytes are those of
// the whole-picture conversion, and damage fails the read.
#include "TestMain.h"

#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/PngRowReader.h"
#include "platform/graphics/ImageDecoder.h"
#include "SamePixels.h"

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
using platform::PngRowReader;
using platform::ImageDecoder;

namespace {

// PNG colour types.
enum ColorType { Gray = 0, Rgb = 2, Palette = 3, GrayAlpha = 4, Rgba = 6 };

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

// What a test PNG holds. sample gives each sample's value (below 2^depth),
// or each pixel's palette index. transparent is the tRNS chunk: one sample
// for grey, three for RGB, one alpha byte per palette entry.
struct PngSpec {
    int depth;
    int colorType;
    Sample sample;
    std::vector<std::uint16_t> transparent;
    std::vector<std::array<std::uint8_t, 3>> palette;
};

// A PNG written sample by sample, without any image library: rows alternate
// between no filter and the Sub filter.
QByteArray writePng(int width, int height, const PngSpec& spec)
{
    const int channels = spec.colorType == Palette ? 1 : channelsOf(spec.colorType);
    const int bitsPerPixel = channels * spec.depth;
    const int filterStep = std::max(1, bitsPerPixel / 8);
    QByteArray raw;
    std::vector<std::uint8_t> row(std::size_t((width * bitsPerPixel + 7) / 8));
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const std::uint16_t v = spec.sample(x, y, c);
                const int bit = x * bitsPerPixel + c * spec.depth;
                if (spec.depth == 16) {
                    row[std::size_t(bit / 8)] = std::uint8_t(v >> 8);
                    row[std::size_t(bit / 8 + 1)] = std::uint8_t(v & 0xff);
                } else {
                    row[std::size_t(bit / 8)] |= std::uint8_t(v << (8 - spec.depth - bit % 8));
                }
            }
        const bool sub = y % 2 == 1;
        raw.append(char(sub ? 1 : 0));
        for (std::size_t i = 0; i < row.size(); ++i)
            raw.append(char(sub && i >= std::size_t(filterStep) ? row[i] - row[i - filterStep] : row[i]));
    }
    QByteArray header;
    appendBigEndian32(header, std::uint32_t(width));
    appendBigEndian32(header, std::uint32_t(height));
    header.append(char(spec.depth)).append(char(spec.colorType)).append(char(0)).append(char(0)).append(char(0));
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += chunk("IHDR", header);
    if (!spec.palette.empty()) {
        QByteArray plte;
        for (const auto& entry : spec.palette)
            plte.append(char(entry[0])).append(char(entry[1])).append(char(entry[2]));
        png += chunk("PLTE", plte);
    }
    if (!spec.transparent.empty()) {
        QByteArray trns;
        for (const std::uint16_t v : spec.transparent) {
            if (spec.colorType == Palette)
                trns.append(char(v));
            else
                trns.append(char(v >> 8)).append(char(v & 0xff));
        }
        png += chunk("tRNS", trns);
    }
    png += chunk("IDAT", qCompress(raw).mid(4)); // without Qt's length prefix: a zlib stream
    png += chunk("IEND", {});
    return png;
}

QByteArray writePng16(int width, int height, int colorType, const Sample& sample,
                      const std::vector<std::uint16_t>& transparent = {})
{
    return writePng(width, height, {16, colorType, sample, transparent, {}});
}

// The straight R, G, B, A (0 to 1) a PNG reader must see at (x, y).
std::array<double, 4> straightColor(const PngSpec& spec, int x, int y)
{
    std::array<double, 4> s{};
    const double top = double((1 << spec.depth) - 1);
    if (spec.colorType == Palette) {
        const std::size_t index = spec.sample(x, y, 0);
        for (int c = 0; c < 3; ++c)
            s[std::size_t(c)] = spec.palette[index][std::size_t(c)] / 255.0;
        s[3] = index < spec.transparent.size() ? spec.transparent[index] / 255.0 : 1.0;
        return s;
    }
    const bool grey = spec.colorType == Gray || spec.colorType == GrayAlpha;
    for (int c = 0; c < 3; ++c)
        s[std::size_t(c)] = spec.sample(x, y, grey ? 0 : c) / top;
    if (spec.colorType == GrayAlpha)
        s[3] = spec.sample(x, y, 1) / top;
    else if (spec.colorType == Rgba)
        s[3] = spec.sample(x, y, 3) / top;
    else if (!spec.transparent.empty()) {
        bool match = true;
        for (std::size_t c = 0; c < spec.transparent.size(); ++c)
            match = match && spec.sample(x, y, int(c)) == spec.transparent[c];
        s[3] = match ? 0 : 1;
    } else {
        s[3] = 1;
    }
    return s;
}

// The largest difference, over every sample, between the canvas and the
// file's samples premultiplied and scaled to 8 bits in real numbers.
double worstDifferenceFromSamples(const QImage& canvas, const PngSpec& spec)
{
    double worst = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        const std::uint8_t* row = canvas.constScanLine(y);
        for (int x = 0; x < canvas.width(); ++x) {
            const std::array<double, 4> s = straightColor(spec, x, y);
            for (int c = 0; c < 4; ++c) {
                const double exact = (c == 3 ? s[3] : s[std::size_t(c)] * s[3]) * 255.0;
                worst = std::max(worst, std::abs(exact - row[x * 4 + c]));
            }
        }
    }
    return worst;
}

// Samples spread over the whole 16-bit range, low bytes included, with
// alpha from clear to opaque and every channel different.
std::uint16_t spreadSample(int x, int y, int channel)
{
    return std::uint16_t((x * 4099 + y * 257 * 61 + channel * 12345 + (x * y) % 97) & 0xffff);
}

QImage readPng(const QByteArray& png, PngRowReader::Failure* failure, QString* detail)
{
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    return PngRowReader::read(&buffer, ImageDecoder::MaximumPixelCount, failure, detail);
}

} // namespace

// The row conversion gives, for every 16-bit sample and a spread of alphas
// (clear, nearly clear, half, nearly opaque, opaque), the very bytes of the
// conversion of a whole 64-bit picture, which is what opening such a file
// gave before it was read row by row.
TEST(PngRowReader, RowsConvertAsAWholePictureDoesForEverySampleAndAlpha)
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
        PngRowReader::toCanvasRow(samples.data(), width, converted.data());
        int differing = 0;
        for (int x = 0; x < width; ++x)
            differing += std::memcmp(&converted[std::size_t(x)], expected.constScanLine(y) + x * 4, 4) != 0;
        EXPECT_EQ(differing, 0);
    }
}

// Samples of depth bits spread over their whole range.
Sample spreadOf(int depth)
{
    return [depth](int x, int y, int c) { return std::uint16_t(spreadSample(x, y, c) >> (16 - depth)); };
}

// A palette whose entries all differ.
std::vector<std::array<std::uint8_t, 3>> paletteOf(int entries)
{
    std::vector<std::array<std::uint8_t, 3>> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back({std::uint8_t(i * 37 + 5), std::uint8_t(255 - i * 11), std::uint8_t(i * i * 3)});
    return palette;
}

Sample indexOf(int entries)
{
    return [entries](int x, int y, int) { return std::uint16_t((x + 3 * y + x * y) % entries); };
}

// Every colour type at every depth it comes in, with and without a
// transparent colour, palettes with and without alpha: the canvas holds the
// file's samples to within the rounding to 8 bits (the samples written are
// the oracle), whether read by this reader alone or by opening the file,
// and byte for byte what Qt's own decoder and conversion make of the whole
// file. Qt's decoder scrambles the pixels of an RGB picture with a
// transparent colour at 16 bits (an outside decoder agrees with the
// samples), so there the samples alone speak.
TEST(PngRowReader, EveryColourTypeAndDepthReadsAsItsSamplesSay)
{
    QTemporaryDir dir;
    const auto opaqueGreyAt = [](int x, int y, int) { return std::uint16_t((x * 613 + y * 7) & 0xffff); };
    const auto greyAt8 = [](int x, int y, int) { return std::uint16_t((x * 5 + y * 3) & 0xff); };
    const auto rgbAt8 = [](int x, int y, int c) { return std::uint16_t((x * 7 + y * 5 + c * 40) & 0xff); };
    const struct {
        const char* name;
        PngSpec spec;
        QPoint clear; // a pixel that must be transparent, when there is one
        bool qtReadsItRight;
    } cases[] = {
        {"grey, 1 bit", {1, Gray, spreadOf(1), {}, {}}, {-1, -1}, true},
        {"grey, 2 bits", {2, Gray, spreadOf(2), {}, {}}, {-1, -1}, true},
        {"grey, 4 bits", {4, Gray, spreadOf(4), {}, {}}, {-1, -1}, true},
        {"grey, 8 bits", {8, Gray, spreadOf(8), {}, {}}, {-1, -1}, true},
        {"grey with a transparent grey, 8 bits", {8, Gray, greyAt8, {greyAt8(3, 0, 0)}, {}}, {3, 0}, true},
        {"grey with alpha, 8 bits", {8, GrayAlpha, spreadOf(8), {}, {}}, {-1, -1}, true},
        {"rgb, 8 bits", {8, Rgb, spreadOf(8), {}, {}}, {-1, -1}, true},
        {"rgb with a transparent colour, 8 bits",
         {8, Rgb, rgbAt8, {rgbAt8(5, 2, 0), rgbAt8(5, 2, 1), rgbAt8(5, 2, 2)}, {}}, {5, 2}, true},
        {"rgba, 8 bits", {8, Rgba, spreadOf(8), {}, {}}, {-1, -1}, true},
        {"palette, 1 bit", {1, Palette, indexOf(2), {}, paletteOf(2)}, {-1, -1}, true},
        {"palette, 2 bits", {2, Palette, indexOf(4), {}, paletteOf(4)}, {-1, -1}, true},
        {"palette, 4 bits, some entries translucent", {4, Palette, indexOf(16), {0, 128, 255, 7}, paletteOf(16)},
         {0, 0}, true},
        {"palette, 8 bits", {8, Palette, indexOf(200), {}, paletteOf(200)}, {-1, -1}, true},
        {"palette, 8 bits, some entries translucent", {8, Palette, indexOf(200), {0, 1, 254, 90}, paletteOf(200)},
         {0, 0}, true},
        {"grey, 16 bits", {16, Gray, spreadSample, {}, {}}, {-1, -1}, true},
        {"grey with alpha, 16 bits", {16, GrayAlpha, spreadSample, {}, {}}, {-1, -1}, true},
        {"rgb, 16 bits", {16, Rgb, spreadSample, {}, {}}, {-1, -1}, true},
        {"rgba, 16 bits", {16, Rgba, spreadSample, {}, {}}, {-1, -1}, true},
        {"grey with a transparent grey, 16 bits", {16, Gray, opaqueGreyAt, {opaqueGreyAt(3, 0, 0)}, {}}, {3, 0},
         true},
        {"rgb with a transparent colour, 16 bits",
         {16, Rgb, spreadSample, {spreadSample(5, 2, 0), spreadSample(5, 2, 1), spreadSample(5, 2, 2)}, {}}, {5, 2},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray png = writePng(61, 37, c.spec);
        PngRowReader::Failure failure = PngRowReader::Failure::Damaged;
        QString detail;
        const QImage direct = readPng(png, &failure, &detail);
        ASSERT_EQ(failure, PngRowReader::Failure::None) << detail.toStdString();
        ASSERT_EQ(direct.size(), QSize(61, 37));
        EXPECT_EQ(direct.format(), CanvasBitmap::Format);
        EXPECT_LE(worstDifferenceFromSamples(direct, c.spec), 1.0);
        if (c.clear.x() >= 0) {
            EXPECT_EQ(direct.constScanLine(c.clear.y())[c.clear.x() * 4 + 3], 0);
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

// An interlaced picture (made by an outside program) is filled in by its
// seven passes to the pixels Qt's own decoder gives, with and without alpha.
TEST(PngRowReader, InterlacedPicturesReadWhole)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not installed; skipping the interlaced pictures";
    QTemporaryDir dir;
    for (const int colorType : {Rgb, Rgba}) {
        SCOPED_TRACE(colorType);
        const QString plain = dir.filePath(QStringLiteral("plain.png"));
        const QString interlaced = dir.filePath(QStringLiteral("interlaced.png"));
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(writePng(67, 43, {8, colorType, spreadOf(8), {}, {}}));
        file.close();
        QFile::remove(interlaced);
        QProcess process;
        process.start(convert, {plain, QStringLiteral("-interlace"), QStringLiteral("PNG"),
                                QStringLiteral("PNG32:") + interlaced});
        ASSERT_TRUE(process.waitForFinished(60000));
        ASSERT_EQ(process.exitCode(), 0);
        QFile made(interlaced);
        ASSERT_TRUE(made.open(QIODevice::ReadOnly));
        ASSERT_EQ(made.read(29).at(28), 1) << "the outside program did not interlace the picture";
        made.close();
        const ImageDecoder::Result opened = ImageDecoder::readFile(interlaced);
        ASSERT_TRUE(opened.ok()) << opened.error.toStdString();
        EXPECT_TRUE(samePixels(opened.image, QImage(interlaced).convertToFormat(CanvasBitmap::Format)));
        EXPECT_TRUE(samePixels(opened.image, ImageDecoder::readFile(plain).image));
    }
}

// An outside decoder (ImageMagick) reads the same file to the same pixels,
// within one level.
TEST(PngRowReader, AnOutsideDecoderAgrees)
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
TEST(PngRowReader, DamageAStopAndTooLargeAPictureFailTheWholeRead)
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
        PngRowReader::Failure failure = PngRowReader::Failure::None;
        QString detail;
        EXPECT_TRUE(readPng(damaged, &failure, &detail).isNull());
        EXPECT_EQ(failure, PngRowReader::Failure::Damaged);
        EXPECT_FALSE(detail.isEmpty());
        const ImageDecoder::Result opened = ImageDecoder::decode(damaged);
        EXPECT_FALSE(opened.ok());
        EXPECT_TRUE(opened.error.contains(QStringLiteral("damaged"))) << opened.error.toStdString();
    }

    {
        QBuffer buffer;
        buffer.setData(intact);
        buffer.open(QIODevice::ReadOnly);
        PngRowReader::Failure failure = PngRowReader::Failure::None;
        QString detail;
        EXPECT_TRUE(PngRowReader::read(&buffer, 40 * 30 - 1, &failure, &detail).isNull());
        EXPECT_EQ(failure, PngRowReader::Failure::TooLarge);
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

// Every PNG is taken but an interlaced one of 16 bits a sample, which is
// left to the general decoder, with the data where it was.
TEST(PngRowReader, TakesEveryPngButInterlacedOnesOfSixteenBits)
{
    QByteArray interlaced = writePng16(8, 8, Rgb, spreadSample);
    interlaced[28] = 1; // the header's interlace byte (the checksum is not looked at)
    QByteArray interlaced8 = writePng(8, 8, {8, Rgb, spreadOf(8), {}, {}});
    interlaced8[28] = 1;
    const struct {
        const char* name;
        QByteArray data;
        bool taken;
    } cases[] = {
        {"16 bits", writePng16(8, 8, Rgb, spreadSample), true},
        {"16 bits, grey", writePng16(8, 8, Gray, spreadSample), true},
        {"8 bits", writePng(8, 8, {8, Rgb, spreadOf(8), {}, {}}), true},
        {"8 bits, interlaced", interlaced8, true},
        {"16 bits, interlaced", interlaced, false},
        {"not a PNG", QByteArray("GIF89a", 6) + QByteArray(40, '\0'), false},
        {"cut in the header", writePng16(8, 8, Rgb, spreadSample).left(20), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QBuffer buffer;
        buffer.setData(c.data);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_EQ(PngRowReader::takes(&buffer), c.taken);
        EXPECT_EQ(buffer.pos(), 0);
    }
}

// gzip in memory and file to file, in chunks of any size, and failures.
#include "VNDataCompressor.h"
#include "VNDataDecompressor.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

constexpr qsizetype ChunkSize = 262144;

QByteArray randomBytes(qsizetype size, quint32 seed = 7)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(generator.bounded(256));
    return bytes;
}

// Half random, half repetitive: compresses, but not to nothing.
QByteArray mixedBytes(qsizetype size)
{
    QByteArray bytes = randomBytes(size);
    for (qsizetype i = 0; i < size; i += 2)
        bytes[i] = 'a';
    return bytes;
}

QByteArray zlibWrapped(const QByteArray& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.constData()),
        static_cast<uLong>(data.size()), 6);
    out.resize(static_cast<qsizetype>(size));
    return out;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isGzip(const QByteArray& data)
{
    return data.size() >= 18 && static_cast<unsigned char>(data[0]) == 0x1f && static_cast<unsigned char>(data[1]) == 0x8b;
}

// Sizes around the 16 KiB output window and the 256 KiB file chunk.
const qsizetype RoundTripSizes[] = { 1, 2, 100, 16383, 16384, 16385, 32768, 65536, ChunkSize - 1, ChunkSize, ChunkSize + 1, 2 * ChunkSize };

} // namespace

TEST(VNDataCompression, EmptyInputGivesNothingWithoutError)
{
    VNError error = VNError::make("untouched", 1);
    EXPECT_FALSE(VNDataCompressor::compressData(QByteArray(), &error));
    EXPECT_FALSE(VNDataDecompressor::uncompressData(QByteArray(), &error));
    EXPECT_EQ(error.domain, "untouched");
}

TEST(VNDataCompression, InMemoryRoundTrip)
{
    for (qsizetype size : RoundTripSizes) {
        for (const QByteArray& input : { QByteArray(size, '\0'), randomBytes(size), mixedBytes(size) }) {
            SCOPED_TRACE(size);
            VNError error;
            std::optional<QByteArray> packed = VNDataCompressor::compressData(input, &error);
            ASSERT_TRUE(packed) << error.message.toStdString();
            EXPECT_TRUE(isGzip(*packed));
            std::optional<QByteArray> unpacked = VNDataDecompressor::uncompressData(*packed, &error);
            ASSERT_TRUE(unpacked) << error.message.toStdString();
            EXPECT_EQ(*unpacked, input);
        }
    }
}

TEST(VNDataCompression, ChunksOfAnySize)
{
    const QByteArray input = mixedBytes(70000);
    for (qsizetype chunk : { 1, 3, 4096, 65536 }) {
        SCOPED_TRACE(chunk);
        auto compressor = VNDataCompressor::compressor();
        QByteArray packed;
        VNError error;
        for (qsizetype offset = 0; offset < input.size(); offset += chunk) {
            auto piece = compressor->compressBytes(input.constData() + offset, std::min(chunk, input.size() - offset), &error, false);
            ASSERT_TRUE(piece) << error.message.toStdString();
            packed += *piece;
        }
        // An empty finishing chunk writes the end of the stream.
        auto tail = compressor->compressBytes(nullptr, 0, &error, true);
        ASSERT_TRUE(tail);
        packed += *tail;

        auto decompressor = VNDataDecompressor::decompressor();
        QByteArray unpacked;
        for (qsizetype offset = 0; offset < packed.size(); offset += chunk) {
            auto piece = decompressor->uncompressBytes(packed.constData() + offset, std::min(chunk, packed.size() - offset), &error);
            ASSERT_TRUE(piece) << error.message.toStdString();
            unpacked += *piece;
        }
        EXPECT_EQ(unpacked, input);
    }
}

TEST(VNDataCompression, ZlibWrappedInputIsDetected)
{
    for (qsizetype size : { qsizetype(1), qsizetype(5000), ChunkSize }) {
        const QByteArray input = mixedBytes(size);
        VNError error;
        auto unpacked = VNDataDecompressor::uncompressData(zlibWrapped(input), &error);
        ASSERT_TRUE(unpacked) << error.message.toStdString();
        EXPECT_EQ(*unpacked, input);
    }
}

TEST(VNDataCompression, CorruptInputFailsWithError)
{
    const QByteArray packed = *VNDataCompressor::compressData(mixedBytes(50000));
    QByteArray flipped = packed;
    for (qsizetype i = 20; i < 60; ++i)
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5a);
    QByteArray badChecksum = packed;
    badChecksum[badChecksum.size() - 6] = static_cast<char>(badChecksum[badChecksum.size() - 6] ^ 1);

    struct Case {
        const char* what;
        QByteArray data;
        int zlibCode;
    };
    const Case cases[] = {
        { "not compressed", QByteArray("plain text, no header at all"), Z_DATA_ERROR },
        { "damaged body", flipped, Z_DATA_ERROR },
        { "wrong checksum", badChecksum, Z_DATA_ERROR },
        { "cut short", packed.left(packed.size() / 2), Z_BUF_ERROR },
        { "header only", packed.left(10), Z_BUF_ERROR },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VNError error;
        EXPECT_FALSE(VNDataDecompressor::uncompressData(c.data, &error));
        EXPECT_EQ(error.domain, QString::fromLatin1(VNHTTPRequestErrorDomain));
        EXPECT_EQ(error.code, VNCompressionErrorType);
        EXPECT_EQ(error.message, QStringLiteral("Decompression of data failed with code %1").arg(c.zlibCode));
    }
}

TEST(VNDataCompression, OutputLimitStopsABomb)
{
    const QByteArray bomb = *VNDataCompressor::compressData(QByteArray(32 * 1024 * 1024, '\0'));
    ASSERT_LT(bomb.size(), 64 * 1024);

    VNError error;
    EXPECT_FALSE(VNDataDecompressor::uncompressData(bomb, &error, 1024 * 1024));
    EXPECT_EQ(error.code, VNCompressionErrorType);
    EXPECT_EQ(error.message, "Decompression of data failed because the output exceeds 1048576 bytes");

    // Exactly at the limit is fine.
    const QByteArray small = *VNDataCompressor::compressData(QByteArray(1000, 'x'));
    auto exact = VNDataDecompressor::uncompressData(small, &error, 1000);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->size(), 1000);

    // The limit counts the whole stream across chunks.
    auto decompressor = VNDataDecompressor::decompressor();
    decompressor->setMaximumOutputLength(999);
    EXPECT_FALSE(decompressor->uncompressBytes(small.constData(), small.size(), &error));
}

TEST(VNDataCompression, StreamLifecycle)
{
    auto compressor = VNDataCompressor::compressor();
    EXPECT_TRUE(compressor->streamReady());
    EXPECT_FALSE(compressor->setupStream()); // already ready: nothing
    EXPECT_FALSE(compressor->closeStream());
    EXPECT_FALSE(compressor->streamReady());
    EXPECT_FALSE(compressor->closeStream()); // not ready: nothing

    VNError error;
    const char byte = 'x';
    EXPECT_FALSE(compressor->compressBytes(&byte, 1, &error, true));
    EXPECT_EQ(error.message, "Compression of data failed with code -2");

    VNDataDecompressor decompressor;
    EXPECT_FALSE(decompressor.streamReady());
    EXPECT_FALSE(decompressor.uncompressBytes(&byte, 1, &error));
    EXPECT_EQ(error.message, "Decompression of data failed with code -2");
    EXPECT_FALSE(decompressor.setupStream());
    EXPECT_TRUE(decompressor.streamReady());

    EXPECT_EQ(VNDataCompressor::deflateErrorWithCode(-4).message, "Compression of data failed with code -4");
    EXPECT_EQ(VNDataDecompressor::inflateErrorWithCode(2).code, VNCompressionErrorType);
}

TEST(VNDataCompression, FileToFileRoundTrip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (qsizetype size : { qsizetype(0), qsizetype(1), qsizetype(16384), ChunkSize - 1, ChunkSize, ChunkSize + 1, 3 * ChunkSize }) {
        SCOPED_TRACE(size);
        const QByteArray input = mixedBytes(size);
        const QString source = dir.filePath("source");
        const QString packed = dir.filePath("packed.gz");
        const QString unpacked = dir.filePath("unpacked");
        ASSERT_TRUE(writeFile(source, input));

        VNError error;
        ASSERT_TRUE(VNDataCompressor::compressDataFromFile(source, packed, &error)) << error.message.toStdString();
        const QByteArray packedBytes = readFile(packed);
        if (size == 0) {
            EXPECT_TRUE(packedBytes.isEmpty());
        } else {
            // Each file is one complete gzip member.
            EXPECT_TRUE(isGzip(packedBytes));
            EXPECT_EQ(VNDataDecompressor::uncompressData(packedBytes).value_or(QByteArray()), input);
        }
        ASSERT_TRUE(VNDataDecompressor::uncompressDataFromFile(packed, unpacked, &error)) << error.message.toStdString();
        EXPECT_EQ(readFile(unpacked), input);
    }
}

TEST(VNDataCompression, FileDecompressionAcceptsZlibAndStopsOnFaults)
{
    QTemporaryDir dir;
    const QString packed = dir.filePath("in");
    const QString out = dir.filePath("out");
    const QByteArray input = mixedBytes(300000);

    ASSERT_TRUE(writeFile(packed, zlibWrapped(input)));
    VNError error;
    ASSERT_TRUE(VNDataDecompressor::uncompressDataFromFile(packed, out, &error));
    EXPECT_EQ(readFile(out), input);

    const QByteArray gzip = *VNDataCompressor::compressData(input);
    ASSERT_TRUE(writeFile(packed, gzip.left(gzip.size() - 3)));
    EXPECT_FALSE(VNDataDecompressor::uncompressDataFromFile(packed, out, &error));
    EXPECT_EQ(error.message, "Decompression of data failed with code -5");

    ASSERT_TRUE(writeFile(packed, *VNDataCompressor::compressData(QByteArray(8 * 1024 * 1024, '\0'))));
    EXPECT_FALSE(VNDataDecompressor::uncompressDataFromFile(packed, out, &error, 1024 * 1024));
    EXPECT_EQ(error.code, VNCompressionErrorType);
    EXPECT_LE(QFile(out).size(), 1024 * 1024);
}

TEST(VNDataCompression, FileErrors)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing");
    const QString out = dir.filePath("out");
    const QString unwritable = dir.filePath("no/such/folder/out");
    const QString existing = dir.filePath("existing");
    ASSERT_TRUE(writeFile(existing, "keep me"));

    VNError error;
    EXPECT_FALSE(VNDataCompressor::compressDataFromFile(missing, out, &error));
    EXPECT_EQ(error.message, QStringLiteral("Compression of %1 failed the file does not exist").arg(missing));
    EXPECT_EQ(error.code, VNCompressionErrorType);
    EXPECT_TRUE(QFile::exists(out)); // the destination was made first
    EXPECT_FALSE(VNDataDecompressor::uncompressDataFromFile(missing, out, &error));
    EXPECT_EQ(error.message, QStringLiteral("Decompression of %1 failed the file does not exist").arg(missing));

    EXPECT_FALSE(VNDataCompressor::compressDataFromFile(existing, unwritable, &error));
    EXPECT_EQ(error.message,
        QStringLiteral("Compression of %1 failed because we were to create a file at %2").arg(existing, unwritable));
    EXPECT_FALSE(VNDataDecompressor::uncompressDataFromFile(existing, unwritable, &error));
    EXPECT_EQ(error.message,
        QStringLiteral("Decompression of %1 failed because we were to create a file at %2").arg(existing, unwritable));

    // A source that is its own destination is refused, not truncated.
    EXPECT_FALSE(VNDataCompressor::compressDataFromFile(existing, existing, &error));
    EXPECT_FALSE(VNDataDecompressor::uncompressDataFromFile(existing, existing, &error));
    EXPECT_EQ(readFile(existing), "keep me");

    // A folder cannot be read as a source.
    EXPECT_FALSE(VNDataCompressor::compressDataFromFile(dir.path(), out, &error));
    EXPECT_EQ(error.message,
        QStringLiteral("Compression of %1 failed because we were unable to read from the source data file").arg(dir.path()));
    ASSERT_NE(error.underlyingError, nullptr);

    // Plain text is no compressed file.
    EXPECT_FALSE(VNDataDecompressor::uncompressDataFromFile(existing, out, &error));
    EXPECT_EQ(error.message, "Decompression of data failed with code -3");
}

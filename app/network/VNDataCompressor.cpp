#include "VNDataCompressor.h"

#include "VNCompressionSupport.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

using namespace VNCompressionSupport;

VNDataCompressor::VNDataCompressor() = default;

VNDataCompressor::~VNDataCompressor()
{
    closeStream();
}

std::unique_ptr<VNDataCompressor> VNDataCompressor::compressor()
{
    auto result = std::make_unique<VNDataCompressor>();
    result->setupStream();
    return result;
}

std::optional<VNError> VNDataCompressor::setupStream()
{
    if (streamReady_)
        return std::nullopt;
    zStream_.next_in = nullptr;
    zStream_.avail_in = 0;
    zStream_.zalloc = Z_NULL;
    zStream_.zfree = Z_NULL;
    zStream_.opaque = Z_NULL;
    // Window bits 31: a 32 KiB window with the gzip wrapper.
    const int status = deflateInit2(&zStream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    if (status != Z_OK)
        return deflateErrorWithCode(status);
    streamReady_ = true;
    streamEnded_ = false;
    return std::nullopt;
}

std::optional<VNError> VNDataCompressor::closeStream()
{
    if (!streamReady_)
        return std::nullopt;
    streamReady_ = false;
    const int status = deflateEnd(&zStream_);
    if (status != Z_OK)
        return deflateErrorWithCode(status);
    return std::nullopt;
}

VNError VNDataCompressor::deflateErrorWithCode(int code)
{
    return VNCompressionSupport::error(QStringLiteral("Compression of data failed with code %1").arg(code));
}

std::optional<VNError> VNDataCompressor::deflateInto(const char* bytes, qsizetype length, bool finish, const Sink& sink)
{
    if (!streamReady_)
        return deflateErrorWithCode(Z_STREAM_ERROR);
    // Output passes through a window of its own size, so a chunk of any
    // length, a single byte included, always has room to make progress.
    const qsizetype window = std::clamp(length / 2, MinimumWindow, MaximumWindow);
    std::vector<Bytef> output(static_cast<size_t>(window));
    qsizetype offset = 0;
    for (;;) {
        if (zStream_.avail_in == 0 && offset < length) {
            const qsizetype piece = std::min(length - offset, MaximumPiece);
            zStream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes + offset));
            zStream_.avail_in = static_cast<uInt>(piece);
            offset += piece;
        }
        const bool allInputGiven = offset >= length;
        zStream_.next_out = output.data();
        zStream_.avail_out = static_cast<uInt>(window);
        const int status = deflate(&zStream_, finish && allInputGiven ? Z_FINISH : Z_NO_FLUSH);
        const qsizetype produced = window - static_cast<qsizetype>(zStream_.avail_out);
        if (produced > 0 && (status == Z_OK || status == Z_STREAM_END || status == Z_BUF_ERROR)) {
            if (auto failure = sink(reinterpret_cast<const char*>(output.data()), produced))
                return failure;
        }
        if (status == Z_STREAM_END) {
            streamEnded_ = true;
            return std::nullopt;
        }
        const bool inputDone = allInputGiven && zStream_.avail_in == 0;
        if (status == Z_OK) {
            if (zStream_.avail_out == 0 || !inputDone || finish)
                continue;
            return std::nullopt;
        }
        // Without finishing, "no progress possible" only means that all
        // input went into zlib's own buffers.
        if (status == Z_BUF_ERROR && inputDone && !finish)
            return std::nullopt;
        return deflateErrorWithCode(status);
    }
}

std::optional<QByteArray> VNDataCompressor::compressBytes(const char* bytes, qsizetype length, VNError* error, bool shouldFinish)
{
    if (!bytes || length <= 0) {
        // An empty last chunk still closes a stream that took input.
        if (!(shouldFinish && streamReady_ && zStream_.total_in > 0 && !streamEnded_))
            return std::nullopt;
        bytes = nullptr;
        length = 0;
    }
    QByteArray result;
    result.reserve(std::clamp(length / 2, qsizetype(64), MaximumWindow));
    const std::optional<VNError> failure = deflateInto(bytes, length, shouldFinish,
        [&result](const char* produced, qsizetype count) -> std::optional<VNError> {
            result.append(produced, count);
            return std::nullopt;
        });
    if (failure) {
        VNError::report(error, *failure);
        return std::nullopt;
    }
    return result;
}

std::optional<QByteArray> VNDataCompressor::compressData(const QByteArray& data, VNError* error)
{
    if (data.isEmpty())
        return std::nullopt;
    auto compressor = VNDataCompressor::compressor();
    return compressor->compressBytes(data.constData(), data.size(), error, true);
}

bool VNDataCompressor::compressDataFromFile(const QString& sourcePath, const QString& destinationPath, VNError* error)
{
    // Truncating the destination first would destroy a source that is the
    // same file.
    QFile destination(destinationPath);
    if (sameFile(sourcePath, destinationPath) || !destination.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        VNError::report(error, VNCompressionSupport::error(
            QStringLiteral("Compression of %1 failed because we were to create a file at %2").arg(sourcePath, destinationPath)));
        return false;
    }
    if (!QFileInfo::exists(sourcePath)) {
        VNError::report(error, VNCompressionSupport::error(QStringLiteral("Compression of %1 failed the file does not exist").arg(sourcePath)));
        return false;
    }

    auto compressor = VNDataCompressor::compressor();
    QFile source(sourcePath);
    const bool sourceOpen = source.open(QIODevice::ReadOnly);
    const auto readFailure = [&] {
        compressor->closeStream();
        VNError::report(error, VNCompressionSupport::error(
            QStringLiteral("Compression of %1 failed because we were unable to read from the source data file").arg(sourcePath),
            &source));
        return false;
    };
    if (!sourceOpen)
        return readFailure();

    const auto writeFailure = [&] {
        return VNCompressionSupport::error(
            QStringLiteral("Compression of %1 failed because we were unable to write to the destination data file at %2")
                .arg(sourcePath, destinationPath),
            &destination);
    };
    const Sink write = [&](const char* bytes, qsizetype length) -> std::optional<VNError> {
        if (destination.write(bytes, length) == length)
            return std::nullopt;
        return writeFailure();
    };

    std::vector<char> buffer(static_cast<size_t>(FileChunkSize));
    bool readAny = false;
    bool lastChunkFull = false;
    while (compressor->streamReady()) {
        const qint64 count = source.read(buffer.data(), FileChunkSize);
        if (count < 0)
            return readFailure();
        std::optional<VNError> failure;
        if (count == 0) {
            // A source whose size is a multiple of the chunk size ended on a
            // chunk that did not finish the stream.
            if (readAny && lastChunkFull)
                failure = compressor->deflateInto(nullptr, 0, true, write);
            if (!failure && !destination.flush())
                failure = writeFailure();
            if (failure) {
                compressor->closeStream();
                VNError::report(error, *failure);
                return false;
            }
            source.close();
            destination.close();
            if (std::optional<VNError> closeFailure = compressor->closeStream()) {
                VNError::report(error, *closeFailure);
                return false;
            }
            return true;
        }
        readAny = true;
        lastChunkFull = count == FileChunkSize;
        failure = compressor->deflateInto(buffer.data(), count, !lastChunkFull, write);
        if (failure) {
            compressor->closeStream();
            VNError::report(error, *failure);
            return false;
        }
    }
    return false;
}

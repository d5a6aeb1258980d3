#include "VNDataDecompressor.h"

#include "VNCompressionSupport.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

using namespace VNCompressionSupport;

VNDataDecompressor::VNDataDecompressor() = default;

VNDataDecompressor::~VNDataDecompressor()
{
    closeStream();
}

std::unique_ptr<VNDataDecompressor> VNDataDecompressor::decompressor()
{
    auto result = std::make_unique<VNDataDecompressor>();
    result->setupStream();
    return result;
}

std::optional<VNError> VNDataDecompressor::setupStream()
{
    if (streamReady_)
        return std::nullopt;
    zStream_.next_in = nullptr;
    zStream_.avail_in = 0;
    zStream_.zalloc = Z_NULL;
    zStream_.zfree = Z_NULL;
    zStream_.opaque = Z_NULL;
    // Window bits 47: a 32 KiB window, gzip or zlib header detected.
    const int status = inflateInit2(&zStream_, 47);
    if (status != Z_OK)
        return inflateErrorWithCode(status);
    streamReady_ = true;
    streamEnded_ = false;
    return std::nullopt;
}

std::optional<VNError> VNDataDecompressor::closeStream()
{
    if (!streamReady_)
        return std::nullopt;
    streamReady_ = false;
    const int status = inflateEnd(&zStream_);
    if (status != Z_OK)
        return inflateErrorWithCode(status);
    return std::nullopt;
}

VNError VNDataDecompressor::inflateErrorWithCode(int code)
{
    return VNCompressionSupport::error(QStringLiteral("Decompression of data failed with code %1").arg(code));
}

std::optional<VNError> VNDataDecompressor::inflateInto(const char* bytes, qsizetype length, const Sink& sink)
{
    if (!streamReady_)
        return inflateErrorWithCode(Z_STREAM_ERROR);
    // A fixed window bounds what one step holds, whatever the ratio.
    const qsizetype window = std::clamp(length + length / 2, MinimumWindow, MaximumWindow);
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
        const int status = inflate(&zStream_, Z_NO_FLUSH);
        const qsizetype produced = window - static_cast<qsizetype>(zStream_.avail_out);
        if (produced > 0 && (status == Z_OK || status == Z_STREAM_END || status == Z_BUF_ERROR)) {
            if (maximumOutputLength_ > 0 && zStream_.total_out > maximumOutputLength_)
                return VNCompressionSupport::error(
                    QStringLiteral("Decompression of data failed because the output exceeds %1 bytes").arg(maximumOutputLength_));
            if (maximumRatio_ > 0 && zStream_.total_out > ratioFloor_ && zStream_.total_out / std::max<uLong>(zStream_.total_in, 1) > maximumRatio_)
                return VNCompressionSupport::error(
                    QStringLiteral("Decompression of data failed because the output is more than %1 times the input").arg(maximumRatio_));
            if (auto failure = sink(reinterpret_cast<const char*>(output.data()), produced))
                return failure;
        }
        if (status == Z_STREAM_END) {
            // Anything after the end of the stream is ignored.
            streamEnded_ = true;
            return std::nullopt;
        }
        const bool inputDone = allInputGiven && zStream_.avail_in == 0;
        if (status == Z_OK) {
            // A full window may leave output pending inside zlib even when
            // all input is in.
            if (zStream_.avail_out == 0 || !inputDone)
                continue;
            return std::nullopt;
        }
        // No progress possible with all input in: the stream waits for the
        // next chunk.
        if (status == Z_BUF_ERROR && inputDone)
            return std::nullopt;
        return inflateErrorWithCode(status);
    }
}

std::optional<QByteArray> VNDataDecompressor::uncompressBytes(const char* bytes, qsizetype length, VNError* error)
{
    if (!bytes || length <= 0)
        return std::nullopt;
    QByteArray result;
    result.reserve(std::min(length + length / 2, MaximumWindow));
    const std::optional<VNError> failure = inflateInto(bytes, length,
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

std::optional<QByteArray> VNDataDecompressor::uncompressData(const QByteArray& data, VNError* error, quint64 maximumOutputLength,
    quint64 maximumRatio, quint64 ratioFloor)
{
    if (data.isEmpty())
        return std::nullopt;
    auto decompressor = VNDataDecompressor::decompressor();
    decompressor->setMaximumOutputLength(maximumOutputLength);
    decompressor->setMaximumRatio(maximumRatio, ratioFloor);
    std::optional<QByteArray> result = decompressor->uncompressBytes(data.constData(), data.size(), error);
    // The whole input is here: a stream that did not end was cut short.
    if (result && !decompressor->streamEnded_) {
        VNError::report(error, inflateErrorWithCode(Z_BUF_ERROR));
        return std::nullopt;
    }
    return result;
}

bool VNDataDecompressor::uncompressDataFromFile(const QString& sourcePath, const QString& destinationPath,
    VNError* error, quint64 maximumOutputLength, quint64 maximumRatio, quint64 ratioFloor)
{
    // Truncating the destination first would destroy a source that is the
    // same file.
    QFile destination(destinationPath);
    if (sameFile(sourcePath, destinationPath) || !destination.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        VNError::report(error, VNCompressionSupport::error(
            QStringLiteral("Decompression of %1 failed because we were to create a file at %2").arg(sourcePath, destinationPath)));
        return false;
    }
    if (!QFileInfo::exists(sourcePath)) {
        VNError::report(error, VNCompressionSupport::error(QStringLiteral("Decompression of %1 failed the file does not exist").arg(sourcePath)));
        return false;
    }

    auto decompressor = VNDataDecompressor::decompressor();
    decompressor->setMaximumOutputLength(maximumOutputLength);
    decompressor->setMaximumRatio(maximumRatio, ratioFloor);
    QFile source(sourcePath);
    const bool sourceOpen = source.open(QIODevice::ReadOnly);
    const auto readFailure = [&] {
        decompressor->closeStream();
        VNError::report(error, VNCompressionSupport::error(
            QStringLiteral("Decompression of %1 failed because we were unable to read from the source data file").arg(sourcePath),
            &source));
        return false;
    };
    if (!sourceOpen)
        return readFailure();

    const auto writeFailure = [&] {
        return VNCompressionSupport::error(
            QStringLiteral("Decompression of %1 failed because we were unable to write to the destination data file at %2")
                .arg(sourcePath, destinationPath),
            &destination);
    };
    const Sink write = [&](const char* bytes, qsizetype length) -> std::optional<VNError> {
        if (destination.write(bytes, length) == length)
            return std::nullopt;
        return writeFailure();
    };
    const auto fail = [&](const VNError& failure) {
        decompressor->closeStream();
        VNError::report(error, failure);
        return false;
    };

    std::vector<char> buffer(static_cast<size_t>(FileChunkSize));
    bool readAny = false;
    while (decompressor->streamReady()) {
        const qint64 count = source.read(buffer.data(), FileChunkSize);
        if (count < 0)
            return readFailure();
        if (count == 0) {
            // The whole source was read: a stream that did not end was cut
            // short.
            if (readAny && !decompressor->streamEnded_)
                return fail(inflateErrorWithCode(Z_BUF_ERROR));
            if (!destination.flush())
                return fail(writeFailure());
            source.close();
            destination.close();
            if (std::optional<VNError> closeFailure = decompressor->closeStream()) {
                VNError::report(error, *closeFailure);
                return false;
            }
            return true;
        }
        readAny = true;
        if (std::optional<VNError> failure = decompressor->inflateInto(buffer.data(), count, write))
            return fail(*failure);
    }
    return false;
}

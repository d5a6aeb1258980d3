#pragma once

#include "VNError.h"

#include <QByteArray>
#include <QString>

#include <zlib.h>

#include <functional>
#include <memory>
#include <optional>

// gzip output over zlib (deflate, window bits 31), in memory chunk by chunk
// or from file to file. Failures are VNHTTPRequestErrorDomain errors with
// code 11; nothing throws. One thread at a time per object.
class VNDataCompressor {
public:
    VNDataCompressor();
    ~VNDataCompressor(); // closes a ready stream
    VNDataCompressor(const VNDataCompressor&) = delete;
    VNDataCompressor& operator=(const VNDataCompressor&) = delete;

    // A compressor whose stream is set up (not ready if that failed).
    static std::unique_ptr<VNDataCompressor> compressor();

    bool streamReady() const { return streamReady_; }
    std::optional<VNError> setupStream();
    std::optional<VNError> closeStream();

    // The gzip bytes this chunk produced. With shouldFinish the stream is
    // completed (a zero-length chunk then still writes the trailer of a
    // stream that took input). Null without error for an empty chunk that
    // finishes nothing; null with *error on failure.
    std::optional<QByteArray> compressBytes(const char* bytes, qsizetype length, VNError* error, bool shouldFinish);

    // A complete gzip member of data; null without error for empty data.
    static std::optional<QByteArray> compressData(const QByteArray& data, VNError* error = nullptr);
    // Streams the source through 256 KiB chunks into a gzip destination.
    static bool compressDataFromFile(const QString& sourcePath, const QString& destinationPath, VNError* error = nullptr);

    static VNError deflateErrorWithCode(int code);

private:
    using Sink = std::function<std::optional<VNError>(const char* bytes, qsizetype length)>;
    std::optional<VNError> deflateInto(const char* bytes, qsizetype length, bool finish, const Sink& sink);

    bool streamReady_ = false;
    bool streamEnded_ = false;
    z_stream zStream_ {};
};

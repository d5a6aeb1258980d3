#pragma once

#include "VNError.h"

#include <QByteArray>
#include <QString>

#include <zlib.h>

#include <functional>
#include <memory>
#include <optional>

// Inflates gzip or zlib data (window bits 47 detect the header), in memory
// chunk by chunk or from file to file. Failures are VNHTTPRequestErrorDomain
// errors with code 11; nothing throws. One thread at a time per object.
//
// Output can be bounded: past maximumOutputLength bytes in total (0: no
// bound) decompression fails, so a small bomb cannot exhaust memory or disk.
class VNDataDecompressor {
public:
    VNDataDecompressor();
    ~VNDataDecompressor(); // closes a ready stream
    VNDataDecompressor(const VNDataDecompressor&) = delete;
    VNDataDecompressor& operator=(const VNDataDecompressor&) = delete;

    // A decompressor whose stream is set up (not ready if that failed).
    static std::unique_ptr<VNDataDecompressor> decompressor();

    bool streamReady() const { return streamReady_; }
    std::optional<VNError> setupStream();
    std::optional<VNError> closeStream();

    quint64 maximumOutputLength() const { return maximumOutputLength_; }
    void setMaximumOutputLength(quint64 length) { maximumOutputLength_ = length; }
    // Past ratioFloor bytes of output, more than ratio times the input
    // consumed so far fails too (0: no bound): the mark of a bomb, which a
    // plain size bound catches only once the damage is done.
    quint64 maximumRatio() const { return maximumRatio_; }
    void setMaximumRatio(quint64 ratio, quint64 ratioFloor)
    {
        maximumRatio_ = ratio;
        ratioFloor_ = ratioFloor;
    }

    // The bytes this chunk inflates to; the stream carries over between
    // calls, so data may arrive in chunks of any size. Null without error
    // for an empty chunk; null with *error on failure.
    std::optional<QByteArray> uncompressBytes(const char* bytes, qsizetype length, VNError* error);

    // The whole of data inflated. Null without error for empty data; null
    // with *error for corrupt or truncated data or output past the bound.
    static std::optional<QByteArray> uncompressData(const QByteArray& data, VNError* error = nullptr,
        quint64 maximumOutputLength = 0, quint64 maximumRatio = 0, quint64 ratioFloor = 0);
    // Streams the source through 256 KiB chunks; memory stays bounded
    // whatever the ratio of the data.
    static bool uncompressDataFromFile(const QString& sourcePath, const QString& destinationPath,
        VNError* error = nullptr, quint64 maximumOutputLength = 0, quint64 maximumRatio = 0, quint64 ratioFloor = 0);

    static VNError inflateErrorWithCode(int code);

private:
    using Sink = std::function<std::optional<VNError>(const char* bytes, qsizetype length)>;
    std::optional<VNError> inflateInto(const char* bytes, qsizetype length, const Sink& sink);

    bool streamReady_ = false;
    bool streamEnded_ = false;
    quint64 maximumOutputLength_ = 0;
    quint64 maximumRatio_ = 0;
    quint64 ratioFloor_ = 0;
    z_stream zStream_ {};
};

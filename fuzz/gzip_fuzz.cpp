// Inflates arbitrary bytes in one piece and in chunks (the two must agree),
// and checks that compressing the input and inflating it gives it back.
#include "VNDataCompressor.h"
#include "VNDataDecompressor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr quint64 Limit = 4 * 1024 * 1024;

qsizetype chunkSize(const QByteArray& input)
{
    return input.isEmpty() ? 1 : 1 + static_cast<unsigned char>(input[0]) % 97;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype chunk = chunkSize(input);

    VNError error;
    const std::optional<QByteArray> whole = VNDataDecompressor::uncompressData(input, &error, Limit);

    auto decompressor = VNDataDecompressor::decompressor();
    decompressor->setMaximumOutputLength(Limit);
    QByteArray pieces;
    bool piecesFailed = false;
    for (qsizetype offset = 0; offset < input.size() && !piecesFailed; offset += chunk) {
        const auto piece = decompressor->uncompressBytes(input.constData() + offset, std::min(chunk, input.size() - offset), &error);
        if (piece)
            pieces += *piece;
        else
            piecesFailed = true;
    }
    // Whatever inflates whole inflates the same in chunks.
    if (whole && (piecesFailed || pieces != *whole))
        std::abort();

    const std::optional<QByteArray> packed = VNDataCompressor::compressData(input, &error);
    if (!input.isEmpty()) {
        if (!packed)
            std::abort();
        const std::optional<QByteArray> back = VNDataDecompressor::uncompressData(*packed, &error);
        if (!back || *back != input)
            std::abort();

        auto compressor = VNDataCompressor::compressor();
        QByteArray chunked;
        for (qsizetype offset = 0; offset < input.size(); offset += chunk) {
            const auto piece = compressor->compressBytes(input.constData() + offset, std::min(chunk, input.size() - offset), &error, false);
            if (!piece)
                std::abort();
            chunked += *piece;
        }
        const auto tail = compressor->compressBytes(nullptr, 0, &error, true);
        if (!tail)
            std::abort();
        chunked += *tail;
        const std::optional<QByteArray> chunkedBack = VNDataDecompressor::uncompressData(chunked, &error);
        if (!chunkedBack || *chunkedBack != input)
            std::abort();
    }
    return 0;
}

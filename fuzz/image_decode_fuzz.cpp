// Untrusted image files: the structure checks and the whole decoding path
// must fail cleanly on any input, never read out of bounds or crash.
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageFileInspector.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const platform::ImageFileInspector::Result facts = platform::ImageFileInspector::inspect(bytes);
    // The decoders behind are Qt's; small inputs keep each run quick, and
    // pictures that are large by design (up to ImageDecoder's limit, gigabytes)
    // would only exhaust the fuzzer's memory, so they stop here.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QSize declared = QImageReader(&buffer).size();
    if (facts.declaredSize)
        declared = declared.isValid() ? declared.expandedTo(*facts.declaredSize) : *facts.declaredSize;
    if (declared.isValid() && qint64(declared.width()) * declared.height() > 4096 * 4096)
        return 0;
    if (size <= 64 * 1024) {
        const platform::ImageDecoder::Result result = platform::ImageDecoder::decode(bytes);
        if (result.ok() && result.image.isNull())
            __builtin_trap(); // success must carry a picture
    }
    return 0;
}

// Untrusted image files: the structure checks and the whole decoding path
// must fail cleanly on any input, never read out of bounds or crash.
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageFileInspector.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)platform::ImageFileInspector::inspect(bytes);
    // The decoders behind are Qt's; small inputs keep each run quick.
    if (size <= 64 * 1024) {
        const platform::ImageDecoder::Result result = platform::ImageDecoder::decode(bytes);
        if (result.ok() && result.image.isNull())
            __builtin_trap(); // success must carry a picture
    }
    return 0;
}

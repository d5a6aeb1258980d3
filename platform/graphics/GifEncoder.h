#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

// Writes a canvas bitmap as a GIF89a file (Qt reads GIF but cannot write
// it). The picture is reduced to at most 256 colours by ColorQuantizer:
// exact when it has 255 colours or fewer, with transparent pixels as one
// transparent index. GIF has no field for a resolution.
class GifEncoder {
public:
    GifEncoder() = delete;

    // Empty data and a message in error (when given) on failure.
    static QByteArray encode(const QImage& canvas, QString* error = nullptr);
};

} // namespace platform

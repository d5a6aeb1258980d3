#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

// Reads pictures in every format Qt decodes and hands them back as canvas
// bitmaps (CanvasBitmap), with the resolution the file declares.
// A read either gives the whole picture or fails with a message for the
// user: truncated data, corrupt data, a picture too large to hold and a lack
// of memory are all failures, never a partial picture.
class ImageDecoder {
public:
    ImageDecoder() = delete;

    struct Result {
        QImage image;              // canvas bitmap; null when the read failed
        double pixelPerPoint = 0;  // pixel width over point width (1 when the file declares no resolution)
        QString error;             // why the read failed, for the user
        bool ok() const { return !image.isNull(); }
    };

    // The largest picture we agree to open: 2^29 pixels (23170 x 23170),
    // 2 GiB per canvas bitmap. A picture of 16384 x 16384 opens.
    static constexpr qint64 MaximumPixelCount = qint64(1) << 29;
    // Given to Qt's readers (megabytes): the largest picture above decoded
    // at 16 bits a sample, so our own limit is the one that speaks.
    static constexpr int AllocationLimitMB = 4096;

    static Result readFile(const QString& path);
    static Result decode(const QByteArray& data);
};

} // namespace platform

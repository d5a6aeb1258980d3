#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>

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

    // The largest picture we agree to open: 16384 x 16384 pixels (or any
    // other shape of as many), 1 GiB per canvas bitmap; a document holds two
    // and its undo steps more.
    static constexpr qint64 MaximumPixelCount = qint64(16384) * 16384;
    // Given to Qt's readers (megabytes): the largest picture above decoded
    // at 16 bits a sample, so our own limit is the one that speaks.
    static constexpr int AllocationLimitMB = 2048;

    // What a file's header says, before any pixel is decoded.
    struct Header {
        QSize size;     // the picture's size; invalid when the reader cannot tell it before decoding
        QString error;  // why the file will not open, for the user; empty when it may
        bool ok() const { return error.isEmpty(); }
    };

    // Reads only the structure and the header: a file that is no picture, is
    // cut short or declares a picture too large fails here at once, without
    // allocating for its pixels. One that passes may still fail to decode.
    static Header readHeader(const QString& path);
    // stop (when given) is polled at every read from the file: once it is
    // set the read fails, so a decode that nobody waits for ends early.
    static Result readFile(const QString& path, const std::atomic<bool>* stop = nullptr);
    static Result decode(const QByteArray& data);
};

} // namespace platform

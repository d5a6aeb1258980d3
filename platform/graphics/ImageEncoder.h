#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

// Writes canvas bitmaps as image files. Types are the lower-case extensions
// "bmp", "png", "jpg", "gif" and "tif"; any other type is written as PNG.
// PNG, BMP, JPEG and TIFF go through Qt (TIFF uncompressed), GIF through
// GifEncoder. The resolution is the pixels-per-point ratio: a ratio of 2
// writes 144 dots per inch; 0 (no ratio) writes one pixel per point.
class ImageEncoder {
public:
    ImageEncoder() = delete;

    static constexpr double DefaultJpegQuality = 0.8;

    // The type actually written for a requested one ("png" for unknown types).
    static QString effectiveType(const QString& type);

    // jpegQuality from 0 to 1. Empty data and a message in error on failure.
    static QByteArray encode(const QImage& canvas, const QString& type, double jpegQuality, double pixelPerPoint,
                             QString* error = nullptr);

    // Encodes and replaces the file in one step: a failed write leaves an
    // existing file as it was.
    static bool writeFile(const QString& path, const QImage& canvas, const QString& type, double jpegQuality,
                          double pixelPerPoint, QString* error = nullptr);
};

} // namespace platform

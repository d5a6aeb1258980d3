#include "ImageEncoder.h"

#include "CanvasBitmap.h"
#include "GifEncoder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

namespace platform {

namespace {

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// Formats that hold no transparency get the picture as the canvas shows
// it: over white. Written as they are, transparent pixels (all zero,
// premultiplied) would turn black and half-transparent ones solid.
bool holdsTransparency(const QString& type)
{
    return type != QLatin1String("jpg") && type != QLatin1String("bmp");
}

QImage flattenedOntoWhite(const QImage& canvas)
{
    const QImage source = canvas.format() == QImage::Format_RGBA8888_Premultiplied
                              ? canvas
                              : canvas.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QImage flat(source.size(), QImage::Format_RGB32);
    if (source.isNull() || flat.isNull())
        return {};
    // Source-over onto white, premultiplied: each sample gains what the
    // pixel's coverage leaves of the white.
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        auto* out = reinterpret_cast<std::uint32_t*>(flat.scanLine(y));
        for (int x = 0; x < source.width(); ++x, in += 4) {
            const int lift = 255 - in[3];
            const std::uint32_t r = std::uint32_t(std::min(255, in[0] + lift));
            const std::uint32_t g = std::uint32_t(std::min(255, in[1] + lift));
            const std::uint32_t b = std::uint32_t(std::min(255, in[2] + lift));
            out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    return flat;
}

} // namespace

QString ImageEncoder::effectiveType(const QString& type)
{
    static const QStringList known = {"bmp", "png", "jpg", "gif", "tif"};
    return known.contains(type) ? type : QStringLiteral("png");
}

QByteArray ImageEncoder::encode(const QImage& canvas, const QString& type, double jpegQuality, double pixelPerPoint,
                                QString* error)
{
    if (canvas.isNull()) {
        failWith(error, QStringLiteral("There is no picture to write."));
        return {};
    }
    const QString chosen = effectiveType(type);
    if (chosen == QLatin1String("gif"))
        return GifEncoder::encode(canvas, error);

    try {
        // Shares the pixels; setting the resolution detaches once.
        QImage image = holdsTransparency(chosen) ? canvas : flattenedOntoWhite(canvas);
        const int dpm = CanvasBitmap::dotsPerMeterFromPixelPerPoint(pixelPerPoint);
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        if (image.isNull()) {
            failWith(error, QStringLiteral("There is not enough memory to write the picture."));
            return {};
        }

        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        const QByteArray format = chosen == QLatin1String("tif") ? QByteArray("tiff")
                                  : chosen == QLatin1String("jpg") ? QByteArray("jpeg")
                                                                   : chosen.toLatin1();
        QImageWriter writer(&buffer, format);
        if (chosen == QLatin1String("jpg")) {
            const double quality = std::isfinite(jpegQuality) ? std::clamp(jpegQuality, 0.0, 1.0) : DefaultJpegQuality;
            writer.setQuality(int(std::lround(quality * 100)));
        }
        if (chosen == QLatin1String("tif"))
            writer.setCompression(0); // uncompressed
        if (!writer.write(image)) {
            failWith(error, QStringLiteral("The picture cannot be written as %1: %2").arg(chosen, writer.errorString()));
            return {};
        }
        return data;
    } catch (const std::bad_alloc&) {
        failWith(error, QStringLiteral("There is not enough memory to write the picture."));
        return {};
    }
}

bool ImageEncoder::writeFile(const QString& path, const QImage& canvas, const QString& type, double jpegQuality,
                             double pixelPerPoint, QString* error)
{
    const QByteArray data = encode(canvas, type, jpegQuality, pixelPerPoint, error);
    if (data.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failWith(error, QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, file.errorString()));
    if (file.write(data) != data.size() || !file.commit())
        return failWith(error, QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, file.errorString()));
    return true;
}

} // namespace platform

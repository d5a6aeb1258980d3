#include "CanvasBitmap.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {
constexpr double MetersPerInch = 0.0254;
constexpr double PointsPerInch = 72.0;
} // namespace

QImage CanvasBitmap::make(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, Format); // null when the allocation fails
    if (!image.isNull())
        image.fill(0u);
    return image;
}

bool CanvasBitmap::convert(QImage& image)
{
    if (image.isNull())
        return false;
    if (image.format() == Format)
        return true;
    // 32-bit sources convert without a second buffer.
    if (image.depth() == 32) {
        image.convertTo(Format);
        if (image.format() == Format && !image.isNull())
            return true;
    }
    image = image.convertToFormat(Format);
    return !image.isNull();
}

std::uint32_t CanvasBitmap::premultipliedPixel(const QColor& color)
{
    const QRgb premultiplied = qPremultiply(color.rgba());
    return pack(std::uint8_t(qRed(premultiplied)), std::uint8_t(qGreen(premultiplied)),
                std::uint8_t(qBlue(premultiplied)), std::uint8_t(qAlpha(premultiplied)));
}

QColor CanvasBitmap::colorOfPixel(std::uint32_t word)
{
    std::uint8_t b[4];
    unpack(word, b);
    const QRgb straight = qUnpremultiply(qRgba(b[0], b[1], b[2], b[3]));
    return QColor::fromRgba(straight);
}

double CanvasBitmap::pixelPerPointFromDotsPerMeter(double dotsPerMeter)
{
    return dotsPerMeter * MetersPerInch / PointsPerInch;
}

int CanvasBitmap::dotsPerMeterFromPixelPerPoint(double pixelPerPoint)
{
    if (!(pixelPerPoint > 0) || !std::isfinite(pixelPerPoint))
        pixelPerPoint = 1.0; // a picture without a ratio is written at one pixel per point
    const double dpm = std::round(pixelPerPoint * PointsPerInch / MetersPerInch);
    return int(std::clamp(dpm, 1.0, double(std::numeric_limits<int>::max())));
}

} // namespace platform

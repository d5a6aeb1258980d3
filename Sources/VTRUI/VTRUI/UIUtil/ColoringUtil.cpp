#include "ColoringUtil.h"

#include "Debug.h"

#include <algorithm>

QImage ColoringUtil::generateColoringImage(const VTRImage& image, const QPainter* context, int grayScale)
{
    const QImage bitmap = image.cgImage(context);
    if (bitmap.isNull()) {
        Debug::e(QStringLiteral("Failed to create cgimage when generating coloring image.."));
        return {};
    }
    const int w = bitmap.width();
    const int h = bitmap.height();
    const QImage mask = bitmap.convertToFormat(QImage::Format_Alpha8);
    if (mask.isNull()) {
        Debug::e(QStringLiteral("Failed to create gray bitmap context when generating coloring image.."));
        return {};
    }
    QImage result(w, h, QImage::Format_RGBA8888_Premultiplied);
    if (result.isNull()) {
        Debug::e(QStringLiteral("Failed to create composed(returning) bitmap context when generating coloring image.."));
        return {};
    }
    const unsigned grey = unsigned(std::clamp(grayScale, 0, 255));
    for (int y = 0; y < h; ++y) {
        const uchar* alpha = mask.constScanLine(y);
        uchar* out = result.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const unsigned a = alpha[x];
            const uchar level = uchar((grey * a + 127) / 255);
            out[4 * x + 0] = level;
            out[4 * x + 1] = level;
            out[4 * x + 2] = level;
            out[4 * x + 3] = uchar(a);
        }
    }
    result.setDevicePixelRatio(bitmap.devicePixelRatio());
    Debug::verify(!result.isNull(), QStringLiteral("Returning a nil coloring image"));
    return result;
}

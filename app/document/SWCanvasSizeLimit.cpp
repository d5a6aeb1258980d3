#include "SWCanvasSizeLimit.h"

#include "platform/graphics/ImageDecoder.h"

#include <cmath>

double SWCanvasSizeLimit::maximumPixelCount()
{
    return double(platform::ImageDecoder::MaximumPixelCount);
}

bool SWCanvasSizeLimit::allows(const QSizeF& size)
{
    const double w = size.width();
    const double h = size.height();
    if (!std::isfinite(w) || !std::isfinite(h))
        return false;
    return w >= 1 && h >= 1 && w <= kMaximumSide && h <= kMaximumSide && w * h <= maximumPixelCount();
}

QString SWCanvasSizeLimit::refusalReason(const QSizeF& size)
{
    if (allows(size))
        return {};
    const double w = size.width();
    const double h = size.height();
    if (!(w >= 1) || !(h >= 1))
        return QStringLiteral("A side of the picture would be less than 1 pixel.");
    if (!(w <= kMaximumSide) || !(h <= kMaximumSide))
        return QStringLiteral("A side of the picture can be at most %1 pixels.").arg(qint64(kMaximumSide));
    const auto side = qint64(std::llround(std::sqrt(maximumPixelCount())));
    return QStringLiteral("A picture can have at most %1 x %1 pixels in all.").arg(side);
}

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

#include "SWDrawnArea.h"

#include "SWImageTools.h"

#include <cmath>

namespace {
// The whole pixels a rectangle touches, within the bitmap.
QRect wholePixels(const QRectF& rect, const QSize& size)
{
    const QRectF r = rect.normalized();
    if (!(r.width() > 0) || !(r.height() > 0) || !std::isfinite(r.left()) || !std::isfinite(r.top()) ||
        !std::isfinite(r.right()) || !std::isfinite(r.bottom()))
        return {};
    const double left = std::max(0.0, std::floor(r.left()));
    const double top = std::max(0.0, std::floor(r.top()));
    const double right = std::min(double(size.width()), std::ceil(r.right()));
    const double bottom = std::min(double(size.height()), std::ceil(r.bottom()));
    if (right <= left || bottom <= top)
        return {};
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}
} // namespace

bool SWDrawnArea::holds(const QImage& image) const
{
    return m_image == &image && !image.isNull() && image.cacheKey() == m_key && image.size() == m_size;
}

void SWDrawnArea::clear(QImage& image)
{
    if (image.isNull()) {
        forget();
        return;
    }
    if (holds(image)) {
        if (!m_area.isEmpty())
            SWImageTools::clearImage(image, QRectF(m_area));
    } else {
        SWImageTools::clearImage(image);
    }
    m_image = &image;
    m_key = image.cacheKey();
    m_size = image.size();
    m_area = QRect();
}

void SWDrawnArea::add(QImage& image, const QRectF& rect)
{
    if (m_image != &image || image.isNull() || image.size() != m_size) {
        forget();
        return;
    }
    m_area = m_area.united(wholePixels(rect, m_size));
    m_key = image.cacheKey();
}

void SWDrawnArea::compositeInto(QImage& target, const QImage& image) const
{
    if (image.isNull())
        return;
    if (!holds(image)) {
        SWImageTools::drawToImage(target, image, true);
        return;
    }
    if (m_area.isEmpty())
        return;
    SWImageTools::drawToImage(target, image.copy(m_area), QPointF(m_area.topLeft()), true);
}

QRect SWDrawnArea::compositeArea(const QImage& image) const
{
    if (image.isNull())
        return {};
    return holds(image) ? m_area : image.rect();
}

void SWDrawnArea::forget()
{
    m_image = nullptr;
    m_key = 0;
    m_size = QSize();
    m_area = QRect();
}

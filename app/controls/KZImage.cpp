#include "KZImage.h"

#include "platform/appkit/ImageResource.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace {
std::vector<KZImage::Ptr>& imageCache()
{
    static std::vector<KZImage::Ptr> cache;
    return cache;
}

double& screenPixelRatio()
{
    static double ratio = 0;
    return ratio;
}

// Source rectangle in the image's own space (origin bottom left, y up), in
// points.
struct SourceRect {
    double x, y, width, height;
};
} // namespace

QSizeF KZImage::Part::size() const
{
    return representations.isEmpty() ? QSizeF() : representations.first().deviceIndependentSize();
}

KZImage::KZImage(const QList<QImage>& representations)
    : m_representations(representations)
{
}

KZImage::Ptr KZImage::create(const QList<QImage>& representations)
{
    return Ptr(new KZImage(representations));
}

const std::vector<KZImage::Ptr>& KZImage::cache()
{
    return imageCache();
}

void KZImage::setScreenPixelRatio(double ratio)
{
    screenPixelRatio() = ratio;
}

QSizeF KZImage::size() const
{
    return m_representations.isEmpty() ? QSizeF() : m_representations.first().deviceIndependentSize();
}

KZImage::Ptr KZImage::imageNamed(const QString& name)
{
    return imageNamed(name, KZEdgeInsets());
}

KZImage::Ptr KZImage::imageNamed(const QString& name, const KZEdgeInsets& capInsets)
{
    std::vector<Ptr>& cache = imageCache();
    Ptr source;
    if (!name.isEmpty()) {
        for (const Ptr& entry : cache) {
            if (entry->m_stockName != name)
                continue;
            if (entry->m_capInsets == capInsets)
                return entry;
            source = entry;
        }
    }
    if (!source) {
        const double ratio = screenPixelRatio();
        const QList<QImage> representations =
            ratio > 0 ? platform::ImageResource::load(name, ratio) : platform::ImageResource::load(name);
        if (representations.isEmpty())
            return nullptr;
        source = create(representations);
        source->m_stockName = name;
        if (!name.isEmpty())
            cache.push_back(source);
    }
    if (capInsets.isZero())
        return source;
    Ptr cut = source->imageWithCapInsets(capInsets);
    if (!name.isEmpty() && cut)
        cache.push_back(cut);
    return cut;
}

KZImage::Ptr KZImage::imageWithCapInsets(const KZEdgeInsets& c)
{
    if (c.isZero())
        return shared_from_this();
    const QSizeF points = size();
    const double W = points.width();
    const double H = points.height();
    const double T = c.top, L = c.left, B = c.bottom, R = c.right;
    const SourceRect sources[9] = {
        {0, std::min(H - 1, B), std::max(L, 1.0), std::max(H - B, 1.0)},
        {std::min(W - 1, L), std::min(H - 1, B), std::max(R - L, 1.0), std::max(H - B, 1.0)},
        {std::min(W - 1, R), std::min(H - 1, B), std::max(W - R, 1.0), std::max(H - B, 1.0)},
        {0, std::min(H - 1, T), std::max(L, 1.0), std::max(B - T, 1.0)},
        {std::min(W - 1, L), std::min(H - 1, T), std::max(R - L, 1.0), std::max(B - T, 1.0)},
        {std::min(W - 1, R), std::min(H - 1, T), std::max(W - R, 1.0), std::max(B - T, 1.0)},
        {0, 0, std::max(L, 1.0), std::max(T, 1.0)},
        {std::min(W - 1, L), 0, std::max(R - L, 1.0), std::max(T, 1.0)},
        {std::min(W - 1, R), 0, std::max(W - R, 1.0), std::max(T, 1.0)},
    };
    std::array<Part, 9> parts;
    for (int i = 0; i < 9; ++i) {
        const SourceRect& s = sources[i];
        if (!(s.width > 0 && s.height > 0))
            continue;
        for (const QImage& representation : m_representations) {
            const double scale = representation.devicePixelRatio();
            // From the image's y-up space to the top-down rows of the bitmap.
            const QRect pixels(int(std::lround(s.x * scale)), int(std::lround((H - s.y - s.height) * scale)),
                               std::max(1, int(std::lround(s.width * scale))),
                               std::max(1, int(std::lround(s.height * scale))));
            QImage part = representation.copy(pixels);
            part.setDevicePixelRatio(scale);
            parts[i].representations << part;
        }
    }
    Ptr result = copy();
    result->m_parts = parts;
    result->m_capInsets = c;
    return result;
}

KZImage::Ptr KZImage::resizableImageWithCapInsets(const KZEdgeInsets& capInsets)
{
    KZEdgeInsets c = capInsets;
    if (c.isAutomatic()) {
        const QSizeF s = size();
        c = KZEdgeInsets::floored(s.height() * 0.5, s.width() * 0.5, s.height() * 0.5 + 1, s.width() * 0.5 + 1);
    }
    if (m_stockName.isEmpty())
        return imageWithCapInsets(c);
    return imageNamed(m_stockName, c);
}

KZImage::Ptr KZImage::copy() const
{
    Ptr result = create(m_representations);
    result->m_parts = m_parts;
    result->m_capInsets = m_capInsets;
    result->m_resizingMode = m_resizingMode;
    result->m_stockName = m_stockName;
    return result;
}

bool KZImage::isEqualTo(const KZImage* other) const
{
    return other && other->m_stockName == m_stockName && other->m_capInsets == m_capInsets;
}

const QImage* KZImage::representationFor(const QList<QImage>& representations, double devicePixelRatio)
{
    // The coarsest representation that is at least as fine as the device,
    // else the finest there is.
    const QImage* best = nullptr;
    for (const QImage& r : representations) {
        if (r.devicePixelRatio() >= devicePixelRatio && (!best || r.devicePixelRatio() < best->devicePixelRatio()))
            best = &r;
    }
    if (best)
        return best;
    for (const QImage& r : representations) {
        if (!best || r.devicePixelRatio() > best->devicePixelRatio())
            best = &r;
    }
    return best;
}

void KZImage::drawInRect(QPainter& painter, const QRectF& rect, QPainter::CompositionMode operation,
                         double fraction) const
{
    if (rect.isEmpty() || m_representations.isEmpty())
        return;
    painter.save();
    painter.setCompositionMode(operation);
    painter.setOpacity(painter.opacity() * fraction);
    if (m_capInsets.isZero()) {
        const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        if (const QImage* image = representationFor(m_representations, ratio)) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(rect, *image);
        }
    } else {
        drawNinePart(painter, rect);
    }
    painter.restore();
}

void KZImage::drawNinePart(QPainter& painter, const QRectF& d) const
{
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    double left = m_parts[TopLeft].size().width();
    double right = m_parts[TopRight].size().width();
    double top = m_parts[TopLeft].size().height();
    double bottom = m_parts[BottomLeft].size().height();
    // A target smaller than the corners shrinks the corners alike.
    if (left + right > d.width() && left + right > 0) {
        const double k = d.width() / (left + right);
        left *= k;
        right *= k;
    }
    if (top + bottom > d.height() && top + bottom > 0) {
        const double k = d.height() / (top + bottom);
        top *= k;
        bottom *= k;
    }
    const double xs[4] = {d.left(), d.left() + left, d.right() - right, d.right()};
    const double ys[4] = {d.top(), d.top() + top, d.bottom() - bottom, d.bottom()};
    // The one-point strips are stretched: sampling them smoothly would blend
    // in the neighbouring corner pixels at the seams.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF target(QPointF(xs[column], ys[row]), QPointF(xs[column + 1], ys[row + 1]));
            if (target.isEmpty())
                continue;
            if (const QImage* image = representationFor(m_parts[row * 3 + column].representations, ratio))
                painter.drawImage(target, *image);
        }
    }
}

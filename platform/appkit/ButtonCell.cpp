#include "ButtonCell.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

namespace platform {

namespace {
constexpr qreal kGap = 2.0;

QRectF centred(const QSizeF& size, const QRectF& in)
{
    return QRectF(in.center().x() - size.width() / 2, in.center().y() - size.height() / 2, size.width(),
                  size.height());
}
} // namespace

QFont ButtonCell::effectiveFont(const QWidget* view) const
{
    if (m_font)
        return *m_font;
    return view ? view->font() : QFont();
}

QSizeF ButtonCell::imageSizeInPoints(const QImage& image) const
{
    return image.isNull() ? QSizeF() : image.deviceIndependentSize();
}

QSizeF ButtonCell::titleSize(const QWidget* view) const
{
    if (m_title.text.isEmpty())
        return QSizeF();
    const QFontMetricsF metrics(m_title.font.value_or(effectiveFont(view)));
    // Titles may hold line breaks (a drop-down button's arrow line).
    return metrics.boundingRect(QRectF(), Qt::AlignCenter, m_title.text).size();
}

QRectF ButtonCell::imageRectForBounds(const QRectF& bounds, QWidget* view) const
{
    const QSizeF image = imageSizeInPoints(m_image);
    if (image.isEmpty() || m_imagePosition == NoImage)
        return QRectF();
    const QSizeF title = m_imagePosition == ImageOnly ? QSizeF() : titleSize(view);
    switch (m_imagePosition) {
    case ImageLeft: {
        const qreal width = image.width() + (title.isEmpty() ? 0 : kGap + title.width());
        return centred(image, QRectF(bounds.center().x() - width / 2, bounds.top(), image.width(), bounds.height()));
    }
    case ImageRight: {
        const qreal width = image.width() + (title.isEmpty() ? 0 : kGap + title.width());
        return centred(image, QRectF(bounds.center().x() + width / 2 - image.width(), bounds.top(), image.width(),
                                     bounds.height()));
    }
    case ImageAbove: {
        const qreal height = image.height() + (title.isEmpty() ? 0 : kGap + title.height());
        return centred(image, QRectF(bounds.left(), bounds.center().y() - height / 2, bounds.width(), image.height()));
    }
    case ImageBelow: {
        const qreal height = image.height() + (title.isEmpty() ? 0 : kGap + title.height());
        return centred(image, QRectF(bounds.left(), bounds.center().y() + height / 2 - image.height(), bounds.width(),
                                     image.height()));
    }
    default:
        return centred(image, bounds);
    }
}

QRectF ButtonCell::titleRectForBounds(const QRectF& bounds, QWidget* view) const
{
    const QSizeF title = titleSize(view);
    if (title.isEmpty() || m_imagePosition == ImageOnly)
        return QRectF();
    const QRectF image = imageRectForBounds(bounds, view);
    if (image.isNull())
        return centred(title, bounds);
    switch (m_imagePosition) {
    case ImageLeft:
        return QRectF(image.right() + kGap, bounds.center().y() - title.height() / 2, title.width(), title.height());
    case ImageRight:
        return QRectF(image.left() - kGap - title.width(), bounds.center().y() - title.height() / 2, title.width(),
                      title.height());
    case ImageAbove:
        return QRectF(bounds.center().x() - title.width() / 2, image.bottom() + kGap, title.width(), title.height());
    case ImageBelow:
        return QRectF(bounds.center().x() - title.width() / 2, image.top() - kGap - title.height(), title.width(),
                      title.height());
    default:
        return centred(title, bounds);
    }
}

void ButtonCell::drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view)
{
    if (m_bordered)
        drawBezelWithFrame(painter, frame, view);
    drawInteriorWithFrame(painter, frame, view);
}

void ButtonCell::drawBezelWithFrame(QPainter&, const QRectF&, QWidget*)
{
    // The plain cell has no bezel of its own: skinned cells draw theirs.
}

void ButtonCell::drawInteriorWithFrame(QPainter& painter, const QRectF& frame, QWidget* view)
{
    const QRectF imageRect = imageRectForBounds(frame, view);
    if (!imageRect.isNull())
        drawImage(painter, m_image, imageRect, view);
    const QRectF titleRect = titleRectForBounds(frame, view);
    if (!titleRect.isNull())
        drawTitle(painter, m_title, titleRect, view);
}

void ButtonCell::drawImage(QPainter& painter, const QImage& image, const QRectF& frame, QWidget*)
{
    if (image.isNull() || frame.isEmpty())
        return;
    QSizeF size = imageSizeInPoints(image);
    switch (m_imageScaling) {
    case ScaleAxesIndependently:
        size = frame.size();
        break;
    case ScaleProportionallyUpOrDown:
        size.scale(frame.size(), Qt::KeepAspectRatio);
        break;
    case ScaleProportionallyDown:
        if (size.width() > frame.width() || size.height() > frame.height())
            size.scale(frame.size(), Qt::KeepAspectRatio);
        break;
    default:
        break;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (!m_enabled)
        painter.setOpacity(painter.opacity() * 0.5);
    painter.drawImage(centred(size, frame), image);
    painter.restore();
}

QRectF ButtonCell::drawTitle(QPainter& painter, const AttributedTitle& title, const QRectF& frame, QWidget* view)
{
    if (title.text.isEmpty())
        return QRectF();
    painter.save();
    painter.setFont(title.font.value_or(effectiveFont(view)));
    QColor color = title.color.value_or(view ? view->palette().color(QPalette::ButtonText) : QColor(Qt::black));
    if (!m_enabled)
        color.setAlphaF(color.alphaF() * 0.5);
    painter.setPen(color);
    painter.drawText(frame, Qt::AlignCenter, title.text);
    painter.restore();
    return frame;
}

} // namespace platform

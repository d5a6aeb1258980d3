#include "UniformColor.h"

#include "Appearance.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace {

QColor deviceWhite(std::int64_t level)
{
    const float white = std::clamp(static_cast<float>(level) / 255.0f, 0.0f, 1.0f);
    return QColor::fromRgbF(white, white, white, 1.0f);
}

} // namespace

UniformColor::UniformColor(const QColor& color)
    : UniformColor(color, color)
{
}

UniformColor::UniformColor(const QColor& anyColor, const QColor& darkColor)
    : any(anyColor)
    , dark(darkColor)
{
}

UniformColor::UniformColor(const UniformGrayScale& grayScale)
    : UniformColor(deviceWhite(grayScale.anyGrayScale()), deviceWhite(grayScale.darkGrayScale()))
{
}

UniformColor::UniformColor(const UserColor& color)
    : UniformColor(color.nsColor())
{
}

UniformColor::UniformColor(const UserColor& anyColor, const UserColor& darkColor)
    : UniformColor(anyColor.nsColor(), darkColor.nsColor())
{
}

QColor UniformColor::nsColor() const
{
    return Appearance::isCurrentDarkMode() ? dark : any;
}

QColor UniformColor::cgColor() const
{
    return nsColor();
}

void UniformColor::set(QPainter& painter) const
{
    const QColor color = nsColor();
    painter.setBrush(color);
    QPen pen = painter.pen();
    if (pen.style() == Qt::NoPen)
        pen.setStyle(Qt::SolidLine);
    pen.setColor(color);
    painter.setPen(pen);
}

void UniformColor::setFill(QPainter& painter) const
{
    painter.setBrush(nsColor());
}

void UniformColor::setStroke(QPainter& painter) const
{
    QPen pen = painter.pen();
    if (pen.style() == Qt::NoPen)
        pen.setStyle(Qt::SolidLine);
    pen.setColor(nsColor());
    painter.setPen(pen);
}

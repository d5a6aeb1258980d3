#include "VTRImage.h"

#include "platform/foundation/Bundle.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>

VTRImage::VTRImage(const QImage& bitmap)
    : d(std::make_shared<Data>())
{
    d->bitmap = bitmap;
    d->size = bitmap.isNull() ? QSizeF() : QSizeF(bitmap.size()) / bitmap.devicePixelRatio();
}

VTRImage::VTRImage(const QSizeF& size, DrawingHandler handler)
    : d(std::make_shared<Data>())
{
    d->size = size;
    d->handler = std::move(handler);
}

VTRImage VTRImage::named(const QString& name)
{
    if (name.isEmpty())
        return {};
    const QString path = platform::Bundle::pathForResource(name, QStringLiteral("png"), QStringLiteral("images"));
    if (path.isEmpty())
        return {};
    QImage bitmap(path);
    if (bitmap.isNull())
        return {};
    VTRImage image(bitmap);
    image.d->name = name;
    image.d->isTemplate = name.endsWith(QLatin1String("Template"));
    return image;
}

QSizeF VTRImage::size() const { return d ? d->size : QSizeF(); }
QString VTRImage::name() const { return d ? d->name : QString(); }
bool VTRImage::isTemplate() const { return d && d->isTemplate; }

void VTRImage::setTemplate(bool isTemplate)
{
    if (d)
        d->isTemplate = isTemplate;
}

QString VTRImage::description() const
{
    if (!d)
        return QStringLiteral("nil");
    return QStringLiteral("<VTRImage %1 Size={%2, %3} %4%5>")
        .arg(d->handler ? QStringLiteral("drawn") : QStringLiteral("bitmap"))
        .arg(d->size.width())
        .arg(d->size.height())
        .arg(d->isTemplate ? QStringLiteral("template") : QStringLiteral("plain"))
        .arg(d->name.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(d->name));
}

void VTRImage::draw(QPainter& painter, const QRectF& rect) const
{
    if (!d || d->size.isEmpty())
        return;
    if (!d->handler) {
        painter.drawImage(rect, d->bitmap);
        return;
    }
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / d->size.width(), rect.height() / d->size.height());
    d->handler(painter, QRectF(QPointF(0, 0), d->size));
    painter.restore();
}

QImage VTRImage::cgImage(const QPainter* context) const
{
    if (!d || !(d->size.width() > 0.0) || !(d->size.height() > 0.0))
        return {};
    if (!d->handler)
        return d->bitmap.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    qreal ratio = 1.0;
    if (context && context->device())
        ratio = context->device()->devicePixelRatioF();
    const QSize pixels(int(std::ceil(d->size.width() * ratio)), int(std::ceil(d->size.height() * ratio)));
    QImage bitmap(pixels, QImage::Format_RGBA8888_Premultiplied);
    if (bitmap.isNull())
        return {};
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    draw(painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    painter.end();
    return bitmap;
}

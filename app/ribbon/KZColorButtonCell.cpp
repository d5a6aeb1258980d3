#include "KZColorButtonCell.h"

#include <QPainter>
#include <QPolygonF>

KZColorButtonCell::KZColorButtonCell()
{
    setImage(colorImage(Qt::white));
    setImagePosition(ImageOnly);
    if (identifier().isEmpty()) {
        setIdentifier(defaultIdentifier());
        // On/off, not momentary: a momentary skin never leaves its normal
        // look, so the active button and the chosen swatch could not show
        // that they are the chosen ones.
        constructWithCustomControlType(OnOff);
    }
}

void KZColorButtonCell::setColor(const QColor& color)
{
    m_color = color;
    setEnabled(color.isValid());
    setImage(colorImage(color));
}

void KZColorButtonCell::setAlternateImage(const QImage&)
{
}

void KZColorButtonCell::drawColorBackgroundInBounds(QPainter& painter, const QRectF& bounds)
{
    const QPointF topLeft = bounds.topLeft(), topRight = bounds.topRight();
    const QPointF bottomLeft = bounds.bottomLeft(), bottomRight = bounds.bottomRight();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygonF({bottomLeft, topLeft, topRight}));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygonF({bottomRight, bottomLeft, topRight}));
}

QImage KZColorButtonCell::colorImage(const QColor& color)
{
    QImage image(kImageSide, kImageSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRectF(6, 6, 32, 32), Qt::white);
    const QRectF well(8, 8, 28, 28);
    drawColorBackgroundInBounds(p, well);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.fillRect(well, color.isValid() ? color : disabledControlTextColor());
    p.end();
    return image;
}

void KZColorButtonCell::drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view)
{
    // The skinned cell lays its bezel down first itself; a second bezel
    // underneath would double the translucent hover and pressed layers.
    KZTexturalButtonCell::drawWithFrame(painter, frame, view);
}

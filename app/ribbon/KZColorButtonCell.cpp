#include "KZColorButtonCell.h"

#include <QHash>
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
    // The palettes make dozens of cells at start-up, each first white and
    // then its swatch's colour, many of them the same: an image drawn for a
    // colour is shared (the image is copied on write) by later cells.
    if (!color.isValid())
        return drawnColorImage(color);
    thread_local QHash<quint64, QImage> drawn;
    const quint64 key = color.rgba64();
    if (const auto found = drawn.constFind(key); found != drawn.constEnd())
        return *found;
    // A bound for a program that goes through a great many colours.
    if (drawn.size() >= 256)
        drawn.clear();
    return *drawn.insert(key, drawnColorImage(color));
}

QImage KZColorButtonCell::drawnColorImage(const QColor& color)
{
    const QRectF well(8, 8, 28, 28);
    // What lies under the colour is the same for every colour: drawn once.
    static const QImage ground = [&well] {
        QImage image(kImageSide, kImageSide, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRectF(6, 6, 32, 32), Qt::white);
        drawColorBackgroundInBounds(p, well);
        return image;
    }();
    QImage image = ground.copy();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
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

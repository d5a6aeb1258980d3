#include "SWButtonCell.h"

#include "platform/appkit/ImageResource.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
// The focus ring's blue, which marks the pressed tool.
const QColor kKeyboardFocusIndicator(0x3b, 0x99, 0xfc);

QSize pointSize(const QImage& image)
{
    return image.deviceIndependentSize().toSize();
}

QImage newLook(const QImage& like)
{
    const qreal ratio = like.devicePixelRatio();
    QImage look(like.size(), QImage::Format_ARGB32_Premultiplied);
    look.setDevicePixelRatio(ratio);
    look.fill(Qt::transparent);
    return look;
}

// Device whites from the top down.
void fillWithWhites(QPainter& painter, const QRectF& frame)
{
    QLinearGradient whites(frame.topLeft(), frame.bottomLeft());
    const qreal levels[] = {0.76, 0.78, 0.85, 0.90, 0.92, 0.96};
    const qreal stops[] = {0.0, 0.2, 0.5, 0.8, 0.95, 1.0};
    for (int i = 0; i < 6; ++i)
        whites.setColorAt(stops[i], QColor::fromRgbF(float(levels[i]), float(levels[i]), float(levels[i])));
    painter.fillRect(frame, whites);
}
} // namespace

SWButtonCell::SWButtonCell(const QImage& image)
{
    setImage(image);
    m_backupImage = image;
    generateAltImage_kz();
    generateHovImage_kz();
}

bool SWButtonCell::hasGeneratedLookSize(const QImage& image)
{
    const QSize size = pointSize(image);
    return size == QSize(32, 32) || size == QSize(64, 32) || size == QSize(64, 48);
}

void SWButtonCell::drawBezelBorderInFrame(QPainter& painter, const QRectF& frame, bool isSelected)
{
    painter.save();
    QPainterPath outer;
    outer.addRoundedRect(frame, 3, 3);
    painter.setClipPath(outer);
    if (isSelected) {
        painter.fillRect(frame, kKeyboardFocusIndicator);
    } else {
        QLinearGradient border(frame.topLeft(), frame.bottomLeft());
        border.setColorAt(0.0, QColor(162, 171, 188));
        border.setColorAt(0.3, QColor(169, 177, 193));
        border.setColorAt(0.5, QColor(179, 185, 200));
        border.setColorAt(0.8, QColor(190, 196, 209));
        border.setColorAt(1.0, QColor(197, 202, 213));
        painter.fillRect(outer.boundingRect(), border);
    }
    painter.restore();

    painter.save();
    QPainterPath inner;
    inner.addRoundedRect(frame.adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
    painter.setClipPath(inner);
    fillWithWhites(painter, inner.boundingRect());
    painter.restore();
}

QImage SWButtonCell::composedLook(bool selected) const
{
    const QImage cellImage = image();
    QImage look = newLook(cellImage);
    QPainter p(&look);
    p.setRenderHint(QPainter::Antialiasing, true);
    drawBezelBorderInFrame(p, QRectF(QPointF(0, 0), cellImage.deviceIndependentSize()), selected);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(QPointF(0, 0), cellImage);
    p.end();
    return look;
}

void SWButtonCell::generateAltImage_kz()
{
    if (m_altImage.isNull() && hasGeneratedLookSize(image()))
        m_altImage = composedLook(true);
}

void SWButtonCell::generateHovImage_kz()
{
    if (m_hovImage.isNull() && hasGeneratedLookSize(image()))
        m_hovImage = composedLook(false);
}

QImage SWButtonCell::bundleLook(const QString& small, const QString& wide, const QString& wideTall,
                                bool shadow) const
{
    const QImage cellImage = image();
    const QSize size = pointSize(cellImage);
    const QString name = size == QSize(32, 32) ? small : size == QSize(64, 32) ? wide : size == QSize(64, 48) ? wideTall
                                                                                                       : QString();
    if (name.isEmpty())
        return QImage();
    QImage look = newLook(cellImage);
    QPainter p(&look);
    const QList<QImage> ground = platform::ImageResource::load(name);
    if (!ground.isEmpty())
        p.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), ground.last());
    if (shadow) {
        // A white glow of blur radius 4 under the tool's image.
        QImage glow = cellImage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter tint(&glow);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(glow.rect(), Qt::white);
        tint.end();
        for (int dx = -4; dx <= 4; dx += 2) {
            for (int dy = -4; dy <= 4; dy += 2) {
                p.setOpacity(0.08);
                p.drawImage(QPointF(dx, dy) / 2, glow);
            }
        }
        p.setOpacity(1.0);
    }
    p.drawImage(QPointF(0, 0), cellImage);
    p.end();
    return look;
}

void SWButtonCell::generateAltImage()
{
    m_altImage = bundleLook(QStringLiteral("pressedsmall"), QStringLiteral("pressedwide"),
                            QStringLiteral("pressedwidetall"), true);
}

void SWButtonCell::generateHovImage()
{
    m_hovImage = bundleLook(QStringLiteral("hoveredsmall"), QStringLiteral("hoveredwide"),
                            QStringLiteral("hoveredwidetall"), false);
}

QImage SWButtonCell::alternateImage()
{
    if (m_altImage.isNull())
        generateAltImage_kz();
    return m_altImage;
}

void SWButtonCell::setAlternateImage(const QImage&)
{
}

void SWButtonCell::setIsHovered_(bool hovered)
{
    setImage(hovered ? m_hovImage : m_backupImage);
}

void SWButtonCell::drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view)
{
    if (isBordered())
        drawBezelWithFrame(painter, frame, view);
    // Highlighted, the cell shows its pressed look in place of its image.
    const QRectF imageRect = imageRectForBounds(frame, view);
    if (!imageRect.isNull())
        drawImage(painter, isHighlighted() ? alternateImage() : image(), imageRect, view);
    const QRectF titleRect = titleRectForBounds(frame, view);
    if (!titleRect.isNull())
        drawTitle(painter, attributedTitle(), titleRect, view);
}

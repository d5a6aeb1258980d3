#include "KZThinButtonCell.h"

KZThinButtonCell::KZThinButtonCell()
{
    postInit();
}

void KZThinButtonCell::postInit()
{
    m_textVerticalPosition = kDefaultTextVerticalPosition;
    m_imageVerticalPosition = kImageWhereBasePutsIt;
}

QRectF KZThinButtonCell::titleRectForBounds(const QRectF& bounds, QWidget* view) const
{
    QRectF rect = KZTexturalButtonCell::titleRectForBounds(bounds, view);
    rect.moveTop(m_textVerticalPosition);
    return rect;
}

void KZThinButtonCell::drawImage(QPainter& painter, const QImage& image, const QRectF& frame, QWidget* view)
{
    QRectF placed = frame;
    if (m_imageVerticalPosition != kImageWhereBasePutsIt)
        placed.moveTop(m_imageVerticalPosition);
    KZTexturalButtonCell::drawImage(painter, image, placed, view);
}

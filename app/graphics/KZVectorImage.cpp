#include "KZVectorImage.h"

KZVectorImage::KZVectorImage()
{
    resetVectorState();
}

KZVectorImage::KZVectorImage(const QPainterPath& path)
{
    resetVectorState();
    setImage(path);
    if (!path.isEmpty())
        setPosition(path.boundingRect().center());
}

void KZVectorImage::resetState()
{
    KZGraphicElement::resetState();
    resetVectorState();
}

void KZVectorImage::resetVectorState()
{
    m_fillColor = Qt::white;
    m_strokeColor = Qt::black;
    m_lineSize = 2.0;
    m_shouldFill = false;
    m_shouldStroke = true;
}

void KZVectorImage::setImage(const std::optional<QPainterPath>& path)
{
    m_image.reset();
    if (!path || path->isEmpty())
        return;
    const QPointF centre = path->boundingRect().center();
    QPainterPath centred = path->translated(-centre.x(), -centre.y());
    // Self-crossing outlines (stars, arrows) fill whole, as they are drawn.
    centred.setFillRule(Qt::WindingFill);
    m_image = centred;
}

QSizeF KZVectorImage::originSize() const
{
    if (!m_image)
        return {0, 0};
    return m_image->boundingRect().normalized().size();
}

QRectF KZVectorImage::bounds() const
{
    const double margin = m_lineSize / 2 + 0.5;
    return KZGraphicElement::bounds().adjusted(-margin, -margin, margin, margin);
}

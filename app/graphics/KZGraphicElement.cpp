#include "KZGraphicElement.h"

#include "KZGraphicElementClass.h"
#include "KZGraphicsContext.h"
#include "SWCanvasSizeLimit.h"
#include "SWImageTools.h"

#include <QPainter>

#include <cmath>

KZGraphicElement::KZGraphicElement()
{
    KZGraphicElement::resetState();
}

KZGraphicElement::~KZGraphicElement() = default;

void KZGraphicElement::resetState()
{
    ++m_placementRevision;
    m_scale = QSizeF(1, 1);
    m_position = QPointF(0, 0);
    m_orientation = 0;
    m_shouldFlip = false;
    m_hasCreated = false;
}

QRectF KZGraphicElement::draw(KZGraphicsContext* context, QPainter* painter)
{
    if (!context || !painter)
        return {};
    return context->drawGraphicElement(painter, this);
}

QRectF KZGraphicElement::drawAtPoint(const QPointF& point, KZGraphicsContext* context, QPainter* painter)
{
    if (!context || !painter)
        return {};
    return context->drawGraphicElement(painter, this, point, false);
}

void KZGraphicElement::scaleBy(const QSizeF& factors)
{
    setScale(QSizeF(m_scale.width() * factors.width(), m_scale.height() * factors.height()));
}

void KZGraphicElement::flip(bool vertical)
{
    ++m_placementRevision;
    m_shouldFlip = !m_shouldFlip;
    // Mirroring the local y axis and negating the turn mirrors top to
    // bottom on the canvas; half a turn more mirrors left to right.
    m_orientation = vertical ? -0.0 - m_orientation : 180.0 - m_orientation;
}

QImage KZGraphicElement::bitmapRepresentation()
{
    const QRectF area = bounds();
    // Refused before anything is allocated: an element stretched or moved
    // to absurd numbers must not ask for gigabytes.
    if (!SWCanvasSizeLimit::allows(QSizeF(std::floor(area.width()), std::floor(area.height()))))
        return {};
    KZGraphicsContext context;
    QImage bitmap = SWImageTools::initImageRep(area.size());
    if (bitmap.isNull())
        return {};
    QPainter painter(&bitmap);
    drawAtPoint(QPointF(0, 0), &context, &painter);
    painter.end();
    return bitmap;
}

QTransform KZGraphicElement::transform() const
{
    QTransform t;
    t.translate(m_position.x(), m_position.y());
    t.rotate(m_orientation);
    if (m_shouldFlip)
        t.scale(1, -1);
    t.scale(m_scale.width(), m_scale.height());
    return t;
}

QSizeF KZGraphicElement::size() const
{
    const QSizeF origin = originSize();
    return QSizeF(origin.width() * m_scale.width(), origin.height() * m_scale.height());
}

void KZGraphicElement::setSize(const QSizeF& size)
{
    const QSizeF origin = originSize();
    if (origin.width() == 0 && origin.height() == 0)
        return;
    // A flat content (a horizontal line, say) has one zero side: that
    // axis's scale cannot follow, and a division would store inf or NaN.
    setScale(QSizeF(origin.width() != 0 ? size.width() / origin.width() : m_scale.width(),
                    origin.height() != 0 ? size.height() / origin.height() : m_scale.height()));
}

QPainterPath KZGraphicElement::surroundingPath() const
{
    const QSizeF origin = originSize();
    const double w = origin.width() / 2;
    const double h = origin.height() / 2;
    // Drawn corner by corner: QPainterPath::addRect() skips a rectangle
    // without size, and an element without size still has a place.
    QPainterPath local;
    local.moveTo(-w, -h);
    local.lineTo(w, -h);
    local.lineTo(w, h);
    local.lineTo(-w, h);
    local.closeSubpath();
    return transform().map(local);
}

QRectF KZGraphicElement::bounds() const
{
    return surroundingPath().boundingRect();
}

const KZGraphicElementClass& KZGraphicElement::elementClass() const
{
    static const KZGraphicElementClass none;
    return none;
}

void KZGraphicElement::setPosition(const QPointF& position)
{
    const QPointF old = m_position;
    if (std::isfinite(position.x()))
        m_position.setX(position.x());
    if (std::isfinite(position.y()))
        m_position.setY(position.y());
    if (m_position != old)
        ++m_placementRevision;
}

void KZGraphicElement::setScale(const QSizeF& scale)
{
    const QSizeF old = m_scale;
    if (std::isfinite(scale.width()))
        m_scale.setWidth(scale.width());
    if (std::isfinite(scale.height()))
        m_scale.setHeight(scale.height());
    if (m_scale != old)
        ++m_placementRevision;
}

void KZGraphicElement::setOrientation(double degrees)
{
    if (std::isfinite(degrees) && degrees != m_orientation) {
        m_orientation = degrees;
        ++m_placementRevision;
    }
}

void KZGraphicElement::setShouldFlip(bool flip)
{
    if (flip != m_shouldFlip) {
        m_shouldFlip = flip;
        ++m_placementRevision;
    }
}

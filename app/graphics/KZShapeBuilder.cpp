#include "KZShapeBuilder.h"

#include "KZGraphicsContext.h"
#include "KZShapeElement.h"

#include "platform/foundation/ModifierFlags.h"

#include <QTransform>

#include <cmath>

namespace {
QPointF roundedPoint(const QPointF& p)
{
    return QPointF(std::round(float(p.x())), std::round(float(p.y())));
}
} // namespace

KZShapeBuilder::KZShapeBuilder(KZGraphicsContext* context, const QPainterPath& sample)
    : KZGraphicBuilder(context)
    , m_sample(sample)
{
}

QPainterPath KZShapeBuilder::pathInRect(const QPainterPath& path, const QRectF& rect)
{
    QPainterPath mapped = QTransform(rect.width(), 0, 0, rect.height(), rect.x(), rect.y()).map(path);
    mapped.setFillRule(Qt::WindingFill);
    return mapped;
}

QPainterPath KZShapeBuilder::pathFromPoint(const QPointF& a, const QPointF& b) const
{
    return pathInRect(m_sample, QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::fabs(b.x() - a.x()),
                                       std::fabs(b.y() - a.y())));
}

void KZShapeBuilder::style(KZShapeElement& element) const
{
    if (!context())
        return;
    element.setFillColor(context()->fillColor());
    element.setStrokeColor(context()->strokeColor());
    element.setShouldFill(context()->shouldFill());
    element.setShouldStroke(context()->shouldStroke());
    element.setLineSize(context()->lineWidth());
}

std::shared_ptr<KZShapeElement> KZShapeBuilder::makeShapeInRect(const QRectF& rect) const
{
    auto element = std::make_shared<KZShapeElement>(pathInRect(m_sample, rect));
    style(*element);
    return element;
}

QSizeF KZShapeBuilder::forceVectorToRatio(const QSizeF& v, double r, bool keepDirection)
{
    const double x = v.width();
    const double y = v.height();
    const bool xDominant = float(std::fabs(x)) > float(std::fabs(y));
    const QSizeF magnitude = xDominant ? QSizeF(std::fabs(x), std::fabs(x) / r) : QSizeF(r * std::fabs(y), std::fabs(y));
    const double sx = x < 0 ? -1.0 : 1.0;
    const double sy = y < 0 ? -1.0 : 1.0;
    const double dominant = xDominant ? sx : sy;
    return keepDirection ? QSizeF(magnitude.width() * sx, magnitude.height() * sy)
                         : QSizeF(magnitude.width() * dominant, magnitude.height() * dominant);
}

std::shared_ptr<KZShapeElement> KZShapeBuilder::makeElement() const
{
    if (!m_isStarted)
        return nullptr;
    const QPointF v = m_lastPoint - m_firstPoint;
    QSizeF drag(v.x(), v.y());
    if (context() && (context()->keyFlags() & platform::ModifierFlags::Shift)) {
        const QRectF b = m_sample.boundingRect();
        drag = forceVectorToRatio(drag, b.height() != 0 ? b.width() / b.height() : 1.0, true);
    }
    const QPainterPath path = pathFromPoint(m_firstPoint, m_firstPoint + QPointF(drag.width(), drag.height()));
    if (path.elementCount() == 0)
        return nullptr;
    auto element = std::make_shared<KZShapeElement>(path);
    style(*element);
    element->setHasCreated(m_complete);
    return element;
}

void KZShapeBuilder::didBuildStarted(const QPointF& point)
{
    m_firstPoint = m_lastPoint = roundedPoint(point);
    m_complete = false;
    m_isStarted = true;
    m_element = makeElement();
}

void KZShapeBuilder::didBuildFinished(const QPointF& point)
{
    m_lastPoint = roundedPoint(point);
    m_complete = true;
    m_element = makeElement();
    m_isStarted = false;
}

bool KZShapeBuilder::handleMouseDown(const QPointF& point, QMouseEvent*)
{
    didBuildStarted(point);
    return true;
}

bool KZShapeBuilder::handleMouseDragged(const QPointF& point, QMouseEvent*)
{
    // A gesture may begin with a drag (after a press that committed).
    if (!m_isStarted)
        didBuildStarted(point);
    m_lastPoint = point;
    m_element = makeElement();
    return true;
}

bool KZShapeBuilder::handleMouseUp(const QPointF& point, QMouseEvent*)
{
    if (m_isStarted)
        didBuildFinished(point);
    return false;
}

std::shared_ptr<KZGraphicElement> KZShapeBuilder::element() const
{
    return m_element;
}

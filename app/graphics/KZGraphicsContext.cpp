#include "KZGraphicsContext.h"

#include "KZBitmapImage.h"
#include "KZGraphicElement.h"
#include "KZVectorImage.h"

#include "platform/foundation/Geometry.h"
#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/UserDefaults.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

const QString KZGraphicsContext::kFrontColor = QStringLiteral("frontColor");
const QString KZGraphicsContext::kBackColor = QStringLiteral("backColor");
const QString KZGraphicsContext::kLineWidth = QStringLiteral("lineWidth");
const QString KZGraphicsContext::kShouldFill = QStringLiteral("shouldFill");
const QString KZGraphicsContext::kShouldStroke = QStringLiteral("shouldStroke");
const QString KZGraphicsContext::kKeyFlags = QStringLiteral("keyFlags");
const QString KZGraphicsContext::kSelectedColor = QStringLiteral("selectedColor");
const QString KZGraphicsContext::kZoomFactor = QStringLiteral("zoomFactor");

KZGraphicsContext::KZGraphicsContext()
    : m_frontColor(Qt::black)
    , m_backColor(Qt::white)
{
}

KZGraphicsContext::~KZGraphicsContext() = default;

void KZGraphicsContext::setFrontColor(const QColor& color)
{
    m_frontColor = color;
    didChange(kFrontColor);
}

void KZGraphicsContext::setBackColor(const QColor& color)
{
    m_backColor = color;
    didChange(kBackColor);
}

void KZGraphicsContext::setLineWidth(double width)
{
    m_lineWidth = width;
    didChange(kLineWidth);
}

void KZGraphicsContext::setShouldFill(bool fill)
{
    m_shouldFill = fill;
    didChange(kShouldFill);
}

void KZGraphicsContext::setShouldStroke(bool stroke)
{
    m_shouldStroke = stroke;
    didChange(kShouldStroke);
}

void KZGraphicsContext::setKeyFlags(uint64_t flags)
{
    m_keyFlags = flags;
    didChange(kKeyFlags);
}

void KZGraphicsContext::setSelectedColor(const QColor& color)
{
    m_selectedColor = color;
    didChange(kSelectedColor);
}

void KZGraphicsContext::setZoomFactor(double factor)
{
    m_zoomFactor = factor;
    didChange(kZoomFactor);
}

QColor KZGraphicsContext::fillColor() const
{
    return (m_keyFlags & platform::ModifierFlags::Option) ? m_frontColor : m_backColor;
}

QColor KZGraphicsContext::strokeColor() const
{
    return (m_keyFlags & platform::ModifierFlags::Option) ? m_backColor : m_frontColor;
}

namespace {
// Main thread only, like all drawing of elements.
quint64 drawnElements = 0;
} // namespace

quint64 KZGraphicsContext::elementDrawCount()
{
    return drawnElements;
}

QRectF KZGraphicsContext::drawGraphicElement(QPainter* painter, KZGraphicElement* element)
{
    if (!element)
        return {};
    return drawGraphicElement(painter, element, element->bounds().topLeft(), true);
}

QRectF KZGraphicsContext::drawGraphicElement(QPainter* painter, KZGraphicElement* element, const QPointF& point,
                                             bool allowOptimise)
{
    if (!painter || !element)
        return {};
    ++drawnElements;
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, allowOptimise);
    painter->setRenderHint(QPainter::Antialiasing,
                           platform::UserDefaults::standard().boolean(QStringLiteral("AllowAntialias")));
    QRectF result;
    if (auto* vector = dynamic_cast<KZVectorImage*>(element))
        result = drawVectorImage(*painter, *vector, point);
    else if (auto* bitmap = dynamic_cast<KZBitmapImage*>(element))
        result = drawBitmapImage(*painter, *bitmap, point);
    else
        result = QRectF(point, element->bounds().size());
    painter->restore();
    return result;
}

QTransform KZGraphicsContext::transformGraphic(const KZGraphicElement& element, const QPointF& point)
{
    const QPointF shift = point - element.bounds().topLeft();
    return element.transform() * QTransform::fromTranslate(shift.x(), shift.y());
}

QRectF KZGraphicsContext::drawBitmapImage(QPainter& painter, KZBitmapImage& element, const QPointF& point)
{
    const QTransform transform = transformGraphic(element, point);
    const QImage& image = element.image();
    if (!image.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setTransform(transform, true);
        const double w = image.width();
        const double h = image.height();
        painter.drawImage(QRectF(-w / 2, -h / 2, w, h), image, QRectF(0, 0, w, h));
        painter.restore();
    }
    return QRectF(point, element.bounds().size());
}

QRectF KZGraphicsContext::drawVectorImage(QPainter& painter, KZVectorImage& element, const QPointF& point)
{
    QRectF result;
    QPainterPath mapped;
    if (element.image()) {
        mapped = transformGraphic(element, point).map(*element.image());
        mapped.setFillRule(Qt::WindingFill);
    }
    if (element.shouldFill()) {
        painter.fillPath(mapped, element.fillColor());
        result = platform::unionRect(result, element.bounds());
    }
    if (element.shouldStroke()) {
        QPen pen(element.strokeColor(), element.lineSize(), Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin);
        painter.strokePath(mapped, pen);
        result = platform::unionRect(result, element.bounds());
    }
    return result;
}

void KZGraphicsContext::addObserver(const void* owner, Observer observer)
{
    m_observers.emplace_back(owner, std::move(observer));
}

void KZGraphicsContext::removeObserver(const void* owner)
{
    m_observers.erase(std::remove_if(m_observers.begin(), m_observers.end(),
                                     [owner](const auto& entry) { return entry.first == owner; }),
                      m_observers.end());
}

void KZGraphicsContext::didChange(const QString& keyPath)
{
    // A copy: an observer may add or remove observers while it is told.
    const auto observers = m_observers;
    for (const auto& entry : observers)
        entry.second(keyPath);
}

#include "KZSelectionBuilder.h"

#include "KZSelectionElement.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"

#include <QPainter>
#include <QPen>

#include <cmath>

KZSelectionBuilder::KZSelectionBuilder(KZGraphicsContext* context)
    : KZGraphicBuilder(context)
    , m_selection(QPainterPath())
{
}

QPointF KZSelectionBuilder::roundedPoint(const QPointF& p)
{
    return QPointF(std::round(float(p.x())), std::round(float(p.y())));
}

QRectF KZSelectionBuilder::drawableRect() const
{
    return imageDataSource() ? imageDataSource()->drawableRect() : QRectF();
}

void KZSelectionBuilder::didBuildStarted(const QPointF&)
{
    m_complete = false;
    m_isStarted = true;
}

void KZSelectionBuilder::didBuildFinished(const QPointF&)
{
    m_isStarted = false;
    m_complete = true;
}

bool KZSelectionBuilder::handleMouseDown(const QPointF& point, QMouseEvent*)
{
    didBuildStarted(point);
    return true;
}

bool KZSelectionBuilder::handleMouseDragged(const QPointF& point, QMouseEvent*)
{
    if (!m_isStarted)
        didBuildStarted(point);
    return true;
}

bool KZSelectionBuilder::handleMouseUp(const QPointF& point, QMouseEvent*)
{
    if (!m_isStarted)
        return true;
    didBuildFinished(point);
    return false;
}

std::shared_ptr<KZGraphicElement> KZSelectionBuilder::element() const
{
    if (!m_complete || !m_selection || m_selection->isEmpty())
        return nullptr;
    // Made once: the tool asks after every event and takes this one.
    if (!m_element) {
        m_element = std::make_shared<KZSelectionElement>();
        m_element->setImage(*m_selection);
        m_element->setHasCreated(true);
        m_element->setPosition(m_selection->boundingRect().center());
    }
    return m_element;
}

QRectF KZSelectionBuilder::draw(QPainter* painter)
{
    if (!m_selection || m_selection->isEmpty())
        return {};
    if (painter) {
        painter->save();
        painter->setCompositionMode(QPainter::CompositionMode_Source);
        painter->setRenderHint(QPainter::Antialiasing, true);
        QPen pen(QColor(128, 0, 128), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin);
        pen.setCosmetic(true);
        painter->strokePath(*m_selection, pen);
        painter->restore();
    }
    return m_selection->boundingRect().adjusted(-1, -1, 1, 1);
}

void KZSelectionBuilder::selectAll()
{
    QPainterPath all;
    all.addRect(drawableRect());
    m_selection = all;
    m_complete = true;
    m_element.reset();
}

std::array<QImage, 2> KZSelectionBuilder::selectedImageOfPath(const std::optional<QPainterPath>& path,
                                                              const QImage& bitmap, const QColor& backgroundColor)
{
    std::array<QImage, 2> versions;
    const bool cut = path && !path->boundingRect().isNull();
    for (QImage& version : versions)
        version = cut ? SWImageTools::cropImage(bitmap, *path) : SWImageTools::cloneImage(bitmap);
    SWImageTools::stripImage(versions[1], backgroundColor);
    return versions;
}

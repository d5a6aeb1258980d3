#include "KZTextBuilder.h"

#include "KZShapeKinds.h"
#include "KZTextElement.h"

#include <QPainter>
#include <QPen>

KZTextBuilder::KZTextBuilder(KZGraphicsContext* context)
    : KZShapeBuilder(context, KZShapeKinds::sample(QStringLiteral("rectangle")))
{
}

QColor KZTextBuilder::outlineColor()
{
    return QColor(128, 0, 128);
}

QRectF KZTextBuilder::draw(QPainter* painter)
{
    const std::shared_ptr<KZGraphicElement> shape = KZShapeBuilder::element();
    if (!shape)
        return {};
    const QRectF box = shape->bounds();
    if (painter) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        QPen pen(outlineColor(), 1.0);
        pen.setCosmetic(true);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(box);
        painter->restore();
    }
    return box.adjusted(-1, -1, 1, 1);
}

std::shared_ptr<KZGraphicElement> KZTextBuilder::element() const
{
    const std::shared_ptr<KZGraphicElement> shape = KZShapeBuilder::element();
    if (!shape || !shape->hasCreated())
        return nullptr;
    // Made once per finished drag: the tool asks after every event.
    if (shape != m_dragged) {
        m_dragged = shape;
        m_box = std::make_shared<KZTextElement>(shape->surroundingPath());
        m_box->setPosition(shape->position());
        m_box->setHasCreated(true);
    }
    return m_box;
}

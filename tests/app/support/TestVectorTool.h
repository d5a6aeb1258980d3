#pragma once

#include "KZGraphicBuilder.h"
#include "KZGraphicEditor.h"
#include "KZGraphicElementClass.h"
#include "KZGraphicTool.h"
#include "KZGraphicsContext.h"
#include "KZVectorImage.h"
#include "SWToolbox.h"

#include <QPainter>

// A rectangle element for driving the vector tool base: the press sets one
// corner, every drag the other, the release finishes it.
class TestRectElement : public KZVectorImage {
public:
    static const KZGraphicElementClass& kind();
    const KZGraphicElementClass& elementClass() const override { return kind(); }
};

class TestRectBuilder : public KZGraphicBuilder {
public:
    using KZGraphicBuilder::KZGraphicBuilder;

    bool handleMouseDown(const QPointF& point, QMouseEvent*) override
    {
        start(point);
        return true;
    }
    bool handleMouseDragged(const QPointF& point, QMouseEvent*) override
    {
        if (!m_element)
            start(point);
        reshape(point);
        return true;
    }
    bool handleMouseUp(const QPointF& point, QMouseEvent*) override
    {
        if (!m_element)
            start(point);
        reshape(point);
        m_element->setHasCreated(true);
        return true;
    }
    QRectF draw(QPainter* painter) override
    {
        if (!m_element)
            return {};
        if (painter)
            painter->drawRect(m_element->bounds());
        return m_element->bounds();
    }
    std::shared_ptr<KZGraphicElement> element() const override { return m_element; }

private:
    void start(const QPointF& point)
    {
        m_element = std::make_shared<TestRectElement>();
        m_element->setStrokeColor(context()->strokeColor());
        m_element->setFillColor(context()->fillColor());
        m_element->setLineSize(context()->lineWidth());
        m_element->setShouldFill(context()->shouldFill());
        m_element->setShouldStroke(context()->shouldStroke());
        m_start = point;
    }
    void reshape(const QPointF& point)
    {
        QPainterPath path;
        path.addRect(QRectF(m_start, point).normalized());
        m_element->setImage(path);
        m_element->setPosition(path.boundingRect().center());
    }

    std::shared_ptr<TestRectElement> m_element;
    QPointF m_start;
};

inline const KZGraphicElementClass& TestRectElement::kind()
{
    static const KZGraphicElementClass kind{
        QStringLiteral("test rectangle"),
        [](KZGraphicsContext* context) { return std::make_unique<TestRectBuilder>(context); },
        [](KZGraphicsContext* context, const std::shared_ptr<KZGraphicElement>& element) {
            return std::make_unique<KZGraphicEditor>(context, element);
        }};
    return kind;
}

// The vector tool base with the rectangle kind.
class TestVectorTool : public KZGraphicTool {
public:
    explicit TestVectorTool(KZToolboxController* controller)
        : KZGraphicTool(controller, &TestRectElement::kind())
    {
    }
};

inline SWToolbox::ToolClass testVectorToolClass()
{
    return {"TestVectorTool",
            [](KZToolboxController* controller) { return std::unique_ptr<SWTool>(new TestVectorTool(controller)); }};
}

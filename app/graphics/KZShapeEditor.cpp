#include "KZShapeEditor.h"

#include "KZGraphicsContext.h"
#include "KZVectorImage.h"

#include "platform/foundation/ModifierFlags.h"

KZShapeEditor::KZShapeEditor(KZGraphicsContext* context, std::shared_ptr<KZGraphicElement> element)
    : KZGraphicEditor(context, std::move(element))
{
    m_flipColor = optionHeld();
    if (context)
        context->addObserver(this, [this](const QString& keyPath) { contextDidChange(keyPath); });
}

KZShapeEditor::~KZShapeEditor()
{
    if (context())
        context()->removeObserver(this);
}

bool KZShapeEditor::optionHeld() const
{
    return context() && (context()->keyFlags() & platform::ModifierFlags::Option);
}

QColor KZShapeEditor::fillColor() const
{
    if (!context())
        return {};
    return m_flipColor ? context()->frontColor() : context()->backColor();
}

QColor KZShapeEditor::strokeColor() const
{
    if (!context())
        return {};
    return m_flipColor ? context()->backColor() : context()->frontColor();
}

void KZShapeEditor::contextDidChange(const QString& keyPath)
{
    if (keyPath != KZGraphicsContext::kFrontColor && keyPath != KZGraphicsContext::kBackColor &&
        keyPath != KZGraphicsContext::kShouldStroke && keyPath != KZGraphicsContext::kShouldFill &&
        keyPath != KZGraphicsContext::kLineWidth && keyPath != KZGraphicsContext::kKeyFlags)
        return;
    if (auto* shape = dynamic_cast<KZVectorImage*>(element().get())) {
        shape->setFillColor(fillColor());
        shape->setStrokeColor(strokeColor());
        shape->setShouldFill(context()->shouldFill());
        shape->setShouldStroke(context()->shouldStroke());
        shape->setLineSize(context()->lineWidth());
    }
    m_flipColor = optionHeld();
}

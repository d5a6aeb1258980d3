#include "KZShapeElement.h"

#include "KZGraphicElementClass.h"
#include "KZShapeEditor.h"

const KZGraphicElementClass& KZShapeElement::kind()
{
    static const KZGraphicElementClass shape{
        QStringLiteral("KZShape"), nullptr,
        [](KZGraphicsContext* context, const std::shared_ptr<KZGraphicElement>& element) {
            return std::make_unique<KZShapeEditor>(context, element);
        }};
    return shape;
}

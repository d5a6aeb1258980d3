#include "KZShapeTool.h"

#include "KZShapeBuilder.h"
#include "KZShapeElement.h"
#include "KZShapeKinds.h"
#include "SWDocument.h"

KZShapeTool::KZShapeTool(KZToolboxController* controller, const KZGraphicElementClass* elementClass)
    : KZGraphicTool(controller, elementClass)
{
}

std::unique_ptr<KZShapeTool> KZShapeTool::toolWithKind(KZToolboxController* controller, const QString& label)
{
    const KZGraphicElementClass* kind = KZShapeKinds::elementClass(label);
    if (!kind)
        return nullptr;
    return std::unique_ptr<KZShapeTool>(new KZShapeTool(controller, kind));
}

bool KZShapeTool::didCreatedGraphic(const std::shared_ptr<KZGraphicElement>& built)
{
    std::shared_ptr<KZGraphicElement> element = built;
    const QSizeF size = element ? element->size() : QSizeF();
    if (!element || size.width() == 0 || size.height() == 0) {
        // A click, or a drag flat in one direction: the flat outline's
        // bounds grown by 20 on every side.
        const QRectF box = (element ? element->bounds() : QRectF()).adjusted(-20, -20, 20, 20);
        const auto* shapeBuilder = dynamic_cast<const KZShapeBuilder*>(builder());
        std::shared_ptr<KZShapeElement> shape = shapeBuilder ? shapeBuilder->makeShapeInRect(box) : nullptr;
        if (shape)
            shape->setHasCreated(true);
        element = shape;
    }
    if (!KZGraphicTool::didCreatedGraphic(element))
        return false;
    // Taken before the shape reaches the picture: one undo after the commit
    // gives back the picture without it.
    if (SWDocument* doc = document())
        doc->handleUndoWithImageData();
    return true;
}

#include "KZRectangleSelectionTool.h"

#include "KZSelectionElement.h"

KZRectangleSelectionTool::KZRectangleSelectionTool(KZToolboxController* controller)
    : KZSelectionTool(controller, &KZSelectionElement::rectangleKind())
{
}

#include "KZFreeSelectionTool.h"

#include "KZSelectionElement.h"

KZFreeSelectionTool::KZFreeSelectionTool(KZToolboxController* controller)
    : KZSelectionTool(controller, &KZSelectionElement::freeKind())
{
}

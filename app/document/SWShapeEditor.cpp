#include "SWShapeEditor.h"

void SWShapeEditor::renderToContext(QPainter&, const QRectF&)
{
}

bool SWShapeEditor::handleMouseDown(QMouseEvent*)
{
    return false;
}

bool SWShapeEditor::handleMouseUp(QMouseEvent*)
{
    return false;
}

bool SWShapeEditor::handleMouseDragged(QMouseEvent*)
{
    return false;
}

bool SWShapeEditor::handleKeyDown(QKeyEvent*)
{
    return false;
}

#include "SWSketchEditor.h"

void SWSketchEditor::renderToContext(QPainter&, const QRectF&)
{
}

bool SWSketchEditor::handleMouseDown(QMouseEvent*)
{
    return false;
}

bool SWSketchEditor::handleMouseUp(QMouseEvent*)
{
    return false;
}

bool SWSketchEditor::handleMouseDragged(QMouseEvent*)
{
    return false;
}

bool SWSketchEditor::handleKeyDown(QKeyEvent*)
{
    return false;
}

#include "SWEmptyEditor.h"

void SWEmptyEditor::renderToContext(QPainter&, const QRectF&)
{
}

bool SWEmptyEditor::handleMouseDown(QMouseEvent*)
{
    return false;
}

bool SWEmptyEditor::handleMouseUp(QMouseEvent*)
{
    return false;
}

bool SWEmptyEditor::handleMouseDragged(QMouseEvent*)
{
    return false;
}

bool SWEmptyEditor::handleKeyDown(QKeyEvent*)
{
    return false;
}

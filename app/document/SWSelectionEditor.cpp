#include "SWSelectionEditor.h"

void SWSelectionEditor::renderToContext(QPainter&, const QRectF&)
{
}

bool SWSelectionEditor::handleMouseDown(QMouseEvent*)
{
    return false;
}

bool SWSelectionEditor::handleMouseUp(QMouseEvent*)
{
    return false;
}

bool SWSelectionEditor::handleMouseDragged(QMouseEvent*)
{
    return false;
}

bool SWSelectionEditor::handleKeyDown(QKeyEvent*)
{
    return false;
}

#include "SWTextEditor.h"

void SWTextEditor::renderToContext(QPainter&, const QRectF&)
{
}

bool SWTextEditor::handleMouseDown(QMouseEvent*)
{
    return false;
}

bool SWTextEditor::handleMouseUp(QMouseEvent*)
{
    return false;
}

bool SWTextEditor::handleMouseDragged(QMouseEvent*)
{
    return false;
}

bool SWTextEditor::handleKeyDown(QKeyEvent*)
{
    return false;
}

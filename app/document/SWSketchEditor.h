#pragma once

#include <QRectF>

class QKeyEvent;
class QMouseEvent;
class QPainter;

// An editor for sketches that nothing makes: it draws nothing and takes no
// event (each handler answers false).
class SWSketchEditor {
public:
    void renderToContext(QPainter& painter, const QRectF& frame);
    bool handleMouseDown(QMouseEvent* event);
    bool handleMouseUp(QMouseEvent* event);
    bool handleMouseDragged(QMouseEvent* event);
    bool handleKeyDown(QKeyEvent* event);
};

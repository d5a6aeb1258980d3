#pragma once

#include <QRectF>

class QKeyEvent;
class QMouseEvent;
class QPainter;

// An editor that nothing makes: it draws nothing and takes no event (each
// handler answers false). The sketch, shape, selection and text editors are
// kept by these names for what may come to use them.
class SWEmptyEditor {
public:
    void renderToContext(QPainter& painter, const QRectF& frame);
    bool handleMouseDown(QMouseEvent* event);
    bool handleMouseUp(QMouseEvent* event);
    bool handleMouseDragged(QMouseEvent* event);
    bool handleKeyDown(QKeyEvent* event);
};

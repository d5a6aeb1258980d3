#pragma once

#include "SWTool.h"

#include <optional>

// Base of the tools that act at a click (fill, eyedropper): their cursor
// shows only while the pointer is over the canvas, the arrow elsewhere.
class SWInstantTool : public SWTool {
public:
    // customCursor: the tool's own cursor, made by the subclass.
    SWInstantTool(KZToolboxController* controller, const QCursor& customCursor);

    void mouseHasMoved(const QPointF& point, QMouseEvent* event) override;
    // For presses, releases and plain moves (not drags): the tool's cursor
    // when the event lies on the canvas, else the arrow.
    void updateCurrentCursorIfNeeded(QMouseEvent* event);
    QCursor cursor() override;

    const QCursor& customCursor() const { return m_customCursor; }

private:
    QCursor m_customCursor;
    std::optional<QCursor> m_currentCursor;
};

#pragma once

#include "SWDrawnArea.h"
#include "SWTool.h"

#include <optional>

// The eraser ("Eraser"): paints the back colour (the front colour with
// Option) straight into the picture while the mouse is down, replacing the
// pixels, so a transparent back colour erases to transparency. Its undo step
// is taken at the press, before the first pixel changes.
class SWEraserTool : public SWTool {
public:
    explicit SWEraserTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override;
    QString description() const override { return QStringLiteral("Eraser"); }
    QColor drawingColor() const override { return m_backColor; }

    // Strokes the path into a bitmap; the area it may have changed.
    QRectF draw(QImage* bitmap);

private:
    std::optional<QCursor> m_cursor;
    SWDrawnArea m_bufferRecord;
};

#pragma once

#include "SWTool.h"

#include <optional>

// The zoom tool ("Zoom"): a press zooms in one level around the pressed
// point, with Option out. Drags and releases do nothing.
class SWZoomTool : public SWTool {
public:
    explicit SWZoomTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override;
    QString description() const override { return QStringLiteral("Zoom"); }

private:
    std::optional<QCursor> m_cursor;
};

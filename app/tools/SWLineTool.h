#pragma once

#include "SWDrawnArea.h"
#include "SWTool.h"

#include <QColor>

// The straight line ("Line"): previewed in the buffer image while the mouse
// is down and drawn once more into the picture at the mouse-up. Shift snaps
// it to horizontal, vertical or a 45-degree diagonal.
class SWLineTool : public SWTool {
public:
    explicit SWLineTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override { return QCursor(Qt::CrossCursor); }
    QString description() const override { return QStringLiteral("Line"); }
    QPainterPath pathFromPoint(const QPointF& from, const QPointF& to) override;

    double pathWidth() const { return m_pathWidth; }

private:
    QColor m_primaryColor;
    double m_pathWidth = 0.0;
    SWDrawnArea m_bufferRecord;
};

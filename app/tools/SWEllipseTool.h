#pragma once

#include "SWDrawnArea.h"
#include "SWTool.h"

#include <QColor>

// The ellipse ("Ellipse"): the oval in the rectangle dragged from the press
// point, filled and outlined by the fill style, never anti-aliased. Shift
// makes it a circle. Previewed in the buffer image, drawn once more into the
// picture at the mouse-up.
class SWEllipseTool : public SWTool {
public:
    explicit SWEllipseTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QCursor cursor() override { return QCursor(Qt::CrossCursor); }
    QString description() const override { return QStringLiteral("Ellipse"); }
    QPainterPath pathFromPoint(const QPointF& from, const QPointF& to) override;
    bool shouldShowFillOptions() const override { return true; }

private:
    QColor m_primaryColor;
    QColor m_secondaryColor;
    double m_pathWidth = 0.0;
    SWDrawnArea m_bufferRecord;
};

#pragma once

#include "SWInstantTool.h"

#include <QColor>

#include <cstdint>

// The flood fill ("Fill"): a click fills the 4-connected area of exactly the
// colour under it with the front colour (the back colour with Option). A
// click on a pixel that already has that colour changes nothing and takes no
// undo step.
class SWFillTool : public SWInstantTool {
public:
    explicit SWFillTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QString description() const override { return QStringLiteral("Fill"); }
    QPainterPath pathFromPoint(const QPointF&, const QPointF&) override { return {}; }

    // The area to fill around a canvas point: a mask of the main image's
    // size, 0 inside the area (null when there is none).
    QImage newFloodFillSelect(const QPointF& point, double tolerance) const;
    // Replaces the pixels inside a mask's area with a colour, alpha included.
    void fillMask(const QImage& mask, const QColor& color);

private:
    int64_t m_w = 0;
    int64_t m_h = 0;
    QColor m_fillColor;
};

#pragma once

#include "SWInstantTool.h"

// The eyedropper ("Eyedropper"): the colour under the mouse becomes the
// colour of the shared colour panel, at the press and at every drag and
// release, so it follows the mouse across the picture.
class SWEyeDropperTool : public SWInstantTool {
public:
    explicit SWEyeDropperTool(KZToolboxController* controller);

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    QString description() const override { return QStringLiteral("Eyedropper"); }
};

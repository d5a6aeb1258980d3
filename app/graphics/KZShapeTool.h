#pragma once

#include "KZGraphicTool.h"

#include <memory>

// The vector tool of the predefined shapes; one per kind, labelled by the
// kind's name ("heart", "arrowUp"). Besides the base's behaviour a click (or
// a drag flat in one direction) places a shape of a default size, and every
// created shape takes one undo step, whether it is later committed or
// dropped.
class KZShapeTool : public KZGraphicTool {
public:
    // Null for an unknown kind.
    static std::unique_ptr<KZShapeTool> toolWithKind(KZToolboxController* controller, const QString& label);

    bool didCreatedGraphic(const std::shared_ptr<KZGraphicElement>& element) override;

private:
    KZShapeTool(KZToolboxController* controller, const KZGraphicElementClass* elementClass);
};

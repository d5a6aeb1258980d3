#pragma once

#include "KZSelectionTool.h"

// The pixel selection of a rectangle outline ("rectangle selection").
class KZRectangleSelectionTool : public KZSelectionTool {
public:
    explicit KZRectangleSelectionTool(KZToolboxController* controller);
};

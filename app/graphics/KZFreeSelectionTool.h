#pragma once

#include "KZSelectionTool.h"

// The pixel selection of a free-hand outline ("free selection").
class KZFreeSelectionTool : public KZSelectionTool {
public:
    explicit KZFreeSelectionTool(KZToolboxController* controller);
};

#pragma once

#include "SWEmptyEditor.h"

class SWSelectionEditor : public SWEmptyEditor {};

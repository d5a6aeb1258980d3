#pragma once

#include "SWEmptyEditor.h"

class SWSketchEditor : public SWEmptyEditor {};

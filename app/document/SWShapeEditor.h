#pragma once

#include "SWEmptyEditor.h"

class SWShapeEditor : public SWEmptyEditor {};

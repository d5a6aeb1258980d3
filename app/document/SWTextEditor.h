#pragma once

#include "SWEmptyEditor.h"

class SWTextEditor : public SWEmptyEditor {};

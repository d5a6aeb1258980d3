#pragma once

class VTRSlider;

namespace vtr {

// Bounds count as equal within 1e-5.
void setMinValueOnlyNeeded(VTRSlider* slider, double value);
void setMaxValueOnlyNeeded(VTRSlider* slider, double value);

} // namespace vtr

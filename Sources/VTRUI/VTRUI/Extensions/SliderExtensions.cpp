#include "SliderExtensions.h"

#include "FloatComparison.h"
#include "VTRSlider.h"

namespace vtr {

void setMinValueOnlyNeeded(VTRSlider* slider, double value)
{
    if (slider && !FloatComparison::checkEquals(slider->minValue(), value))
        slider->setMinValue(value);
}

void setMaxValueOnlyNeeded(VTRSlider* slider, double value)
{
    if (slider && !FloatComparison::checkEquals(slider->maxValue(), value))
        slider->setMaxValue(value);
}

} // namespace vtr

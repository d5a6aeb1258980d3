#include "SliderExtensions.h"

#include "VTRFloatEquals.h"
#include "VTRSlider.h"

namespace vtr {

void setMinValueOnlyNeeded(VTRSlider* slider, double value)
{
    if (slider && !vtrFloatEquals(slider->minValue(), value))
        slider->setMinValue(value);
}

void setMaxValueOnlyNeeded(VTRSlider* slider, double value)
{
    if (slider && !vtrFloatEquals(slider->maxValue(), value))
        slider->setMaxValue(value);
}

} // namespace vtr

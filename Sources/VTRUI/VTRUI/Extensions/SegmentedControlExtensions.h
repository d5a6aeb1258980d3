#pragma once

class QButtonGroup;

// A segmented control is a button group; segment n is its n-th button in the
// order they were added. A segment that does not exist is ignored.
namespace vtr {

void setSelectedOnlyNeeded(QButtonGroup* control, bool selected, int segment);
void setEnabledOnlyNeeded(QButtonGroup* control, bool enabled, int segment);

} // namespace vtr

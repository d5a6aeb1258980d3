#pragma once

class QLabel;

namespace vtr {

// A plain text label: no frame, no background, no interaction, zero size.
QLabel* createLabel();

} // namespace vtr

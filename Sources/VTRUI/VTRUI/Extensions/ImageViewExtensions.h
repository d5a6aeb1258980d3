#pragma once

#include <QRect>

class QLabel;

namespace vtr {

// An image view that shows its picture centred at its own size, with no
// frame and no interaction.
QLabel* createStaticImageView(const QRect& frame);

} // namespace vtr

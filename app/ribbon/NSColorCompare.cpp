#include "NSColorCompare.h"

#include <QRgba64>

bool NSColorCompare::isEqualToColor(const QColor& color, const QColor& other)
{
    if (!color.isValid() || !other.isValid())
        return false;
    // QColor's own == compares the form too, so HSV red and RGB red differ.
    return color.toRgb().rgba64() == other.toRgb().rgba64();
}

#pragma once

#include <QString>

// Numbers in brush files, read the way the format always has: leading blanks
// skipped, the longest number at the start taken, 0 when there is none. The
// decimal point is always ".", whatever the user's locale.
namespace BrushNumberText {

// A number that overflows a float reads as infinity, so callers can refuse it.
float floatValue(const QString& text);
int intValue(const QString& text);

} // namespace BrushNumberText

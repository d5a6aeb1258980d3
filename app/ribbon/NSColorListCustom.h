#pragma once

#include "platform/appkit/ColorList.h"

#include <QColor>
#include <QStringList>

#include <cstdint>

// Unnamed colour lists cut out of another list, and a membership test
// that uses the colour group's equality (NSColorCompare).
class NSColorListCustom {
public:
    // The colours of the keys at positions location to location + length - 1
    // of the source's keys, in order. The range is clipped to the keys.
    static platform::ColorList initWithColorList(const platform::ColorList& list, std::uint64_t location,
                                                 std::uint64_t length);
    // The colours of the given keys in the given order; keys the source
    // lacks are skipped.
    static platform::ColorList initWithColorList(const platform::ColorList& list, const QStringList& keys);
    static bool containsColor(const platform::ColorList& list, const QColor& color);
};

#include "UniformGrayScale.h"

#include "Appearance.h"

#include <algorithm>

namespace {
std::int64_t clampedLevel(std::int64_t level)
{
    return std::clamp<std::int64_t>(level, 0, 255);
}
} // namespace

UniformGrayScale::UniformGrayScale(std::int64_t grayScale)
    : UniformGrayScale(grayScale, grayScale)
{
}

UniformGrayScale::UniformGrayScale(std::int64_t anyGrayScale, std::int64_t darkGrayScale)
    : anyLevel(clampedLevel(anyGrayScale))
    , darkLevel(clampedLevel(darkGrayScale))
{
}

std::int64_t UniformGrayScale::grayScale() const
{
    return Appearance::isCurrentDarkMode() ? darkLevel : anyLevel;
}

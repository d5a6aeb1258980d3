#pragma once

#include <cstdint>

// A grey level (0 black .. 255 white) with one value for the light and one
// for the dark appearance, chosen when it is read.
class UniformGrayScale {
public:
    // Both levels, clamped into 0..255.
    explicit UniformGrayScale(std::int64_t grayScale);
    UniformGrayScale(std::int64_t anyGrayScale, std::int64_t darkGrayScale);

    std::int64_t anyGrayScale() const { return anyLevel; }
    std::int64_t darkGrayScale() const { return darkLevel; }
    // darkGrayScale in the dark appearance, else anyGrayScale.
    std::int64_t grayScale() const;

    bool operator==(const UniformGrayScale&) const = default;

private:
    std::int64_t anyLevel;
    std::int64_t darkLevel;
};

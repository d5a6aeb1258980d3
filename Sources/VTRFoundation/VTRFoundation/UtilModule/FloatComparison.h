#pragma once

// Equality of floating values within a fixed absolute tolerance, so that
// re-setting a value that differs only by rounding noise changes nothing.
// The tolerance does not scale with the values.
class FloatComparison {
public:
    FloatComparison() = delete;

    // 1e-5 in single precision.
    static constexpr float floatTolerance() { return 1e-5f; }
    // The single-precision tolerance widened (9.999999747378752e-06), not the
    // double nearest to 1e-5: both widths agree on what counts as equal.
    static constexpr double doubleTolerance() { return static_cast<double>(floatTolerance()); }
    static constexpr double cgfloatTolerance() { return doubleTolerance(); }

    // True when the tolerance is greater than or equal to |a - b|; false when
    // either value is not a number, and for two equal infinities.
    static bool checkEquals(float a, float b);
    static bool checkEquals(double a, double b);
};

#include "VTRFloatEquals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct DoubleCase {
    double a;
    double b;
    bool equal;
};

TEST(VTRFloatEquals, DoublesWithinTheWidenedTolerance)
{
    const double tolerance = double(1e-5f);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const DoubleCase cases[] = {
        {5.0, 5.0 + 0.000001, true},
        {5.0, 5.001, false},
        {0.0, tolerance, true},      // exactly the tolerance counts as equal
        {0.0, 1e-5, false},          // 1e-5 is just above the widened tolerance
        {0.0, 9.999999e-06, true},
        {-3.0, -3.0 - 9e-6, true},
        {1e12, std::nextafter(1e12, 2e12), false}, // absolute, not relative
        {nan, nan, false},
        {nan, 0.0, false},
        {inf, inf, false}, // inf - inf is not a number
        {-inf, -inf, false},
    };
    for (const DoubleCase& c : cases)
        EXPECT_EQ(vtrFloatEquals(c.a, c.b), c.equal) << c.a << " vs " << c.b;
}

TEST(VTRFloatEquals, FloatsWithTheSinglePrecisionTolerance)
{
    EXPECT_TRUE(vtrFloatEquals(0.0f, 1e-5f));
    EXPECT_TRUE(vtrFloatEquals(2.5f, 2.500005f));
    EXPECT_FALSE(vtrFloatEquals(2.5f, 2.5001f));
    EXPECT_FALSE(vtrFloatEquals(std::nanf(""), std::nanf("")));
}

} // namespace

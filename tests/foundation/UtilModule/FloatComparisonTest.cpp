#include "FloatComparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(FloatComparison, ToleranceIsTheSinglePrecisionValueWidened)
{
    EXPECT_EQ(FloatComparison::floatTolerance(), 1e-5f);
    EXPECT_EQ(FloatComparison::doubleTolerance(), 9.999999747378752e-06);
    EXPECT_NE(FloatComparison::doubleTolerance(), 1e-5);
    EXPECT_EQ(FloatComparison::cgfloatTolerance(), FloatComparison::doubleTolerance());
}

TEST(FloatComparison, DoublesWithinAnAbsoluteTolerance)
{
    struct Case { double a; double b; bool equal; };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        { 0.0, 0.0, true },
        { 0.0, 9.999999e-06, true },
        { 0.0, 1e-5, false }, // 1e-5 lies above the widened tolerance
        { 0.0, FloatComparison::doubleTolerance(), true }, // exactly the tolerance counts as equal
        { 1.0, 1.0 + 5e-6, true },
        { 1e12, std::nextafter(1e12, 2e12), false }, // absolute, not relative
        { nan, nan, false },
        { nan, 0.0, false },
        { inf, inf, false },
        { -inf, -inf, false },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FloatComparison::checkEquals(c.a, c.b), c.equal) << c.a << " vs " << c.b;
        EXPECT_EQ(FloatComparison::checkEquals(c.b, c.a), c.equal) << c.b << " vs " << c.a;
    }
}

TEST(FloatComparison, FloatsUseTheSinglePrecisionTolerance)
{
    EXPECT_TRUE(FloatComparison::checkEquals(0.0f, 1e-5f));
    EXPECT_FALSE(FloatComparison::checkEquals(0.0f, 2e-5f));
    EXPECT_FALSE(FloatComparison::checkEquals(std::numeric_limits<float>::quiet_NaN(), 0.0f));
}

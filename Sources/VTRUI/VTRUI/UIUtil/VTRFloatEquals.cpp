#include "VTRFloatEquals.h"

#include <cmath>

namespace {
constexpr float kFloatTolerance = 1e-5f;
constexpr double kDoubleTolerance = static_cast<double>(kFloatTolerance);
} // namespace

bool vtrFloatEquals(float a, float b)
{
    // Written as "tolerance >= difference" so a not-a-number difference fails.
    return kFloatTolerance >= std::fabs(a - b);
}

bool vtrFloatEquals(double a, double b)
{
    return kDoubleTolerance >= std::fabs(a - b);
}

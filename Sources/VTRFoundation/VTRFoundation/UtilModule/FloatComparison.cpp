#include "FloatComparison.h"

#include <cmath>

bool FloatComparison::checkEquals(float a, float b)
{
    return floatTolerance() >= std::fabs(a - b);
}

bool FloatComparison::checkEquals(double a, double b)
{
    return doubleTolerance() >= std::fabs(a - b);
}

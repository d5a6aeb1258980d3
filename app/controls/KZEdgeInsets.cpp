#include "KZEdgeInsets.h"

#include <cmath>

KZEdgeInsets KZEdgeInsets::floored(double top, double left, double bottom, double right)
{
    return {std::floor(float(top)), std::floor(float(left)), std::floor(float(bottom)), std::floor(float(right))};
}

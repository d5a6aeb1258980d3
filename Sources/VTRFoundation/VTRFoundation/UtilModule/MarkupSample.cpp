#include "MarkupSample.h"

#include <limits>

std::variant<std::int64_t, MarkupSampleError> MarkupSample::sampleDivide(std::int64_t a, std::int64_t b)
{
    if (b == 0)
        return MarkupSampleError::onFire;
    if (b == -1 && a == std::numeric_limits<std::int64_t>::min())
        return MarkupSampleError::onFire;
    return a / b;
}

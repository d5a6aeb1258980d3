#include "VTRCheckObjectEquals.h"

bool VTRCheckObjectEquals::checkObjectEqualsWithOne(const QVariant& one, const QVariant& another)
{
    if (!one.isValid())
        return false;
    return one == another;
}

#pragma once

#include <QVariant>

class VTRCheckObjectEquals {
public:
    // The first value's equality with the second; false when the first is
    // no value at all (also when both are none).
    static bool checkObjectEqualsWithOne(const QVariant& one, const QVariant& another);
};

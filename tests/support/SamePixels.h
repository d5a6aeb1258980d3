#pragma once

#include <QImage>

#include <cstddef>
#include <cstring>

// Whether two pictures of 32 bits a pixel hold the very same bytes, row by
// row (padding at the row ends is not compared). A null picture matches
// nothing: a failed decode must not pass as equal to another one.
inline bool samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), std::size_t(a.width()) * 4) != 0)
            return false;
    return true;
}

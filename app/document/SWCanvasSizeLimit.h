#pragma once

#include <QSizeF>
#include <QString>

// The canvas sizes the program agrees to make: whole sides of at least one
// pixel, no side longer than the painter can address, and no more pixels
// than the largest picture it opens (each canvas bitmap of that size takes
// 1 GiB, and a document holds two plus its undo steps). Every command that
// sets a size from the user's input checks here first, so an oversized
// request is refused instead of failing half-way.
class SWCanvasSizeLimit {
public:
    SWCanvasSizeLimit() = delete;

    static constexpr double kMaximumSide = 32767;

    static double maximumPixelCount();
    static bool allows(const QSizeF& size);
    // Why a size is refused, in a short sentence for the user (the side
    // below one pixel, or the limit it passes); empty when it is allowed.
    // A beep alone is silence on most desktops.
    static QString refusalReason(const QSizeF& size);
};

#pragma once

// Equality of floating values within a fixed absolute tolerance, as the
// "OnlyNeeded" setters use it: a value that differs from the shown one only by
// rounding noise is not written again.
//
// Internal to this library. Replace with FloatComparison::checkEquals once the
// foundation library offers it; the tolerance and the rules are the same.

// True when |a - b| <= 1e-5 in single precision. Not-a-number never equals
// anything, and two infinities of the same sign are unequal (their difference
// is not a number).
bool vtrFloatEquals(float a, float b);

// The same for doubles. The tolerance is the single-precision 1e-5 widened to
// double (9.999999747378752e-06), not the double nearest to 1e-5.
bool vtrFloatEquals(double a, double b);

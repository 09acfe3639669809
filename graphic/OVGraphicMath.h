// OVGraphicMath: the rounding rules and powers of ten of the graph engine.
// Header only: these sit in the per-point path of curve drawing.
#pragma once

#include <climits>
#include <cmath>

// An integral value as int, limited to the int range; NaN gives 0. Such a value in the int
// range a double holds exactly: its conversion needs no switch of the x87 rounding mode, which
// is slow in the per-point path. Converting an out-of-range value directly would be undefined.
inline int IntegralToInt(long double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0L) return INT_MAX;
  if (v <= -2147483648.0L) return INT_MIN;
  return static_cast<int>(static_cast<double>(v));
}

// Nearest integer, ties to even (the default rounding mode), limited to the int
// range; NaN gives 0.
inline int RoundToInt(long double v) { return IntegralToInt(std::rint(v)); }

// Integer part (rounding toward zero), limited to the int range; NaN gives 0.
inline int TruncToInt(long double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0L) return INT_MAX;
  if (v <= -2147483648.0L) return INT_MIN;
  return static_cast<int>(v);
}

// 10^n in extended precision; exact for 0 <= n <= 27, one rounding for n < 0.
// Beyond |n| = 5000 the result is infinite or 0 anyway, so the loop stops there.
inline long double PowerOfTen(int n) {
  const int magnitude = n < -5000 || n > 5000 ? 5000 : (n < 0 ? -n : n);
  long double p = 1.0L;
  for (int i = 0; i < magnitude; ++i) p *= 10.0L;
  return n < 0 ? 1.0L / p : p;
}

// v limited to -limit .. limit; NaN passes unchanged.
inline float LimitMagnitude(float v, float limit) {
  if (v > limit) return limit;
  if (v < -limit) return -limit;
  return v;
}

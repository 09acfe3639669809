#include "graphic/OVAxisFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphic/OVGraphicMath.h"

namespace {

// Ten-fold reductions that bring the largest finite float below 1; bounds the
// digit counting loops, which would never end on infinity.
constexpr int kMaxDecades = 39;
// Thousand-fold steps that bring any non-zero finite float into 0.001 .. 10000.
constexpr int kMaxThousands = 16;

// Count of integer digits: the smallest m >= 1 with 10^m > a, at most kMaxDecades.
int IntegerDigits(long double a) {
  int m = 1;
  long double p = 10.0L;
  while (m < kMaxDecades && !(p > a)) {
    p *= 10.0L;
    ++m;
  }
  return m;
}

}  // namespace

float RoundToDecimals(int Decimals, float X) {
  if (Decimals < 0 || Decimals > 5) Decimals = 5;
  const long double f = PowerOfTen(Decimals);
  const long double h = X >= 0 ? 0.5L : -0.5L;
  return static_cast<float>(std::trunc(f * X + h) / f);
}

int DecimalsNeeded(float X) {
  long double a = std::fabs(static_cast<long double>(X));
  int e = 6;
  for (int i = 0; i < kMaxDecades + 1 && a > 1.0L; ++i) {
    a *= 0.1L;
    --e;
  }
  const long double tol = PowerOfTen(-e);
  // For e <= 0 (|X| above a million) the first round already meets tol, so
  // ">=" instead of "=" only matters where X is infinite.
  int j = 0;
  for (;; ++j) {
    const long double d = std::fabs(static_cast<long double>(X) - RoundToDecimals(j, X));
    if (d < tol || j + 1 >= e) break;
  }
  return j;
}

uint16_t LabelFormat(int Count, float First, float Last) {
  int width = 0;
  int dec = 0;
  const bool single = Count < 2;
  const long double step =
      single ? 0.0L : (static_cast<long double>(Last) - First) / (Count - 1);
  // A step lost in the 32-bit sum would never reach Last: at most Count + 1 rounds.
  const long long rounds = single ? 1 : static_cast<long long>(Count) + 1;
  float v = First;
  for (long long r = 0; r < rounds; ++r) {
    int m = IntegerDigits(std::fabs(static_cast<long double>(v)));
    dec = std::max(dec, DecimalsNeeded(std::fabs(v)));
    if (v < 0) ++m;
    width = std::max(width, m);
    v = static_cast<float>(v + step);
    if (!(Last + 0.5L * step > v)) break;
  }
  const int w = width & 0xFF;
  const int d = dec & 0xFF;
  if (d > 0) return static_cast<uint16_t>(((w + d + 1) & 0xFF) * 256 + d);
  return static_cast<uint16_t>(w * 256);
}

int EngineeringExponent(float A, float B) {
  long double a = std::fabs(static_cast<long double>(A));
  long double b = std::fabs(static_cast<long double>(B));
  const long double low = 0.000999L;
  if (!(a < low) && !(a > 10000.0L) && !(b < low) && !(b > 10000.0L)) return 0;
  // No power of ten brings 0..0 or an infinite end into range.
  if (!std::isfinite(a) || !std::isfinite(b)) return 0;
  if (a == 0.0L && b == 0.0L) return 0;
  int result = 0;
  for (int i = 0; i < kMaxThousands && b < 0.001L && a < 0.001L; ++i) {
    a *= 1000.0L;
    b *= 1000.0L;
    result -= 3;
  }
  for (int i = 0; i < kMaxThousands && (b >= 10000.0L || a >= 10000.0L); ++i) {
    a *= 0.001L;
    b *= 0.001L;
    result += 3;
  }
  return result;
}

std::string AxisNumberText(float value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  decimals = std::clamp(decimals, 0, 18);
  char text[64];
  // More than 18 digits before the point switch to general notation.
  if (std::fabs(value) >= 1e18f)
    std::snprintf(text, sizeof text, "%.18g", static_cast<double>(value));
  else
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
  std::string s(text);
  if (s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
  return s;
}

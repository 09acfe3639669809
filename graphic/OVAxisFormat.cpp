#include "graphic/OVAxisFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

// A finite value as decimal digits: value = (Negative ? -1 : 1) x 0.Digits x 10^Point.
struct TDecimalDigits {
  bool Negative = false;
  std::string Digits;  // no leading zeros; empty for zero
  int Point = 0;
};

// The shortest decimal that reads back as the same 32-bit value: the number that the value
// stands for (1.005f is 1.005, although its binary value lies just below).
TDecimalDigits ShortestDecimal(float value) {
  TDecimalDigits d;
  d.Negative = std::signbit(value);
  if (value == 0) return d;
  char text[32];
  for (int precision = 0; precision < 9; ++precision) {
    std::snprintf(text, sizeof text, "%.*e", precision, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  const char* p = text + (d.Negative ? 1 : 0);
  for (; *p != 'e'; ++p)
    if (*p != '.') d.Digits += *p;
  d.Point = std::atoi(p + 1) + 1;
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  return d;
}

// The digits rounded half away from zero to the given places after the point.
void RoundDigits(TDecimalDigits& d, int decimals) {
  const long kept = static_cast<long>(d.Point) + decimals;
  if (kept >= static_cast<long>(d.Digits.size())) return;
  const bool up = kept >= 0 && d.Digits[static_cast<size_t>(kept)] >= '5';
  d.Digits.resize(static_cast<size_t>(std::max(0L, kept)));
  if (up) {
    size_t i = d.Digits.size();
    while (i > 0 && d.Digits[i - 1] == '9') d.Digits[--i] = '0';
    if (i == 0) {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Point;
    } else {
      ++d.Digits[i - 1];
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
}

// Digit at place 10^place (place 0: the units) of the digits.
char DigitAt(const TDecimalDigits& d, int place) {
  const long at = static_cast<long>(d.Point) - 1 - place;
  if (at < 0 || at >= static_cast<long>(d.Digits.size())) return '0';
  return d.Digits[static_cast<size_t>(at)];
}

// A finite value in fixed-point notation, rounded half away from zero on its shortest decimal;
// a result that is zero has no sign.
std::string FixedDecimalText(float value, int decimals) {
  TDecimalDigits d = ShortestDecimal(value);
  RoundDigits(d, decimals);
  std::string s = d.Negative && !d.Digits.empty() ? "-" : "";
  for (int place = std::max(d.Point, 1) - 1; place >= 0; --place) s += DigitAt(d, place);
  if (decimals > 0) s += '.';
  for (int place = -1; place >= -decimals; --place) s += DigitAt(d, place);
  return s;
}

}  // namespace

float RoundToDecimals(int Decimals, float X) {
  if (Decimals < 0 || Decimals > 5) Decimals = 5;
  if (!std::isfinite(X)) return X;
  return std::strtof(FixedDecimalText(X, Decimals).c_str(), nullptr);
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

namespace {

// Characters before the decimal point (sign included) of the value printed with decimals.
int IntegerChars(float value, int decimals) {
  if (!std::isfinite(value)) {
    const int digits = IntegerDigits(std::fabs(static_cast<long double>(value)));
    return value < 0 ? digits + 1 : digits;
  }
  const std::string s = FixedDecimalText(value, decimals);
  return static_cast<int>(std::min(s.find('.'), s.size()));
}

// True while v has not passed Last by half a step, in the step's direction.
bool BeforeEnd(float v, float last, long double step) {
  const long double end = last + 0.5L * step;
  return step > 0 ? end > v : end < v;
}

}  // namespace

uint16_t LabelFormat(int Count, float First, float Last) {
  int dec = 0;
  const bool single = Count < 2;
  const long double step =
      single ? 0.0L : (static_cast<long double>(Last) - First) / (Count - 1);
  // A step lost in the 32-bit sum would never reach Last: at most Count + 1 rounds.
  const long long rounds = single ? 1 : static_cast<long long>(Count) + 1;
  // Rounding keeps the order of magnitudes, so the widest texts are those of the largest
  // value and of the most negative one, printed with the decimals that all values need.
  float largest = First, lowest = First;
  float v = First;
  for (long long r = 0; r < rounds; ++r) {
    dec = std::max(dec, DecimalsNeeded(std::fabs(v)));
    if (!(v <= largest)) largest = v;
    if (!(v >= lowest)) lowest = v;
    v = static_cast<float>(v + step);
    if (!BeforeEnd(v, Last, step)) break;
  }
  const int w = std::max(IntegerChars(largest, dec), IntegerChars(lowest, dec)) & 0xFF;
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
  return FixedDecimalText(value, std::clamp(decimals, 0, 18));
}

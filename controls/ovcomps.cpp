#include "controls/ovcomps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

// Numbers are converted with integer arithmetic only: the C library's long double printf and
// strtold are not used, because they follow the process locale's decimal point (the host may set
// any) and because MinGW's default runtime prints long double wrongly.

namespace {

// ---------------------------------------------------------------------------------------------
// Natural numbers of any size, just enough for exact conversions between binary and decimal.

class TBigNat {
 public:
  explicit TBigNat(uint64_t v = 0) {
    if (v != 0) limbs_.push_back(static_cast<uint32_t>(v));
    if ((v >> 32) != 0) limbs_.push_back(static_cast<uint32_t>(v >> 32));
  }

  bool IsZero() const { return limbs_.empty(); }

  void MulSmall(uint32_t factor) {
    uint64_t carry = 0;
    for (uint32_t& limb : limbs_) {
      const uint64_t t = static_cast<uint64_t>(limb) * factor + carry;
      limb = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<uint32_t>(carry));
    Trim();
  }

  void AddSmall(uint32_t addend) {
    uint64_t carry = addend;
    for (size_t i = 0; carry != 0 && i < limbs_.size(); ++i) {
      const uint64_t t = limbs_[i] + carry;
      limbs_[i] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<uint32_t>(carry));
  }

  // Divides in place; returns the remainder.
  uint32_t DivSmall(uint32_t divisor) {
    uint64_t rem = 0;
    for (size_t i = limbs_.size(); i-- > 0;) {
      const uint64_t cur = (rem << 32) | limbs_[i];
      limbs_[i] = static_cast<uint32_t>(cur / divisor);
      rem = cur % divisor;
    }
    Trim();
    return static_cast<uint32_t>(rem);
  }

  void MulPow10(long long n) {
    for (; n >= 9; n -= 9) MulSmall(1000000000u);
    static const uint32_t kPow10[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                       100000000};
    if (n > 0) MulSmall(kPow10[n]);
  }

  void MulPow5(long long n) {
    for (; n >= 13; n -= 13) MulSmall(1220703125u);  // 5^13
    uint32_t f = 1;
    for (; n > 0; --n) f *= 5;
    MulSmall(f);
  }

  void ShiftLeft(long long bits) {
    if (IsZero() || bits <= 0) return;
    const unsigned rest = static_cast<unsigned>(bits % 32);
    if (rest != 0) {
      uint32_t carry = 0;
      for (uint32_t& limb : limbs_) {
        const uint32_t next = limb >> (32 - rest);
        limb = (limb << rest) | carry;
        carry = next;
      }
      if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), static_cast<size_t>(bits / 32), 0u);
  }

  void ShiftRight1() {
    for (size_t i = 0; i < limbs_.size(); ++i) {
      const uint32_t high = i + 1 < limbs_.size() ? limbs_[i + 1] << 31 : 0;
      limbs_[i] = (limbs_[i] >> 1) | high;
    }
    Trim();
  }

  long long BitLength() const {
    if (IsZero()) return 0;
    long long n = static_cast<long long>(limbs_.size() - 1) * 32;
    for (uint32_t top = limbs_.back(); top != 0; top >>= 1) ++n;
    return n;
  }

  // *this -= other; other must not be larger.
  void Subtract(const TBigNat& other) {
    int64_t borrow = 0;
    for (size_t i = 0; i < limbs_.size(); ++i) {
      int64_t t = static_cast<int64_t>(limbs_[i]) - borrow -
                  (i < other.limbs_.size() ? static_cast<int64_t>(other.limbs_[i]) : 0);
      borrow = t < 0 ? 1 : 0;
      if (t < 0) t += int64_t{1} << 32;
      limbs_[i] = static_cast<uint32_t>(t);
    }
    Trim();
  }

  friend int Compare(const TBigNat& a, const TBigNat& b) {
    if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (size_t i = a.limbs_.size(); i-- > 0;) {
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    }
    return 0;
  }

  std::string ToDecimal() const {
    if (IsZero()) return "0";
    TBigNat n = *this;
    std::vector<uint32_t> chunks;  // base 10^9, least significant first
    while (!n.IsZero()) chunks.push_back(n.DivSmall(1000000000u));
    std::string out = std::to_string(chunks.back());
    for (size_t i = chunks.size() - 1; i-- > 0;) {
      const std::string part = std::to_string(chunks[i]);
      out.append(9 - part.size(), '0');
      out += part;
    }
    return out;
  }

  static TBigNat FromDecimal(const std::string& digits) {
    TBigNat n;
    size_t i = 0;
    const size_t head = digits.size() % 9;
    for (size_t len = head == 0 ? 9 : head; i < digits.size(); i += len, len = 9) {
      uint32_t chunk = 0;
      for (size_t k = i; k < i + len; ++k)
        chunk = chunk * 10 + static_cast<uint32_t>(digits[k] - '0');
      n.MulSmall(1000000000u);
      n.AddSmall(chunk);
    }
    return n;
  }

 private:
  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  std::vector<uint32_t> limbs_;  // least significant first, no leading zero limbs
};

// ---------------------------------------------------------------------------------------------
// Binary to decimal

// |value| = 0.Digits × 10^Exp10; Digits has no leading and no trailing zeros, empty for zero.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  long long Exp10 = 0;
};

// The 80-bit format holds every decimal of this many significant digits, so formatting works
// from the value rounded to them: a typed 2.5 or 0.125 is then seen as the tie it was typed as.
constexpr long long kSignificantDigits = 18;

void StripTrailingZeros(TDecimal& d) {
  const size_t last = d.Digits.find_last_not_of('0');
  d.Digits.resize(last == std::string::npos ? 0 : last + 1);
  if (d.Digits.empty()) d.Exp10 = 0;
}

// Rounds to keep significant digits, half away from zero; keep may be 0 or negative.
void RoundDigits(TDecimal& d, long long keep) {
  if (keep >= static_cast<long long>(d.Digits.size())) return;
  if (keep < 0) {
    d.Digits.clear();
    d.Exp10 = 0;
    return;
  }
  const bool up = d.Digits[static_cast<size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<size_t>(keep));
  if (up) {
    size_t i = d.Digits.size();
    while (i > 0 && d.Digits[i - 1] == '9') d.Digits[--i] = '0';
    if (i == 0) {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exp10;
    } else {
      ++d.Digits[i - 1];
    }
  }
  StripTrailingZeros(d);
}

// The exact decimal expansion of a finite value.
TDecimal ExactDecimal(long double value) {
  TDecimal d;
  d.Negative = std::signbit(value);
  const long double magnitude = std::fabs(value);
  if (magnitude == 0) return d;
  int exponent = 0;
  const long double fraction = std::frexp(magnitude, &exponent);  // in [0.5, 1)
  uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
  long long shift = static_cast<long long>(exponent) - 64;  // value = mantissa × 2^shift
  while ((mantissa & 1) == 0) {
    mantissa >>= 1;
    ++shift;
  }
  TBigNat n(mantissa);
  if (shift >= 0) {
    n.ShiftLeft(shift);
  } else {
    n.MulPow5(-shift);  // mantissa × 2^shift = mantissa × 5^-shift / 10^-shift
  }
  d.Digits = n.ToDecimal();
  d.Exp10 = static_cast<long long>(d.Digits.size()) + std::min(shift, 0LL);
  StripTrailingZeros(d);
  return d;
}

TDecimal ValueDigits(long double value) {
  TDecimal d = ExactDecimal(value);
  RoundDigits(d, kSignificantDigits);
  return d;
}

std::string NonFiniteText(long double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

std::string SignOf(const TDecimal& d) { return d.Negative && !d.Digits.empty() ? "-" : ""; }

std::string GeneralText(long double value, int p) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  TDecimal d = ValueDigits(value);
  RoundDigits(d, p);
  if (d.Digits.empty()) return "0";
  const std::string& g = d.Digits;
  const long long n = static_cast<long long>(g.size());
  const long long e = d.Exp10;
  std::string out = SignOf(d);
  if (e > p || e < -3) {
    out += g[0];
    if (n > 1) out += "." + g.substr(1);
    out += "E" + std::to_string(e - 1);
  } else if (e <= 0) {
    out += "0.";
    out.append(static_cast<size_t>(-e), '0');
    out += g;
  } else {
    out.append(g, 0, static_cast<size_t>(std::min(e, n)));
    if (n < e) out.append(static_cast<size_t>(e - n), '0');
    if (n > e) out += "." + g.substr(static_cast<size_t>(e));
  }
  return out;
}

std::string ScientificText(long double value, int p) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  TDecimal d = ValueDigits(value);
  RoundDigits(d, p);
  const long long x = d.Digits.empty() ? 0 : d.Exp10 - 1;
  std::string g = d.Digits;
  g.resize(static_cast<size_t>(p), '0');
  std::string exp = std::to_string(x < 0 ? -x : x);
  if (exp.size() < 3) exp.insert(0, 3 - exp.size(), '0');
  return SignOf(d) + g[0] + "." + g.substr(1) + "E" + (x < 0 ? "-" : "+") + exp;
}

std::string FixedText(long double value, int p) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  TDecimal d = ValueDigits(value);
  RoundDigits(d, d.Exp10 + p);
  if (d.Exp10 > kSignificantDigits) return GeneralText(value, static_cast<int>(kSignificantDigits));
  const std::string& g = d.Digits;
  const long long n = static_cast<long long>(g.size());
  std::string out = SignOf(d);
  if (d.Exp10 <= 0) {
    out += "0";
  } else {
    out.append(g, 0, static_cast<size_t>(std::min(d.Exp10, n)));
    if (n < d.Exp10) out.append(static_cast<size_t>(d.Exp10 - n), '0');
  }
  if (p > 0) out += ".";
  for (long long i = d.Exp10; i < d.Exp10 + p; ++i)
    out += i >= 0 && i < n ? g[static_cast<size_t>(i)] : '0';
  return out;
}

std::string IntegerText(int64_t value, int minDigits) {
  const uint64_t magnitude =
      value < 0 ? static_cast<uint64_t>(-(value + 1)) + 1 : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
  return (value < 0 ? "-" : "") + digits;
}

// "d" given a real: its integral part.
std::string RealAsIntegerText(long double value, int minDigits) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  const long double whole = std::trunc(value);
  if (std::fabs(whole) < 9.2e18L) return IntegerText(static_cast<int64_t>(whole), minDigits);
  return FixedText(whole, 0);
}

// ---------------------------------------------------------------------------------------------
// Templates

struct TConversion {
  bool Left = false;
  int Width = 0;
  int Precision = -1;  // -1: not given
  char Letter = 0;
};

int ClampFormatNumber(long long n) {
  return static_cast<int>(std::min<long long>(n, kMaxFormatWidth));
}

long long ArgAsCount(const TFormatArg& arg) {
  constexpr long long kLimit = 1000000000;
  if (!arg.IsReal) return std::max<int64_t>(-kLimit, std::min<int64_t>(arg.Int, kLimit));
  if (!std::isfinite(arg.Real)) return 0;
  return static_cast<long long>(std::max(-1e9L, std::min(std::trunc(arg.Real), 1e9L)));
}

long long ReadCount(const std::string& f, size_t& j) {
  long long n = 0;
  for (; j < f.size() && f[j] >= '0' && f[j] <= '9'; ++j)
    n = std::min(n * 10 + (f[j] - '0'), 1000000000LL);
  return n;
}

// Parses the conversion that starts with the "%" at i; returns the index behind its letter, or
// std::string::npos when no valid conversion starts there. Stars consume arguments from next.
size_t ParseConversion(const std::string& f, size_t i, const std::vector<TFormatArg>& args,
                       size_t& next, TConversion& conv) {
  size_t j = i + 1;
  if (j < f.size() && f[j] == '-') {
    conv.Left = true;
    ++j;
  }
  if (j < f.size() && f[j] == '*') {
    ++j;
    if (next < args.size()) {
      long long w = ArgAsCount(args[next++]);
      if (w < 0) {
        conv.Left = true;
        w = -w;
      }
      conv.Width = ClampFormatNumber(w);
    }
  } else {
    conv.Width = ClampFormatNumber(ReadCount(f, j));
  }
  if (j < f.size() && f[j] == '.') {
    ++j;
    if (j < f.size() && f[j] == '*') {
      ++j;
      if (next < args.size()) {
        const long long p = ArgAsCount(args[next++]);
        conv.Precision = p < 0 ? -1 : ClampFormatNumber(p);
      }
    } else {
      conv.Precision = ClampFormatNumber(ReadCount(f, j));
    }
  }
  if (j >= f.size()) return std::string::npos;
  const char letter = f[j];
  switch (letter) {
    case 'd': case 'D': conv.Letter = 'd'; break;
    case 'g': case 'G': conv.Letter = 'g'; break;
    case 'e': case 'E': conv.Letter = 'e'; break;
    case 'f': case 'F': conv.Letter = 'f'; break;
    default: return std::string::npos;
  }
  return j + 1;
}

// Precision of "g" and "e": below 2 counts as 2, missing or above 18 as 15.
int SignificantPrecision(int p) {
  if (p < 0 || p > 18) return 15;
  return std::max(p, 2);
}

std::string Convert(const TConversion& conv, const TFormatArg& arg) {
  const long double value = arg.IsReal ? arg.Real : static_cast<long double>(arg.Int);
  switch (conv.Letter) {
    case 'd': {
      const int minDigits = std::max(conv.Precision, 0);
      return arg.IsReal ? RealAsIntegerText(arg.Real, minDigits) : IntegerText(arg.Int, minDigits);
    }
    case 'g': return GeneralText(value, SignificantPrecision(conv.Precision));
    case 'e': return ScientificText(value, SignificantPrecision(conv.Precision));
    default: return FixedText(value, conv.Precision < 0 ? 2 : conv.Precision);
  }
}

std::string Pad(std::string text, const TConversion& conv) {
  const size_t width = static_cast<size_t>(conv.Width);
  if (text.size() >= width) return text;
  if (conv.Left) return text.append(width - text.size(), ' ');
  return std::string(width - text.size(), ' ') + text;
}

// ---------------------------------------------------------------------------------------------
// Decimal to binary

constexpr long long kMinNormalExponent = -16382;  // of the 80-bit format

// floor(num × 2^s / den) when it is below 2^64, with halfCmp the comparison of twice the
// remainder against the divisor (-1, 0, 1). False when the quotient does not fit.
bool ShiftedQuotient(const TBigNat& num, const TBigNat& den, long long s, uint64_t& q,
                     int& halfCmp) {
  TBigNat a = num;
  TBigNat b = den;
  if (s >= 0) a.ShiftLeft(s); else b.ShiftLeft(-s);
  TBigNat step = b;
  step.ShiftLeft(64);
  if (Compare(a, step) >= 0) return false;
  q = 0;
  for (int bit = 63; bit >= 0; --bit) {
    step.ShiftRight1();
    if (Compare(a, step) >= 0) {
      a.Subtract(step);
      q |= uint64_t{1} << bit;
    }
  }
  a.ShiftLeft(1);
  halfCmp = Compare(a, b);
  return true;
}

// num / den rounded to the nearest 80-bit value, ties to even; nullopt when it overflows.
std::optional<long double> RatioToExtended(const TBigNat& num, const TBigNat& den) {
  long long s = 64 + den.BitLength() - num.BitLength();  // quotient in [2^63, 2^65)
  uint64_t q = 0;
  int halfCmp = 0;
  if (!ShiftedQuotient(num, den, s, q, halfCmp)) ShiftedQuotient(num, den, --s, q, halfCmp);
  const long long exponent = 63 - s;  // value in [2^exponent, 2^(exponent+1))
  if (exponent < kMinNormalExponent) {  // subnormal: fewer mantissa bits
    const long long bits = 64 - (kMinNormalExponent - exponent);
    if (bits < 0) return 0.0L;
    s -= 64 - bits;
    ShiftedQuotient(num, den, s, q, halfCmp);
  }
  if (halfCmp > 0 || (halfCmp == 0 && (q & 1) != 0)) {
    if (q == std::numeric_limits<uint64_t>::max()) {
      q = uint64_t{1} << 63;
      --s;
    } else {
      ++q;
    }
  }
  if (s < -20000) return std::nullopt;  // far beyond the range; keeps the ldexp argument an int
  if (s > 20000) return 0.0L;
  const long double r = std::ldexp(static_cast<long double>(q), static_cast<int>(-s));
  if (std::isinf(r)) return std::nullopt;
  return r;
}

// digits × 10^exp10 as an 80-bit value; nullopt beyond the range, 0 below it.
std::optional<long double> DecimalToReal(bool negative, std::string digits, long long exp10) {
  const size_t first = digits.find_first_not_of('0');
  digits.erase(0, first == std::string::npos ? digits.size() : first);
  const long double zero = negative ? -0.0L : 0.0L;
  if (digits.empty()) return zero;
  const size_t last = digits.find_last_not_of('0');
  exp10 += static_cast<long long>(digits.size() - last - 1);
  digits.resize(last + 1);
  const long long magnitude =
      static_cast<long long>(digits.size()) + exp10;  // value < 10^magnitude
  if (magnitude > 4933) return std::nullopt;
  if (magnitude < -4951) return zero;  // below half the smallest subnormal
  TBigNat num = TBigNat::FromDecimal(digits);
  TBigNat den(1);
  if (exp10 >= 0) num.MulPow10(exp10); else den.MulPow10(-exp10);
  const std::optional<long double> r = RatioToExtended(num, den);
  if (!r) return std::nullopt;
  return negative ? -*r : *r;
}

struct TScanned {
  bool Negative = false;
  std::string Digits;     // mantissa digits, point removed
  long long Exp10 = 0;    // value = Digits × 10^Exp10
  size_t MantissaDigits = 0;
};

void SkipSpaces(const std::string& t, size_t& i) {
  while (i < t.size() && t[i] == ' ') ++i;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void ScanSign(const std::string& t, size_t& i, bool& negative) {
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
}

// Scans digits [ "." digits ] [ ("E"|"e") [sign] digit+ ] from i. False when an exponent letter
// is not followed by a digit.
bool ScanUnsignedNumber(const std::string& t, size_t& i, TScanned& num) {
  long long fraction = 0;
  for (; i < t.size() && IsDigit(t[i]); ++i) num.Digits += t[i];
  if (i < t.size() && t[i] == '.') {
    for (++i; i < t.size() && IsDigit(t[i]); ++i, ++fraction) num.Digits += t[i];
  }
  num.MantissaDigits = num.Digits.size();
  long long exponent = 0;
  if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
    bool negativeExp = false;
    ++i;
    ScanSign(t, i, negativeExp);
    if (i >= t.size() || !IsDigit(t[i])) return false;
    for (; i < t.size() && IsDigit(t[i]); ++i)
      exponent = std::min(exponent * 10 + (t[i] - '0'), 1000000000LL);
    if (negativeExp) exponent = -exponent;
  }
  num.Exp10 = exponent - fraction;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

std::string FormatText(const std::string& format, const std::vector<TFormatArg>& args) {
  std::string out;
  size_t next = 0;
  size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    TConversion conv;
    size_t argIndex = next;
    const size_t end = ParseConversion(format, i, args, argIndex, conv);
    if (end == std::string::npos) {  // no conversion: the "%" is a plain character
      out += format[i++];
      continue;
    }
    if (argIndex >= args.size()) {
      out.append(format, i, end - i);
    } else {
      out += Pad(Convert(conv, args[argIndex]), conv);
      ++argIndex;
    }
    next = argIndex;
    i = end;
  }
  return out;
}

std::string FormatFloat(const std::string& format, long double value) {
  return FormatText(format, {value});
}

std::string FloatToStr(long double value) { return GeneralText(value, 15); }

std::optional<long double> TryReadReal(const std::string& text) {
  size_t i = 0;
  TScanned num;
  SkipSpaces(text, i);
  ScanSign(text, i, num.Negative);
  const size_t start = i;
  if (!ScanUnsignedNumber(text, i, num) || i == start || i != text.size()) return std::nullopt;
  return DecimalToReal(num.Negative, num.Digits, num.Exp10);
}

std::optional<long double> TryStrToFloat(const std::string& text) {
  size_t i = 0;
  TScanned num;
  SkipSpaces(text, i);
  ScanSign(text, i, num.Negative);
  if (!ScanUnsignedNumber(text, i, num) || num.MantissaDigits == 0) return std::nullopt;
  SkipSpaces(text, i);
  if (i != text.size()) return std::nullopt;
  return DecimalToReal(num.Negative, num.Digits, num.Exp10);
}

std::optional<int32_t> TryReadInteger(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  SkipSpaces(text, i);
  ScanSign(text, i, negative);
  const size_t start = i;
  long long v = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    v = std::min(v * 10 + (text[i] - '0'), 1LL << 40);
  if (i == start || i != text.size()) return std::nullopt;
  if (negative) v = -v;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(v);
}

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// ---------------------------------------------------------------------------------------------

std::string DefaultFloatToStr(long double value, bool trimBlanks, const TOVOptions& options) {
  const char* format = "%*.*g";
  if (options.FloatNotation == 1) format = "%*.*e";
  if (options.FloatNotation == 2) format = "%*.*f";
  const std::string text =
      FormatText(format, {int{options.FloatWidth}, int{options.FloatPrecision}, value});
  return trimBlanks ? TrimBlanks(text) : text;
}

std::string DefaultFloatToStr(long double value, bool trimBlanks) {
  return DefaultFloatToStr(value, trimBlanks, ProductOptions);
}

int ValueErrorTextId(int code) { return code >= 1 && code <= 4 ? 1552 + code : 0; }

std::optional<TMessageBoxData> ValueErrorMessage(int code, const TResTextLookup& resText) {
  static const char* const kTexts[4] = {"Falsches Zahlenformat", "Zahlenwert zu gro\xDF",
                                        "Zahlenwert zu klein", "Zahlenwert 0 nicht erlaubt"};
  if (code < 1 || code > 4) return std::nullopt;
  if (!resText) return TMessageBoxData{kTexts[code - 1], "Fehler", TMessageOwner::FieldParent};
  TMessageBoxData box{resText(ValueErrorTextId(code)), "", TMessageOwner::Application};
  if (!box.Text.empty()) box.Caption = resText(kValueErrorCaptionId);
  if (box.Text.empty() || box.Caption.empty()) {
    box.Text = "String-Resource nicht gefunden!";
    box.Caption = "Fehler";
  }
  return box;
}

TMessageBoxData RangeMessage(const std::string& minText, const std::string& maxText,
                             bool restricted, bool isZeroAllowed, const TResTextLookup& resText) {
  if (resText) {
    const std::string title = resText(1011);
    std::string text = title + ":" + "\n\r";
    text += restricted ? resText(1316) + minText + "\n\r" + resText(1317) + maxText : resText(1551);
    if (!isZeroAllowed) text += "\r\n" + resText(1552);
    return {text, title, TMessageOwner::FieldParent};
  }
  std::string text = "Zul\xE4ssiger Wertebereich:\n\r";
  text += restricted ? "von: " + minText + "\n\r" + "bis: " + maxText : "keine Einschr\xE4nkungen";
  if (!isZeroAllowed) text += "\r\n(Wert 0 nicht erlaubt)";
  return {text, "Zul\xE4ssiger Wertebereich", TMessageOwner::None};
}

bool RealAcceptsChar(char ch) {
  return ch == 8 || ch == '+' || ch == '-' || ch == '.' || IsDigit(ch) || ch == 'E' || ch == 'e';
}

bool IntegerAcceptsChar(char ch) { return ch == 8 || ch == '+' || ch == '-' || IsDigit(ch); }

namespace {

// Check code for a read value against a range: step 2 and 3 of the check.
int CheckValue(std::optional<long double> v, bool hasRange, long double minValue,
               long double maxValue, bool isZeroAllowed) {
  if (!v) return ccNoNumber;
  int code = ccAccepted;
  if (hasRange) {
    if (*v > maxValue) code = ccTooLarge;
    if (*v < minValue) code = ccTooSmall;
  }
  if (code == ccAccepted && !isZeroAllowed && *v == 0) code = ccZeroRefused;
  return code;
}

std::string UpperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

}  // namespace

int TRealEditData::CheckText(const std::string& text) const {
  return CheckValue(TryReadReal(text), HasRange(), MinValue, MaxValue, IsZeroAllowed);
}

long double TRealEditData::ValueFromText(const std::string& text) const {
  const std::optional<long double> v = TryReadReal(text);
  if (v && (!HasRange() || (MinValue <= *v && *v <= MaxValue))) return *v;
  return LastValue;
}

std::string TRealEditData::TextForValue(long double value) const {
  const std::string text = UpperAscii(Format) == "DEFAULT" ? DefaultFloatToStr(value, true)
                                                           : FormatText(Format, {value});
  return NoBlanks ? TrimBlanks(text) : text;
}

TMessageBoxData TRealEditData::RangeMessage(const TResTextLookup& resText) const {
  return ::RangeMessage(DefaultFloatToStr(MinValue, true), DefaultFloatToStr(MaxValue, true),
                        HasRange(), IsZeroAllowed, resText);
}

int TIntegerEditData::CheckText(const std::string& text) const {
  return CheckValue(TryReadReal(text), HasRange(), MinValue, MaxValue, IsZeroAllowed);
}

int32_t TIntegerEditData::ValueFromText(const std::string& text) const {
  const std::optional<int32_t> v = TryReadInteger(text);
  if (v && (!HasRange() || (MinValue <= *v && *v <= MaxValue))) return *v;
  return LastValue;
}

std::string TIntegerEditData::TextForValue(int32_t value) const {
  const std::string text = FormatText(Format, {value});
  return NoBlanks ? TrimBlanks(text) : text;
}

TMessageBoxData TIntegerEditData::RangeMessage(const TResTextLookup& resText) const {
  return ::RangeMessage(std::to_string(MinValue), std::to_string(MaxValue), HasRange(),
                        IsZeroAllowed, resText);
}

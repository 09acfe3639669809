// Fuzz target: the template formatter over arbitrary templates and values (80-bit values from
// any ten bytes). Single conversions are checked digit by digit against the C library's exact
// expansion, rounded as the formatter documents: to 18 significant digits, then to the
// precision, half away from zero.
#include <cstdio>
#include <string>
#include <vector>

#include "controls/ovcomps.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// |value| = 0.Digits x 10^Exp10, without leading or trailing zeros; empty Digits for 0.
struct TDigits {
  std::string Digits;
  long long Exp10 = 0;
};

void Strip(TDigits& d) {
  const size_t first = d.Digits.find_first_not_of('0');
  if (first == std::string::npos) {
    d = TDigits{};
    return;
  }
  d.Exp10 -= static_cast<long long>(first);
  d.Digits.erase(0, first);
  d.Digits.erase(d.Digits.find_last_not_of('0') + 1);
}

// Keeps keep significant digits (keep <= 0: at most one unit of the digit before the first).
TDigits RoundHalfUp(TDigits d, long long keep) {
  if (keep >= static_cast<long long>(d.Digits.size())) return d;
  if (keep < 0) return TDigits{};
  const bool up = d.Digits[static_cast<size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<size_t>(keep));
  if (up) {
    // Add one unit in the last kept place, with the carry running left.
    d.Digits.insert(0, "0");
    ++d.Exp10;
    size_t i = d.Digits.size();
    while (d.Digits[i - 1] == '9') d.Digits[--i] = '0';
    ++d.Digits[i - 1];
  }
  Strip(d);
  return d;
}

// The value's digits from the C library: 70 places after the first digit decide the rounding
// to 18 digits exactly unless 52 digits in a row are 9 or 0, which no 80-bit value has there.
TDigits Exact(long double value) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.70Le", std::fabs(value));
  const std::string s = buf;
  const size_t e = s.find('e');
  TDigits d;
  d.Digits = s.substr(0, 1) + s.substr(2, e - 2);
  d.Exp10 = std::stoll(s.substr(e + 1)) + 1;
  Strip(d);
  return d;
}

TDigits Rounded18(long double value) { return RoundHalfUp(Exact(value), 18); }

// Reads a produced number text back into digits: [-]digits[.digits][E[+-]digits].
TDigits Parse(std::string text, bool& negative) {
  negative = !text.empty() && text[0] == '-';
  if (negative) text.erase(0, 1);
  long long exponent = 0;
  const size_t e = text.find('E');
  if (e != std::string::npos) {
    exponent = std::stoll(text.substr(e + 1));
    text.resize(e);
  }
  const size_t point = text.find('.');
  TDigits d;
  d.Exp10 = static_cast<long long>(point == std::string::npos ? text.size() : point) + exponent;
  if (point != std::string::npos) text.erase(point, 1);
  FUZZ_CHECK(!text.empty() && text.find_first_not_of("0123456789") == std::string::npos);
  d.Digits = text;
  Strip(d);
  return d;
}

bool Same(const TDigits& a, const TDigits& b) {
  return a.Digits == b.Digits && (a.Digits.empty() || a.Exp10 == b.Exp10);
}

int Significant(int precision) {
  if (precision < 0 || precision > 18) return 15;
  return precision < 2 ? 2 : precision;
}

void CheckGeneral(const std::string& text, long double value, int p) {
  const TDigits want = RoundHalfUp(Rounded18(value), p);
  bool negative = false;
  const TDigits got = Parse(text, negative);
  FUZZ_CHECK(Same(got, want));
  FUZZ_CHECK(negative == (value < 0 && !want.Digits.empty()));
  const bool scientific = text.find('E') != std::string::npos;
  FUZZ_CHECK(scientific == (!want.Digits.empty() && (want.Exp10 > p || want.Exp10 < -3)));
  FUZZ_CHECK(text.find("E+") == std::string::npos);
  if (text.find('.') != std::string::npos && !scientific) FUZZ_CHECK(text.back() != '0');
}

void CheckScientific(const std::string& text, long double value, int p) {
  const TDigits want = RoundHalfUp(Rounded18(value), p);
  bool negative = false;
  const TDigits got = Parse(text, negative);
  FUZZ_CHECK(Same(got, want));
  const size_t e = text.find('E');
  FUZZ_CHECK(e != std::string::npos && text.size() >= e + 5);
  FUZZ_CHECK(text[e + 1] == '+' || text[e + 1] == '-');
  const size_t point = text.find('.');
  FUZZ_CHECK(point == (negative ? 2u : 1u) && e - point - 1 == static_cast<size_t>(p - 1));
}

void CheckFixed(const std::string& text, long double value, int p) {
  const TDigits d18 = Rounded18(value);
  const TDigits want = RoundHalfUp(d18, d18.Exp10 + p);
  if (!want.Digits.empty() && want.Exp10 > 18) {
    CheckGeneral(text, value, 18);
    return;
  }
  bool negative = false;
  const TDigits got = Parse(text, negative);
  FUZZ_CHECK(Same(got, want));
  FUZZ_CHECK(negative == (value < 0 && !want.Digits.empty()));
  const size_t point = text.find('.');
  if (p == 0) {
    FUZZ_CHECK(point == std::string::npos);
  } else {
    FUZZ_CHECK(point != std::string::npos && text.size() - point - 1 == static_cast<size_t>(p));
  }
}

// "%[-][width][.precision]letter" around plain text, with one value; the padded conversion
// is cut out of the result and checked.
void CheckOneConversion(FuzzedDataProvider& in) {
  const char letter = "dgefDGEF"[in.ConsumeIntegralInRange<int>(0, 7)];
  const bool left = in.ConsumeBool();
  const int width = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(0, 30)
                                     : in.ConsumeIntegralInRange<int>(0, 2000);
  const int precision = in.ConsumeIntegralInRange<int>(-1, in.ConsumeBool() ? 25 : 1200);
  const bool starWidth = in.ConsumeBool();
  const bool starPrecision = precision >= 0 && in.ConsumeBool();
  const bool realArg = letter != 'd' || in.ConsumeBool();
  const long double rawReal = fuzz::Real(in);
  const long double real = fuzz::Canonical(rawReal);
  const int64_t integer = in.ConsumeIntegral<int64_t>();

  std::string format = "<%";
  std::vector<TFormatArg> args;
  if (left) format += '-';
  if (starWidth) {
    format += '*';
    args.push_back(width);
  } else {
    format += std::to_string(width);
  }
  if (precision >= 0) format += starPrecision ? ".*" : "." + std::to_string(precision);
  if (starPrecision) args.push_back(precision);
  format += letter;
  format += '>';
  if (realArg) args.push_back(real); else args.push_back(integer);

  std::string out = FormatText(format, args);
  if (realArg) {
    // A pseudo-denormal is written as the number the FPU takes it for.
    std::vector<TFormatArg> raw = args;
    raw.back() = TFormatArg(rawReal);
    FUZZ_CHECK(FormatText(format, raw) == out);
  }
  {
    char value[80];
    unsigned char b[10];
    std::memcpy(b, &real, sizeof b);
    std::snprintf(value, sizeof value, "%.25Le [%02x%02x %02x%02x%02x%02x%02x%02x%02x%02x]", real,
                  b[9], b[8], b[7], b[6], b[5], b[4], b[3], b[2], b[1], b[0]);
    fuzz::Context() = "format " + format + " real " + value + " int " + std::to_string(integer) +
                      " -> " + out.substr(0, 200);
  }
  FUZZ_CHECK(out.size() >= 2 && out.front() == '<' && out.back() == '>');
  const std::string padded = out.substr(1, out.size() - 2);
  const size_t cut = static_cast<size_t>(std::min(width, kMaxFormatWidth));
  const size_t first = padded.find_first_not_of(' ');
  const size_t last = padded.find_last_not_of(' ');
  FUZZ_CHECK(first != std::string::npos);
  const std::string text = padded.substr(first, last - first + 1);
  FUZZ_CHECK(padded.size() == std::max(cut, text.size()));
  if (padded.size() > text.size()) FUZZ_CHECK(left ? first == 0 : last == padded.size() - 1);

  const int p = std::min(precision, kMaxFormatWidth);
  const char lower = static_cast<char>(letter | 0x20);
  if (!realArg) {
    const long double v = static_cast<long double>(integer);
    if (lower == 'd') {
      const uint64_t magnitude =
          integer < 0 ? uint64_t{0} - static_cast<uint64_t>(integer) : static_cast<uint64_t>(integer);
      const std::string digits = integer < 0 ? text.substr(1) : text;
      FUZZ_CHECK((integer < 0) == (text[0] == '-'));
      FUZZ_CHECK(digits.size() >= static_cast<size_t>(std::max(p, 0)));
      const std::string bare =
          digits.substr(std::min(digits.find_first_not_of('0'), digits.size() - 1));
      FUZZ_CHECK(bare == std::to_string(magnitude));
      return;
    }
    if (lower == 'g') CheckGeneral(text, v, Significant(p));
    if (lower == 'e') CheckScientific(text, v, Significant(p));
    if (lower == 'f') CheckFixed(text, v, p < 0 ? 2 : p);
    return;
  }
  if (fuzz::IsUnsupported(real) || !std::isfinite(real)) {
    FUZZ_CHECK(text == "NAN" || text == "INF" || text == "-INF");
    if (std::isnan(real)) FUZZ_CHECK(text == "NAN");
    return;
  }
  if (lower == 'd') {
    const long double whole = std::trunc(real);
    if (std::fabs(whole) < 9.2e18L) {
      const long long n = static_cast<long long>(whole);
      std::string bare = text;
      const bool negative = bare[0] == '-';
      if (negative) bare.erase(0, 1);
      bare.erase(0, std::min(bare.find_first_not_of('0'), bare.size() - 1));
      FUZZ_CHECK(negative == (n < 0));
      FUZZ_CHECK(bare == std::to_string(n < 0 ? -n : n));
    } else {
      CheckFixed(text, whole, 0);
    }
    return;
  }
  if (lower == 'g') CheckGeneral(text, real, Significant(p));
  if (lower == 'e') CheckScientific(text, real, Significant(p));
  if (lower == 'f') CheckFixed(text, real, p < 0 ? 2 : p);
}

// Any template with any arguments: the text stays bounded and the "%" that start no
// conversion are copied.
void CheckAnyTemplate(FuzzedDataProvider& in) {
  std::vector<TFormatArg> args;
  const int count = in.ConsumeIntegralInRange<int>(0, 6);
  for (int i = 0; i < count; ++i) {
    if (in.ConsumeBool()) args.push_back(fuzz::Real(in));
    else args.push_back(in.ConsumeIntegral<int64_t>());
  }
  const std::string format = in.ConsumeRandomLengthString(300);
  const std::string out = FormatText(format, args);
  size_t percents = 0;
  for (char c : format) percents += c == '%';
  FUZZ_CHECK(out.size() <= format.size() + percents * (kMaxFormatWidth + 1100));
  if (percents == 0) FUZZ_CHECK(out == format);
  if (args.empty()) FUZZ_CHECK(out.size() <= format.size());
  FUZZ_CHECK(FloatToStr(args.empty() ? 0.0L : args[0].Real).size() <= 30);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CheckOneConversion(in);
  } else {
    CheckAnyTemplate(in);
  }
  return 0;
}

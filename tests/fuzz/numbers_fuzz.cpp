// Fuzz target: the number grammars over arbitrary texts: the edit fields' (TryReadReal,
// TryReadInteger), the system file's (TryStrToFloat) and the product settings'
// (OptionTextToInt), and the decisions of both edit fields on such texts. Values are compared
// with the C library's correctly rounded conversion (strtold, "C" locale).
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <regex>
#include <string>

#include "controls/ovcomps.h"
#include "product/OVConfig.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const std::regex kEditReal("^ *[+-]?[0-9]*(\\.[0-9]*)?([eE][+-]?[0-9]+)?$");
const std::regex kPlainReal("^ *[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)? *$");
const std::regex kInteger("^ *[+-]?[0-9]+$");
const std::regex kDollarHex("^\\$[0-9a-fA-F]+$");
const std::regex kPrefixHex("^0[xX][0-9a-fA-F]+$");

bool Matches(const std::string& text, const std::regex& re) {
  return std::regex_match(text, re);
}

// The number after the sign consists of more than the sign.
bool HasBody(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i != std::string::npos && (text[i] == '+' || text[i] == '-')) ++i;
  return i < text.size();
}

bool HasMantissaDigit(const std::string& text) {
  const size_t e = text.find_first_of("eE");
  return text.substr(0, e).find_first_of("0123456789") != std::string::npos;
}

// The C library's value of a text of the grammar; overflow is reported as nullopt.
std::optional<long double> Reference(const std::string& text) {
  const std::string trimmed = TrimBlanks(text);
  errno = 0;
  char* end = nullptr;
  const long double v = std::strtold(trimmed.c_str(), &end);
  FUZZ_CHECK(*end == '\0');
  if (std::isinf(v)) return std::nullopt;
  return v;
}

bool SameValue(long double a, long double b) {
  return a == b && std::signbit(a) == std::signbit(b);
}

// Texts within the grammar that strtold reads the same way: digits in the mantissa.
void CheckAgainstReference(const std::string& text, const std::optional<long double>& got) {
  if (!HasMantissaDigit(text)) {
    FUZZ_CHECK(got && *got == 0);  // "." and "E5" read as 0
    return;
  }
  const std::optional<long double> want = Reference(text);
  FUZZ_CHECK(got.has_value() == want.has_value());
  if (got) FUZZ_CHECK(SameValue(*got, *want));
}

void CheckRealGrammars(const std::string& text) {
  const std::optional<long double> edit = TryReadReal(text);
  if (!Matches(text, kEditReal) || !HasBody(text)) {
    FUZZ_CHECK(!edit);
  } else {
    CheckAgainstReference(text, edit);
  }
  const std::optional<long double> plain = TryStrToFloat(text);
  if (!Matches(text, kPlainReal)) {
    FUZZ_CHECK(!plain);
  } else {
    CheckAgainstReference(text, plain);
  }
  for (const std::optional<long double>& v : {edit, plain})
    if (v) FUZZ_CHECK(std::isfinite(*v));
}

void CheckIntegerGrammars(const std::string& text) {
  const std::optional<int32_t> field = TryReadInteger(text);
  std::optional<int32_t> want;
  if (Matches(text, kInteger)) {
    const std::string digits = TrimBlanks(text);
    const size_t first = digits.find_first_not_of("+-0");
    const bool huge = first != std::string::npos && digits.size() - first > 12;
    if (!huge) {
      const long long v = std::strtoll(digits.c_str(), nullptr, 10);
      if (v >= INT32_MIN && v <= INT32_MAX) want = static_cast<int32_t>(v);
    }
  }
  FUZZ_CHECK(field == want);

  // The settings' grammar: the same decimal integers, or 32 hexadecimal bits.
  const std::optional<int32_t> option = OptionTextToInt(text);
  if (Matches(text, kDollarHex) || (text.size() > 2 && Matches(text, kPrefixHex))) {
    const std::string hex = text.substr(text[0] == '$' ? 1 : 2);
    const size_t first = hex.find_first_not_of('0');
    std::optional<int32_t> bits;
    if (first == std::string::npos) {
      bits = 0;
    } else if (hex.size() - first <= 8) {
      bits = static_cast<int32_t>(static_cast<uint32_t>(std::strtoul(hex.c_str(), nullptr, 16)));
    }
    FUZZ_CHECK(option == bits);
  } else if (!text.empty() && text[0] == '$') {
    FUZZ_CHECK(!option);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    FUZZ_CHECK(!option);
  } else {
    FUZZ_CHECK(option == field);
  }
}

// The edit fields on the text, with bounds from the fuzzer.
void CheckEditFields(FuzzedDataProvider& in, const std::string& text) {
  // Bounds are numbers that the program sets; a NaN bound is no range the fields can have.
  auto bound = [&in]() {
    const long double b = fuzz::Real(in);
    return std::isnan(b) || fuzz::IsUnsupported(b) ? 0.0L : b;
  };
  TRealEditData real;
  real.MinValue = bound();
  real.MaxValue = bound();
  real.LastValue = fuzz::Real(in);
  real.IsZeroAllowed = in.ConsumeBool();
  const int code = real.CheckText(text);
  FUZZ_CHECK(code >= ccAccepted && code <= ccZeroRefused);
  const std::optional<long double> v = TryReadReal(text);
  FUZZ_CHECK((code == ccNoNumber) == !v.has_value());
  const long double value = real.ValueFromText(text);
  if (code == ccAccepted || code == ccZeroRefused) FUZZ_CHECK(SameValue(value, *v));
  if (code == ccNoNumber || code == ccTooLarge || code == ccTooSmall)
    FUZZ_CHECK(fuzz::SameBits(value, real.LastValue));
  // What the field writes for the value it accepted, it reads back as the same number.
  if (code == ccAccepted) {
    const std::string written = real.TextForValue(value);
    const std::optional<long double> back = TryReadReal(written);
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(std::fabs(*back - value) <= std::fabs(value) * 1e-9L);
  }

  TIntegerEditData integer;
  integer.MinValue = in.ConsumeIntegral<int32_t>();
  integer.MaxValue = in.ConsumeIntegral<int32_t>();
  integer.LastValue = in.ConsumeIntegral<int32_t>();
  integer.IsZeroAllowed = in.ConsumeBool();
  const int icode = integer.CheckText(text);
  FUZZ_CHECK(icode >= ccAccepted && icode <= ccZeroRefused);
  const int32_t ivalue = integer.ValueFromText(text);
  const std::optional<int32_t> iv = TryReadInteger(text);
  if (iv && icode == ccAccepted) FUZZ_CHECK(ivalue == *iv);
  if (!iv) FUZZ_CHECK(ivalue == integer.LastValue);
  const std::string iwritten = integer.TextForValue(ivalue);
  FUZZ_CHECK(TryReadInteger(iwritten) == ivalue);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::setlocale(LC_ALL, "C");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string text = in.ConsumeRandomLengthString(1200);
  CheckRealGrammars(text);
  CheckIntegerGrammars(text);
  CheckEditFields(in, text);
  return 0;
}

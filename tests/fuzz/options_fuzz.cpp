// Fuzz target: the product settings from arbitrary registry strings (any bytes, missing values,
// empty values), and the default number format that the settings select.
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "controls/ovcomps.h"
#include "product/OVConfig.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// A number-like text most of the time, any bytes otherwise.
std::string SettingText(FuzzedDataProvider& in) {
  static const char* const kShapes[] = {"0", "1", "-1", "255", "256", "300", "$FF", "$FFFFFFFF",
                                        "0x2", "0X1F", "0x", "$", " 12", "+7", "abc", "",
                                        "4294967296", "-2147483648", "2147483648", "0x100000000"};
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: return kShapes[in.ConsumeIntegralInRange<size_t>(0, std::size(kShapes) - 1)];
    case 1: return std::to_string(in.ConsumeIntegral<int32_t>());
    default: return in.ConsumeRandomLengthString(40);
  }
}

void CheckNumberFormat(FuzzedDataProvider& in, const TOVOptions& options) {
  const long double value = fuzz::Real(in);
  const std::string text = DefaultFloatToStr(value, true, options);
  {
    char shown[64];
    std::snprintf(shown, sizeof shown, "%.21Lg", value);
    fuzz::Context() = "notation " + std::to_string(options.FloatNotation) + " width " +
                      std::to_string(options.FloatWidth) + " precision " +
                      std::to_string(options.FloatPrecision) + " value " + shown + " -> " + text;
  }
  FUZZ_CHECK(text.size() <= 1100);
  FUZZ_CHECK(text.empty() || (text.front() != ' ' && text.back() != ' '));
  const std::string padded = DefaultFloatToStr(value, false, options);
  FUZZ_CHECK(padded.size() >= options.FloatWidth);
  FUZZ_CHECK(TrimBlanks(padded) == text);
  if (fuzz::IsUnsupported(value) || !std::isfinite(value)) return;
  // The field that writes a value with this format reads the text back as a number close to it.
  // Except at the very top of the range, where the rounded digits can name a number beyond it
  // (2 digits of 1.186E4932 give 1.2E4932, 12 digits of the largest value 1.18973149536E4932),
  // which no field reads: a refused text must lie beyond the range.
  const std::optional<long double> back = TryReadReal(text);
  if (!back) {
    FUZZ_CHECK(std::isinf(std::strtold(text.c_str(), nullptr)));
    return;
  }
  // Reading back a text that lies within d of the value gives a value within 2 d of it.
  const int p = options.FloatPrecision;
  const long double error = std::fabs(*back - value);
  if (options.FloatNotation == 2 && std::fabs(value) < 1e18L) {
    FUZZ_CHECK(error <= std::pow(10.0L, -p) + std::fabs(value) * 1e-17L);
  } else {
    const int digits = options.FloatNotation == 2 ? 18 : (p < 2 ? 2 : (p > 18 ? 15 : p));
    FUZZ_CHECK(error <= std::fabs(value) * 2 * std::pow(10.0L, 1 - digits));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::vector<std::string> names = OptionValueNames();
  std::map<std::string, std::optional<std::string>> registry;
  for (const std::string& name : names) {
    if (in.ConsumeBool()) registry[name] = SettingText(in);
  }
  std::vector<std::string> asked;
  const TOVOptions o = OptionsFromLookup([&](const char* name) -> std::optional<std::string> {
    asked.push_back(name);
    const auto it = registry.find(name);
    return it == registry.end() ? std::nullopt : it->second;
  });
  FUZZ_CHECK(asked == names);  // each value once, in order

  const TOVOptions defaults;
  auto integer = [&](const char* name, int32_t fallback) {
    const auto it = registry.find(name);
    if (it == registry.end()) return fallback;
    return OptionTextToInt(*it->second).value_or(fallback);
  };
  auto string = [&](const char* name, const std::string& fallback) {
    const auto it = registry.find(name);
    return it == registry.end() ? fallback : *it->second;
  };
  FUZZ_CHECK(o.AutoInfoOpen == (integer("Auto Info Open", 0) != 0));
  FUZZ_CHECK(o.AutoInfoSave == (integer("Auto Info Save", 1) != 0));
  FUZZ_CHECK(o.CreateBakFiles == (integer("Create Bak Files", 0) != 0));
  FUZZ_CHECK(o.TooltipHelp == (integer("Tooltip Help", 1) != 0));
  FUZZ_CHECK(o.DefaultUser == string("Default User", ""));
  FUZZ_CHECK(o.DefaultDepartment == string("Default Department", ""));
  FUZZ_CHECK(o.TempPath == string("Temp Path", "C:\\TEMP"));
  FUZZ_CHECK(o.DefaultLineWidth == (integer("Default Line Width", 2) & 0xFF));
  FUZZ_CHECK(o.DefaultGridMode == (integer("Default Grid Mode", 0) & 0xFF));
  FUZZ_CHECK(o.FloatWidth == (integer("Default Float Width", 16) & 0xFF));
  FUZZ_CHECK(o.FloatPrecision == (integer("Default Float Precision", 12) & 0xFF));
  FUZZ_CHECK(o.FloatNotation == (integer("Default Float Notation", 0) & 0xFF));
  for (int i = 0; i < 16; ++i) {
    const std::string name = "Default Color " + std::to_string(i);
    FUZZ_CHECK(o.DefaultColors[i] ==
               static_cast<TColor>(integer(name.c_str(), static_cast<int32_t>(
                                                             defaults.DefaultColors[i]))));
  }
  CheckNumberFormat(in, o);
  return 0;
}

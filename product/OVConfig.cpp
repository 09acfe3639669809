#include "OVConfig.h"

#include <limits>

TOVOptions ProductOptions;

namespace {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hexadecimal digits from pos to the end, at most 32 bits.
std::optional<int32_t> HexTextToInt(const std::string& text, size_t pos) {
  if (pos >= text.size()) return std::nullopt;
  uint64_t v = 0;
  for (; pos < text.size(); ++pos) {
    const int digit = HexDigitValue(text[pos]);
    if (digit < 0) return std::nullopt;
    v = v * 16 + static_cast<uint64_t>(digit);
    if (v > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

std::optional<int32_t> DecimalTextToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t start = i;
  int64_t v = 0;
  for (; i < text.size() && IsDecimalDigit(text[i]); ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > int64_t{1} << 32) v = int64_t{1} << 32;  // out of range either way
  }
  if (i == start || i != text.size()) return std::nullopt;
  if (negative) v = -v;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(v);
}

int32_t IntegerOr(const std::optional<std::string>& text, int32_t fallback) {
  if (!text) return fallback;
  return OptionTextToInt(*text).value_or(fallback);
}

}  // namespace

std::optional<int32_t> OptionTextToInt(const std::string& text) {
  if (!text.empty() && text[0] == '$') return HexTextToInt(text, 1);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return HexTextToInt(text, 2);
  return DecimalTextToInt(text);
}

std::vector<std::string> OptionValueNames() {
  std::vector<std::string> names = {
      "Auto Info Open",     "Auto Info Save",      "Create Bak Files",
      "Tooltip Help",       "Default User",        "Default Department",
      "Temp Path",          "Default Line Width",  "Default Grid Mode",
      "Default Float Width", "Default Float Precision", "Default Float Notation"};
  for (int i = 0; i < 16; ++i) names.push_back("Default Color " + std::to_string(i));
  return names;
}

TOVOptions OptionsFromLookup(const TOptionLookup& lookup) {
  TOVOptions o;  // every field starts at its default
  auto text = [&lookup](const std::string& name) -> std::optional<std::string> {
    if (!lookup) return std::nullopt;
    return lookup(name.c_str());
  };
  auto readBool = [&text](const char* name, bool& field) {
    field = IntegerOr(text(name), field ? 1 : 0) != 0;
  };
  auto readByte = [&text](const char* name, uint8_t& field) {
    field = static_cast<uint8_t>(IntegerOr(text(name), field) & 0xFF);
  };
  auto readString = [&text](const char* name, std::string& field) {
    if (std::optional<std::string> value = text(name)) field = *value;
  };
  readBool("Auto Info Open", o.AutoInfoOpen);
  readBool("Auto Info Save", o.AutoInfoSave);
  readBool("Create Bak Files", o.CreateBakFiles);
  readBool("Tooltip Help", o.TooltipHelp);
  readString("Default User", o.DefaultUser);
  readString("Default Department", o.DefaultDepartment);
  readString("Temp Path", o.TempPath);
  readByte("Default Line Width", o.DefaultLineWidth);
  readByte("Default Grid Mode", o.DefaultGridMode);
  readByte("Default Float Width", o.FloatWidth);
  readByte("Default Float Precision", o.FloatPrecision);
  readByte("Default Float Notation", o.FloatNotation);
  for (int i = 0; i < 16; ++i) {
    TColor& colour = o.DefaultColors[i];
    colour = static_cast<TColor>(
        IntegerOr(text("Default Color " + std::to_string(i)), static_cast<int32_t>(colour)));
  }
  return o;
}

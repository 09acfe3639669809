// OVConfig: the product-wide settings, read once when the library loads.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "graphic/OVCanvas.h"

struct TOVOptions {
  bool AutoInfoOpen = false;
  bool AutoInfoSave = true;
  std::string DefaultUser;
  std::string DefaultDepartment;
  std::string TempPath = "C:\\TEMP";
  uint8_t DefaultLineWidth = 2;
  uint8_t DefaultGridMode = 0;
  uint8_t FloatWidth = 16;
  uint8_t FloatPrecision = 12;
  uint8_t FloatNotation = 0;
  bool TooltipHelp = true;
  bool CreateBakFiles = false;
  TColor DefaultColors[16] = {
      RGBColor(0, 0, 0),       RGBColor(0, 0, 255),     RGBColor(128, 0, 128),
      RGBColor(0, 128, 0),     RGBColor(0, 128, 128),   RGBColor(128, 0, 0),
      RGBColor(255, 0, 0),     RGBColor(128, 128, 0),   RGBColor(255, 255, 0),
      RGBColor(0, 0, 128),     RGBColor(128, 128, 128), RGBColor(0, 255, 0),
      RGBColor(0, 255, 255),   RGBColor(255, 0, 255),   RGBColor(192, 192, 192),
      RGBColor(255, 255, 255)};
};

// The one record of product settings; holds the defaults until the library's load step fills it.
extern TOVOptions ProductOptions;

// Gives the text of one value of the product's "General Settings" section by its name, or
// nullopt when the value or the section does not exist. The registry reader supplies it.
using TOptionLookup = std::function<std::optional<std::string>(const char* valueName)>;

// The names of the values, in the order in which they are read.
std::vector<std::string> OptionValueNames();

// A setting's text as a 32-bit integer: leading blanks, an optional sign and decimal digits; or
// hexadecimal digits after "$"; or, in a text longer than two characters, after "0x" or "0X".
// Hexadecimal texts give all 32 bits ($FFFFFFFF is -1). nullopt for any other text.
std::optional<int32_t> OptionTextToInt(const std::string& text);

// The settings that the lookup gives, asking for the values in order. Missing values and texts
// that are no number where a number is needed give the defaults; an existing string value is
// taken unchanged, even when it is empty.
TOVOptions OptionsFromLookup(const TOptionLookup& lookup);

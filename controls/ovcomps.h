// ovcomps: the numeric edit fields TRealEdit and TIntegerEdit, and the number formatting and
// reading that the whole library uses. This header holds the portable part: number texts and
// every decision the fields make; the window classes only carry these results to the screen.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "product/OVConfig.h"

// ---------------------------------------------------------------------------------------------
// Number formatting
//
// Templates are plain characters and conversions "%" ["-"] [width] ["." precision] letter with
// the letters d, g, e and f; "*" in place of width or precision takes it from the next argument;
// "%%" writes one "%". The decimal point is always ".", whatever the process locale.

// One argument of FormatText: an integer or an 80-bit real.
struct TFormatArg {
  bool IsReal = false;
  int64_t Int = 0;
  long double Real = 0;

  template <typename T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
  TFormatArg(T v) : IsReal(false), Int(static_cast<int64_t>(v)) {}  // NOLINT: implicit on purpose
  template <typename T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
  TFormatArg(T v) : IsReal(true), Real(static_cast<long double>(v)) {}  // NOLINT
};

// Largest width, "f" precision and "d" digit count a template can ask for; larger ones are cut
// to this, so a "*" fed with a huge number cannot make a huge text.
constexpr int kMaxFormatWidth = 1000;

// Applies the template to the arguments. Never fails: a conversion whose argument is missing, or
// a "%" that starts no valid conversion, is copied as it stands.
std::string FormatText(const std::string& format, const std::vector<TFormatArg>& args);

// Shorthand for a template with one real conversion.
std::string FormatFloat(const std::string& format, long double value);

// General format with up to 15 significant digits ("%g"): 0.5, 1E20, -1E-5, 123456.
std::string FloatToStr(long double value);

// ---------------------------------------------------------------------------------------------
// Reading numbers

// The edit fields' grammar: leading spaces, an optional sign, then at least one character of
// digits [ "." digits ] [ ("E"|"e") [sign] digit+ ] and nothing after; "." and "E5" read as 0.
// nullopt for no number, and for a value beyond the 80-bit range.
std::optional<long double> TryReadReal(const std::string& text);

// Plain number text: blanks before and after, an optional sign, digits with an optional "." and
// fraction digits (at least one digit in all), an optional exponent with at least one digit.
std::optional<long double> TryStrToFloat(const std::string& text);

// The integer field's grammar: leading spaces, an optional sign, decimal digits, nothing after,
// within the 32-bit signed range.
std::optional<int32_t> TryReadInteger(const std::string& text);

// Leading and trailing blanks (spaces) removed.
std::string TrimBlanks(const std::string& text);

// ---------------------------------------------------------------------------------------------
// Edit field decisions

constexpr unsigned UM_VALUEERROR = 0x7F09;

// Results of CheckText.
enum TCheckCode : int {
  ccAccepted = 0,
  ccNoNumber = 1,
  ccTooLarge = 2,
  ccTooSmall = 3,
  ccZeroRefused = 4,
};

// The product's default number format: notation, width and precision of the options. Notations
// other than 0 (general), 1 (scientific) and 2 (fixed) write general notation.
std::string DefaultFloatToStr(long double value, bool trimBlanks, const TOVOptions& options);
std::string DefaultFloatToStr(long double value, bool trimBlanks);  // with ProductOptions

// Fetches text number id of the host's string library; empty when the text is missing.
// An empty std::function stands for "string library not loaded".
using TResTextLookup = std::function<std::string(int id)>;

// Who owns a message box.
enum class TMessageOwner {
  None,         // no owner window
  FieldParent,  // the parent window of the edit field
  Application,  // the host window the library is bound to (the string library's message box)
};

constexpr unsigned kMbIconWarning = 0x30;

// A message box to show, as data.
struct TMessageBoxData {
  std::string Text;
  std::string Caption;
  TMessageOwner Owner = TMessageOwner::None;
  unsigned Style = kMbIconWarning;
};

// String numbers of the error texts: 1553..1556 for codes 1..4, 0 for other codes.
int ValueErrorTextId(int code);
constexpr int kValueErrorCaptionId = 1002;

// The message for an UM_VALUEERROR with the given check code; nullopt for codes other than 1..4.
// With a string library the texts come from it, and when text or caption is missing the library's
// own fallback "String-Resource nicht gefunden!" under "Fehler" is returned.
std::optional<TMessageBoxData> ValueErrorMessage(int code, const TResTextLookup& resText);

// The range message for bounds already written as text; restricted is false when both bounds are 0.
TMessageBoxData RangeMessage(const std::string& minText, const std::string& maxText,
                             bool restricted, bool isZeroAllowed, const TResTextLookup& resText);

bool RealAcceptsChar(char ch);
bool IntegerAcceptsChar(char ch);

// The state of a real edit field apart from its window.
struct TRealEditData {
  long double MinValue = 0;
  long double MaxValue = 0;
  long double LastValue = 0;
  bool IsZeroAllowed = true;
  std::string Format = "%16.10g";
  bool NoBlanks = true;

  bool HasRange() const { return !(MinValue == 0 && MaxValue == 0); }
  // Check code 0..4 for the text.
  int CheckText(const std::string& text) const;
  // What reading Value yields for the text: the number when it is one within the range, else
  // LastValue. The caller stores the result as the new LastValue.
  long double ValueFromText(const std::string& text) const;
  // The field's text after writing value (the caller also sets LastValue to value).
  std::string TextForValue(long double value) const;
  TMessageBoxData RangeMessage(const TResTextLookup& resText) const;
};

// The state of an integer edit field apart from its window.
struct TIntegerEditData {
  int32_t MinValue = 0;
  int32_t MaxValue = 0;
  int32_t LastValue = 0;
  bool IsZeroAllowed = true;
  std::string Format = "%3d";
  bool NoBlanks = true;

  bool HasRange() const { return !(MinValue == 0 && MaxValue == 0); }
  // Reads the text with the real grammar and compares it with the bounds as exact values.
  int CheckText(const std::string& text) const;
  // The integer of the text when it is one within the range, else LastValue.
  int32_t ValueFromText(const std::string& text) const;
  std::string TextForValue(int32_t value) const;
  TMessageBoxData RangeMessage(const TResTextLookup& resText) const;
};

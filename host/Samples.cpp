#include "host/Samples.h"

#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "controls/ovcomps.h"

namespace {

const char* const kColumnNames[3] = {"x", "y", "control"};

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Fields are separated by commas or semicolons, around which blanks and tabs are padding; a
// line without either by tabs, and a line without any of them by blanks.
std::vector<std::string_view> SplitFields(std::string_view line) {
  const char* separators = ",;";
  if (line.find_first_of(separators) == std::string_view::npos)
    separators = line.find('\t') != std::string_view::npos ? "\t" : " ";
  const bool blanks = separators[0] == ' ';
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t end = line.find_first_of(separators, start);
    std::string_view field =
        Trim(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (!blanks || !field.empty()) fields.push_back(field);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  // Spreadsheets end lines with a separator: empty fields at the end are no values.
  while (!fields.empty() && fields.back().empty()) fields.pop_back();
  return fields;
}

std::optional<long double> ReadValue(std::string_view field) {
  return TryStrToFloat(std::string(field));
}

bool HasLetter(std::string_view field) {
  for (char c : field)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return false;
}

// A line of column names: no field is a number, and some field holds a letter.
bool IsHeader(const std::vector<std::string_view>& fields) {
  bool letters = false;
  for (std::string_view f : fields) {
    if (ReadValue(f)) return false;
    letters = letters || HasLetter(f);
  }
  return letters;
}

// A field as a message shows it: at most 32 characters, bytes that are no printable ASCII as
// \xNN, so that a binary file cannot fill the terminal with control characters.
std::string Shown(std::string_view field) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < field.size() && i < 32; ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else {
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    }
  }
  if (field.size() > 32) text += "...";
  return text;
}

TLineResult Bad(std::string problem) {
  TLineResult r;
  r.Kind = TLineKind::Bad;
  r.Problem = std::move(problem);
  return r;
}

}  // namespace

namespace {

// The line's fields as a step; a bad line when they are none.
TLineResult ReadFields(const std::vector<std::string_view>& fields) {
  if (fields.size() < 2 || fields.size() > 3)
    return Bad(std::to_string(fields.size()) + (fields.size() == 1 ? " value" : " values") +
               ", expected x, y and control");
  long double values[3] = {0, 0, 0};
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string name = kColumnNames[i];
    if (fields[i].empty()) return Bad(name + " value is empty");
    const std::optional<long double> v = ReadValue(fields[i]);
    if (!v) return Bad(name + " value '" + Shown(fields[i]) + "' is not a number");
    // The block stores x and y as 32-bit floats: beyond their range they would be infinite.
    if (i < 2 && std::isinf(static_cast<float>(*v)))
      return Bad(name + " value '" + Shown(fields[i]) + "' lies beyond the 32-bit float range");
    values[i] = *v;
  }
  TLineResult r;
  r.Kind = TLineKind::Sample;
  r.Sample = TSample{values[0], values[1], values[2]};
  return r;
}

// A line that is a step once its commas are taken as decimal points ("1,5;2,5;0").
bool ReadsWithDecimalCommas(std::string_view text) {
  if (text.find(',') == std::string_view::npos) return false;
  std::string points(text);
  for (char& c : points)
    if (c == ',') c = '.';
  return ReadFields(SplitFields(points)).Kind == TLineKind::Sample;
}

}  // namespace

TLineResult ParseSampleLine(const std::string& line, bool headerAllowed) {
  const std::string_view text = Trim(line);
  if (text.empty()) {
    TLineResult blank;
    blank.Kind = TLineKind::Blank;
    return blank;
  }
  if (text.front() == '#') return TLineResult{};
  const std::vector<std::string_view> fields = SplitFields(text);
  if (headerAllowed && IsHeader(fields)) {
    TLineResult header;
    header.Kind = TLineKind::Header;
    return header;
  }
  TLineResult r = ReadFields(fields);
  if (r.Kind == TLineKind::Bad && ReadsWithDecimalCommas(text)) {
    r.DecimalCommas = true;
    r.Problem += " (decimal commas? the decimal point is \".\")";
  }
  return r;
}

TSampleReader::TSampleReader(std::istream& in, TProblemHandler onProblem)
    : in_(in), onProblem_(std::move(onProblem)) {}

bool TSampleReader::ReadLine(std::string& text, bool& tooLong) {
  text.clear();
  tooLong = false;
  std::streambuf* buf = in_.rdbuf();
  if (!buf) return false;
  bool any = false;
  for (;;) {
    const int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) break;
    any = true;
    ++bytes_;
    if (c == '\n') break;
    if (text.size() < kMaxLineLength) {
      text.push_back(static_cast<char>(c));
    } else {
      tooLong = true;
    }
  }
  if (!any) return false;
  if (!text.empty() && text.back() == '\r') text.pop_back();
  ++line_;
  if (line_ == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  return true;
}

void TSampleReader::Report(const std::string& message, bool decimalCommas) {
  ++badLines_;
  if (decimalCommas) ++decimalCommaLines_;
  if (onProblem_) onProblem_(TSampleProblem{line_, message});
}

bool TSampleReader::Next(TSample& sample) {
  if (held_) {
    held_ = false;
    sample = heldSample_;
    ++samples_;
    return true;
  }
  bool tooLong = false;
  while (ReadLine(text_, tooLong)) {
    if (tooLong) {
      seenContent_ = true;
      Report("line longer than " + std::to_string(kMaxLineLength) + " characters", false);
      continue;
    }
    const TLineResult r = ParseSampleLine(text_, !seenContent_);
    if (r.Kind == TLineKind::Blank) {
      liftPending_ = samples_ > 0;
      continue;
    }
    if (r.Kind == TLineKind::Skipped) continue;
    seenContent_ = true;
    if (r.Kind == TLineKind::Header) continue;
    if (r.Kind == TLineKind::Bad) {
      Report(r.Problem, r.DecimalCommas);
      continue;
    }
    if (liftPending_) {
      liftPending_ = false;
      held_ = true;
      heldSample_ = r.Sample;
      sample = TSample{r.Sample.X, r.Sample.Y, kPenUpControl};
      ++penLifts_;
      return true;
    }
    sample = r.Sample;
    ++samples_;
    return true;
  }
  return false;
}

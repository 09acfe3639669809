#include "block/Trazel32.h"

#include <optional>

#include "controls/ovcomps.h"

namespace {

// The background file name as it can stand in one line.
std::string FileNameLine(std::string name) {
  name = name.substr(0, name.find('\0'));
  name = name.substr(0, name.find("\r\n"));
  if (name.size() > kMaxSystemFileLineChars) name.resize(kMaxSystemFileLineChars);
  return name;
}

// An integer line: blanks before and after, an optional sign, decimal digits, 32 bits.
std::optional<int32_t> LineToInt(const std::string& text) {
  const size_t last = text.find_last_not_of(' ');
  return TryReadInteger(text.substr(0, last == std::string::npos ? 0 : last + 1));
}

// Stores the text of line number (1..10) into its field; false when it is no valid number.
bool StoreLine(TPlotSettings& s, int number, const std::string& text) {
  if (number <= 4) {
    const std::optional<long double> v = TryStrToFloat(text);
    if (!v) return false;
    long double* const reals[4] = {&s.XMin, &s.XMax, &s.YMin, &s.YMax};
    *reals[number - 1] = *v;
    return true;
  }
  if (number == 10) {
    s.BackgroundFile = text;
    return true;
  }
  const std::optional<int32_t> v = LineToInt(text);
  if (!v) return false;
  if (number == 9) {
    s.ShowAxes = (*v & 0xFF) != 0;
  } else {
    int32_t* const ints[4] = {&s.OriginX, &s.OriginY, &s.SizeX, &s.SizeY};
    *ints[number - 5] = *v;
  }
  return true;
}

}  // namespace

std::vector<std::string> SystemFileLines(const TPlotSettings& s) {
  std::vector<std::string> lines = {
      FloatToStr(s.XMin),          FloatToStr(s.XMax),          FloatToStr(s.YMin),
      FloatToStr(s.YMax),          std::to_string(s.OriginX),   std::to_string(s.OriginY),
      std::to_string(s.SizeX),     std::to_string(s.SizeY),     s.ShowAxes ? "1" : "0",
      FileNameLine(s.BackgroundFile)};
  for (std::string& line : lines) line += "\r\n";
  return lines;
}

TSystemFileLine ReadSystemFileLine(const TByteReader& readByte) {
  TSystemFileLine line;
  bool pendingCR = false;  // the last byte was a CR that may start the line end
  bool afterNul = false;   // the text ends at a NUL, as it does in the line buffer
  auto keep = [&](char c) {
    if (afterNul) return;
    if (c == '\0') {
      afterNul = true;
    } else if (line.Text.size() < kMaxSystemFileLineChars) {
      line.Text += c;
    } else {
      line.TooLong = true;
    }
  };
  char byte = 0;
  while (readByte(&byte) >= 1) {
    if (pendingCR && byte == '\n') {
      line.Complete = true;
      return line;
    }
    if (pendingCR) keep('\r');
    pendingCR = byte == '\r';
    if (!pendingCR) keep(byte);
  }
  if (pendingCR) keep('\r');
  return line;
}

TReadResult ReadSystemFileLines(TPlotSettings& settings, const TByteReader& readByte) {
  for (int number = 1; number <= kSystemFileLineCount; ++number) {
    TSystemFileLine line = ReadSystemFileLine(readByte);
    if (!line.Complete) return {TReadStatus::EndOfFile, number, line.Text, ""};
    const bool cutNumber = line.TooLong && number < kSystemFileLineCount;
    if (cutNumber || !StoreLine(settings, number, line.Text)) {
      TReadResult bad{TReadStatus::BadNumber, number, line.Text, ""};
      bad.Message = SystemFileErrorText(bad);
      return bad;
    }
  }
  return {};
}

std::string SystemFileErrorText(const TReadResult& result) {
  const char* kind = result.Line <= 4 ? "Gleitkommawert" : "Integerwert";
  return "'" + result.Text + "' ist kein g\xFCltiger " + kind;
}

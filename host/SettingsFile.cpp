#include "host/SettingsFile.h"

#include "block/Trazel32.h"

namespace {

const char* const kFieldNames[kSystemFileLineCount] = {
    "XMin",    "XMax",  "YMin",  "YMax",     "OriginX",
    "OriginY", "SizeX", "SizeY", "ShowAxes", "BackgroundFile"};

TSettingsFile Fail(TSettingsFile f, int line, const std::string& message) {
  f.Ok = false;
  f.Line = line;
  f.Message = message;
  return f;
}

}  // namespace

TSettingsFile CheckSettingsText(const std::string& bytes) {
  TSettingsFile f;
  size_t at = 0;
  for (int line = 1; line <= kSystemFileLineCount; ++line) {
    if (at >= bytes.size())
      return Fail(f, line,
                  "the file ends after " + std::to_string(line - 1) + " of " +
                      std::to_string(kSystemFileLineCount) + " lines");
    size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string text = bytes.substr(at, end - at);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.size() > kMaxSystemFileLineChars)
      return Fail(f, line,
                  std::string(kFieldNames[line - 1]) + " line longer than " +
                      std::to_string(kMaxSystemFileLineChars) + " characters");
    f.Lines += text + "\r\n";
    at = end + 1;
  }
  f.SameAsFile = bytes.compare(0, f.Lines.size(), f.Lines) == 0;
  // The block's own reader decides what its lines mean.
  size_t next = 0;
  const std::string& lines = f.Lines;
  TReadResult read = ReadSystemFileLines(f.Settings, [&lines, &next](char* byte) {
    if (next >= lines.size()) return 0;
    *byte = lines[next++];
    return 1;
  });
  if (read.Status == TReadStatus::BadNumber) {
    const char* kind = read.Line <= 4 ? "a number" : "an integer";
    return Fail(f, read.Line,
                std::string(kFieldNames[read.Line - 1]) + ": '" + read.Text + "' is not " + kind);
  }
  f.Ok = true;
  return f;
}

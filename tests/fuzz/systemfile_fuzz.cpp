// Fuzz target: the block's ten lines of the host's system file read from arbitrary bytes
// (files that end early, lines longer than the line buffer, NUL bytes, CR without LF).
#include <string>
#include <vector>

#include "block/Trazel32.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// A file of bytes behind the _lread-like reader; counts the calls after the end.
struct TFile {
  const uint8_t* Data;
  size_t Size;
  size_t Pos = 0;
  int ReadsAtEnd = 0;
  int EndResult = 0;  // what a read at the end returns: 0 (end) or -1 (error)

  TByteReader Reader() {
    return [this](char* byte) {
      if (Pos >= Size) {
        ++ReadsAtEnd;
        return EndResult;
      }
      *byte = static_cast<char>(Data[Pos++]);
      return 1;
    };
  }
};

bool SameSettings(const TPlotSettings& a, const TPlotSettings& b) {
  return fuzz::SameBits(a.XMin, b.XMin) && fuzz::SameBits(a.XMax, b.XMax) &&
         fuzz::SameBits(a.YMin, b.YMin) && fuzz::SameBits(a.YMax, b.YMax) &&
         a.OriginX == b.OriginX && a.OriginY == b.OriginY && a.SizeX == b.SizeX &&
         a.SizeY == b.SizeY && a.ShowAxes == b.ShowAxes && a.BackgroundFile == b.BackgroundFile;
}

// Offset behind the n-th CR LF of the bytes, or npos.
size_t EndOfLine(const uint8_t* data, size_t size, int n) {
  for (size_t i = 1; i < size; ++i) {
    if (data[i - 1] == '\r' && data[i] == '\n' && --n == 0) return i + 1;
  }
  return std::string::npos;
}

// The lines written for settings, joined as the host's file holds them.
std::string Written(const TPlotSettings& s) {
  const std::vector<std::string> lines = SystemFileLines(s);
  FUZZ_CHECK(lines.size() == kSystemFileLineCount);
  std::string file;
  for (const std::string& line : lines) {
    FUZZ_CHECK(line.size() >= 2 && line.size() <= kMaxSystemFileLineChars + 2);
    FUZZ_CHECK(line.compare(line.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(line.find("\r\n") == line.size() - 2);  // exactly one line each
    FUZZ_CHECK(line.find('\0') == std::string::npos);  // written up to the NUL
    file += line;
  }
  return file;
}

TReadResult ReadFrom(const std::string& bytes, TPlotSettings& s) {
  TFile file{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
  return ReadSystemFileLines(s, file.Reader());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TPlotSettings settings;
  settings.BackgroundFile = "old";
  const TPlotSettings before = settings;
  TFile file{data, size};
  file.EndResult = size % 2 == 0 ? 0 : -1;
  const TReadResult result = ReadSystemFileLines(settings, file.Reader());

  // The reader stops at the end of the file: at most one read there, none after a complete set.
  FUZZ_CHECK(file.ReadsAtEnd <= 1);
  FUZZ_CHECK(result.Text.size() <= kMaxSystemFileLineChars);
  FUZZ_CHECK(result.Text.find('\0') == std::string::npos);
  if (result.Status == TReadStatus::Complete) {
    FUZZ_CHECK(result.Line == 0 && file.ReadsAtEnd == 0);
    FUZZ_CHECK(file.Pos == EndOfLine(data, size, kSystemFileLineCount));  // stands behind line 10
  } else {
    FUZZ_CHECK(result.Line >= 1 && result.Line <= kSystemFileLineCount);
    if (result.Status == TReadStatus::EndOfFile) FUZZ_CHECK(file.Pos == size);
    if (result.Status == TReadStatus::BadNumber) {
      FUZZ_CHECK(result.Line <= 9 && !result.Message.empty());
      FUZZ_CHECK(file.Pos == EndOfLine(data, size, result.Line));
    }
    // The fields from the failed line on keep their old values.
    TPlotSettings expected = settings;
    long double* const reals[4] = {&expected.XMin, &expected.XMax, &expected.YMin,
                                   &expected.YMax};
    const long double* const oldReals[4] = {&before.XMin, &before.XMax, &before.YMin,
                                            &before.YMax};
    int32_t* const ints[4] = {&expected.OriginX, &expected.OriginY, &expected.SizeX,
                              &expected.SizeY};
    const int32_t* const oldInts[4] = {&before.OriginX, &before.OriginY, &before.SizeX,
                                       &before.SizeY};
    for (int line = result.Line; line <= kSystemFileLineCount; ++line) {
      if (line <= 4) *reals[line - 1] = *oldReals[line - 1];
      if (line >= 5 && line <= 8) *ints[line - 5] = *oldInts[line - 5];
      if (line == 9) expected.ShowAxes = before.ShowAxes;
      if (line == 10) expected.BackgroundFile = before.BackgroundFile;
    }
    FUZZ_CHECK(SameSettings(expected, settings));
  }
  FUZZ_CHECK(settings.BackgroundFile.size() <= kMaxSystemFileLineChars);

  // Whatever was read is written as ten lines that read back to the same settings, except
  // that reals come back with 15 digits: after one more round nothing changes.
  const std::string once = Written(settings);
  TPlotSettings again;
  FUZZ_CHECK(ReadFrom(once, again).Status == TReadStatus::Complete);
  FUZZ_CHECK(again.OriginX == settings.OriginX && again.SizeY == settings.SizeY &&
             again.ShowAxes == settings.ShowAxes &&
             again.BackgroundFile == settings.BackgroundFile);
  const std::string twice = Written(again);
  FUZZ_CHECK(twice == once);
  TPlotSettings third;
  FUZZ_CHECK(ReadFrom(twice, third).Status == TReadStatus::Complete && SameSettings(third, again));

  // Any file name, NULs and line ends included, is written as one line.
  TPlotSettings named;
  named.BackgroundFile.assign(reinterpret_cast<const char*>(data), size);
  named.XMin = size > 0 && data[0] > 128 ? -0.0L : 1e-300L;
  Written(named);
  return 0;
}

// Trazel32: the block's entry points. This header holds the portable part: the block's ten
// lines in the host's system file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "block/TrazelSettings.h"

// NumberOfLinesInSystemFile.
constexpr int kSystemFileLineCount = 10;

// A line's text holds at most this many characters: with CR, LF and the terminating NUL it fills
// the 1000-byte line buffer.
constexpr size_t kMaxSystemFileLineChars = 997;

// The ten lines for the settings, each ending with CR LF; each one is written with one _lwrite.
// The background file name is cut at a NUL or a CR LF inside it and at the line limit, so that it
// always stays one line.
std::vector<std::string> SystemFileLines(const TPlotSettings& settings);

// Reads one byte into *byte like _lread; returns the number of bytes read (1), 0 or less at the
// end of the file or on an error.
using TByteReader = std::function<int(char* byte)>;

struct TSystemFileLine {
  std::string Text;       // the bytes before CR LF, up to the first NUL and the line limit
  bool Complete = false;  // false: the file ended before CR LF
  bool TooLong = false;   // characters beyond the line limit were skipped
};

// Reads up to and including the next CR LF. A CR without LF, or an LF without CR before it, is an
// ordinary character.
TSystemFileLine ReadSystemFileLine(const TByteReader& readByte);

enum class TReadStatus {
  Complete,   // all ten lines read and stored
  BadNumber,  // a line 1 to 9 is no valid number: the conversion error
  EndOfFile,  // the file ended before the ten lines were complete
};

struct TReadResult {
  TReadStatus Status = TReadStatus::Complete;
  int Line = 0;         // 1..10: the line that failed or was cut off by the end of the file
  std::string Text;     // the text of that line
  std::string Message;  // BadNumber: the error text for the user (SystemFileErrorText)
};

// Reads the ten lines and stores each line's value at once. On a conversion error or an early
// end of the file the fields of the lines before keep their new values, the others their old.
// An incomplete last line is not used.
TReadResult ReadSystemFileLines(TPlotSettings& settings, const TByteReader& readByte);

// The message for a conversion error, e.g. "'abc' ist kein gültiger Gleitkommawert".
std::string SystemFileErrorText(const TReadResult& result);

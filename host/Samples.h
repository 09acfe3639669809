// Samples: the samples file of a replay. Each line is one simulation step of the block's three
// inputs: x, y and control, separated by commas (or semicolons, tabs or blanks), with "." as the
// decimal point. A line of two values has the pen down (control 0). The first line may be a
// header of names, lines starting with "#" are comments, blank lines are skipped, and a bad line
// is reported with its number and skipped.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <string>

// One step of the block's inputs.
struct TSample {
  long double X = 0;
  long double Y = 0;
  long double Control = 0;
};

enum class TLineKind {
  Sample,   // a step: the values are in Sample
  Skipped,  // blank line or comment
  Header,   // names of the columns (only the first line that holds anything may be one)
  Bad,      // not a step: Problem says why
};

struct TLineResult {
  TLineKind Kind = TLineKind::Skipped;
  TSample Sample;
  std::string Problem;
};

// Reads one line (without its line end). headerAllowed: the line is the first of the file that
// holds anything, so a line of names is taken as the header rather than a bad line.
TLineResult ParseSampleLine(const std::string& line, bool headerAllowed);

// A bad line of the file: its number (from 1) and what is wrong with it.
struct TSampleProblem {
  int64_t Line = 0;
  std::string Message;
};

// Reads the samples of a stream one at a time, so that a file of any length is replayed
// without holding it in memory.
class TSampleReader {
 public:
  // Lines longer than this are bad lines; their characters are skipped, not stored.
  static constexpr size_t kMaxLineLength = 4096;

  using TProblemHandler = std::function<void(const TSampleProblem&)>;

  // onProblem is called for every bad line, in the order of the file.
  TSampleReader(std::istream& in, TProblemHandler onProblem);

  // The next step of the file; false at the end of the file.
  bool Next(TSample& sample);

  int64_t LinesRead() const { return line_; }
  int64_t BadLines() const { return badLines_; }
  int64_t Samples() const { return samples_; }
  // Bytes consumed so far, line ends included (for progress against the file's size).
  uint64_t BytesRead() const { return bytes_; }

 private:
  // Reads the next line into text; false at the end of the file. tooLong: the line was cut.
  bool ReadLine(std::string& text, bool& tooLong);
  void Report(const std::string& message);

  std::istream& in_;
  TProblemHandler onProblem_;
  std::string text_;
  int64_t line_ = 0;
  int64_t badLines_ = 0;
  int64_t samples_ = 0;
  uint64_t bytes_ = 0;
  bool seenContent_ = false;
};

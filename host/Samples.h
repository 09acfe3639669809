// Samples: the samples file of a replay. Each line is one simulation step of the block's three
// inputs: x, y and control, separated by commas (or semicolons, tabs or blanks), with "." as the
// decimal point. A line of two values has the pen down (control 0). The first line may be a
// header of names, lines starting with "#" are comments, and a bad line is reported with its
// number and skipped. An empty line between samples lifts the pen, as in the data files of the
// usual plotting tools: the next sample begins a new trace.
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
  Blank,    // nothing but blanks: lifts the pen between two samples
  Skipped,  // comment
  Header,   // names of the columns (only the first line that holds anything may be one)
  Bad,      // not a step: Problem says why
};

struct TLineResult {
  TLineKind Kind = TLineKind::Skipped;
  TSample Sample;
  std::string Problem;
  bool DecimalCommas = false;  // a bad line that reads as a step with "," as the decimal point
};

// The control value of the step that lifts the pen at an empty line: high, so that a pen that
// was down rises through 2.5.
constexpr long double kPenUpControl = 5;

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

  // The next step of the file; false at the end of the file. After an empty line, the first
  // step is a step with the pen up (control kPenUpControl at the next sample's x and y), and
  // the next sample follows it.
  bool Next(TSample& sample);

  int64_t LinesRead() const { return line_; }
  int64_t BadLines() const { return badLines_; }
  // Bad lines that look like steps written with decimal commas.
  int64_t DecimalCommaLines() const { return decimalCommaLines_; }
  // Samples of the file given so far, and the steps added to lift the pen.
  int64_t Samples() const { return samples_; }
  int64_t PenLifts() const { return penLifts_; }
  // Bytes consumed so far, line ends included (for progress against the file's size).
  uint64_t BytesRead() const { return bytes_; }

 private:
  // Reads the next line into text; false at the end of the file. tooLong: the line was cut.
  bool ReadLine(std::string& text, bool& tooLong);
  void Report(const std::string& message, bool decimalCommas);

  std::istream& in_;
  TProblemHandler onProblem_;
  std::string text_;
  int64_t line_ = 0;
  int64_t badLines_ = 0;
  int64_t decimalCommaLines_ = 0;
  int64_t samples_ = 0;
  int64_t penLifts_ = 0;
  uint64_t bytes_ = 0;
  bool seenContent_ = false;
  bool liftPending_ = false;  // an empty line came after a sample
  bool held_ = false;         // heldSample_ follows the step that lifted the pen
  TSample heldSample_;
};

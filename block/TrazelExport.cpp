#include "block/TrazelExport.h"

#include <charconv>
#include <cmath>

namespace {

constexpr char kHeader[] = "x,y,control\r\n";
constexpr size_t kChunk = 64 * 1024;
// Longer than the longest shortest text of a float, "-1.17549435e-38".
constexpr size_t kFloatDigits = 32;

char* Shortest(char* digits, float value) {
  return std::to_chars(digits, digits + kFloatDigits, value).ptr;
}

// Collects lines and hands them to the sink in pieces of about kChunk bytes.
class TLineWriter {
 public:
  explicit TLineWriter(const TExportSink& sink) : sink_(sink) { text_.reserve(kChunk + 128); }

  bool Line(float x, float y, int control) {
    Number(x);
    text_ += ',';
    Number(y);
    text_ += ',';
    text_ += static_cast<char>('0' + control);
    text_ += "\r\n";
    return text_.size() < kChunk || Flush();
  }
  bool Text(const char* text) {
    text_ += text;
    return Flush();
  }
  bool Flush() {
    bool ok = text_.empty() || sink_(text_.data(), text_.size());
    text_.clear();
    return ok;
  }

 private:
  void Number(float value) {
    char digits[kFloatDigits];
    text_.append(digits, Shortest(digits, value));
  }

  const TExportSink& sink_;
  std::string text_;
};

bool Finite(float x, float y) { return std::isfinite(x) && std::isfinite(y); }

}  // namespace

std::string ShortestFloatText(float value) {
  char digits[kFloatDigits];
  return std::string(digits, Shortest(digits, value));
}

// penDown: the last line written put the pen down, so the next trace or a gap must lift it.
bool WriteMeasuredValues(const TTraceStore& store, const TExportSink& sink) {
  TLineWriter out(sink);
  if (!out.Text(kHeader)) return false;
  bool penDown = false;
  float lastX = 0, lastY = 0;
  for (int k = 0; k < store.Count(); ++k) {
    const TSingleList& xs = store.X(k);
    const TSingleList& ys = store.Y(k);
    bool newTrace = k > 0;
    for (int i = 0; i < xs.Count(); ++i) {
      const float x = xs.At(i), y = ys.At(i);
      if (!Finite(x, y)) {
        if (penDown && !out.Line(lastX, lastY, 5)) return false;
        penDown = false;
        continue;
      }
      if (newTrace && penDown && !out.Line(x, y, 5)) return false;
      newTrace = false;
      if (!out.Line(x, y, 0)) return false;
      penDown = true;
      lastX = x;
      lastY = y;
    }
  }
  return out.Flush();
}

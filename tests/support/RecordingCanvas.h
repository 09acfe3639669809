// RecordingCanvas: a canvas for tests. Deterministic text metrics, configurable
// device capabilities, and every drawing call kept as plain data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphic/OVCanvas.h"

enum class TRecordedKind { MoveTo, LineTo, SetPixel, TextOut, FillRect, SetTextAlign, SetBkMode };

struct TRecordedOp {
  TRecordedKind Kind = TRecordedKind::MoveTo;
  int X = 0;  // point; FillRect: left, top
  int Y = 0;
  int X2 = 0;  // FillRect: right, bottom
  int Y2 = 0;
  std::string Text;      // TextOut
  TColor Color = 0;      // SetPixel
  uint32_t Value = 0;    // SetTextAlign: new alignment; SetBkMode: new mode
  TCanvasStyle Style;    // pen, brush and font in effect
  uint32_t TextAlign = 0;  // alignment in effect
  int BkMode = 0;          // background mode in effect
};

// A line as the device draws it: from the current position to LineTo's point.
struct TRecordedLine {
  int X0, Y0, X1, Y1;
  TPenAttr Pen;
};

class TRecordingCanvas : public TCanvas {
 public:
  // Text width = Round(characters * font size * CharWidthPerPoint) device units,
  // line height = Round(font size * LineHeightPerPoint).
  double CharWidthPerPoint = 0.5;
  double LineHeightPerPoint = 1.0;
  // Answers of DeviceCaps.
  int HorzRes = 0;
  int VertRes = 0;
  int AspectX = 1;
  int AspectY = 1;
  int LogPixelsX = 96;
  int LogPixelsY = 96;
  bool Printer = false;

  std::vector<TRecordedOp> Ops;
  int Measures = 0;  // TextExtent and TextHeight calls

  TTextSize TextExtent(const std::string& text) override;
  int TextHeight() override;
  uint32_t SetTextAlign(uint32_t align) override;
  void SetBkMode(int mode) override;
  void WriteText(int x, int y, const std::string& text) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void SetPixel(int x, int y, TColor color) override;
  void FillRect(int left, int top, int right, int bottom) override;
  int DeviceCaps(int index) override;
  bool IsPrinter() const override { return Printer; }

  uint32_t CurrentTextAlign() const { return align_; }
  int CurrentBkMode() const { return bkMode_; }

  std::vector<TRecordedOp> OfKind(TRecordedKind kind) const;
  std::vector<TRecordedLine> Lines() const;
  std::vector<std::string> Texts() const;
  void ClearOps() { Ops.clear(); }

 private:
  TRecordedOp& Record(TRecordedKind kind, int x, int y);
  uint32_t align_ = kTaLeft | kTaTop;
  int bkMode_ = kOpaque;
};

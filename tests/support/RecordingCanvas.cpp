#include "tests/support/RecordingCanvas.h"

#include <cmath>

TTextSize TRecordingCanvas::TextExtent(const std::string& text) {
  ++Measures;
  TTextSize size;
  size.cx = static_cast<int>(
      std::lround(static_cast<double>(text.size()) * Font().Size * CharWidthPerPoint));
  size.cy = static_cast<int>(std::lround(Font().Size * LineHeightPerPoint));
  return size;
}

int TRecordingCanvas::TextHeight() {
  ++Measures;
  return static_cast<int>(std::lround(Font().Size * LineHeightPerPoint));
}

uint32_t TRecordingCanvas::SetTextAlign(uint32_t align) {
  const uint32_t previous = align_;
  align_ = align;
  Record(TRecordedKind::SetTextAlign, 0, 0).Value = align;
  return previous;
}

void TRecordingCanvas::SetBkMode(int mode) {
  bkMode_ = mode;
  Record(TRecordedKind::SetBkMode, 0, 0).Value = static_cast<uint32_t>(mode);
}

void TRecordingCanvas::WriteText(int x, int y, const std::string& text) {
  Record(TRecordedKind::TextOut, x, y).Text = text;
}

void TRecordingCanvas::MoveTo(int x, int y) { Record(TRecordedKind::MoveTo, x, y); }

void TRecordingCanvas::LineTo(int x, int y) { Record(TRecordedKind::LineTo, x, y); }

void TRecordingCanvas::SetPixel(int x, int y, TColor color) {
  Record(TRecordedKind::SetPixel, x, y).Color = color;
}

void TRecordingCanvas::FillRect(int left, int top, int right, int bottom) {
  TRecordedOp& op = Record(TRecordedKind::FillRect, left, top);
  op.X2 = right;
  op.Y2 = bottom;
}

int TRecordingCanvas::DeviceCaps(int index) {
  switch (index) {
    case kHorzRes: return HorzRes;
    case kVertRes: return VertRes;
    case kAspectX: return AspectX;
    case kAspectY: return AspectY;
    case kLogPixelsX: return LogPixelsX;
    case kLogPixelsY: return LogPixelsY;
    default: return 0;
  }
}

TRecordedOp& TRecordingCanvas::Record(TRecordedKind kind, int x, int y) {
  TRecordedOp op;
  op.Kind = kind;
  op.X = x;
  op.Y = y;
  op.Style = Style();
  op.TextAlign = align_;
  op.BkMode = bkMode_;
  Ops.push_back(op);
  return Ops.back();
}

std::vector<TRecordedOp> TRecordingCanvas::OfKind(TRecordedKind kind) const {
  std::vector<TRecordedOp> found;
  for (const TRecordedOp& op : Ops)
    if (op.Kind == kind) found.push_back(op);
  return found;
}

std::vector<TRecordedLine> TRecordingCanvas::Lines() const {
  std::vector<TRecordedLine> lines;
  int x = 0, y = 0;
  for (const TRecordedOp& op : Ops) {
    if (op.Kind == TRecordedKind::MoveTo) {
      x = op.X;
      y = op.Y;
    } else if (op.Kind == TRecordedKind::LineTo) {
      lines.push_back({x, y, op.X, op.Y, op.Style.Pen});
      x = op.X;
      y = op.Y;
    }
  }
  return lines;
}

std::vector<std::string> TRecordingCanvas::Texts() const {
  std::vector<std::string> texts;
  for (const TRecordedOp& op : Ops)
    if (op.Kind == TRecordedKind::TextOut) texts.push_back(op.Text);
  return texts;
}

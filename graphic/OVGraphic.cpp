#include "graphic/OVGraphic.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "graphic/OVGraphicMath.h"
#include "product/OVConfig.h"

namespace {

// Font size factors: the ten-digit sample spans 1/7 (numbers), 2/17 (exponents)
// and 2/13 (titles) of the plot width. Written with enough digits that each is
// the 80-bit value nearest to 20/7, 40/17 and 40/13.
constexpr long double K1 = 2.8571428571428571428571L;
constexpr long double K2 = 2.3529411764705882352941L;
constexpr long double K3 = 3.0769230769230769230769L;

const char kDigitSample[] = "1234567890";

// Length factors of minor, medium and division marks; one factor is 0.004 of
// the plot height (x axis) or width (y axis).
constexpr int XMarkFactors[3] = {2, 4, 6};
constexpr int YMarkFactors[3] = {1, 2, 4};
constexpr long double kMarkUnit = 0.004L;

// Cohen-Sutherland ends after a few replacements; the bound only guards the loop
// against truncated crossings that keep an end point hopping between two edges.
constexpr int kMaxClipRounds = 16;
// A dash walk is bounded; a segment that needs more steps ends in the current pen state.
constexpr int kMaxDashSteps = 1 << 20;

int MarkFactor(const int (&factors)[3], uint8_t kind) {
  int factor = factors[0];
  if (kind & 1) factor = factors[1];
  if (kind & 2) factor = factors[2];
  return factor;
}

int64_t Limit32(int64_t v) { return std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); }

// A device value moved by a few units; mapped values can lie at the ends of the int range.
int DeviceStep(int v, int units) { return static_cast<int>(Limit32(int64_t{v} + units)); }

// Points of a curve from two value lists; the caller has checked the range.
struct TListPoints {
  const TSingleList& XValues;
  const TSingleList& YValues;
  float X(int i) const { return XValues.At(i); }
  float Y(int i) const { return YValues.At(i); }
};

struct TArrayPoints {
  const float* XValues;
  const float* YValues;
  float X(int i) const { return XValues[i]; }
  float Y(int i) const { return YValues[i]; }
};

// First index at or below from whose mark carries a number, or -1.
int PreviousDivision(const TTickList& ticks, int from) {
  for (int i = std::min(from, ticks.Count - 1); i >= 0; --i)
    if (ticks.Kinds[i] & 2) return i;
  return -1;
}

}  // namespace

// Exponent, factor and label format shared by both axes.
struct TOVGraphic::TAxisNumbering {
  int Exponent = 0;
  long double Factor = 1.0L;
  int Width = 0;
  int Decimals = 0;
};

// What the y axis texts hand on to the title and the common factor.
struct TOVGraphic::TYAxisTexts {
  TAxisNumbering Numbers;
  float Base = 0;
  float NumberHeight = 0;  // th
  float DigitW = 0;        // dw
  float LastNumberX = 0;   // xN
  float TitleX = 0;        // xt
  float TitleY = 0;        // yt
  float TitleHeight = 0;   // of the unturned title, y units
  float TitleLineX = 0;    // hx
  uint8_t Orientation = 1;
};

// Data values to logical coordinates with the scales of one drawing call.
struct TOVGraphic::TCurveMapping {
  long double XMin, XScale, YMin, YScale, Left, Bottom;
  // False for a point that cannot be drawn: a value that is not finite, or a
  // mapping without a usable scale.
  bool Point(float vx, float vy, float& x, float& y) const {
    x = static_cast<float>((vx - XMin) * XScale + Left);
    y = static_cast<float>((vy - YMin) * YScale + Bottom);
    return std::isfinite(vx) && std::isfinite(vy) && !std::isnan(x) && !std::isnan(y);
  }
};

// ---------------------------------------------------------------- binding

TOVGraphic::TOVGraphic(TCanvas* canvas, const TRect& rect) {
  GridMode = ProductOptions.DefaultGridMode;
  FitPortraitPage = false;
  AttachCanvas(canvas, rect, 1.0f, 1.0f);
  FitPortraitPage = true;
}

TOVGraphic::~TOVGraphic() = default;

void TOVGraphic::AttachCanvas(TCanvas* canvas, const TRect& rect, float logicalWidth,
                              float logicalHeight) {
  Canvas = canvas;
  IsPrinter = canvas->IsPrinter();
  Canvas->Font().Name = "Arial";
  DeviceSize(rect);
  // An extent that is no positive number, or so small that one unit spans more device units
  // than a float holds, would make every mapping infinite (and 0 x infinity a NaN).
  auto usable = [](float extent, int32_t units) {
    return extent > 0 && std::isfinite(extent) &&
           std::isfinite(static_cast<float>(units / static_cast<long double>(extent)));
  };
  LogicalWidth = usable(logicalWidth, DeviceWidth) ? logicalWidth : 1.0f;
  LogicalHeight = usable(logicalHeight, DeviceHeight) ? logicalHeight : 1.0f;
  XPixelsPerUnit = static_cast<float>(static_cast<long double>(DeviceWidth) / LogicalWidth);
  YPixelsPerUnit = static_cast<float>(static_cast<long double>(DeviceHeight) / LogicalHeight);
  XUnitsPerPixel = static_cast<float>(1.0L / XPixelsPerUnit);
  YUnitsPerPixel = static_cast<float>(1.0L / YPixelsPerUnit);
  ClampX = static_cast<float>(20.0L * LogicalWidth);
  ClampY = static_cast<float>(20.0L * LogicalHeight);
  SetClipRect(0, 0, LogicalWidth, LogicalHeight);
}

void TOVGraphic::DeviceSize(const TRect& rect) {
  int64_t width;
  int64_t height;
  if (IsPrinter) {
    width = Canvas->DeviceCaps(kHorzRes);
    height = Canvas->DeviceCaps(kVertRes);
    if (FitPortraitPage && height > width) {
      // The page turned sideways: landscape proportions in its upper part.
      long double aspectX = Canvas->DeviceCaps(kAspectX);
      long double aspectY = Canvas->DeviceCaps(kAspectY);
      if (!(aspectX > 0) || !(aspectY > 0)) aspectX = aspectY = 1.0L;
      height = RoundToInt(aspectX * width * width / (aspectY * height));
    }
  } else {
    width = static_cast<int64_t>(rect.Right) - rect.Left;
    height = static_cast<int64_t>(rect.Bottom) - rect.Top;
  }
  DeviceWidth = static_cast<int32_t>(std::max<int64_t>(Limit32(width), 1));
  DeviceHeight = static_cast<int32_t>(std::max<int64_t>(Limit32(height), 1));
}

void TOVGraphic::SaveCanvasStyle() { StyleCanvas = Canvas->Style(); }

void TOVGraphic::RestoreCanvasStyle() { Canvas->SetStyle(StyleCanvas); }

// ---------------------------------------------------------------- mapping

int TOVGraphic::XToDevice(float x) const {
  return RoundToInt(static_cast<long double>(x) * XPixelsPerUnit);
}

int TOVGraphic::YToDevice(float y) const {
  const long double r = std::rint(static_cast<long double>(y) * YPixelsPerUnit);
  return IntegralToInt(DeviceHeight - r);  // the difference of two integers needs no rounding
}

float TOVGraphic::DeviceToX(int x) const {
  return static_cast<float>(x / static_cast<long double>(XPixelsPerUnit));
}

float TOVGraphic::DeviceToY(int y) const {
  return static_cast<float>((static_cast<long double>(DeviceHeight) - y) / YPixelsPerUnit);
}

float TOVGraphic::PosToXValue(float x) const {
  if (XScale.Scale == 0 || !std::isfinite(XScale.Scale)) return XScale.AxisMin;
  return static_cast<float>((static_cast<long double>(x) - PlotLeft) / XScale.Scale +
                            XScale.AxisMin);
}

float TOVGraphic::PosToYValue(float y) const {
  if (YScale.Scale == 0 || !std::isfinite(YScale.Scale)) return YScale.AxisMin;
  return static_cast<float>((static_cast<long double>(y) - PlotBottom) / YScale.Scale +
                            YScale.AxisMin);
}

// ---------------------------------------------------------------- text

float TOVGraphic::TextWidthX(int size, const std::string& text) {
  const int kept = Canvas->Font().Size;
  Canvas->Font().Size = size;
  const TTextSize extent = Canvas->TextExtent(text);
  Canvas->Font().Size = kept;
  return static_cast<float>(static_cast<long double>(extent.cx) * XUnitsPerPixel);
}

float TOVGraphic::TextExtentY(int size, const std::string& text, int angle) {
  const int kept = Canvas->Font().Size;
  Canvas->Font().Size = size;
  const TTextSize extent = Canvas->TextExtent(text);
  Canvas->Font().Size = kept;
  const int along = angle != 0 ? extent.cx : extent.cy;
  return static_cast<float>(static_cast<long double>(along) * YUnitsPerPixel);
}

float TOVGraphic::DigitWidth(int size) {
  return static_cast<float>(TextWidthX(size, kDigitSample) * 0.1L);
}

float TOVGraphic::TextHeightY(int size) {
  const int kept = Canvas->Font().Size;
  Canvas->Font().Size = size;
  const int height = Canvas->TextHeight();
  Canvas->Font().Size = kept;
  return static_cast<float>(static_cast<long double>(height) * YUnitsPerPixel);
}

void TOVGraphic::TextOutAt(const std::string& text, uint16_t angle, float x, float y, int size) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  const TFontAttr kept = Canvas->Font();
  Canvas->Font().Size = size;
  uint32_t previousAlign;
  if (angle == 0) {
    previousAlign = Canvas->SetTextAlign(kTaLeft | kTaBottom);
  } else {
    previousAlign = Canvas->SetTextAlign(kTaLeft | kTaTop);
    Canvas->Font().Escapement = angle * 10;
  }
  Canvas->SetBkMode(kTransparent);
  Canvas->WriteText(XToDevice(x), YToDevice(y), text);
  Canvas->SetTextAlign(previousAlign);
  Canvas->Font() = kept;  // the background mode stays transparent
}

// ---------------------------------------------------------------- lines

void TOVGraphic::PenMoveTo(float x, float y) {
  if (std::isnan(x) || std::isnan(y)) {
    penLifted_ = true;
    return;
  }
  PenX = XToDevice(LimitMagnitude(x, ClampX));
  PenY = YToDevice(LimitMagnitude(y, ClampY));
  penLifted_ = false;
}

void TOVGraphic::PenLineTo(float x, float y) {
  if (std::isnan(x) || std::isnan(y)) {
    penLifted_ = true;
    return;
  }
  const int nx = XToDevice(LimitMagnitude(x, ClampX));
  const int ny = YToDevice(LimitMagnitude(y, ClampY));
  if (!penLifted_ && !AppendToRun(PenX, PenY, nx, ny)) {
    int x0 = PenX, y0 = PenY, x1 = nx, y1 = ny;
    if (!ClipEnabled || ClipLine(x0, y0, x1, y1)) {
      Canvas->MoveTo(x0, y0);
      Canvas->LineTo(x1, y1);
    }
  }
  PenX = nx;  // unclipped, so that a polyline re-enters where it should
  PenY = ny;
  penLifted_ = false;
}

// Points a run holds at most before it goes to the canvas.
constexpr std::size_t kRunLimit = 8192;

// The run's room is taken first: from then on no line of the curve allocates.
void TOVGraphic::BeginRun() {
  const TPenAttr& pen = Canvas->Pen();
  const bool batch = Canvas->DrawsPolylines() && pen.Width <= 1 &&
                     pen.Style == TPenStyle::Solid && pen.Mode == kCopyPen;
  if (batch) run_.reserve(kRunLimit);
  batching_ = batch;
}

// Takes the line into the run when it lies wholly inside the clip rectangle; the lines
// before it are drawn first when it does not continue them. A line that stays on its
// pixel draws nothing either way, so it adds no point.
bool TOVGraphic::AppendToRun(int x0, int y0, int x1, int y1) {
  if (!batching_) return false;
  const TDevicePoint from{x0, y0}, to{x1, y1};
  // Every point of the run lies inside the clip rectangle.
  const bool continues = !run_.empty() && run_.back() == from;
  if (ClipEnabled && ((continues ? 0 : RegionCode(x0, y0)) | RegionCode(x1, y1)) != 0) {
    FlushRun();
    return false;
  }
  if (!continues) {
    FlushRun();
    run_.push_back(from);
  }
  if (to != from) run_.push_back(to);
  if (run_.size() >= kRunLimit) {
    FlushRun();
    run_.push_back(to);
  }
  return true;
}

void TOVGraphic::FlushRun() {
  if (run_.size() >= 2) Canvas->Polyline(run_.data(), static_cast<int>(run_.size()));
  run_.clear();
}

int TOVGraphic::RegionCode(int x, int y) const {
  int code = y > ClipBottom ? 8 : (y < ClipTop ? 4 : 0);
  code |= x > ClipRight ? 2 : (x < ClipLeft ? 1 : 0);
  return code;
}

bool TOVGraphic::ClipLine(int& x0, int& y0, int& x1, int& y1) const {
  int c0 = RegionCode(x0, y0);
  int c1 = RegionCode(x1, y1);
  for (int round = 0; round < kMaxClipRounds; ++round) {
    if ((c0 | c1) == 0) return true;
    if (c0 & c1) return false;
    const int oc = c0 != 0 ? c0 : c1;
    // Differences in extended precision: device values may span the whole int range.
    const long double dx = static_cast<long double>(x1) - x0;
    const long double dy = static_cast<long double>(y1) - y0;
    int x;
    int y;
    if (oc & 1) {
      x = ClipLeft;
      y = TruncToInt(dy / dx * (static_cast<long double>(ClipLeft) - x0) + y0);
    } else if (oc & 2) {
      x = ClipRight;
      y = TruncToInt(dy / dx * (static_cast<long double>(ClipRight) - x0) + y0);
    } else if (oc & 4) {
      y = ClipTop;
      x = TruncToInt(dx / dy * (static_cast<long double>(ClipTop) - y0) + x0);
    } else {
      y = ClipBottom;
      x = TruncToInt(dx / dy * (static_cast<long double>(ClipBottom) - y0) + x0);
    }
    if (c0 != 0) {
      x0 = x;
      y0 = y;
      c0 = RegionCode(x0, y0);
    } else {
      x1 = x;
      y1 = y;
      c1 = RegionCode(x1, y1);
    }
  }
  return false;
}

void TOVGraphic::SetClipRect(float x1, float y1, float x2, float y2) {
  // A bound that is no number bounds nothing: that side clips at the edge of the output.
  SetDeviceClipRect(std::isnan(x1) ? 0 : XToDevice(x1), std::isnan(y2) ? 0 : YToDevice(y2),
                    std::isnan(x2) ? DeviceWidth : XToDevice(x2),
                    std::isnan(y1) ? DeviceHeight : YToDevice(y1), true);
}

void TOVGraphic::SetDeviceClipRect(int left, int top, int right, int bottom, bool enable) {
  ClipLeft = std::min(std::max(left, 0), DeviceWidth);
  ClipRight = std::min(std::max(right, 0), DeviceWidth);
  ClipTop = std::min(std::max(top, 0), DeviceHeight);
  ClipBottom = std::min(std::max(bottom, 0), DeviceHeight);
  ClipEnabled = enable;
}

// ---------------------------------------------------------------- plot area

void TOVGraphic::SetPlotArea(bool fonts, float left, float bottom, float width, float height) {
  PlotLeft = left;
  PlotBottom = bottom;
  PlotWidth = width;
  PlotHeight = height;
  if (!fonts) return;
  NumberFontSize = SampleFontSize(K1, width, NumberFontSize);
  ExponentFontSize = SampleFontSize(K2, width, ExponentFontSize);
  TitleFontSize = SampleFontSize(K3, width, TitleFontSize);
}

// Round(factor / w20 * width), not below 0, w20 being the sample's width at 20
// points. A sample without width (a canvas that measures nothing), or a width that is no
// number, keeps current.
int TOVGraphic::SampleFontSize(long double factor, float width, int current) {
  const float w20 = TextWidthX(20, kDigitSample);
  if (!(w20 > 0) || !std::isfinite(w20) || std::isnan(width)) return current;
  return std::max(RoundToInt(factor / w20 * width), 0);
}

// ---------------------------------------------------------------- scales

void TOVGraphic::SetXScale(bool autoDivisions, int divisions, float rangeMin, float rangeMax,
                           float length, int subMarks) {
  const long double room = autoDivisions ? 3.0L * DigitWidth(NumberFontSize) : 0.0L;
  XScale = MakeAxisScale(autoDivisions, divisions, rangeMin, rangeMax, length, subMarks, room,
                         MaxXDivisions);
}

void TOVGraphic::SetYScale(bool autoDivisions, int divisions, float rangeMin, float rangeMax,
                           float length, int subMarks) {
  // The y numbers stand one above the other: one division per three line heights.
  const long double room = autoDivisions ? 3.0L * TextHeightY(NumberFontSize) : 0.0L;
  YScale = MakeAxisScale(autoDivisions, divisions, rangeMin, rangeMax, length, subMarks, room,
                         MaxYDivisions);
}

TTickList TOVGraphic::LinearTickPositions(bool vertical, const TAxisScale& scale,
                                          int valueRoom) const {
  if (vertical) return AxisTicks(scale, PlotBottom, PlotHeight, valueRoom);
  return AxisTicks(scale, PlotLeft, PlotWidth, valueRoom);
}

// ---------------------------------------------------------------- grid

void TOVGraphic::DrawGrid() {
  if (GridMode >= 5) return;
  SaveCanvasStyle();
  // The top bound lies on the top edge; the other three are one device unit inside.
  const float x0 = static_cast<float>(static_cast<long double>(PlotLeft) + XUnitsPerPixel);
  const float x1 =
      static_cast<float>(static_cast<long double>(PlotLeft) + PlotWidth - XUnitsPerPixel);
  const float y0 = static_cast<float>(static_cast<long double>(PlotBottom) + YUnitsPerPixel);
  const float y1 = static_cast<float>(static_cast<long double>(PlotBottom) + PlotHeight);
  Canvas->Pen().Style = TPenStyle::Solid;
  Canvas->Pen().Width = GridWidth;
  Canvas->Pen().Color = GridColor;
  const TTickList xTicks = LinearTickPositions(false, XScale);
  const TTickList yTicks = LinearTickPositions(true, YScale);
  if (GridMode <= 1)
    GridLines(xTicks, yTicks, x0, x1, y0, y1);
  else
    GridMarks(xTicks, yTicks, x0, x1, y0, y1);
  RestoreCanvasStyle();
}

// Lines at the divisions, drawn as two-point curves so that they get the dash
// pattern and the plot-area clipping of curves.
void TOVGraphic::GridLines(const TTickList& xTicks, const TTickList& yTicks, float x0, float x1,
                           float y0, float y1) {
  const uint8_t keptStyle = CurveStyle;
  CurveStyle = GridMode;
  for (int i = 0; i < xTicks.Count; ++i) {
    const float p = xTicks.Positions[i];
    if (xTicks.Kinds[i] != tmDivision || !(x0 < p && p < x1)) continue;
    const float xs[2] = {PosToXValue(p), PosToXValue(p)};
    const float ys[2] = {PosToYValue(y0), PosToYValue(y1)};
    DrawCurveArrays(xs, ys, 2);
  }
  for (int j = 0; j < yTicks.Count; ++j) {
    const float p = yTicks.Positions[j];
    if (yTicks.Kinds[j] != tmDivision || !(y0 < p && p < y1)) continue;
    const float xs[2] = {PosToXValue(x0), PosToXValue(x1)};
    const float ys[2] = {PosToYValue(p), PosToYValue(p)};
    DrawCurveArrays(xs, ys, 2);
  }
  CurveStyle = keptStyle;
}

// Crosses at division crossings and/or single pixels at mark crossings (modes 2..4).
void TOVGraphic::GridMarks(const TTickList& xTicks, const TTickList& yTicks, float x0, float x1,
                           float y0, float y1) {
  const long double hx = static_cast<float>(2.0L * XUnitsPerPixel);
  const long double hy = static_cast<float>(2.0L * YUnitsPerPixel);
  for (int i = 0; i < xTicks.Count; ++i) {
    const float px = xTicks.Positions[i];
    const uint8_t kx = xTicks.Kinds[i];
    for (int j = 0; j < yTicks.Count; ++j) {
      const float py = yTicks.Positions[j];
      const uint8_t ky = yTicks.Kinds[j];
      const bool inside = x0 < px && px < x1 && y0 < py && py < y1;
      const bool crossRoom = x0 + hx < px && px < x1 - hx && y0 + hy < py && py < y1 - hy;
      const bool divisions = kx == tmDivision && ky == tmDivision;
      bool point = false;
      if (GridMode == 2) {
        if (divisions) {
          if (crossRoom) GridCross(px, py);
        } else {
          point = inside && kx >= 1 && ky >= 1;
        }
      } else if (GridMode == 3) {
        if (divisions && crossRoom) GridCross(px, py);
      } else {
        point = inside;
      }
      if (point) Canvas->SetPixel(XToDevice(px), YToDevice(py), GridColor);
    }
  }
}

// Two strokes, each arm two device units long; each stroke ends one unit further
// because a line leaves out its last pixel.
void TOVGraphic::GridCross(float px, float py) {
  const long double hx = static_cast<float>(2.0L * XUnitsPerPixel);
  const long double hy = static_cast<float>(2.0L * YUnitsPerPixel);
  PenMoveTo(static_cast<float>(px - hx), py);
  PenLineTo(DeviceToX(DeviceStep(XToDevice(static_cast<float>(px + hx)), 1)), py);
  PenMoveTo(px, static_cast<float>(py - hy));
  PenLineTo(px, DeviceToY(DeviceStep(YToDevice(static_cast<float>(py + hy)), -1)));
}

// ---------------------------------------------------------------- axes

TOVGraphic::TAxisNumbering TOVGraphic::AxisNumbering(const TAxisScale& scale,
                                                     const TTickList& ticks) const {
  TAxisNumbering n;
  n.Exponent = EngineeringExponent(scale.AxisMin, scale.AxisMax);
  n.Factor = PowerOfTen(-n.Exponent);
  if (ticks.ValueCount == 0) return n;
  // Only the values the list holds are numbered.
  const int count = std::min(LastDivisionIndex(scale), ticks.ValueCount - 1);
  const uint16_t format =
      LabelFormat(count + 1, static_cast<float>(n.Factor * ticks.Values[0]),
                  static_cast<float>(n.Factor * ticks.Values[count]));
  n.Width = format >> 8;
  n.Decimals = format & 0xFF;
  return n;
}

void TOVGraphic::DrawXAxis(const std::string& title, uint8_t placement) {
  SaveCanvasStyle();
  Canvas->Pen().Style = TPenStyle::Solid;
  Canvas->Pen().Width = 1;
  Canvas->Pen().Color = 0;
  Canvas->Font().Color = 0;
  const TTickList ticks = LinearTickPositions(false, XScale, kAxisValueRoom);
  const float keptBottom = PlotBottom;
  if (placement == 2) PlotBottom = static_cast<float>(static_cast<long double>(PlotBottom) +
                                                      PlotHeight);
  XAxisMarks(ticks, placement);
  PenMoveTo(static_cast<float>(static_cast<long double>(PlotLeft) + PlotWidth), PlotBottom);
  PenLineTo(PlotLeft, PlotBottom);
  if (placement == 2 || placement == 3) XAxisTexts(ticks, title, placement);
  PlotBottom = keptBottom;
  RestoreCanvasStyle();
}

// Marks point away from the plot area.
void TOVGraphic::XAxisMarks(const TTickList& ticks, uint8_t placement) {
  if (placement != 2 && placement != 3) return;
  const float base = PlotBottom;
  for (int i = 0; i < ticks.Count; ++i) {
    const float p = ticks.Positions[i];
    const float length = static_cast<float>(kMarkUnit * PlotHeight *
                                            MarkFactor(XMarkFactors, ticks.Kinds[i]));
    if (length == 0) continue;
    if (placement == 2) {
      PenMoveTo(p, static_cast<float>(static_cast<long double>(base) + length));
      PenLineTo(p, base);
    } else {
      PenMoveTo(p, base);
      PenLineTo(p, static_cast<float>(static_cast<long double>(base) - length));
    }
  }
}

void TOVGraphic::XAxisTexts(const TTickList& ticks, const std::string& title,
                            uint8_t placement) {
  const long double base = PlotBottom;
  const float th = TextHeightY(NumberFontSize);
  const float dw = DigitWidth(NumberFontSize);
  const float gap = static_cast<float>(1.2L * kMarkUnit * XMarkFactors[2] * PlotHeight);
  const long double px = XUnitsPerPixel;
  const TAxisNumbering numbers = AxisNumbering(XScale, ticks);
  float yN, yT, yE;
  if (placement == 3) {
    yN = static_cast<float>(base - th - gap);
    yT = static_cast<float>(yN - 1.2L * th);
    yE = static_cast<float>(static_cast<long double>(yN) - th);
  } else {
    yN = static_cast<float>(base + gap);
    yT = static_cast<float>(yN + 1.5L * th);
    yE = static_cast<float>(yN + 2.0L * th);
  }
  // Numbers centred on their marks; a negative number's digits are centred and
  // its minus sign stands to their left. A number that would begin less than
  // eight pixels after the last drawn one is left out.
  float lastEnd = 0;
  int k = 0;
  for (int i = 0; i < ticks.Count; ++i) {
    if (!(ticks.Kinds[i] & 2)) continue;
    const float v = static_cast<float>(numbers.Factor * ticks.Values[k]);
    const std::string s = AxisNumberText(v, numbers.Decimals);
    // The sign as printed: a value that prints as zero is centred as zero.
    const bool negative = !s.empty() && s[0] == '-';
    const float w = negative ? TextWidthX(NumberFontSize, "-" + s) : TextWidthX(NumberFontSize, s);
    const float x = static_cast<float>(ticks.Positions[i] - w / 2.0L);
    if (x >= lastEnd) {
      TextOutAt(s, 0, static_cast<float>(x + px), yN, NumberFontSize);
      lastEnd = static_cast<float>(x + TextWidthX(NumberFontSize, s) + 8.0L * px);
    }
    ++k;
  }
  const long double right = static_cast<long double>(PlotLeft) + PlotWidth;
  TextOutAt(title, 0,
            static_cast<float>(right - (title.size() + 5.0L) * DigitWidth(TitleFontSize)), yT,
            TitleFontSize);
  if (numbers.Exponent != 0) {
    TextOutAt(" * 10", 0, static_cast<float>(right - 4.5L * dw), yT, NumberFontSize);
    TextOutAt(std::to_string(numbers.Exponent), 0, static_cast<float>(right), yE,
              ExponentFontSize);
  }
}

uint8_t TOVGraphic::DrawYAxis(const std::string& title, uint8_t placement,
                              uint8_t titleRequest) {
  const bool draw = titleRequest != 3;
  SaveCanvasStyle();
  Canvas->Pen().Style = TPenStyle::Solid;
  Canvas->Pen().Width = 1;
  Canvas->Pen().Color = 0;
  Canvas->Font().Color = 0;
  const TTickList ticks = LinearTickPositions(true, YScale, kAxisValueRoom);
  const float keptLeft = PlotLeft;
  if (placement == 0) PlotLeft = static_cast<float>(static_cast<long double>(PlotLeft) +
                                                    PlotWidth);
  if (draw) {
    YAxisMarks(ticks, placement);
    PenMoveTo(PlotLeft, static_cast<float>(static_cast<long double>(PlotBottom) + PlotHeight));
    PenLineTo(PlotLeft, PlotBottom);
  }
  TYAxisTexts t;
  if (placement <= 1) {
    YAxisNumbers(ticks, placement, draw, t);
    YAxisTitle(ticks, title, placement, titleRequest, t);
    if (draw && t.Numbers.Exponent != 0) YAxisFactor(ticks, placement, t);
  }
  PlotLeft = keptLeft;
  RestoreCanvasStyle();
  return t.Orientation;
}

void TOVGraphic::YAxisMarks(const TTickList& ticks, uint8_t placement) {
  if (placement > 1) return;
  const float base = PlotLeft;
  for (int i = 0; i < ticks.Count; ++i) {
    const float p = ticks.Positions[i];
    const long double length =
        static_cast<float>(kMarkUnit * PlotWidth * MarkFactor(YMarkFactors, ticks.Kinds[i]));
    if (length == 0) continue;
    PenMoveTo(base, p);
    PenLineTo(static_cast<float>(placement == 1 ? base - length : base + length), p);
  }
}

// Numbers beside their marks: right-aligned left of the axis (placement 1), or
// padded to a common width right of it (placement 0).
void TOVGraphic::YAxisNumbers(const TTickList& ticks, uint8_t placement, bool draw,
                              TYAxisTexts& t) {
  t.Base = PlotLeft;
  t.NumberHeight = TextHeightY(NumberFontSize);
  t.DigitW = DigitWidth(NumberFontSize);
  t.Numbers = AxisNumbering(YScale, ticks);
  t.LastNumberX = t.Base;
  const long double px = XUnitsPerPixel;
  const long double markRoom = kMarkUnit * YMarkFactors[2] * PlotWidth;
  float lastEnd = 0;
  int k = 0;
  for (int i = 0; i < ticks.Count; ++i) {
    if (!(ticks.Kinds[i] & 2)) continue;
    const float v = static_cast<float>(t.Numbers.Factor * ticks.Values[k]);
    const float y = static_cast<float>(ticks.Positions[i] - 0.5L * t.NumberHeight);
    std::string s = AxisNumberText(v, t.Numbers.Decimals);
    float x;
    if (placement == 1) {
      x = static_cast<float>(t.Base - TextWidthX(NumberFontSize, s) - 1.2L * markRoom);
    } else {
      if (static_cast<int>(s.size()) < t.Numbers.Width)
        s.insert(0, static_cast<size_t>(t.Numbers.Width) - s.size(), ' ');
      x = static_cast<float>(t.Base + 1.4L * markRoom);
    }
    if (y >= lastEnd && draw) {
      TextOutAt(s, 0, x, y, NumberFontSize);
      lastEnd = static_cast<float>(y + static_cast<long double>(t.NumberHeight) + 8.0L * px);
    }
    t.LastNumberX = x;
    ++k;
  }
}

// Baseline at which a line of title height is centred between marks a and b.
float TOVGraphic::TitleMid(const TTickList& ticks, int a, int b, float titleHeight) const {
  if (a < 0) return static_cast<float>(static_cast<long double>(PlotBottom) + PlotHeight);
  if (b < 0) b = a;
  const long double pa = ticks.Positions[a];
  return static_cast<float>(pa - (pa - ticks.Positions[b]) * 0.5L - 0.5L * titleHeight);
}

// Horizontal in the gap below the topmost number when it fits beside the axis,
// otherwise turned to read upward and ending at the top of the plot area.
void TOVGraphic::YAxisTitle(const TTickList& ticks, const std::string& title, uint8_t placement,
                            uint8_t request, TYAxisTexts& t) {
  const float tw = TextWidthX(TitleFontSize, title);
  const float tl = TextExtentY(TitleFontSize, title, 90);
  t.TitleHeight = TextExtentY(TitleFontSize, title, 0);
  t.TitleLineX = static_cast<float>(static_cast<long double>(t.TitleHeight) / YUnitsPerPixel *
                                    XUnitsPerPixel);
  const long double hx = t.TitleLineX;
  const long double d2 = DeviceToX(2);
  const long double dw = t.DigitW;
  const long double base = t.Base;
  const long double width = t.Numbers.Width;
  const float top = static_cast<float>(static_cast<long double>(PlotBottom) + PlotHeight);
  const bool forced = request == 2;
  const bool mayTurn = request != 1;
  bool vertical;
  float xt;
  if (placement == 1) {
    xt = static_cast<float>(base - dw * (width + 0.5L) - tw);
    if (!std::isnan(xt) && XToDevice(xt) < 0) xt = static_cast<float>(d2);
    vertical = forced || (mayTurn && !std::isnan(t.Base) &&
                          tw + static_cast<long double>(xt) >
                              DeviceToX(DeviceStep(XToDevice(t.Base), -2)));
    if (vertical) {
      xt = static_cast<float>(base - dw * (width + 3.5L));
      if (xt + hx < 0) xt = static_cast<float>(d2);
    }
  } else {
    xt = static_cast<float>(base + dw * (width + 0.5L));
    if (tw + static_cast<long double>(xt) > 1.0L) xt = t.LastNumberX;
    vertical = forced || (mayTurn && tw + static_cast<long double>(xt) > 1.0L);
    if (vertical) {
      xt = static_cast<float>(base + dw * (width - 1) + hx);
      if (xt + hx > 1.0L) xt = static_cast<float>(1.0L - hx + d2);
    }
  }
  const int last = ticks.Count - 1;
  const int below = PreviousDivision(ticks, last - 1);
  uint16_t angle = 0;
  if (vertical) {
    t.Orientation = 2;
    angle = 90;
    t.TitleY = static_cast<float>(static_cast<long double>(top) - tl);
  } else {
    t.Orientation = 1;
    t.TitleY = TitleMid(ticks, last, below, t.TitleHeight);
  }
  t.TitleX = xt;
  if (request != 3) TextOutAt(title, angle, t.TitleX, t.TitleY, TitleFontSize);
}

// "*10" and the exponent, raised by half its height: in the gap below the title
// (horizontal title) or in the gap between the two topmost numbers (turned title).
void TOVGraphic::YAxisFactor(const TTickList& ticks, uint8_t placement, TYAxisTexts& t) {
  const int last = ticks.Count - 1;
  const int j1 = PreviousDivision(ticks, last - 1);
  const int j2 = j1 >= 0 ? PreviousDivision(ticks, j1 - 1) : -1;
  float ye = t.TitleY;
  if (t.Orientation == 2)
    ye = TitleMid(ticks, last, j1, t.TitleHeight);
  else if (j2 >= 0)
    ye = TitleMid(ticks, j1, j2, t.TitleHeight);
  const long double w3 = TextWidthX(TitleFontSize, "*103");
  const long double dw = t.DigitW;
  const long double xN = t.LastNumberX;
  const int width = t.Numbers.Width;
  const int decimals = t.Numbers.Decimals;
  long double xe;
  if (t.Orientation == 2) {
    const long double centred = xN + 0.5L * dw * (width + 0.5L) - 0.5L * w3;
    if (placement == 1)
      xe = width < 5 ? static_cast<long double>(t.TitleX) - t.TitleLineX - w3 : centred;
    else
      xe = width < 5 ? static_cast<long double>(t.TitleX) : centred;
  } else if (placement == 1) {
    xe = xN + dw * (decimals + 0.5L) - w3;
  } else {
    xe = xN + dw * (width - decimals + 0.5L);
  }
  const std::string exponent = std::to_string(t.Numbers.Exponent);
  TextOutAt("*10", 0, static_cast<float>(xe), ye, NumberFontSize);
  TextOutAt(exponent, 0, static_cast<float>(xe + TextWidthX(NumberFontSize, "*10")),
            static_cast<float>(ye + 0.5L * TextExtentY(NumberFontSize, exponent, 0)),
            ExponentFontSize);
}

// ---------------------------------------------------------------- curves

void TOVGraphic::DrawCurve(const TSingleList& xValues, const TSingleList& yValues, int firstIndex,
                           int lastIndex) {
  if (firstIndex == 0 && lastIndex == 0) lastIndex = xValues.Count() - 1;
  if (xValues.Count() < 2 || yValues.Count() < 2) return;
  // Checked access to the ends of the range raises the list's index error before
  // anything is drawn; the points in between are then read unchecked.
  (void)xValues.Items(firstIndex);
  (void)yValues.Items(firstIndex);
  if (lastIndex > firstIndex) {
    (void)xValues.Items(lastIndex);
    (void)yValues.Items(lastIndex);
  }
  DrawPolyline(TListPoints{xValues, yValues}, firstIndex, lastIndex);
}

void TOVGraphic::DrawCurveArrays(const float* xValues, const float* yValues, int count) {
  if (count < 2 || xValues == nullptr || yValues == nullptr) return;
  DrawPolyline(TArrayPoints{xValues, yValues}, 0, count - 1);
}

template <class TPoints>
void TOVGraphic::DrawPolyline(const TPoints& points, int first, int last) {
  if (ClipToPlotArea)
    SetClipRect(PlotLeft, PlotBottom,
                static_cast<float>(static_cast<long double>(PlotLeft) + PlotWidth),
                static_cast<float>(static_cast<long double>(PlotBottom) + PlotHeight));
  const TCurveMapping map{XScale.AxisMin, XScale.Scale, YScale.AxisMin,
                          YScale.Scale,   PlotLeft,     PlotBottom};
  BeginRun();
  if (CurveStyle == 0) {
    float x, y;
    bool joined = map.Point(points.X(first), points.Y(first), x, y);
    if (joined) PenMoveTo(x, y);
    for (int i = first + 1; i <= last; ++i) {
      if (!map.Point(points.X(i), points.Y(i), x, y)) {
        joined = false;
        continue;
      }
      if (joined)
        PenLineTo(x, y);
      else
        PenMoveTo(x, y);
      joined = true;
    }
  } else {
    DashedPolyline(points, map, first, last);
  }
  FlushRun();
  batching_ = false;
  if (ClipToPlotArea) SetClipRect(0, 0, LogicalWidth, LogicalHeight);
}

// Dashes of 10 pixel widths with gaps of the same length, measured along the
// curve; the pattern runs on from one point to the next. The walk runs between
// limited points, as the line primitives draw them, so that its length is bounded.
template <class TPoints>
void TOVGraphic::DashedPolyline(const TPoints& points, const TCurveMapping& map, int first,
                                int last) {
  bool penDown = true;
  float remaining = static_cast<float>(10.0L * XUnitsPerPixel);
  float posX = 0, posY = 0;
  bool joined = false;
  for (int i = first;; ++i) {
    float x, y;
    if (!map.Point(points.X(i), points.Y(i), x, y)) {
      joined = false;
    } else {
      x = LimitMagnitude(x, ClampX);
      y = LimitMagnitude(y, ClampY);
      if (joined) {
        DashTo(x, y, penDown, remaining, posX, posY);
      } else {
        PenMoveTo(x, y);
        posX = x;
        posY = y;
      }
      joined = true;
    }
    if (i >= last) break;
  }
}

void TOVGraphic::DashTo(float x, float y, bool& penDown, float& remaining, float& posX,
                        float& posY) {
  const float dash = static_cast<float>(10.0L * XUnitsPerPixel);
  for (int steps = 0;; ++steps) {
    const long double dx = static_cast<long double>(x) - posX;
    const long double dy = static_cast<long double>(y) - posY;
    const float d = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    if (d > remaining && steps < kMaxDashSteps) {
      const float nx = static_cast<float>(posX + dx * remaining / d);
      const float ny = static_cast<float>(posY + dy * remaining / d);
      // A step lost in float rounding would never arrive.
      const bool stalled = remaining > 0 && nx == posX && ny == posY;
      if (!stalled) {
        if (penDown) PenLineTo(nx, ny);
        else PenMoveTo(nx, ny);
        posX = nx;
        posY = ny;
        penDown = !penDown;
        remaining = dash;
        continue;
      }
    }
    if (penDown) PenLineTo(x, y);
    else PenMoveTo(x, y);
    remaining = static_cast<float>(std::max(0.0L, static_cast<long double>(remaining) - d));
    posX = x;
    posY = y;
    return;
  }
}

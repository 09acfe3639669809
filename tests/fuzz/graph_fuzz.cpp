// Fuzz target: the graph engine on the recording canvas over arbitrary output sizes, ranges,
// percentages, plot areas, grid modes, placements, curve styles and data (NaN, infinities,
// denormals, 0..0 and inverted ranges, any 80-bit input through the trace store). Every call
// must end; every line drawn lies inside the clip rectangle; pen, brush and font come back as
// they were; a device value from a NaN stops the run (NanTrap.h is force-included into the
// engine for this build).
#include <climits>
#include <string>
#include <vector>

#include "block/TraceStore.h"
#include "block/TrazelSettings.h"
#include "graphic/OVGraphic.h"
#include "product/OVConfig.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/RecordingCanvas.h"

namespace {

// The recording canvas, checking each call against the graph's clip rectangle. It keeps the
// first operations only, so that a long dashed curve does not fill the memory.
class TCheckedCanvas : public TRecordingCanvas {
 public:
  static constexpr size_t kKeptOps = 4096;
  const TOVGraphic* Graph = nullptr;
  size_t Calls = 0;

  void MoveTo(int x, int y) override {
    CheckInClip(x, y);
    Keep([&] { TRecordingCanvas::MoveTo(x, y); });
  }
  void LineTo(int x, int y) override {
    CheckInClip(x, y);
    Keep([&] { TRecordingCanvas::LineTo(x, y); });
  }
  void WriteText(int x, int y, const std::string& text) override {
    Keep([&] { TRecordingCanvas::WriteText(x, y, text); });
  }
  void SetPixel(int x, int y, TColor color) override {
    Keep([&] { TRecordingCanvas::SetPixel(x, y, color); });
  }
  uint32_t SetTextAlign(uint32_t align) override {
    ++Calls;
    return TRecordingCanvas::SetTextAlign(align);
  }
  void SetBkMode(int mode) override {
    ++Calls;
    if (Ops.size() < kKeptOps) TRecordingCanvas::SetBkMode(mode);
  }

 private:
  template <class F>
  void Keep(F record) {
    ++Calls;
    if (Ops.size() < kKeptOps) record();
  }

  // Lines are drawn only after clipping: both ends lie in the inclusive clip rectangle,
  // which itself lies on the output.
  void CheckInClip(int x, int y) const {
    if (!Graph || !Graph->ClipEnabled) return;
    const TOVGraphic& g = *Graph;
    FUZZ_CHECK(g.ClipLeft <= x && x <= g.ClipRight && g.ClipTop <= y && y <= g.ClipBottom);
    FUZZ_CHECK(g.ClipLeft >= 0 && g.ClipRight <= g.DeviceWidth && g.ClipTop >= 0 &&
               g.ClipBottom <= g.DeviceHeight);
  }
};

int SmallOrAny(FuzzedDataProvider& in, int lo, int hi) {
  return in.ConsumeIntegralInRange<int>(0, 7) != 0 ? in.ConsumeIntegralInRange<int>(lo, hi)
                                                    : in.ConsumeIntegral<int32_t>();
}

TRect OutputRect(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 5) != 0)
    return TRect{0, 0, in.ConsumeIntegralInRange<int>(0, 2000),
                 in.ConsumeIntegralInRange<int>(0, 2000)};
  return TRect{in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(),
               in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>()};
}

void SetUpCanvas(FuzzedDataProvider& in, TCheckedCanvas& canvas) {
  static const double kWidths[] = {0.5, 0.0, 0.6, 3.0, 1e-9};
  static const double kHeights[] = {1.0, 0.0, 1.2, 5.0};
  canvas.CharWidthPerPoint = kWidths[in.ConsumeIntegralInRange<int>(0, 4)];
  canvas.LineHeightPerPoint = kHeights[in.ConsumeIntegralInRange<int>(0, 3)];
  canvas.Printer = in.ConsumeIntegralInRange<int>(0, 3) == 0;
  canvas.HorzRes = SmallOrAny(in, 0, 7000);
  canvas.VertRes = SmallOrAny(in, 0, 10000);
  canvas.AspectX = SmallOrAny(in, 0, 600);
  canvas.AspectY = SmallOrAny(in, 0, 600);
}

// A plot area position or size: from a percentage, as the window computes it, or any float.
float PlotValue(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return static_cast<float>(SmallOrAny(in, -50, 150) * 0.01L);
  return fuzz::Float(in);
}

std::string Title(FuzzedDataProvider& in) { return in.ConsumeRandomLengthString(24); }

std::vector<float> Values(FuzzedDataProvider& in, int count) {
  std::vector<float> v;
  for (int i = 0; i < count; ++i) v.push_back(fuzz::Float(in));
  return v;
}

// The engine drew something that changes pen, brush or font: they must be back.
struct TStyleKept {
  TCheckedCanvas& Canvas;
  TCanvasStyle Before;
  uint32_t Align;
  explicit TStyleKept(TCheckedCanvas& canvas)
      : Canvas(canvas), Before(canvas.Style()), Align(canvas.CurrentTextAlign()) {}
  ~TStyleKept() {
    FUZZ_CHECK(Canvas.Style() == Before);
    FUZZ_CHECK(Canvas.CurrentTextAlign() == Align);
  }
};

void CheckTicks(const TTickList& ticks, int room) {
  FUZZ_CHECK(ticks.Count >= 0 && ticks.Count <= TTickList::kMaxMarks);
  FUZZ_CHECK(ticks.ValueCount >= 0 && ticks.ValueCount <= std::min(room, TTickList::kMaxValues));
  int divisions = 0;
  for (int i = 0; i < ticks.Count; ++i) {
    FUZZ_CHECK(ticks.Kinds[i] <= tmDivision);
    divisions += ticks.Kinds[i] == tmDivision;
  }
  FUZZ_CHECK(divisions == ticks.ValueCount);
}

// DrawCurve raises the list error exactly when an end of the range lies outside a list of
// two or more points, and then draws nothing.
void DrawListCurve(FuzzedDataProvider& in, TOVGraphic& g, TCheckedCanvas& canvas) {
  TSingleList xs, ys;
  const int nx = in.ConsumeIntegralInRange<int>(0, 40);
  const int ny = in.ConsumeBool() ? nx : in.ConsumeIntegralInRange<int>(0, 40);
  for (float v : Values(in, nx)) xs.Add(v);
  for (float v : Values(in, ny)) ys.Add(v);
  const int first = in.ConsumeIntegralInRange<int>(-2, 42);
  const int last = in.ConsumeIntegralInRange<int>(-2, 42);
  const int end = first == 0 && last == 0 ? nx - 1 : last;
  auto outside = [&](int i) { return i < 0 || i >= nx || i >= ny; };
  const bool bad = nx >= 2 && ny >= 2 && (outside(first) || (end > first && outside(end)));
  const size_t callsBefore = canvas.Calls;
  bool raised = false;
  try {
    g.DrawCurve(xs, ys, first, last);
  } catch (const EListError&) {
    raised = true;
  }
  FUZZ_CHECK(raised == bad);
  if (raised) FUZZ_CHECK(canvas.Calls == callsBefore);
}

// A dashed line costs one step per dash of 10 pixel widths along the line, and lines are
// limited to 20 times the logical extent: an output of more than 10000 device units (no
// screen or page has one) or a logical height far beyond its width makes the walk long, though
// bounded. Such outputs draw solid lines here, to keep each input fast.
void KeepDashesShort(TOVGraphic& g) {
  const long double dash = 10.0L * g.XUnitsPerPixel;
  const long double longest = 3.0L * std::max(g.ClampX, g.ClampY);
  if (g.DeviceWidth <= 10000 && g.DeviceHeight <= 10000 && dash > 0 && longest / dash <= 1e5L)
    return;
  if (g.GridMode == 1) g.GridMode = 0;  // the dashed grid
  g.CurveStyle = 0;
}

// The window's road: settings to plot area and scales, then the picture or a new segment.
void WindowRoad(FuzzedDataProvider& in, TOVGraphic& g, TCheckedCanvas& canvas,
                TTraceStore& traces) {
  TPlotSettings s;
  s.XMin = fuzz::Real(in);
  s.XMax = fuzz::Real(in);
  s.YMin = fuzz::Real(in);
  s.YMax = fuzz::Real(in);
  s.OriginX = SmallOrAny(in, -20, 120);
  s.OriginY = SmallOrAny(in, -20, 120);
  s.SizeX = SmallOrAny(in, -20, 200);
  s.SizeY = SmallOrAny(in, -20, 200);
  s.ShowAxes = in.ConsumeBool();
  g.AttachCanvas(&canvas, OutputRect(in), 1.0f, 1.0f);
  const float width = static_cast<float>(s.SizeX * 0.01L);
  const float height = static_cast<float>(s.SizeY * 0.01L);
  g.SetPlotArea(true, static_cast<float>(s.OriginX * 0.01L), static_cast<float>(s.OriginY * 0.01L),
                width, height);
  g.SetXScale(true, 0, static_cast<float>(s.XMin), static_cast<float>(s.XMax), width, 0);
  g.SetYScale(true, 0, static_cast<float>(s.YMin), static_cast<float>(s.YMax), height, 0);
  KeepDashesShort(g);
  TStyleKept kept(canvas);
  if (in.ConsumeBool()) {
    // One simulation step with inputs of any bits.
    const long double x = fuzz::Real(in), y = fuzz::Real(in), control = fuzz::Real(in);
    const int points = traces.Record(x, y, control);
    FUZZ_CHECK(points >= 0);
    if (points > 0) {
      const int k = traces.Count() - 1;
      g.DrawCurve(traces.X(k), traces.Y(k), points - 2, points - 1);
    }
    return;
  }
  if (in.ConsumeBool()) g.DrawGrid();
  if (s.ShowAxes) {
    g.DrawXAxis("x", 3);
    g.DrawYAxis("y", 1, 0);
  }
  for (int k = 0; k < traces.Count(); ++k) g.DrawCurve(traces.X(k), traces.Y(k), 0, 0);
}

void OneCall(FuzzedDataProvider& in, TOVGraphic& g, TCheckedCanvas& canvas, TTraceStore& traces) {
  KeepDashesShort(g);
  switch (in.ConsumeIntegralInRange<int>(0, 13)) {
    case 0: {
      const bool unit = in.ConsumeIntegralInRange<int>(0, 3) != 0;
      g.AttachCanvas(&canvas, OutputRect(in), unit ? 1.0f : fuzz::Float(in),
                     unit ? 1.0f : fuzz::Float(in));
      FUZZ_CHECK(g.DeviceWidth >= 1 && g.DeviceHeight >= 1);
      FUZZ_CHECK(g.LogicalWidth > 0 && g.LogicalHeight > 0);
      break;
    }
    case 1: {
      const bool fonts = in.ConsumeBool();
      const float left = PlotValue(in), bottom = PlotValue(in);
      const float width = PlotValue(in), height = PlotValue(in);
      g.SetPlotArea(fonts, left, bottom, width, height);
      FUZZ_CHECK(g.NumberFontSize >= 0 && g.ExponentFontSize >= 0 && g.TitleFontSize >= 0);
      break;
    }
    case 2:
    case 3: {
      const bool automatic = in.ConsumeBool();
      const int divisions = SmallOrAny(in, -2, 40);
      const float lo = fuzz::Float(in), hi = in.ConsumeBool() ? lo : fuzz::Float(in);
      const bool plotLength = in.ConsumeBool();
      const int subMarks = SmallOrAny(in, -2, 12);
      if (in.ConsumeBool()) {
        g.SetXScale(automatic, divisions, lo, hi, plotLength ? g.PlotWidth : fuzz::Float(in),
                    subMarks);
      } else {
        g.SetYScale(automatic, divisions, lo, hi, plotLength ? g.PlotHeight : fuzz::Float(in),
                    subMarks);
      }
      break;
    }
    case 4: {
      g.GridMode = in.ConsumeIntegralInRange<uint8_t>(0, 6);
      g.GridWidth = SmallOrAny(in, 0, 3);
      KeepDashesShort(g);
      TStyleKept kept(canvas);
      g.DrawGrid();
      break;
    }
    case 5: {
      TStyleKept kept(canvas);
      g.DrawXAxis(Title(in), in.ConsumeIntegralInRange<uint8_t>(0, 5));
      break;
    }
    case 6: {
      TStyleKept kept(canvas);
      const uint8_t placement = in.ConsumeIntegralInRange<uint8_t>(0, 3);
      const uint8_t request = in.ConsumeIntegralInRange<uint8_t>(0, 4);
      const uint8_t orientation = g.DrawYAxis(Title(in), placement, request);
      FUZZ_CHECK(orientation == 1 || orientation == 2);
      break;
    }
    case 7: {
      g.CurveStyle = in.ConsumeIntegralInRange<uint8_t>(0, 2);
      const int count = in.ConsumeIntegralInRange<int>(0, 60);
      const std::vector<float> xs = Values(in, count), ys = Values(in, count);
      KeepDashesShort(g);
      TStyleKept kept(canvas);
      g.DrawCurveArrays(xs.data(), ys.data(), count);
      break;
    }
    case 8: DrawListCurve(in, g, canvas); break;
    case 9: WindowRoad(in, g, canvas, traces); break;
    case 10: {
      const float x = fuzz::Float(in), y = fuzz::Float(in);
      if (in.ConsumeBool()) g.PenMoveTo(x, y); else g.PenLineTo(x, y);
      break;
    }
    case 11: {
      TStyleKept kept(canvas);
      const float x = fuzz::Float(in), y = fuzz::Float(in);
      g.TextOutAt(Title(in), in.ConsumeIntegralInRange<uint16_t>(0, 360), x, y,
                  SmallOrAny(in, 0, 40));
      break;
    }
    case 12: {
      g.SetClipRect(fuzz::Float(in), fuzz::Float(in), fuzz::Float(in), fuzz::Float(in));
      g.ClipToPlotArea = in.ConsumeIntegralInRange<int>(0, 3) != 0;
      g.MaxXDivisions = SmallOrAny(in, 0, 20);
      g.MaxYDivisions = SmallOrAny(in, 0, 20);
      break;
    }
    default: {
      const bool vertical = in.ConsumeBool();
      const int room = SmallOrAny(in, 0, 40);
      const TTickList ticks =
          g.LinearTickPositions(vertical, vertical ? g.YScale : g.XScale, room);
      CheckTicks(ticks, std::clamp(room, 0, TTickList::kMaxValues));
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  ProductOptions.DefaultGridMode = in.ConsumeIntegralInRange<uint8_t>(0, 6);
  TCheckedCanvas canvas;
  SetUpCanvas(in, canvas);
  TOVGraphic g(&canvas, OutputRect(in));
  canvas.Graph = &g;
  TTraceStore traces;
  if (in.ConsumeBool()) traces.BeginRun();
  for (int calls = 0; calls < 24 && in.remaining_bytes() > 0; ++calls) OneCall(in, g, canvas, traces);
  ProductOptions = TOVOptions{};
  return 0;
}

// Curves that go to a raster canvas as polylines must set exactly the pixels of the
// single MoveTo/LineTo pairs that the engine draws everywhere else. Each case draws the
// same curves twice into equal DIB sections, once through a canvas that takes polylines
// and once through one that does not, and compares every pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "graphic/GdiCanvas_win.h"
#include "graphic/OVGraphic.h"
#include "support/DibSurface_win.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Hands every call to a GDI canvas; says whether it takes polylines, and counts them.
class TForwardingCanvas : public TCanvas {
 public:
  TForwardingCanvas(TGdiCanvas& target, bool polylines) : target_(target), polylines_(polylines) {}

  int Polylines() const { return polylines_count_; }

  TTextSize TextExtent(const std::string& text) override { return Sync().TextExtent(text); }
  int TextHeight() override { return Sync().TextHeight(); }
  uint32_t SetTextAlign(uint32_t align) override { return Sync().SetTextAlign(align); }
  void SetBkMode(int mode) override { Sync().SetBkMode(mode); }
  void WriteText(int x, int y, const std::string& text) override { Sync().WriteText(x, y, text); }
  void MoveTo(int x, int y) override { Sync().MoveTo(x, y); }
  void LineTo(int x, int y) override { Sync().LineTo(x, y); }
  void Polyline(const TDevicePoint* points, int count) override {
    ++polylines_count_;
    Sync().Polyline(points, count);
  }
  bool DrawsPolylines() const override { return polylines_; }
  void SetPixel(int x, int y, TColor color) override { Sync().SetPixel(x, y, color); }
  void FillRect(int left, int top, int right, int bottom) override {
    Sync().FillRect(left, top, right, bottom);
  }
  int DeviceCaps(int index) override { return Sync().DeviceCaps(index); }

 private:
  TGdiCanvas& Sync() {
    target_.SetStyle(Style());
    return target_;
  }

  TGdiCanvas& target_;
  bool polylines_;
  int polylines_count_ = 0;
};

struct TCurve {
  std::vector<float> X;
  std::vector<float> Y;
  TColor Color = RGBColor(0, 0, 255);
};

struct TCase {
  const char* Name;
  std::vector<TCurve> Curves;
  int Width = 1;
  int Mode = kCopyPen;
  uint8_t CurveStyle = 0;
  bool Batched = true;  // whether the polyline path is expected to be taken
};

// One way of drawing: a graph over its own white DIB section.
struct TDrawing {
  TDibSurface Surface{421, 317};
  TGdiCanvas Gdi{Surface.dc(), false};
  TForwardingCanvas Canvas;
  TOVGraphic Graph;

  explicit TDrawing(bool polylines)
      : Canvas(Gdi, polylines), Graph(&Canvas, TRect{0, 0, 421, 317}) {}

  void Draw(const TCase& c) {
    Graph.SetPlotArea(true, 0.12f, 0.1f, 0.8f, 0.8f);
    Graph.SetXScale(true, 0, -1, 1, 0.8f, 0);
    Graph.SetYScale(true, 0, -1, 1, 0.8f, 0);
    Graph.CurveStyle = c.CurveStyle;
    Canvas.Pen().Width = c.Width;
    Canvas.Pen().Mode = c.Mode;
    for (const TCurve& curve : c.Curves) {
      Canvas.Pen().Color = curve.Color;
      Graph.DrawCurveArrays(curve.X.data(), curve.Y.data(), static_cast<int>(curve.X.size()));
    }
  }
};

// A Lissajous figure: crosses itself, runs in every direction, and with many points
// puts long stretches of them onto one pixel.
TCurve Lissajous(int points, float radius, TColor color = RGBColor(0, 0, 255)) {
  TCurve c;
  c.Color = color;
  for (int i = 0; i < points; ++i) {
    const double t = 2 * 3.14159265358979 * i / (points - 1);
    c.X.push_back(static_cast<float>(radius * std::sin(3 * t)));
    c.Y.push_back(static_cast<float>(radius * std::sin(2 * t + 0.4)));
  }
  return c;
}

TCurve WithGaps(TCurve c) {
  for (size_t i = 50; i < c.X.size(); i += 97) c.X[i] = kNaN;
  for (size_t i = 120; i < c.Y.size(); i += 301) c.Y[i] = kNaN;
  return c;
}

// Back and forth across the whole plot area and beyond every side, with some points far
// beyond the limits that lines are clamped to.
TCurve Overshooting() {
  TCurve c;
  const float xs[] = {0, 1.6f, -1.7f, 0.3f, 0.2f, 1e30f, -0.4f, -1e30f, 0.9f, 0.95f, 0.5f};
  const float ys[] = {0, 0.2f, -0.1f, 1.5f, -1.8f, 0.3f, 1e30f, 0.2f, -1e30f, 0.99f, -0.5f};
  for (int round = 0; round < 3; ++round) {
    for (size_t i = 0; i < sizeof xs / sizeof xs[0]; ++i) {
      c.X.push_back(xs[i] * (1 - 0.1f * round));
      c.Y.push_back(ys[i] * (1 - 0.07f * round));
    }
  }
  return c;
}

// Every fifth segment of a zigzag along the edge of the plot area leaves it.
TCurve AlongTheEdge() {
  TCurve c;
  for (int i = 0; i <= 400; ++i) {
    c.X.push_back(-1.0f + i / 200.0f);
    c.Y.push_back(i % 5 == 0 ? 1.02f : 0.98f - (i % 3) * 0.01f);
  }
  return c;
}

std::vector<TCase> Cases() {
  const TCurve dense = Lissajous(20000, 0.8f);
  return {
      {"dense curve", {dense}},
      {"sparse curve", {Lissajous(40, 0.9f)}},
      {"several traces", {Lissajous(3000, 0.5f, RGBColor(255, 0, 0)), Lissajous(700, 0.7f),
                          Lissajous(90, 0.95f, RGBColor(0, 128, 0))}},
      {"lifted pen", {WithGaps(Lissajous(5000, 0.8f))}},
      {"clipped on every side", {Overshooting()}},
      {"along the clip edge", {AlongTheEdge()}},
      {"dashed", {Lissajous(2000, 0.8f), Overshooting()}, 1, kCopyPen, 1},
      {"dashed with gaps", {WithGaps(Lissajous(3000, 0.6f))}, 1, kCopyPen, 1},
      {"pen width 0", {Lissajous(4000, 0.8f), Overshooting()}, 0},
      {"pen width 2", {Lissajous(4000, 0.8f), Overshooting()}, 2, kCopyPen, 0, false},
      {"pen width 5", {Lissajous(500, 0.8f)}, 5, kCopyPen, 0, false},
      {"pen width 10, dashed", {Lissajous(500, 0.8f)}, 10, kCopyPen, 1, false},
      {"xor", {Lissajous(4000, 0.8f), Overshooting()}, 1, R2_XORPEN, 0, false},
  };
}

TEST(CurveBatching, PolylinesSetTheSamePixelsAsSingleLines) {
  for (const TCase& c : Cases()) {
    SCOPED_TRACE(c.Name);
    TDrawing fast(true);
    TDrawing single(false);
    fast.Draw(c);
    single.Draw(c);
    EXPECT_GT(single.Surface.CountInk(), 0);
    const TPixelBox diff = fast.Surface.DiffBox(single.Surface);
    EXPECT_TRUE(diff.Empty()) << "pixels differ in [" << diff.Left << ", " << diff.Top
                              << "] - [" << diff.Right << ", " << diff.Bottom << "]";
    EXPECT_EQ(single.Canvas.Polylines(), 0);
    if (c.Batched)
      EXPECT_GT(fast.Canvas.Polylines(), 0);
    else
      EXPECT_EQ(fast.Canvas.Polylines(), 0);
  }
}

// A zigzag between two rows: every point on a pixel of its own.
TCurve Zigzag(int points) {
  TCurve c;
  for (int i = 0; i < points; ++i) {
    c.X.push_back(-0.9f + 1.8f * i / points);
    c.Y.push_back(i % 2 ? 0.5f : -0.5f);
  }
  return c;
}

TEST(CurveBatching, LongCurvesGoOutInBoundedPolylines) {
  TCase c{"long", {Zigzag(30000)}};
  TDrawing fast(true);
  TDrawing single(false);
  fast.Draw(c);
  single.Draw(c);
  EXPECT_TRUE(fast.Surface.DiffBox(single.Surface).Empty());
  EXPECT_GT(fast.Canvas.Polylines(), 2);  // more points than a run holds
}

TEST(CurveBatching, TheCurrentPositionEndsWhereTheLastLineEnded) {
  TDrawing fast(true);
  TDrawing single(false);
  const TCase c{"sparse", {Lissajous(40, 0.9f)}};
  fast.Draw(c);
  single.Draw(c);
  POINT a{}, b{};
  GetCurrentPositionEx(fast.Surface.dc(), &a);
  GetCurrentPositionEx(single.Surface.dc(), &b);
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
}

}  // namespace

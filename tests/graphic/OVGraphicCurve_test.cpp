// Curves from value lists and arrays: index ranges, the dash pattern that runs
// on across points, clipping to the plot area, and values that cannot be drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "graphic/OVGraphic.h"
#include "tests/support/RecordingCanvas.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// 512 x 512 device units, so that a pixel is 1/512, an exact float. The plot
// area is the whole output and data values equal logical coordinates.
struct CurveFixture {
  TRecordingCanvas canvas;
  TOVGraphic g{&canvas, TRect{0, 0, 512, 512}};
  CurveFixture() {
    g.SetPlotArea(false, 0, 0, 1, 1);
    g.SetXScale(false, 1, 0, 1, 1, 0);
    g.SetYScale(false, 1, 0, 1, 1, 0);
  }
};

void Fill(TSingleList& list, const std::vector<float>& values) {
  for (float v : values) list.Add(v);
}

// Points (i / 16, i / 32), i = 0 .. n - 1: device (32 i, 512 - 16 i).
void Ramp(TSingleList& xs, TSingleList& ys, int n) {
  for (int i = 0; i < n; ++i) {
    xs.Add(i / 16.0f);
    ys.Add(i / 32.0f);
  }
}

// A canvas that only counts the lines: for the large curve.
class TCountingCanvas : public TRecordingCanvas {
 public:
  long LineCount = 0;
  void MoveTo(int, int) override {}
  void LineTo(int, int) override { ++LineCount; }
};

}  // namespace

TEST(GraphCurve, IndexRanges) {
  const struct {
    int first, last;
    size_t lines;
    int penPoint;  // point the pen is left at
  } cases[] = {
      {0, 0, 4, 4},  // the whole list
      {1, 3, 2, 3},
      {3, 4, 1, 4},
      {3, 3, 0, 3},  // only a move
      {4, 2, 0, 4},  // only the move to the first index
  };
  for (const auto& c : cases) {
    CurveFixture f;
    f.canvas.Pen().Color = RGBColor(200, 0, 0);  // the caller's pen, left alone
    const TCanvasStyle before = f.canvas.Style();
    TSingleList xs, ys;
    Ramp(xs, ys, 5);
    f.g.DrawCurve(xs, ys, c.first, c.last);
    EXPECT_EQ(f.canvas.Style(), before);
    const auto lines = f.canvas.Lines();
    ASSERT_EQ(lines.size(), c.lines) << c.first << ".." << c.last;
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_EQ(lines[k].Pen, before.Pen);
      const int i = (c.first == 0 && c.last == 0 ? 0 : c.first) + static_cast<int>(k);
      EXPECT_EQ(lines[k].X0, 32 * i);
      EXPECT_EQ(lines[k].Y0, 512 - 16 * i);
      EXPECT_EQ(lines[k].X1, 32 * (i + 1));
      EXPECT_EQ(lines[k].Y1, 512 - 16 * (i + 1));
    }
    EXPECT_EQ(f.g.PenX, 32 * c.penPoint);
    EXPECT_EQ(f.g.PenY, 512 - 16 * c.penPoint);
  }
}

TEST(GraphCurve, ListsOfFewerThanTwoItemsDrawNothing) {
  CurveFixture f;
  TSingleList one, many, other;
  one.Add(0.5f);
  Ramp(many, other, 10);
  f.g.PenMoveTo(0.25f, 0.25f);
  f.g.DrawCurve(one, many, 0, 5);
  f.g.DrawCurve(many, one, 0, 0);
  f.g.DrawCurve(one, one, -1, 0);  // first step of a new trace
  TSingleList none;
  f.g.DrawCurve(none, none, 0, 0);
  f.g.DrawCurveArrays(nullptr, nullptr, 5);
  const float xy[1] = {0.5f};
  f.g.DrawCurveArrays(xy, xy, 1);
  EXPECT_TRUE(f.canvas.Ops.empty());
  EXPECT_EQ(f.g.PenX, 128);
}

TEST(GraphCurve, IndicesOutsideTheListsFailBeforeDrawing) {
  CurveFixture f;
  TSingleList xs, ys, shortYs;
  Ramp(xs, ys, 5);
  Fill(shortYs, {0.1f, 0.2f, 0.3f});
  const int keptRight = f.g.ClipRight;
  f.g.SetPlotArea(false, 0.25f, 0.25f, 0.5f, 0.5f);
  EXPECT_THROW(f.g.DrawCurve(xs, ys, 0, 9), EListError);
  EXPECT_THROW(f.g.DrawCurve(xs, ys, -1, 3), EListError);
  EXPECT_THROW(f.g.DrawCurve(xs, shortYs, 0, 0), EListError);  // whole x list, y too short
  EXPECT_TRUE(f.canvas.Ops.empty());
  EXPECT_EQ(f.g.ClipRight, keptRight);
}

TEST(GraphCurve, DashPatternRunsOnAcrossPoints) {
  // Points along y = 0.5 at x = 128 + offset device units; dashes of 10, gaps of 10.
  const struct {
    std::vector<int> offsets;
    std::vector<std::pair<int, int>> dashes;
    int penX;
  } cases[] = {
      {{0, 35}, {{128, 138}, {148, 158}}, 163},  // draw 0..10, move, draw 20..30, move to 35
      {{0, 35, 45}, {{128, 138}, {148, 158}, {168, 173}}, 173},  // the gap runs on 5 more
      // A segment exactly as long as the dash ends it at the point; the next one
      // begins with a step of no length that only switches the pen.
      {{0, 10, 20}, {{128, 138}, {138, 138}}, 148},
  };
  for (const auto& c : cases) {
    CurveFixture f;
    f.g.CurveStyle = 1;
    std::vector<float> xs, ys;
    for (int offset : c.offsets) {
      xs.push_back(0.25f + offset / 512.0f);
      ys.push_back(0.5f);
    }
    f.g.DrawCurveArrays(xs.data(), ys.data(), static_cast<int>(xs.size()));
    const auto lines = f.canvas.Lines();
    ASSERT_EQ(lines.size(), c.dashes.size());
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_EQ(lines[k].X0, c.dashes[k].first);
      EXPECT_EQ(lines[k].X1, c.dashes[k].second);
      EXPECT_EQ(lines[k].Y0, 256);
    }
    EXPECT_EQ(f.g.PenX, c.penX);
  }
}

TEST(GraphCurve, CurveIsCutAtThePlotAreaAndClippingIsHandedBack) {
  for (bool clipToPlot : {true, false}) {
    CurveFixture f;
    f.g.SetPlotArea(false, 0.25f, 0.25f, 0.5f, 0.5f);  // device 128 .. 384
    f.g.SetXScale(false, 1, 0, 1, 0.5f, 0);
    f.g.SetYScale(false, 1, 0, 1, 0.5f, 0);
    f.g.ClipToPlotArea = clipToPlot;
    const float xs[2] = {-0.5f, 1.5f};  // logical 0 .. 1
    const float ys[2] = {0.5f, 0.5f};
    f.g.DrawCurveArrays(xs, ys, 2);
    auto lines = f.canvas.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].X0, clipToPlot ? 128 : 0);
    EXPECT_EQ(lines[0].X1, clipToPlot ? 384 : 512);
    EXPECT_TRUE(f.g.ClipEnabled);
    EXPECT_EQ(f.g.ClipLeft, 0);
    EXPECT_EQ(f.g.ClipRight, 512);
    // A line drawn afterwards by another operation is not cut at the plot area.
    f.g.PenMoveTo(0.0f, 0.1f);
    f.g.PenLineTo(1.0f, 0.1f);
    lines = f.canvas.Lines();
    EXPECT_EQ(lines.back().X0, 0);
    EXPECT_EQ(lines.back().X1, 512);
  }
}

TEST(GraphCurve, PointsThatAreNoNumbersBreakTheLine) {
  const struct {
    int bad;      // index of the bad point
    bool inY;     // bad value in y instead of x
    float value;  // NaN or infinity
    size_t lines;
  } cases[] = {
      {2, false, kNaN, 2}, {2, true, kInf, 2}, {0, false, -kInf, 3},
      {4, true, kNaN, 3},  {1, true, kNaN, 2},
  };
  for (const auto& c : cases) {
    for (uint8_t style : {0, 1}) {
      CurveFixture f;
      f.g.CurveStyle = style;
      TSingleList xs, ys;
      for (int i = 0; i < 5; ++i) {
        xs.Add(i == c.bad && !c.inY ? c.value : i / 8.0f);
        ys.Add(i == c.bad && c.inY ? c.value : 0.5f);
      }
      f.g.DrawCurve(xs, ys, 0, 0);
      // No line touches the bad point: every drawn piece lies within a good segment.
      const int badX = 64 * c.bad;
      for (const TRecordedLine& l : f.canvas.Lines()) {
        const bool before = l.X0 <= badX - 64 && l.X1 <= badX - 64;
        const bool after = l.X0 >= badX + 64 && l.X1 >= badX + 64;
        EXPECT_TRUE(before || after) << "bad " << c.bad << " line " << l.X0 << ".." << l.X1;
        EXPECT_EQ(l.Y0, 256);
        EXPECT_EQ(l.Y1, 256);
        EXPECT_GE(l.X0, 0);
        EXPECT_LE(l.X1, 256);
      }
      if (style == 0) {
        EXPECT_EQ(f.canvas.Lines().size(), c.lines);
      }
    }
  }
}

TEST(GraphCurve, FarValuesAreLimitedAndDashedWalksEnd) {
  for (uint8_t style : {0, 1}) {
    CurveFixture f;
    f.g.CurveStyle = style;
    const float xs[3] = {0.5f, 1e30f, -1e30f};
    const float ys[3] = {0.5f, 0.5f, 0.75f};
    f.g.DrawCurveArrays(xs, ys, 3);
    const auto lines = f.canvas.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_LT(lines.size(), 5000u);
    for (const TRecordedLine& l : lines) {
      EXPECT_TRUE(l.X0 >= 0 && l.X0 <= 512 && l.X1 >= 0 && l.X1 <= 512);
      EXPECT_TRUE(l.Y0 >= 0 && l.Y0 <= 512 && l.Y1 >= 0 && l.Y1 <= 512);
    }
    EXPECT_EQ(f.g.PenX, -20 * 512);
  }
}

TEST(GraphCurve, DegenerateScaleDrawsTheValueInTheMiddle) {
  CurveFixture f;
  f.g.SetXScale(false, 1, 5, 5, 1, 0);
  TSingleList xs, ys;
  Fill(xs, {5, 5});
  Fill(ys, {0.25f, 0.75f});
  f.g.DrawCurve(xs, ys, 0, 0);
  const auto lines = f.canvas.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].X0, 256);
  EXPECT_EQ(lines[0].X1, 256);
  EXPECT_EQ(lines[0].Y0, 384);
  EXPECT_EQ(lines[0].Y1, 128);
}

TEST(GraphCurve, MillionPointRepaint) {
  TCountingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 800, 600});
  g.SetPlotArea(false, 0.1f, 0.1f, 0.8f, 0.8f);
  g.SetXScale(false, 10, 0, 1, 0.8f, 0);
  g.SetYScale(false, 10, -1, 1, 0.8f, 0);
  TSingleList xs, ys;
  const int n = 1000000;
  for (int i = 0; i < n; ++i) {
    xs.Add(static_cast<float>(i) / n);
    ys.Add(static_cast<float>(std::sin(i * 0.001)));
  }
  g.DrawCurve(xs, ys, 0, 0);
  EXPECT_EQ(canvas.LineCount, n - 1);
}

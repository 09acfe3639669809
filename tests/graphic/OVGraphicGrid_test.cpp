// The grid in its five modes: lines only strictly inside the plot area, dashed
// lines, crosses kept away from the edges, single pixels, and no grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "graphic/OVGraphic.h"
#include "tests/support/RecordingCanvas.h"

namespace {

// 400 x 400 device units, plot area 40..360 on both axes; divisions every 80
// units (0..4 by 1), with subMarks medium marks between them.
struct GridFixture {
  TRecordingCanvas canvas;
  TOVGraphic g{&canvas, TRect{0, 0, 400, 400}};
  explicit GridFixture(int subMarks = 0, uint8_t mode = 0) {
    g.SetPlotArea(false, 0.1f, 0.1f, 0.8f, 0.8f);
    g.SetXScale(false, 4, 0, 4, 0.8f, subMarks);
    g.SetYScale(false, 4, 0, 4, 0.8f, subMarks);
    g.GridMode = mode;
    g.GridColor = RGBColor(10, 20, 30);
    canvas.Pen().Color = RGBColor(255, 0, 0);
    canvas.Pen().Width = 3;
  }
};

}  // namespace

TEST(GraphGrid, SolidLinesOnlyAtDivisionsStrictlyInside) {
  GridFixture f(0, 0);
  const TCanvasStyle before = f.canvas.Style();
  f.g.DrawGrid();
  const auto lines = f.canvas.Lines();
  ASSERT_EQ(lines.size(), 6u);  // none on the four edges
  const int inner[3] = {120, 200, 280};
  for (int i = 0; i < 3; ++i) {
    // Vertical lines run from one unit above the bottom edge to the top edge.
    EXPECT_EQ(lines[i].X0, inner[i]);
    EXPECT_EQ(lines[i].X1, inner[i]);
    EXPECT_EQ(lines[i].Y0, 359);
    EXPECT_EQ(lines[i].Y1, 40);
    // Horizontal lines keep one unit from the left and right edges.
    EXPECT_EQ(lines[3 + i].Y0, 400 - inner[i]);
    EXPECT_EQ(lines[3 + i].X0, 41);
    EXPECT_EQ(lines[3 + i].X1, 359);
  }
  for (const TRecordedLine& l : lines) {
    EXPECT_EQ(l.Pen.Color, RGBColor(10, 20, 30));
    EXPECT_EQ(l.Pen.Width, 0);
    EXPECT_EQ(l.Pen.Style, TPenStyle::Solid);
  }
  EXPECT_EQ(f.canvas.Style(), before);
  EXPECT_EQ(f.g.CurveStyle, 0);
  EXPECT_EQ(f.g.ClipRight, 400);  // curve clipping handed back the whole output
}

TEST(GraphGrid, DashedLinesRunTheirPatternAlongEachLine) {
  GridFixture f(0, 1);
  f.g.DrawGrid();
  EXPECT_EQ(f.g.CurveStyle, 0);
  const auto lines = f.canvas.Lines();
  // About 319 units per line: a dash starts every 20 units, 16 per line, and
  // each line ends in a gap.
  ASSERT_EQ(lines.size(), 6u * 16);
  EXPECT_EQ(lines[0].X0, 120);
  EXPECT_EQ(lines[0].Y0, 359);
  EXPECT_EQ(lines[0].Y1, 349);
  EXPECT_EQ(lines[1].Y0, 339);
  EXPECT_EQ(lines[1].Y1, 329);
  EXPECT_EQ(lines[15].Y0, 59);
  EXPECT_EQ(lines[15].Y1, 49);
  EXPECT_EQ(lines[16].X0, 200);  // the next line starts its own pattern
  for (const TRecordedLine& l : lines) {
    const int length = std::abs(l.X1 - l.X0) + std::abs(l.Y1 - l.Y0);
    EXPECT_LE(length, 10);
  }
}

TEST(GraphGrid, CrossesWithoutSubDivisions) {
  GridFixture f(0, 2);
  f.g.DrawGrid();
  EXPECT_TRUE(f.canvas.OfKind(TRecordedKind::SetPixel).empty());
  const auto lines = f.canvas.Lines();
  ASSERT_EQ(lines.size(), 2u * 9);
  // First cross at (120, 280): arms two units long, each stroke one unit longer.
  EXPECT_EQ(lines[0].X0, 118);
  EXPECT_EQ(lines[0].X1, 123);
  EXPECT_EQ(lines[0].Y0, 280);
  EXPECT_EQ(lines[0].Y1, 280);
  EXPECT_EQ(lines[1].X0, 120);
  EXPECT_EQ(lines[1].Y0, 282);
  EXPECT_EQ(lines[1].Y1, 277);
  EXPECT_EQ(lines[0].Pen.Color, RGBColor(10, 20, 30));
}

TEST(GraphGrid, ModesTwoToFourOnMediumMarks) {
  // One medium mark between divisions: 7 marks strictly inside per axis, 3 of them divisions.
  const struct {
    uint8_t mode;
    size_t crosses, points;
  } cases[] = {{2, 9, 40}, {3, 9, 0}, {4, 0, 49}};
  for (const auto& c : cases) {
    GridFixture f(1, c.mode);
    const TCanvasStyle before = f.canvas.Style();
    f.g.DrawGrid();
    EXPECT_EQ(f.canvas.Lines().size(), 2 * c.crosses) << int(c.mode);
    const auto pixels = f.canvas.OfKind(TRecordedKind::SetPixel);
    EXPECT_EQ(pixels.size(), c.points) << int(c.mode);
    std::set<std::pair<int, int>> at;
    for (const TRecordedOp& p : pixels) {
      EXPECT_EQ(p.Color, RGBColor(10, 20, 30));
      EXPECT_TRUE(p.X > 40 && p.X < 360 && p.Y > 40 && p.Y < 360);
      EXPECT_EQ(p.X % 40, 0);
      at.insert({p.X, p.Y});
    }
    EXPECT_EQ(at.size(), pixels.size());
    EXPECT_EQ(f.canvas.Style(), before);
  }
}

TEST(GraphGrid, CrossesKeepTwoUnitsPlusOneFromTheInsetBounds) {
  // Divisions two device units apart: the first inside the bounds lies at 42,
  // too close for a cross; the first cross stands at 44.
  GridFixture f(0, 3);
  f.g.MaxXDivisions = 200;
  f.g.SetXScale(false, 160, 0, 160, 0.8f, 0);
  f.g.DrawGrid();
  int leftmost = 400;
  for (const TRecordedLine& l : f.canvas.Lines())
    if (l.Y0 != l.Y1) leftmost = std::min(leftmost, l.X0);  // vertical strokes: the centres
  EXPECT_EQ(leftmost, 44);
}

TEST(GraphGrid, ModeFiveAndAboveDrawNothing) {
  for (uint8_t mode : {5, 6, 255}) {
    GridFixture f(0, mode);
    const TCanvasStyle before = f.canvas.Style();
    f.g.DrawGrid();
    EXPECT_TRUE(f.canvas.Ops.empty());
    EXPECT_EQ(f.canvas.Style(), before);
  }
}

TEST(GraphGrid, AxisWithoutRangeWidthStillGetsItsLines) {
  GridFixture f(0, 0);
  f.g.SetXScale(false, 4, 5, 5, 0.8f, 0);  // widened to 4.5 .. 5.5
  f.g.DrawGrid();
  const auto lines = f.canvas.Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].X0, 120);
  EXPECT_EQ(lines[5].X0, 41);
  EXPECT_EQ(lines[5].X1, 359);
}

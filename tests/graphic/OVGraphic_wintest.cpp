// The graph engine drawing through the GDI canvas into a DIB section: grid, dashes,
// clipping and the turned y title checked on the pixels that GDI really set.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "graphic/GdiCanvas_win.h"
#include "graphic/OVGraphic.h"
#include "support/DibSurface_win.h"

namespace {

constexpr TColor kRed = RGBColor(255, 0, 0);

// A graph bound to a canvas over a white DIB of the given size, as the plot window
// binds its off-screen bitmap.
struct TPlot {
  TDibSurface Surface;
  TGdiCanvas Canvas;
  TOVGraphic Graph;

  TPlot(int width, int height)
      : Surface(width, height),
        Canvas(Surface.dc(), false),
        Graph(&Canvas, TRect{0, 0, width, height}) {}

  // Plot area with fonts and automatic scales, as a full redraw sets them.
  void Frame(float left, float bottom, float width, float height, float xMin, float xMax,
             float yMin, float yMax, int subMarks = 0) {
    Graph.SetPlotArea(true, left, bottom, width, height);
    Graph.SetXScale(true, 0, xMin, xMax, width, subMarks);
    Graph.SetYScale(true, 0, yMin, yMax, height, subMarks);
  }

  int Left() const { return Graph.XToDevice(Graph.PlotLeft); }
  int Right() const { return Graph.XToDevice(Graph.PlotLeft + Graph.PlotWidth); }
  int Top() const { return Graph.YToDevice(Graph.PlotBottom + Graph.PlotHeight); }
  int Bottom() const { return Graph.YToDevice(Graph.PlotBottom); }
};

// Device columns (or rows) of the division marks that lie strictly between lo and hi.
std::set<int> DivisionLines(const TOVGraphic& g, const TTickList& ticks, float lo, float hi,
                            bool vertical) {
  std::set<int> lines;
  for (int i = 0; i < ticks.Count; ++i) {
    const float p = ticks.Positions[i];
    if (ticks.Kinds[i] != tmDivision || !(lo < p && p < hi)) continue;
    lines.insert(vertical ? g.YToDevice(p) : g.XToDevice(p));
  }
  return lines;
}

std::vector<std::pair<int, int>> Runs(const TDibSurface& s, int y, int x0, int x1) {
  std::vector<std::pair<int, int>> runs;  // first pixel, length
  for (int x = x0; x <= x1; ++x) {
    if (!s.IsInk(x, y)) continue;
    if (!runs.empty() && runs.back().first + runs.back().second == x) {
      ++runs.back().second;
    } else {
      runs.push_back({x, 1});
    }
  }
  return runs;
}

}  // namespace

TEST(OVGraphicPixels, SolidGridLinesLieOnTheDeviceColumnsAndRowsOfTheDivisions) {
  TPlot p(401, 301);
  p.Frame(0.1f, 0.1f, 0.8f, 0.8f, 0, 10, 0, 10);
  TOVGraphic& g = p.Graph;
  g.GridMode = 0;
  const TCanvasStyle before = p.Canvas.Style();
  g.DrawGrid();
  EXPECT_TRUE(p.Canvas.Style() == before);

  const float ux = g.XUnitsPerPixel;
  const float uy = g.YUnitsPerPixel;
  const std::set<int> columns = DivisionLines(g, g.LinearTickPositions(false, g.XScale),
                                              g.PlotLeft + ux, g.PlotLeft + g.PlotWidth - ux,
                                              false);
  const std::set<int> rows = DivisionLines(g, g.LinearTickPositions(true, g.YScale),
                                           g.PlotBottom + uy, g.PlotBottom + g.PlotHeight, true);
  ASSERT_GE(columns.size(), 2u);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(columns.count(p.Left()), 0u);  // the division at 0 lies on the edge
  EXPECT_EQ(rows.count(p.Bottom()), 0u);

  // A column or row is a grid line when more than half of the plot area's extent is
  // grid-coloured along it.
  const TDibSurface& s = p.Surface;
  std::set<int> drawnColumns;
  std::set<int> drawnRows;
  for (int x = 0; x < s.Width(); ++x) {
    int n = 0;
    for (int y = 0; y < s.Height(); ++y) n += s.Pixel(x, y) == g.GridColor;
    if (n > (p.Bottom() - p.Top()) / 2) drawnColumns.insert(x);
    if (x == p.Left()) {
      EXPECT_EQ(n, 0) << "left edge";
    }
  }
  for (int y = 0; y < s.Height(); ++y) {
    int n = 0;
    for (int x = 0; x < s.Width(); ++x) n += s.Pixel(x, y) == g.GridColor;
    if (n > (p.Right() - p.Left()) / 2) drawnRows.insert(y);
    if (y == p.Bottom()) {
      EXPECT_EQ(n, 0) << "bottom edge";
    }
  }
  EXPECT_EQ(drawnColumns, columns);
  EXPECT_EQ(drawnRows, rows);
  EXPECT_EQ(s.CountColor(g.GridColor), s.CountInk());  // nothing but grid colour
  TPixelBox box = s.InkBox();
  EXPECT_GT(box.Left, p.Left());
  EXPECT_LT(box.Bottom, p.Bottom());
  EXPECT_LE(box.Right, p.Right());
  EXPECT_GE(box.Top, p.Top());
}

TEST(OVGraphicPixels, PointGridSetsOnePixelInGridColourAtEveryInnerCrossing) {
  TPlot p(301, 201);
  p.Frame(0.15f, 0.2f, 0.7f, 0.7f, 0, 10, -5, 5, 1);  // a medium mark halfway
  TOVGraphic& g = p.Graph;
  g.GridMode = 4;
  g.GridColor = RGBColor(10, 120, 200);
  g.DrawGrid();

  const TTickList xs = g.LinearTickPositions(false, g.XScale);
  const TTickList ys = g.LinearTickPositions(true, g.YScale);
  const float x0 = g.PlotLeft + g.XUnitsPerPixel;
  const float x1 = g.PlotLeft + g.PlotWidth - g.XUnitsPerPixel;
  const float y0 = g.PlotBottom + g.YUnitsPerPixel;
  const float y1 = g.PlotBottom + g.PlotHeight;
  std::set<std::pair<int, int>> expected;
  int mediumMarks = 0;
  for (int i = 0; i < xs.Count; ++i) {
    mediumMarks += xs.Kinds[i] == tmMedium;
    for (int j = 0; j < ys.Count; ++j) {
      const float px = xs.Positions[i];
      const float py = ys.Positions[j];
      if (x0 < px && px < x1 && y0 < py && py < y1) {
        expected.insert({g.XToDevice(px), g.YToDevice(py)});
      }
    }
  }
  ASSERT_GT(mediumMarks, 0);
  ASSERT_GE(expected.size(), 9u);

  std::set<std::pair<int, int>> drawn;
  const TDibSurface& s = p.Surface;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (s.IsInk(x, y)) drawn.insert({x, y});
  EXPECT_EQ(drawn, expected);
  EXPECT_EQ(s.CountColor(g.GridColor), static_cast<int>(expected.size()));
}

TEST(OVGraphicPixels, DashesOfTenPixelsRunOnAcrossThePointsOfACurve) {
  TPlot p(401, 101);
  TOVGraphic& g = p.Graph;
  g.SetPlotArea(false, 0, 0, 1, 1);
  g.SetXScale(false, 1, 0, 1, 1, 0);
  g.SetYScale(false, 1, 0, 1, 1, 0);
  g.CurveStyle = 1;
  p.Canvas.Pen().Color = kRed;
  // Points that split the line at no multiple of the dash length.
  const float xs[] = {0.05f, 0.2f, 0.37f, 0.61f, 0.8f, 0.95f};
  const float ys[] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
  g.DrawCurveArrays(xs, ys, 6);

  const int row = g.YToDevice(0.5f);
  const int first = g.XToDevice(0.05f);
  const int last = g.XToDevice(0.95f);
  const auto runs = Runs(p.Surface, row, 0, p.Surface.Width() - 1);
  ASSERT_FALSE(runs.empty());
  EXPECT_EQ(runs.front().first, first);
  const double periods = (last - first) / 20.0;
  EXPECT_NEAR(static_cast<double>(runs.size()), periods, 1.0);
  for (size_t k = 0; k + 1 < runs.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(runs[k].second, 10, 1);                                    // dash
    EXPECT_NEAR(runs[k + 1].first - runs[k].first - runs[k].second, 10, 1);  // gap
    EXPECT_NEAR(runs[k + 1].first - first, 20.0 * (k + 1), 2.0);  // the pattern never restarts
  }
  EXPECT_LE(runs.back().first + runs.back().second, last);
  EXPECT_EQ(p.Surface.CountInk(), p.Surface.CountColor(kRed));
  EXPECT_EQ(p.Canvas.Stats().PensMade, 1);  // dashes by moving, not by pen styles
}

TEST(OVGraphicPixels, CurvesAreCutAtThePlotAreaAndLaterLinesAreNot) {
  TPlot p(201, 201);
  TOVGraphic& g = p.Graph;
  g.SetPlotArea(false, 0.25f, 0.25f, 0.5f, 0.5f);
  g.SetXScale(false, 2, 0, 10, 0.5f, 0);
  g.SetYScale(false, 2, 0, 10, 0.5f, 0);
  p.Canvas.Pen().Color = kRed;
  // Out through the right edge, far beyond the output, back in through the bottom.
  const float xs[] = {5, 40, 5, 5};
  const float ys[] = {5, 5, -40, 5};
  g.DrawCurveArrays(xs, ys, 4);

  const TDibSurface& s = p.Surface;
  TPixelBox box = s.InkBox();
  ASSERT_FALSE(box.Empty());
  EXPECT_GE(box.Left, p.Left());
  EXPECT_LE(box.Right, p.Right());
  EXPECT_GE(box.Top, p.Top());
  EXPECT_LE(box.Bottom, p.Bottom());
  const int row = g.YToDevice(0.5f);
  EXPECT_EQ(s.Pixel(p.Right() - 1, row), kRed);  // the horizontal stroke reaches the edge
  EXPECT_EQ(s.Pixel(g.XToDevice(0.5f), p.Bottom()), kRed);  // the way back comes in

  // The clip rectangle is the whole output again after the curve.
  g.PenMoveTo(0.5f, 0.4f);
  g.PenLineTo(0.95f, 0.4f);
  EXPECT_EQ(s.Pixel(g.XToDevice(0.9f), g.YToDevice(0.4f)), kRed);
}

TEST(OVGraphicPixels, TurnedYTitleReadsUpwardAndEndsAtTheTopOfThePlotArea) {
  auto drawAxis = [](TPlot& p, const std::string& title, uint8_t request) {
    p.Frame(0.3f, 0.1f, 0.6f, 0.8f, 0, 10, 0, 10);
    return p.Graph.DrawYAxis(title, 1, request);
  };
  TPlot bare(401, 301);
  TPlot turned(401, 301);
  TPlot flat(401, 301);
  drawAxis(bare, "", 2);
  EXPECT_EQ(drawAxis(turned, "Ordinate", 2), 2);
  EXPECT_EQ(drawAxis(flat, "Ordinate", 1), 1);

  // The title's ink is what the titled axis has beyond the untitled one.
  TPixelBox title = turned.Surface.DiffBox(bare.Surface);
  ASSERT_FALSE(title.Empty());
  EXPECT_GT(title.Height(), 3 * title.Width());
  EXPECT_LT(title.Right, turned.Left());
  TOVGraphic& g = turned.Graph;
  const float tl = g.TextExtentY(g.TitleFontSize, "Ordinate", 90);
  const int hangRow = g.YToDevice(g.PlotBottom + g.PlotHeight - tl);  // where it starts
  EXPECT_NEAR(title.Top, turned.Top(), 4);
  EXPECT_NEAR(title.Bottom, hangRow, 4);
  EXPECT_NEAR(title.Height(), static_cast<int>(std::lround(tl / g.YUnitsPerPixel)), 6);

  TPixelBox flatTitle = flat.Surface.DiffBox(bare.Surface);
  ASSERT_FALSE(flatTitle.Empty());
  EXPECT_GT(flatTitle.Width(), 2 * flatTitle.Height());
}

TEST(OVGraphicPixels, SimulationStepMeasuresFromTheCacheAndMakesOnePen) {
  TGdiCanvas::ClearTextCache();
  TDibSurface s(361, 202);
  TSingleList xs;
  TSingleList ys;
  for (float v : {0.1f, 0.4f, 0.9f}) {
    xs.Add(v);
    ys.Add(v * v);
  }
  auto step = [&](TColor color, int width) {
    TGdiCanvas canvas(s.dc(), false);  // the paint box's canvas of this step
    TOVGraphic graph(&canvas, TRect{0, 0, 361, 202});
    graph.SetPlotArea(true, 0.1f, 0.1f, 0.8f, 0.8f);
    graph.SetXScale(true, 0, 0, 1, 0.8f, 0);
    graph.SetYScale(true, 0, 0, 1, 0.8f, 0);
    canvas.Pen().Color = color;
    canvas.Pen().Width = width;
    graph.DrawCurve(xs, ys, 1, 2);
    return canvas.Stats();
  };
  step(kRed, 1);  // fills the measurement cache
  const TGdiCanvasStats stats = step(RGBColor(0, 0, 255), 3);
  EXPECT_EQ(stats.Measurements, 0);
  EXPECT_EQ(stats.FontsMade, 0);
  EXPECT_EQ(stats.PensMade, 1);
  EXPECT_EQ(stats.BrushesMade, 0);
  EXPECT_GT(s.CountColor(RGBColor(0, 0, 255)), 20);
}

// Faults that fuzzing the graph engine found, kept as tests: plot areas that lie so far
// outside the output that their device values reach the ends of the int range.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "graphic/OVGraphic.h"
#include "tests/support/RecordingCanvas.h"

// Crosses of grid modes 2 and 3 whose right arm ends at the largest device value: the arm
// must stay there instead of wrapping round to the smallest and striking across the output.
TEST(GraphFuzzRegression, GridCrossesBeyondTheIntRangeDrawNoStrayLines) {
  for (uint8_t mode : {uint8_t{2}, uint8_t{3}}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TRecordingCanvas canvas;
    TOVGraphic g(&canvas, TRect{0, 0, 1000, 1000});
    // Divisions every 1e6 logical units: from the third on they map beyond 2^31 device units.
    g.SetPlotArea(false, 0.1f, 0.1f, 1e7f, 0.8f);
    g.SetXScale(false, 10, 0, 10, 1e7f, 0);
    g.SetYScale(false, 4, 0, 4, 0.8f, 0);
    g.GridMode = mode;
    g.DrawGrid();
    for (const TRecordedLine& l : canvas.Lines()) {
      EXPECT_LE(std::abs(l.X1 - l.X0), 5) << l.X0 << ".." << l.X1 << " at y " << l.Y0;
      EXPECT_LE(std::abs(l.Y1 - l.Y0), 5);
    }
  }
}

// A y axis far left of the output: its device position is the smallest int, and the room
// check beside it must not wrap round to the largest. The title cannot stand left of such an
// axis, so it is turned.
TEST(GraphFuzzRegression, YAxisFarLeftOfTheOutputTurnsItsTitle) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 1000, 800});
  g.SetPlotArea(true, -2e7f, 0.1f, 0.8f, 0.8f);
  g.SetXScale(true, 0, -1, 1, 0.8f, 0);
  g.SetYScale(true, 0, -1, 1, 0.8f, 0);
  EXPECT_EQ(g.DrawYAxis("y", 1, 0), 2);
}

// A logical extent so small that one unit spans more device units than a float holds: the
// mapping would be infinite and 0 x infinity a NaN. It counts as no usable extent.
TEST(GraphFuzzRegression, TinyLogicalExtentFallsBackToOne) {
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  g.AttachCanvas(&canvas, TRect{0, 0, 400, 300}, 1e-45f, 1e-40f);
  EXPECT_EQ(g.LogicalWidth, 1.0f);
  EXPECT_EQ(g.LogicalHeight, 1.0f);
  EXPECT_EQ(g.XPixelsPerUnit, 400.0f);
  EXPECT_EQ(g.ClipRight, 400);
  EXPECT_EQ(g.ClipBottom, 300);
  // A small extent that still maps finitely is kept.
  g.AttachCanvas(&canvas, TRect{0, 0, 400, 300}, 1e-30f, 2.0f);
  EXPECT_EQ(g.LogicalWidth, 1e-30f);
  EXPECT_EQ(g.LogicalHeight, 2.0f);
}

// Clip bounds and a plot width that are no numbers: no device value is made of them.
TEST(GraphFuzzRegression, NaNClipBoundsClipAtTheOutputEdges) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  g.SetClipRect(nan, nan, nan, nan);
  EXPECT_EQ(g.ClipLeft, 0);
  EXPECT_EQ(g.ClipTop, 0);
  EXPECT_EQ(g.ClipRight, 400);
  EXPECT_EQ(g.ClipBottom, 300);
  g.SetClipRect(0.25f, nan, nan, 0.5f);  // only the given sides bound
  EXPECT_EQ(g.ClipLeft, 100);
  EXPECT_EQ(g.ClipTop, 150);
  EXPECT_EQ(g.ClipRight, 400);
  EXPECT_EQ(g.ClipBottom, 300);
}

TEST(GraphFuzzRegression, NaNPlotWidthKeepsTheFontSizes) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  TRecordingCanvas canvas;
  TOVGraphic g(&canvas, TRect{0, 0, 400, 300});
  g.SetPlotArea(true, 0.1f, 0.1f, 0.8f, 0.8f);
  const int sizes[3] = {g.NumberFontSize, g.ExponentFontSize, g.TitleFontSize};
  g.SetPlotArea(true, nan, nan, nan, nan);
  EXPECT_EQ(g.NumberFontSize, sizes[0]);
  EXPECT_EQ(g.ExponentFontSize, sizes[1]);
  EXPECT_EQ(g.TitleFontSize, sizes[2]);
  // Nothing of a curve or an axis is drawn into a plot area that is no number.
  const float xs[3] = {0, 0.5f, 1}, ys[3] = {0, 1, 0};
  g.DrawCurveArrays(xs, ys, 3);
  g.SetXScale(true, 0, -1, 1, nan, 0);
  g.SetYScale(true, 0, -1, 1, nan, 0);
  g.DrawYAxis("y", 1, 0);
  g.DrawXAxis("x", 3);
  EXPECT_TRUE(canvas.Lines().empty());
  EXPECT_TRUE(canvas.Texts().empty());
}

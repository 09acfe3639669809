// The x and y axes: marks, axis line, numbers and their spacing, titles, the
// common power of ten, placements, title requests, and scales without width.
#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <string>
#include <vector>

#include "graphic/OVGraphic.h"
#include "tests/support/RecordingCanvas.h"

namespace {

// 1000 x 1000 device units, plot area 100..900 on both axes. Font sizes 12
// (numbers), 10 (exponents), 14 (titles): a character is half the size wide,
// a line as high as the size, so at 12 points a digit is 0.006 logical units
// wide and a line 0.012 high.
struct AxisFixture {
  TRecordingCanvas canvas;
  TOVGraphic g{&canvas, TRect{0, 0, 1000, 1000}};
  AxisFixture() {
    g.SetPlotArea(false, 0.1f, 0.1f, 0.8f, 0.8f);
    canvas.Pen().Color = RGBColor(0, 0, 255);
    canvas.Pen().Width = 3;
    canvas.Font().Color = RGBColor(0, 255, 0);
    canvas.ClearOps();
  }
  std::vector<TRecordedOp> Texts() const { return canvas.OfKind(TRecordedKind::TextOut); }
};

std::vector<std::string> Strings(const std::vector<TRecordedOp>& ops) {
  std::vector<std::string> s;
  for (const TRecordedOp& op : ops) s.push_back(op.Text);
  return s;
}

// Every coordinate that reached the device lies within 20 times the output.
void ExpectBounded(const TRecordingCanvas& canvas) {
  for (const TRecordedOp& op : canvas.Ops) {
    EXPECT_LE(std::abs(op.X), 20000);
    EXPECT_LE(std::abs(op.Y), 21000);
  }
}

}  // namespace

TEST(GraphXAxis, MarksLineNumbersAndTitleBelowThePlotArea) {
  AxisFixture f;
  f.g.SetXScale(false, 10, 0, 10, 0.8f, 0);
  const TCanvasStyle before = f.canvas.Style();
  f.g.DrawXAxis("x", 3);
  const auto lines = f.canvas.Lines();
  ASSERT_EQ(lines.size(), 12u);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(lines[i].X0, 100 + 80 * i);
    EXPECT_EQ(lines[i].X1, 100 + 80 * i);
    EXPECT_EQ(lines[i].Y0, 900);
    EXPECT_EQ(lines[i].Y1, 919);  // 0.004 * 6 * 0.8 = 19.2 units, pointing down
    EXPECT_EQ(lines[i].Pen.Color, 0u);
    EXPECT_EQ(lines[i].Pen.Width, 1);
  }
  EXPECT_EQ(lines[11].X0, 900);  // axis line from right to left
  EXPECT_EQ(lines[11].X1, 100);
  EXPECT_EQ(lines[11].Y0, 900);
  const auto texts = f.Texts();
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7",
                                                      "8", "9", "10", "x"}));
  // Centred on the mark, one pixel to the right; baseline below marks and gap.
  EXPECT_EQ(texts[0].X, 98);
  EXPECT_EQ(texts[10].X, 895);
  EXPECT_EQ(texts[0].Y, 935);
  EXPECT_EQ(texts[0].Style.Font.Size, 12);
  EXPECT_EQ(texts[0].Style.Font.Color, 0u);
  EXPECT_EQ(texts[0].TextAlign, kTaLeft | kTaBottom);
  // The title ends five title digit widths before the axis end.
  EXPECT_EQ(texts[11].X, 858);
  EXPECT_EQ(texts[11].Y, 949);
  EXPECT_EQ(texts[11].Style.Font.Size, 14);
  EXPECT_EQ(f.canvas.Style(), before);
}

TEST(GraphXAxis, NumbersFactorsAndNegativeNumbers) {
  const struct {
    float left, min, max;
    int divisions;
    std::vector<std::string> texts;
    int firstX;
  } cases[] = {
      {0.1f, 0, 50000, 5, {"0", "10", "20", "30", "40", "50", "x", " * 10", "3"}, 98},
      // Measured as "--1": the digit starts 6 units after the text, at 98, like "1" at 898.
      {0.1f, -1, 1, 2, {"-1", "0", "1", "x"}, 92},
      {0.0f, 0, 4, 4, {"1", "2", "3", "4", "x"}, 198},  // "0" would begin left of the output
  };
  for (const auto& c : cases) {
    AxisFixture f;
    f.g.SetPlotArea(false, c.left, 0.1f, 0.8f, 0.8f);
    f.g.SetXScale(false, c.divisions, c.min, c.max, 0.8f, 0);
    f.g.DrawXAxis("x", 3);
    const auto texts = f.Texts();
    ASSERT_EQ(Strings(texts), c.texts);
    EXPECT_EQ(texts[0].X, c.firstX);
  }
  AxisFixture f;  // the factor: 4.5 digit widths before the axis end, exponent raised
  f.g.SetXScale(false, 5, 0, 50000, 0.8f, 0);
  f.g.DrawXAxis("x", 3);
  const auto texts = f.Texts();
  EXPECT_EQ(texts[7].X, 873);
  EXPECT_EQ(texts[7].Y, texts[6].Y);
  EXPECT_EQ(texts[8].X, 900);
  EXPECT_EQ(texts[8].Y, 947);
  EXPECT_EQ(texts[8].Style.Font.Size, 10);
}

TEST(GraphXAxis, CrowdedNumbersKeepEightPixelsApart) {
  AxisFixture f;
  f.g.SetPlotArea(false, 0.1f, 0.1f, 0.05f, 0.8f);  // divisions 5 units apart
  f.g.SetXScale(false, 10, 0, 10, 0.05f, 0);
  f.g.DrawXAxis("", 3);
  const auto texts = f.Texts();
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"0", "3", "6", "9", ""}));
  for (size_t i = 1; i + 1 < texts.size(); ++i) {
    const int previousEnd = texts[i - 1].X + 6 * static_cast<int>(texts[i - 1].Text.size());
    EXPECT_GE(texts[i].X, previousEnd + 8);
  }
}

TEST(GraphXAxis, AboveThePlotAreaMarksPointUp) {
  AxisFixture f;
  f.g.SetXScale(false, 2, 0, 2, 0.8f, 1);  // one medium mark per division
  f.g.DrawXAxis("x", 2);
  EXPECT_EQ(f.g.PlotBottom, 0.1f);
  const auto lines = f.canvas.Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].Y0, 81);  // division: 19.2 units above the top edge
  EXPECT_EQ(lines[0].Y1, 100);
  EXPECT_EQ(lines[1].X0, 300);
  EXPECT_EQ(lines[1].Y0, 87);  // medium mark: 0.004 * 4 * 0.8 = 12.8 units
  EXPECT_EQ(lines[5].Y0, 100);  // axis line along the top edge
  const auto texts = f.Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0].Y, 77);  // baseline 1.2 division marks above the edge
  EXPECT_LT(texts[3].Y, texts[0].Y);  // the title above the numbers
}

TEST(GraphAxes, OtherPlacementsDrawTheAxisLineOnly) {
  AxisFixture f;
  f.g.SetXScale(false, 10, 0, 10, 0.8f, 0);
  f.g.SetYScale(false, 10, 0, 10, 0.8f, 0);
  f.g.DrawXAxis("x", 0);
  EXPECT_EQ(f.g.DrawYAxis("y", 7, 0), 1);
  EXPECT_EQ(f.canvas.Lines().size(), 2u);
  EXPECT_TRUE(f.Texts().empty());
}

TEST(GraphYAxis, LeftOfThePlotAreaWithAHorizontalTitle) {
  AxisFixture f;
  f.g.SetYScale(false, 10, 0, 10, 0.8f, 0);
  const TCanvasStyle before = f.canvas.Style();
  EXPECT_EQ(f.g.DrawYAxis("y", 1, 0), 1);
  const auto lines = f.canvas.Lines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0].X0, 100);
  EXPECT_EQ(lines[0].X1, 87);  // 0.004 * 4 * 0.8 = 12.8 units to the left
  EXPECT_EQ(lines[0].Y0, 900);
  EXPECT_EQ(lines[11].Y0, 100);  // axis line from top to bottom
  EXPECT_EQ(lines[11].Y1, 900);
  const auto texts = f.Texts();
  ASSERT_EQ(texts.size(), 12u);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(texts[i].Text, std::to_string(i));
    // Right-aligned: every number ends 1.2 mark lengths (15.36 units) left of the axis.
    EXPECT_EQ(texts[i].X + 6 * static_cast<int>(texts[i].Text.size()), 85);
    EXPECT_EQ(texts[i].Y, 906 - 80 * i);  // centred on the mark
  }
  EXPECT_EQ(texts[11].Text, "y");
  EXPECT_EQ(texts[11].X, 78);
  EXPECT_EQ(texts[11].Y, 147);  // centred between the numbers 10 and 9
  EXPECT_EQ(texts[11].Style.Font.Escapement, 0);
  EXPECT_EQ(f.canvas.Style(), before);
}

TEST(GraphYAxis, TitleOrientationAndRequests) {
  const std::string kLong = "Drehzahl in 1/min";  // 119 units wide at 14 points
  const struct {
    std::string title;
    uint8_t request, orientation;
    int x, y;
  } cases[] = {
      {kLong, 0, 2, 67, 219},  // turned: 5.5 digit widths left, ending at the top (100)
      {"y", 2, 2, 67, 107},    // turned although it fits
      {kLong, 1, 1, 2, 147},   // kept horizontal, 2 pixels from the output's left edge
  };
  for (const auto& c : cases) {
    AxisFixture f;
    f.g.SetYScale(false, 10, 0, 10, 0.8f, 0);
    EXPECT_EQ(f.g.DrawYAxis(c.title, 1, c.request), c.orientation);
    const TRecordedOp title = f.Texts().back();
    EXPECT_EQ(title.Text, c.title);
    EXPECT_EQ(title.X, c.x);
    EXPECT_EQ(title.Y, c.y);
    EXPECT_EQ(title.Style.Font.Escapement, c.orientation == 2 ? 900 : 0);
    EXPECT_EQ(title.TextAlign, c.orientation == 2 ? kTaLeft | kTaTop : kTaLeft | kTaBottom);
  }
}

TEST(GraphYAxis, RequestThreeOnlyAnswersTheOrientation) {
  for (const char* title : {"y", "Drehzahl in 1/min"}) {
    AxisFixture f;
    f.g.SetYScale(false, 5, 0, 0.0005f, 0.8f, 0);  // with a common factor
    const TCanvasStyle before = f.canvas.Style();
    const uint8_t asked = f.g.DrawYAxis(title, 1, 3);
    EXPECT_TRUE(f.canvas.Ops.empty());
    EXPECT_EQ(f.canvas.Style(), before);
    EXPECT_EQ(f.g.PenX, 0);
    EXPECT_EQ(f.g.DrawYAxis(title, 1, 0), asked);
    EXPECT_EQ(asked, std::string(title) == "y" ? 1 : 2);
  }
}

TEST(GraphYAxis, SmallNumbersGetAFactorInTheGapBelowTheTitle) {
  AxisFixture f;
  f.g.SetYScale(false, 5, 0, 0.0005f, 0.8f, 0);
  EXPECT_EQ(f.g.DrawYAxis("y", 1, 0), 1);
  const auto texts = f.Texts();
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"0.0", "0.1", "0.2", "0.3", "0.4", "0.5",
                                                      "y", "*10", "-3"}));
  EXPECT_EQ(texts[7].X, 48);
  EXPECT_EQ(texts[7].Y, 347);  // centred between the numbers 0.4 and 0.3
  EXPECT_EQ(texts[7].Style.Font.Size, 12);
  EXPECT_EQ(texts[8].X, 66);
  EXPECT_EQ(texts[8].Y, 341);  // raised by half its height
  EXPECT_EQ(texts[8].Style.Font.Size, 10);
}

TEST(GraphYAxis, FactorOfATurnedTitleTakesTheGapBetweenTheTopNumbers) {
  AxisFixture f;
  f.g.SetYScale(false, 5, 0, 0.0005f, 0.8f, 0);
  EXPECT_EQ(f.g.DrawYAxis("y", 1, 2), 2);
  const auto texts = f.Texts();
  ASSERT_EQ(texts.size(), 9u);
  EXPECT_EQ(texts[7].Text, "*10");
  EXPECT_EQ(texts[7].Y, 187);  // between 0.5 (at 100) and 0.4 (at 260)
  EXPECT_EQ(texts[7].X, 19);   // left of the turned title (at 61, 14 units high)
}

TEST(GraphYAxis, SmallButNotTinyRangeKeepsItsNumbers) {
  AxisFixture f;
  f.g.SetYScale(false, 4, 0, 0.002f, 0.8f, 0);
  f.g.DrawYAxis("y", 1, 0);
  EXPECT_EQ(Strings(f.Texts()), (std::vector<std::string>{"0.0000", "0.0005", "0.0010",
                                                          "0.0015", "0.0020", "y"}));
}

TEST(GraphYAxis, CrowdedNumbersKeepALineAndEightPixelsApart) {
  AxisFixture f;
  f.g.SetPlotArea(false, 0.1f, 0.1f, 0.8f, 0.09f);  // divisions 9 units apart
  f.g.SetYScale(false, 10, 0, 10, 0.09f, 0);
  f.g.DrawYAxis("y", 1, 1);
  const auto texts = f.Texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"0", "3", "6", "9", "y"}));
}

TEST(GraphYAxis, RightOfThePlotAreaNumbersArePadded) {
  AxisFixture f;
  f.g.SetYScale(false, 10, 0, 10, 0.8f, 0);
  EXPECT_EQ(f.g.DrawYAxis("y", 0, 0), 1);
  EXPECT_EQ(f.g.PlotLeft, 0.1f);
  const auto lines = f.canvas.Lines();
  EXPECT_EQ(lines[0].X0, 900);
  EXPECT_EQ(lines[0].X1, 913);  // marks to the right
  EXPECT_EQ(lines[11].X0, 900);
  const auto texts = f.Texts();
  ASSERT_EQ(texts.size(), 12u);
  EXPECT_EQ(texts[0].Text, " 0");
  EXPECT_EQ(texts[10].Text, "10");
  EXPECT_EQ(texts[0].X, 918);  // 1.4 mark lengths right of the axis
  EXPECT_EQ(texts[11].Text, "y");
  EXPECT_EQ(texts[11].X, 915);
}

TEST(GraphAxes, ScalesWithoutWidthOrBeyondTheFloatRangeDrawBoundedAxes) {
  const float inf = std::numeric_limits<float>::infinity();
  const float ranges[][2] = {{5, 5}, {0, 0}, {0, 1e-44f}, {-inf, inf}, {1e30f, 1e30f},
                             {-FLT_MAX, FLT_MAX}};
  for (const auto& r : ranges) {
    AxisFixture f;
    f.g.SetXScale(true, 0, r[0], r[1], 0.8f, 0);
    f.g.SetYScale(true, 0, r[0], r[1], 0.8f, 0);
    f.g.DrawXAxis("x", 3);
    f.g.DrawYAxis("y", 1, 0);
    f.g.DrawGrid();
    ExpectBounded(f.canvas);
    const auto texts = f.Texts();
    ASSERT_GE(texts.size(), 4u) << r[0] << ".." << r[1];
    for (const TRecordedOp& t : texts) {
      EXPECT_EQ(t.Text.find("INF"), std::string::npos);
      EXPECT_EQ(t.Text.find("NAN"), std::string::npos);
      EXPECT_LE(t.Text.size(), 12u) << t.Text;
    }
  }
}

TEST(GraphAxes, PlotAreaWithoutSizeDrawsNothingWild) {
  const float sizes[] = {0.0f, -0.3f};
  for (float size : sizes) {
    AxisFixture f;
    f.g.SetPlotArea(true, 0.5f, 0.5f, size, size);
    f.g.SetXScale(true, 0, 0, 10, size, 0);
    f.g.SetYScale(true, 0, 0, 10, size, 0);
    f.g.DrawGrid();
    f.g.DrawXAxis("x", 3);
    f.g.DrawYAxis("y", 1, 0);
    ExpectBounded(f.canvas);
  }
}

// An inverted range runs its numbers the other way, with the decimals that all of them need,
// in the places of the marks; a number that prints as zero is centred as zero.
TEST(GraphAxes, InvertedRangesAndNumbersNearZero) {
  const struct {
    float min, max;
    int divisions;
    std::vector<std::string> numbers;
    int zeroMark;  // index of the number printed as zero
  } cases[] = {
      {1, 0, 4, {"1.00", "0.75", "0.50", "0.25", "0.00"}, 4},
      {0, 1, 4, {"0.00", "0.25", "0.50", "0.75", "1.00"}, 0},
      {10, -10, 2, {"10", "0", "-10"}, 1},
      // The fourth division is -2.4E-7, not zero, after the 32-bit sums.
      {-2.7f, 0.9f, 4, {"-2.7", "-1.8", "-0.9", "0.0", "0.9"}, 3},
  };
  for (const auto& c : cases) {
    AxisFixture f;
    f.g.SetXScale(false, c.divisions, c.min, c.max, 0.8f, 0);
    f.g.SetYScale(false, c.divisions, c.min, c.max, 0.8f, 0);
    f.g.DrawXAxis("x", 3);
    const auto xTexts = f.Texts();
    f.canvas.ClearOps();
    f.g.DrawYAxis("y", 1, 1);
    const auto yTexts = f.Texts();
    std::vector<std::string> expected = c.numbers;
    expected.push_back("x");
    ASSERT_EQ(Strings(xTexts), expected) << c.min << ".." << c.max;
    expected.back() = "y";
    ASSERT_EQ(Strings(yTexts), expected) << c.min << ".." << c.max;
    const int spacing = 800 / c.divisions;
    for (size_t i = 0; i < c.numbers.size(); ++i) {
      const int mark = 100 + spacing * static_cast<int>(i);
      const int chars = static_cast<int>(c.numbers[i].size());
      const bool negative = c.numbers[i][0] == '-';
      // x: the digits centred on the mark (the minus sign left of them), one pixel right.
      const int digitsWidth = 6 * (negative ? chars - 1 : chars);
      EXPECT_NEAR(xTexts[i].X + (negative ? 6 : 0) + digitsWidth / 2.0, mark + 1, 0.5)
          << c.numbers[i];
      // y: right-aligned left of the axis, centred on the mark from the bottom up.
      EXPECT_EQ(yTexts[i].X + 6 * chars, 85) << c.numbers[i];
      EXPECT_EQ(yTexts[i].Y, 1000 - mark + 6) << c.numbers[i];
    }
    EXPECT_EQ(xTexts[c.zeroMark].X, 100 + spacing * c.zeroMark + 1 -
                                        3 * static_cast<int>(c.numbers[c.zeroMark].size()));
  }
}

#include "block/TraceStore.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "graphic/OVGraphic.h"
#include "tests/support/RecordingCanvas.h"

namespace {

struct Sample {
  float x, y;
  long double control;
};

std::vector<std::vector<float>> Xs(const TTraceStore& store) {
  std::vector<std::vector<float>> traces;
  for (int k = 0; k < store.Count(); ++k) {
    std::vector<float> xs;
    for (int i = 0; i < store.X(k).Count(); ++i) xs.push_back(store.X(k).Value(i));
    traces.push_back(xs);
  }
  return traces;
}

std::vector<int> Feed(TTraceStore& store, const std::vector<Sample>& samples) {
  std::vector<int> points;
  for (const Sample& s : samples) points.push_back(store.Record(s.x, s.y, s.control));
  return points;
}

TEST(PenRule, HighControlLiftsThePenAndARiseBeginsANewTrace) {
  TTraceStore store;
  store.BeginRun();
  auto points = Feed(store, {{1, 1, 0}, {2, 2, 0}, {3, 3, 5}, {4, 4, 5}, {5, 5, 0}, {6, 6, 0}});
  EXPECT_EQ(points, (std::vector<int>{1, 2, 0, 0, 1, 2}));
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{1, 2}, {5, 6}}));
}

TEST(PenRule, ExactlyTheThresholdIsNeitherLowNorHigh) {
  TTraceStore store;
  store.BeginRun();
  auto points = Feed(store, {{1, 1, 0}, {2, 2, 2.5L}, {3, 3, 3}, {4, 4, 0}});
  // 2.5 -> 3 is no rising edge: the first and the last point share one trace.
  EXPECT_EQ(points, (std::vector<int>{1, 0, 0, 2}));
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{1, 4}}));
}

TEST(PenRule, ComparisonUsesAllEightyBits) {
  TTraceStore store;
  store.BeginRun();
  long double justAbove = std::nextafter(2.5L, 3.0L);
  long double justBelow = std::nextafter(2.5L, 2.0L);
  // Both values round to 2.5 as doubles or floats; only the extended comparison tells.
  Feed(store, {{1, 1, justAbove}, {2, 2, justBelow}});
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{}, {2}}));
}

TEST(PenRule, FirstSampleWithControlHighLeavesTheFirstTraceEmpty) {
  TTraceStore store;
  store.BeginRun();
  auto points = Feed(store, {{1, 1, 5}, {2, 2, 5}, {3, 3, 1}});
  EXPECT_EQ(points, (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{}, {3}}));
}

TEST(PenRule, ASecondRunWithoutBeginAppendsToTheLastTrace) {
  TTraceStore store;
  store.BeginRun();
  Feed(store, {{1, 1, 0}, {2, 2, 0}});
  Feed(store, {{3, 3, 0}});
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{1, 2, 3}}));
}

TEST(PenRule, BeginRunRemovesEveryTrace) {
  TTraceStore store;
  store.BeginRun();
  Feed(store, {{1, 1, 0}, {2, 2, 5}, {3, 3, 0}, {4, 4, 5}, {5, 5, 0}});
  ASSERT_EQ(store.Count(), 3);
  store.BeginRun();
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{}}));
  EXPECT_EQ(store.LastControl, 0.0L);
}

TEST(PenRule, StepWithoutAnyTraceStartsTheFirstOne) {
  TTraceStore store;  // the host skipped the start of the run
  EXPECT_EQ(store.Record(1, 2, 0), 1);
  EXPECT_EQ(Xs(store), (std::vector<std::vector<float>>{{1}}));
}

TEST(PenRule, ValuesAreStoredAsNearestFloatsAndNonFiniteOnesUnchanged) {
  TTraceStore store;
  store.BeginRun();
  const long double inf = std::numeric_limits<long double>::infinity();
  store.Record(0.1L, 1e39L, 0);
  store.Record(std::nanl(""), -inf, 0);
  EXPECT_EQ(store.X(0).Value(0), 0.1f);
  EXPECT_TRUE(std::isinf(store.Y(0).Value(0)));
  EXPECT_TRUE(std::isnan(store.X(0).Value(1)));
  EXPECT_EQ(store.Y(0).Value(1), -std::numeric_limits<float>::infinity());
}

// Round to nearest as IEEE defines it for a 32-bit float: infinite from half a unit in the
// last place beyond the largest float on, subnormal or zero below the smallest normal one.
TEST(PenRule, NearestFloatAtTheEndsOfTheFloatRange) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    long double value;
    float stored;
  } cases[] = {
      {0x1.fffffep127L, 0x1.fffffep127f},               // the largest float itself
      {0x1p128L - 0x1p103L - 0x1p70L, 0x1.fffffep127f},  // just below the half: the largest
      {0x1p128L - 0x1p103L, inf},                        // the half: ties to even, 2^128
      {-(0x1p128L - 0x1p103L - 0x1p70L), -0x1.fffffep127f},
      {-(0x1p128L - 0x1p103L), -inf},
      {1e39L, inf},
      {-1e308L, -inf},
      {1e4000L, inf},
      {1e-40L, 71362 * 0x1p-149f},  // a subnormal float
      {0x1p-149L, 0x1p-149f},       // the smallest one
      {0x1p-150L, 0.0f},            // half of it: ties to even, zero
      {0x1p-150L + 0x1p-160L, 0x1p-149f},
      {1e-300L, 0.0f},
      {0.1L, 0.1f},
  };
  for (const auto& c : cases) EXPECT_EQ(NearestFloat(c.value), c.stored) << double(c.value);
  EXPECT_TRUE(std::signbit(NearestFloat(-1e-300L)));
  EXPECT_TRUE(std::isnan(NearestFloat(std::nanl(""))));
}

// A sample beyond the float range is kept as infinite and leaves a gap: no segment to or from
// it, and none across it. A sample that rounds to the largest float is an ordinary point, its
// segments cut at the plot area's edge.
TEST(PenRule, SamplesBeyondTheFloatRangeLeaveAGapInTheTrace) {
  TTraceStore store;
  store.BeginRun();
  const long double beyond = 0x1p128L - 0x1p103L, largest = 0x1p128L - 0x1p104L + 0x1p90L;
  for (const auto& p : std::vector<std::pair<long double, long double>>{
           {1, 1}, {2, 2}, {beyond, 3}, {4, 4}, {5, 5}, {6, -beyond}, {7, 7}, {largest, 8}, {9, 9}})
    store.Record(p.first, p.second, 0);
  ASSERT_EQ(store.X(0).Count(), 9);
  EXPECT_TRUE(std::isinf(store.X(0).Value(2)));
  EXPECT_EQ(store.Y(0).Value(5), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(store.X(0).Value(7), FLT_MAX);

  TRecordingCanvas canvas;  // 0..10 on both axes over 100..900 device units
  TOVGraphic g{&canvas, TRect{0, 0, 1000, 1000}};
  g.SetPlotArea(false, 0.1f, 0.1f, 0.8f, 0.8f);
  g.SetXScale(false, 10, 0, 10, 0.8f, 0);
  g.SetYScale(false, 10, 0, 10, 0.8f, 0);
  canvas.ClearOps();
  g.DrawCurve(store.X(0), store.Y(0), 0, 0);
  std::vector<std::vector<int>> lines;
  for (const TRecordedLine& l : canvas.Lines()) lines.push_back({l.X0, l.Y0, l.X1, l.Y1});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], (std::vector<int>{180, 820, 260, 740}));  // 1 to 2
  EXPECT_EQ(lines[1], (std::vector<int>{420, 580, 500, 500}));  // 4 to 5
  // 7 towards the largest float, and from there to 9: both cut at the right edge.
  EXPECT_EQ((std::vector<int>{lines[2][0], lines[2][1], lines[2][2]}),
            (std::vector<int>{660, 340, 900}));
  EXPECT_EQ((std::vector<int>{lines[3][0], lines[3][2], lines[3][3]}),
            (std::vector<int>{900, 820, 180}));
}

// Axis ranges from the system file take the same conversion: +-1E308 become infinite ends,
// which the scale limits to half the float range; 0 .. 1E-300 collapses to 0 .. 0, which the
// scale widens around its middle.
TEST(PenRule, RangesBeyondTheFloatRangeDrawBoundedAxes) {
  TRecordingCanvas canvas;
  TOVGraphic g{&canvas, TRect{0, 0, 1000, 1000}};
  g.SetPlotArea(false, 0.1f, 0.1f, 0.8f, 0.8f);
  g.SetXScale(false, 2, NearestFloat(-1e308L), NearestFloat(1e308L), 0.8f, 0);
  g.SetYScale(false, 2, NearestFloat(0.0L), NearestFloat(1e-300L), 0.8f, 0);
  canvas.ClearOps();
  g.DrawXAxis("x", 3);
  g.DrawYAxis("y", 1, 1);
  // Half the largest float, 1.7014E38, at either end.
  EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"-170.14", "0.00", "170.14", "x", " * 10",
                                                       "36", "-0.5", "0.0", "0.5", "y"}));
}

TEST(PenRule, NewTracesReserveRoomForAThousandPoints) {
  TTraceStore store;
  store.BeginRun();
  store.Record(0, 0, 5);
  ASSERT_EQ(store.Count(), 2);
  EXPECT_GE(store.X(1).Capacity(), 1000);
  EXPECT_GE(store.Y(1).Capacity(), 1000);
}

}  // namespace

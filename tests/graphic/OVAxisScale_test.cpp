// Axis scales and the marks along an axis: division counts, sign classes, tick
// layouts, buffer limits, and ranges without width or beyond the float range.
#include "graphic/OVAxisScale.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "graphic/OVGraphic.h"
#include "tests/support/RecordingCanvas.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// Axis from first to last with the given step over origin .. origin + length.
TAxisScale Axis(float first, float last, float step, float length, int sub, int med) {
  TAxisScale s;
  s.AxisMin = s.FirstDivision = s.RangeMin = first;
  s.AxisMax = s.LastDivision = s.RangeMax = last;
  s.Step = step;
  s.Scale = length / (last - first);
  s.TickLayout = sub * 256 + med;
  return s;
}

}  // namespace

TEST(AxisTicks, DivisionsWithSubDivisions) {
  // 0..10, step 2, five sub-divisions: marks every 0.4 axis units.
  const TTickList t = AxisTicks(Axis(0, 10, 2, 0.8f, 5, 0), 0.1f, 0.8f, TTickList::kMaxValues);
  ASSERT_EQ(t.Count, 26);
  ASSERT_EQ(t.ValueCount, 6);
  for (int i = 0; i < t.Count; ++i) {
    EXPECT_NEAR(t.Positions[i], 0.1 + 0.08 * 0.4 * i, 1e-6) << i;
    EXPECT_EQ(t.Kinds[i], i % 5 == 0 ? tmDivision : tmMinor) << i;
  }
  for (int k = 0; k < t.ValueCount; ++k) EXPECT_FLOAT_EQ(t.Values[k], 2.0f * k);
}

TEST(AxisTicks, MediumMarksAtTheirInterval) {
  const TTickList t = AxisTicks(Axis(0, 10, 2, 0.8f, 10, 5), 0.0f, 0.8f, TTickList::kMaxValues);
  ASSERT_EQ(t.Count, 51);
  for (int i = 0; i < t.Count; ++i) {
    const uint8_t expected = i % 10 == 0 ? tmDivision : (i % 10 == 5 ? tmMedium : tmMinor);
    EXPECT_EQ(t.Kinds[i], expected) << i;
  }
}

TEST(AxisTicks, SubDivisionsOutsideTheAxisLengthAreLeftOut) {
  // Scale for 0.8 logical units, but only 0.5 of length: sub marks stop at 0.5,
  // divisions are kept.
  const TTickList t = AxisTicks(Axis(0, 10, 2, 0.8f, 2, 0), 0.0f, 0.5f, TTickList::kMaxValues);
  int subs = 0;
  for (int i = 0; i < t.Count; ++i) {
    if (t.Kinds[i] == tmDivision) continue;
    ++subs;
    EXPECT_LE(t.Positions[i], 0.5f);
  }
  EXPECT_EQ(subs, 3);  // at 0.08, 0.24, 0.40
  EXPECT_EQ(t.ValueCount, 6);
}

TEST(AxisTicks, BuffersAreNeverOverrun) {
  // 255 sub-divisions per division would need 2551 marks: adding stops at 201.
  const TTickList many = AxisTicks(Axis(0, 10, 1, 0.8f, 255, 1), 0, 0.8f, TTickList::kMaxValues);
  EXPECT_EQ(many.Count, TTickList::kMaxMarks);
  EXPECT_EQ(many.ValueCount, 1);
  // 100 divisions: the grid keeps 33 values, the axes 31; marks and values stay paired.
  const TAxisScale hundred = Axis(0, 100, 1, 0.8f, 1, 1);
  const TTickList grid = AxisTicks(hundred, 0, 0.8f, TTickList::kMaxValues);
  EXPECT_EQ(grid.ValueCount, 33);
  EXPECT_EQ(grid.Count, 33);
  const TTickList axis = AxisTicks(hundred, 0, 0.8f, kAxisValueRoom);
  EXPECT_EQ(axis.ValueCount, 31);
  EXPECT_EQ(axis.Count, 31);
  EXPECT_EQ(AxisTicks(hundred, 0, 0.8f, 1000).ValueCount, TTickList::kMaxValues);
}

TEST(AxisTicks, ScalesWithoutAStepGiveOneDivision) {
  const TTickList unset = AxisTicks(TAxisScale(), 0.2f, 0.5f, TTickList::kMaxValues);
  EXPECT_EQ(unset.Count, 1);
  EXPECT_EQ(unset.ValueCount, 1);
  EXPECT_EQ(unset.Positions[0], 0.2f);
  const TAxisScale noStep = Axis(0, 10, 0, 0.8f, 1, 1);  // a range but no step
  const TTickList t = AxisTicks(noStep, 0, 0.8f, TTickList::kMaxValues);
  EXPECT_EQ(t.ValueCount, 1);
  EXPECT_EQ(LastDivisionIndex(noStep), 0);
  EXPECT_EQ(LastDivisionIndex(TAxisScale()), 0);
}

TEST(AxisScaleMaking, DivisionCountsAndSteps) {
  const struct {
    bool autoDivisions;
    int divisions;
    float min, max;
    float length, room;  // room: the length one automatic division needs
    int maxDivisions;
    int n;
  } cases[] = {
      {true, 0, 0, 10, 27.0f, 1.0f, 10, 10},  // room for 27, limited to 10
      {false, 1, -5, 5, 1, 0, 10, 2},         // both signs: at least 2
      {false, 0, 0, 7, 1, 0, 10, 1},          // lifted to 1
      {false, -3, -7, -2, 1, 0, 10, 1},
      {true, 0, 0, 1, 1.4f, 3.0f, 10, 1},     // 1.4 / 3 rounds to 0
      {false, 5, -1, 1, 1, 0, 1, 2},          // the least count beats the limit
      {true, 0, -1, 1, 7.0f, 1.0f, 10, 7},
      {true, 0, 0, 1, 2.5f, 1.0f, 10, 2},     // 2.5 rounds to even
      {true, 0, 0, 1, 3.5f, 1.0f, 10, 4},
      {false, 4, -3, 0, 1, 0, 10, 4},         // sign class 0
      {false, 0, 3, -3, 1, 0, 10, 2},         // reversed range containing 0
      {true, 0, 0, 1, 1.0f, 0.0f, 10, 10},    // nothing measured: infinitely many, limited
      {true, 0, 0, 1, 0.0f, 0.0f, 10, 1},     // neither room nor length
  };
  for (const auto& c : cases) {
    const TAxisScale s = MakeAxisScale(c.autoDivisions, c.divisions, c.min, c.max, c.length, 0,
                                       c.room, c.maxDivisions);
    EXPECT_EQ(LastDivisionIndex(s), c.n) << c.min << ".." << c.max << " length " << c.length;
    EXPECT_FLOAT_EQ(s.Step, (c.max - c.min) / c.n);
    EXPECT_EQ(s.AxisMin, c.min);
    EXPECT_EQ(s.AxisMax, c.max);
    EXPECT_EQ(s.FirstDivision, c.min);
    EXPECT_EQ(s.LastDivision, c.max);
    EXPECT_FLOAT_EQ(s.Scale, c.length / (c.max - c.min));
  }
}

TEST(AxisScaleMaking, TickLayoutFromSubMarks) {
  EXPECT_EQ(MakeAxisScale(false, 2, 0, 1, 1, 0, 0, 10).TickLayout, 0x0101);
  EXPECT_EQ(MakeAxisScale(false, 2, 0, 1, 1, 9999, 0, 10).TickLayout, 0xFF01);  // at most 254
  // SubMarks 4: four medium marks between neighbouring divisions.
  const TAxisScale s = MakeAxisScale(false, 2, 0, 1, 1, 4, 0, 10);
  EXPECT_EQ(s.TickLayout, 0x0501);
  const TTickList t = AxisTicks(s, 0, 1, kAxisValueRoom);
  ASSERT_EQ(t.Count, 11);
  for (int i = 0; i < t.Count; ++i) EXPECT_EQ(t.Kinds[i], i % 5 == 0 ? tmDivision : tmMedium);
}

TEST(AxisScaleMaking, RangesWithoutWidthAreWidenedAroundTheirValue) {
  const struct {
    float min, max;
    float axisMin, axisMax;
  } cases[] = {
      {5, 5, 4.5f, 5.5f},
      {0, 0, -0.5f, 0.5f},
      {0, static_cast<float>(1e-50), -0.5f, 0.5f},  // both 0 as floats
      {-2, -2, -2.5f, -1.5f},
      {1000, 1000, 999, 1001},  // 0.1 % of the value where that is more
      {1e30f, 1e30f, 0.999e30f, 1.001e30f},
      {0, 1e-44f, -0.5f, 0.5f},  // too narrow: the scale would overflow a float
  };
  for (const auto& c : cases) {
    const TAxisScale s = MakeAxisScale(true, 0, c.min, c.max, 0.8f, 0, 0.1L, 10);
    EXPECT_EQ(s.RangeMin, c.min);
    EXPECT_EQ(s.RangeMax, c.max);
    EXPECT_FLOAT_EQ(s.AxisMin, c.axisMin) << c.min;
    EXPECT_FLOAT_EQ(s.AxisMax, c.axisMax) << c.min;
    EXPECT_TRUE(std::isfinite(s.Scale) && s.Scale > 0);
    EXPECT_TRUE(std::isfinite(s.Step) && s.Step > 0);
    EXPECT_EQ(LastDivisionIndex(s), 8);
  }
}

TEST(AxisScaleMaking, EndsBeyondTheFloatRangeBecomeUsable) {
  const struct {
    float min, max;
    float axisMin, axisMax;
  } cases[] = {
      {-kInf, kInf, -FLT_MAX / 2, FLT_MAX / 2},  // the width must be a float too
      {-3e38f, 3e38f, -FLT_MAX / 2, FLT_MAX / 2},
      {0, kInf, 0, FLT_MAX},
      {kNaN, 1, 0, 1},
      {kInf, kInf, FLT_MAX * 0.999f, FLT_MAX},
      {FLT_MAX, FLT_MAX, FLT_MAX * 0.999f, FLT_MAX},
      {kNaN, kNaN, -0.5f, 0.5f},
  };
  for (const auto& c : cases) {
    const TAxisScale s = MakeAxisScale(false, 4, c.min, c.max, 0.8f, 0, 0, 10);
    EXPECT_FLOAT_EQ(s.AxisMin, c.axisMin) << c.min << ".." << c.max;
    EXPECT_FLOAT_EQ(s.AxisMax, c.axisMax) << c.min << ".." << c.max;
    EXPECT_TRUE(std::isfinite(s.Scale) && s.Scale > 0);
    EXPECT_TRUE(std::isfinite(s.Step) && s.Step > 0);
    const TTickList t = AxisTicks(s, 0.1f, 0.8f, kAxisValueRoom);
    for (int i = 0; i < t.Count; ++i) EXPECT_TRUE(std::isfinite(t.Positions[i]));
  }
}

TEST(AxisScaleMaking, GraphScalesMeasureTheirNumbers) {
  TRecordingCanvas canvas;  // digit 0.5 * size device units wide, line height = size
  TOVGraphic g(&canvas, TRect{0, 0, 1000, 1000});
  g.SetPlotArea(false, 0.1f, 0.1f, 0.8f, 0.8f);
  // 12 points: digit width 6 units, line height 12 units.
  g.SetXScale(true, 0, 0, 1, 0.18f, 0);  // 0.18 / 0.018 = 10 divisions
  EXPECT_EQ(LastDivisionIndex(g.XScale), 10);
  g.SetYScale(true, 0, 0, 1, 0.18f, 0);  // 0.18 / 0.036 = 5 divisions
  EXPECT_EQ(LastDivisionIndex(g.YScale), 5);
  g.MaxXDivisions = 7;
  g.MaxYDivisions = 3;
  g.SetXScale(true, 0, -1, 1, 0.8f, 0);
  g.SetYScale(true, 0, -1, 1, 0.8f, 0);
  EXPECT_EQ(LastDivisionIndex(g.XScale), 7);
  EXPECT_FLOAT_EQ(g.XScale.Step, 2.0f / 7);
  EXPECT_EQ(LastDivisionIndex(g.YScale), 3);
  g.SetXScale(false, 4, 0, 8, 0.8f, 1);
  EXPECT_EQ(g.XScale.TickLayout, 0x0201);
  EXPECT_FLOAT_EQ(g.XScale.Scale, 0.1f);
  EXPECT_TRUE(canvas.Ops.empty());
}

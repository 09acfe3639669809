// OVAxisScale: the scale of one axis and the marks along it. Pure functions that
// return data; the graph object draws grid and axes from it.
#pragma once

#include <cstdint>

// Scale of one axis. TickLayout: low byte the medium-mark interval (0: none),
// second byte the sub-divisions per division.
struct TAxisScale {
  float AxisMin = 0;
  float AxisMax = 0;
  float Step = 0;
  float FirstDivision = 0;
  float LastDivision = 0;
  float RangeMin = 0;
  float RangeMax = 0;
  float Scale = 0;  // logical units per axis unit
  int32_t TickLayout = 0;
};

// Kind of a mark; bit 0 makes a mark longer, bit 1 carries a number.
enum TickMark : uint8_t { tmMinor = 0, tmMedium = 1, tmDivision = 2 };

// Marks of one axis in axis order, and the value of each division.
struct TTickList {
  static constexpr int kMaxMarks = 201;
  static constexpr int kMaxValues = 33;
  int Count = 0;       // marks
  int ValueCount = 0;  // division values
  float Positions[kMaxMarks];
  uint8_t Kinds[kMaxMarks];
  float Values[kMaxValues];
};

// Division values that the axis drawing keeps (the grid keeps kMaxValues).
constexpr int kAxisValueRoom = 31;

// Index of the last division, Round((LastDivision - FirstDivision) / Step),
// limited to 0 .. INT_MAX; 0 for a scale without step (an unset scale).
int LastDivisionIndex(const TAxisScale& scale);

// Marks of the axis whose first division lies at origin (logical) and which is
// length long. A division mark and its value are added together; adding stops
// for good once the marks or valueRoom (at most kMaxValues) values are used up.
TTickList AxisTicks(const TAxisScale& scale, float origin, float length, int valueRoom);

// Least number of divisions of a range: 2 when it contains both signs or none, else 1.
int LeastDivisions(float rangeMin, float rangeMax);

// The ends an axis can be drawn with: infinite ends become the largest float,
// NaN becomes 0, a range wider than the largest float is cut to half of it on
// either side (distances along the axis are floats too), and a range of no usable width (equal ends, or so narrow that
// length / (max - min) overflows a float) is widened around its middle by
// 0.5, or by 0.1 % of the value where that is more.
void UsableAxisEnds(float length, float& axisMin, float& axisMax);

// Fills a scale from the requested range. divisionRoom is the axis length that
// one automatic division needs; maxDivisions limits the count, the least count
// of the range's sign class overrides the limit. The axis spans exactly the
// (usable) range; RangeMin and RangeMax keep the request.
TAxisScale MakeAxisScale(bool autoDivisions, int divisions, float rangeMin, float rangeMax,
                         float length, int subMarks, long double divisionRoom, int maxDivisions);

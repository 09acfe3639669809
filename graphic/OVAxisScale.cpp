#include "graphic/OVAxisScale.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "graphic/OVGraphicMath.h"

namespace {

float FiniteEnd(float v) {
  if (std::isnan(v)) return 0.0f;
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return v;
}

float ToFloatLimited(long double v) {
  return static_cast<float>(std::clamp(v, static_cast<long double>(-FLT_MAX),
                                       static_cast<long double>(FLT_MAX)));
}

bool AddMark(TTickList& ticks, long double position, uint8_t kind) {
  if (ticks.Count >= TTickList::kMaxMarks) return false;
  ticks.Positions[ticks.Count] = static_cast<float>(position);
  ticks.Kinds[ticks.Count] = kind;
  ++ticks.Count;
  return true;
}

}  // namespace

int LastDivisionIndex(const TAxisScale& scale) {
  if (scale.Step == 0) return 0;
  const long double count =
      (static_cast<long double>(scale.LastDivision) - scale.FirstDivision) / scale.Step;
  return std::max(0, RoundToInt(count));
}

TTickList AxisTicks(const TAxisScale& scale, float origin, float length, int valueRoom) {
  TTickList ticks;
  valueRoom = std::clamp(valueRoom, 0, TTickList::kMaxValues);
  const int count = LastDivisionIndex(scale);
  const int sub = (scale.TickLayout >> 8) & 0xFF;
  const int med = scale.TickLayout & 0xFF;
  for (int i = 0; i <= count; ++i) {
    if (ticks.ValueCount >= valueRoom) break;
    const float v = static_cast<float>(static_cast<long double>(i) * scale.Step);
    if (!AddMark(ticks, origin + static_cast<long double>(v) * scale.Scale, tmDivision)) break;
    ticks.Values[ticks.ValueCount++] = static_cast<float>(static_cast<long double>(v) +
                                                          scale.FirstDivision);
    if (i == count) break;
    for (int j = 1; j < sub; ++j) {
      const float e = static_cast<float>(
          (static_cast<long double>(j) * scale.Step / sub + v) * scale.Scale);
      if (!(e >= 0 && e <= length)) continue;
      const uint8_t kind = med != 0 && j % med == 0 ? tmMedium : tmMinor;
      if (!AddMark(ticks, static_cast<long double>(origin) + e, kind)) return ticks;
    }
  }
  return ticks;
}

int LeastDivisions(float rangeMin, float rangeMax) {
  if (rangeMin < 0 && rangeMax <= 0) return 1;
  if (rangeMin >= 0 && rangeMax > 0) return 1;
  return 2;
}

void UsableAxisEnds(float length, float& axisMin, float& axisMax) {
  axisMin = FiniteEnd(axisMin);
  axisMax = FiniteEnd(axisMax);
  // Distances from the first division are 32-bit values too: keep the width a float.
  if (std::fabs(static_cast<long double>(axisMax) - axisMin) > FLT_MAX) {
    axisMin = std::clamp(axisMin, -FLT_MAX / 2, FLT_MAX / 2);
    axisMax = std::clamp(axisMax, -FLT_MAX / 2, FLT_MAX / 2);
  }
  const long double width = static_cast<long double>(axisMax) - axisMin;
  if (width != 0) {
    const bool overflows =
        std::isfinite(length) && !std::isfinite(static_cast<float>(length / width));
    if (!overflows) return;
  }
  const long double middle = (static_cast<long double>(axisMin) + axisMax) / 2;
  const long double half = std::max(0.5L, 0.001L * std::fabs(middle));
  axisMin = ToFloatLimited(middle - half);
  axisMax = ToFloatLimited(middle + half);
}

TAxisScale MakeAxisScale(bool autoDivisions, int divisions, float rangeMin, float rangeMax,
                         float length, int subMarks, long double divisionRoom, int maxDivisions) {
  TAxisScale s;
  s.RangeMin = rangeMin;
  s.RangeMax = rangeMax;
  float lo = rangeMin;
  float hi = rangeMax;
  UsableAxisEnds(length, lo, hi);
  int n = divisions;
  if (autoDivisions) {
    // Numbers that need no room leave room for any count, up to the limit.
    if (divisionRoom > 0)
      n = RoundToInt(length / divisionRoom);
    else
      n = length > 0 ? INT_MAX : 0;
  }
  if (n > maxDivisions) n = maxDivisions;
  n = std::max(n, LeastDivisions(lo, hi));
  s.Step = static_cast<float>((static_cast<long double>(hi) - lo) / n);
  s.FirstDivision = lo;
  s.LastDivision = hi;
  s.AxisMin = lo;
  s.AxisMax = hi;
  s.Scale = static_cast<float>(length / (static_cast<long double>(s.AxisMax) - s.AxisMin));
  s.TickLayout = (std::clamp(subMarks, 0, 254) + 1) * 256 + 1;
  return s;
}

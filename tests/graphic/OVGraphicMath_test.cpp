// The rounding rules of the graph engine, at ties and at the ends of the int range.
#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "graphic/OVGraphicMath.h"

namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

TEST(OVGraphicMath, RoundToIntRoundsTiesToEvenAndStaysInTheIntRange) {
  const struct {
    long double Value;
    int Rounded;
  } cases[] = {
      {0.5L, 0},
      {1.5L, 2},
      {2.5L, 2},
      {-0.5L, 0},
      {-1.5L, -2},
      {-2.5L, -2},
      {0.49999999999999999L, 0},
      {2.5000000000000001L, 3},  // above the tie in 64 bits, the tie itself in 53
      {-7.75L, -8},
      {1234567.25L, 1234567},
      {2147483646.5L, 2147483646},
      {2147483646.75L, INT_MAX},
      {2147483647.0L, INT_MAX},
      {1e30L, INT_MAX},
      {kInf, INT_MAX},
      {-2147483647.5L, INT_MIN},
      {-2147483647.25L, -2147483647},
      {-2147483648.0L, INT_MIN},
      {-kInf, INT_MIN},
      {kNaN, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundToInt(c.Value), c.Rounded) << double(c.Value);
}

TEST(OVGraphicMath, TruncToIntCutsTowardZeroAndStaysInTheIntRange) {
  const struct {
    long double Value;
    int Cut;
  } cases[] = {
      {2.9L, 2},          {-2.9L, -2},         {2147483646.9999999L, 2147483646},
      {3e9L, INT_MAX},    {-3e9L, INT_MIN},    {-2147483647.9999999L, -2147483647},
      {kNaN, 0},          {-kInf, INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(TruncToInt(c.Value), c.Cut) << double(c.Value);
}

TEST(OVGraphicMath, IntegralToIntKeepsIntegersAndLimitsLikeRounding) {
  for (long double v : {0.0L, -1.0L, 538.0L, 2147483646.0L, -2147483647.0L, 3e12L, -3e12L, kInf,
                        -kInf, kNaN})
    EXPECT_EQ(IntegralToInt(v), RoundToInt(v)) << double(v);
}

}  // namespace

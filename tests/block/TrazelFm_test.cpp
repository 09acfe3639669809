// The plot window's status bar text.
#include <gtest/gtest.h>

#include <limits>

#include "block/TrazelFm.h"

namespace {

TEST(StatusBarTextTest, Defaults) {
  EXPECT_EQ(StatusBarText(TPlotSettings{}), "x: [     -1,       1]   y: [     -1,       1]   ");
}

TEST(StatusBarTextTest, GeneralFormatOfThreeDigits) {
  TPlotSettings s;
  s.XMin = 0.5L;
  s.XMax = 12345.0L;
  s.YMin = 1e-5L;
  s.YMax = 1000.0L;
  EXPECT_EQ(StatusBarText(s), "x: [    0.5,  1.23E4]   y: [   1E-5,     1E3]   ");
  s.XMin = -0.00012345L;  // wider than seven characters: not cut
  s.XMax = 1e20L;
  s.YMin = 0.0001L;
  s.YMax = 999.0L;
  EXPECT_EQ(StatusBarText(s), "x: [-0.000123,    1E20]   y: [ 0.0001,     999]   ");
}

TEST(StatusBarTextTest, NonFiniteRangesDoNotBreakIt) {
  TPlotSettings s;
  s.XMin = -std::numeric_limits<long double>::infinity();
  s.XMax = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_EQ(StatusBarText(s), "x: [   -INF,     NAN]   y: [     -1,       1]   ");
}

}  // namespace

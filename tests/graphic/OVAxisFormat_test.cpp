// Axis number formatting: rounding, decimals, label widths, the common power of
// ten and the number texts; including values that are zero, infinite or no number.
#include "graphic/OVAxisFormat.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <limits>

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

}  // namespace

TEST(AxisFormat, RoundToDecimalsRoundsHalfAwayFromZero) {
  const struct {
    int decimals;
    float x, expected;
  } cases[] = {
      {1, 0.25f, 0.3f},
      {1, -0.25f, -0.3f},
      {0, 2.5f, 3.0f},
      {0, -2.5f, -3.0f},
      {0, 2.4999f, 2.0f},
      {2, 1.005f, 1.01f},  // the decimal 1.005, although the float lies below the half
      {2, 2.675f, 2.68f},
      {1, 1001.25f, 1001.3f},
      {2, 0.125f, 0.13f},
      {2, -0.0000001f, 0.0f},
      {3, 0.0f, 0.0f},
      {5, 1.2345678f, 1.23457f},
      {9, 1.2345678f, 1.23457f},   // more than 5 counts as 5
      {-1, 1.2345678f, 1.23457f},  // and so does less than 0
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(RoundToDecimals(c.decimals, c.x), c.expected) << c.decimals << " " << c.x;
}

TEST(AxisFormat, DecimalsNeededForSixSignificantPlaces) {
  const struct {
    float x;
    int expected;
  } cases[] = {
      {2.5f, 1},     {100.0f, 0},    {0.0f, 0},     {0.25f, 2},  {0.125f, 3},
      {-2.5f, 1},    {1.0f / 3, 5},  {123.456f, 2}, {1e7f, 0},   {0.30000001f, 1},
      {1e-7f, 0},  // below the sixth place after the point
  };
  for (const auto& c : cases) EXPECT_EQ(DecimalsNeeded(c.x), c.expected) << c.x;
}

TEST(AxisFormat, DecimalsNeededEndsForValuesThatAreNoNumbers) {
  EXPECT_EQ(DecimalsNeeded(kInf), 0);
  EXPECT_EQ(DecimalsNeeded(-kInf), 0);
  const int forNaN = DecimalsNeeded(kNaN);
  EXPECT_GE(forNaN, 0);
  EXPECT_LE(forNaN, 5);
  EXPECT_EQ(DecimalsNeeded(FLT_MAX), 0);
}

TEST(AxisFormat, LabelFormatMeasuresEveryNumber) {
  const struct {
    int count;
    float first, last;
    int width, decimals;
  } cases[] = {
      {3, -10.0f, 10.0f, 3, 0},  // -10, 0, 10: two digits and the sign
      {5, 0.0f, 1.0f, 4, 2},     // 0 .. 1 by 0.25: "0.25" is four characters
      {11, 0.0f, 10.0f, 2, 0},
      {6, 0.0f, 0.5f, 3, 1},
      {3, -0.5f, 0.5f, 4, 1},  // "-0.5"
      {6, 0.0f, 50.0f, 2, 0},
      {8, -1.0f, 1.0f, 8, 5},  // sevenths need all five decimals: "-0.71429"
      {1, 5.0f, 10.0f, 1, 0},  // a single number: only First
      {0, 123.0f, 1.0f, 3, 0},
      // Falling steps (inverted axes) measure every number as rising ones do.
      {5, 1.0f, 0.0f, 4, 2},
      {3, 10.0f, -10.0f, 3, 0},
      {11, 0.0f, -1.0f, 4, 1},  // "-1.0"
      {6, 50.0f, 0.0f, 2, 0},
      {8, 1.0f, -1.0f, 8, 5},
      // Numbers that print as zero carry no sign, and a carry widens the number.
      {3, -0.0000001f, 0.0000001f, 1, 0},
      {2, -9.9999999f, 0.0f, 3, 0},  // "-10"
  };
  for (const auto& c : cases) {
    const uint16_t format = LabelFormat(c.count, c.first, c.last);
    EXPECT_EQ(format >> 8, c.width) << c.count << " " << c.first << ".." << c.last;
    EXPECT_EQ(format & 0xFF, c.decimals) << c.count << " " << c.first << ".." << c.last;
  }
}

TEST(AxisFormat, LabelFormatEndsOnUnreachableOrInfiniteEnds) {
  // A step too small to change a 32-bit value would never reach Last.
  EXPECT_EQ(LabelFormat(1000, 1e7f, 1e7f + 1.0f), 8 * 256);
  const float ends[][2] = {{kInf, kInf}, {-kInf, kInf}, {0, kInf}, {kNaN, 1}, {1, kNaN},
                           {-FLT_MAX, FLT_MAX}};
  for (const auto& e : ends) {
    const uint16_t format = LabelFormat(5, e[0], e[1]);
    EXPECT_LE(format & 0xFF, 5);
    EXPECT_LE(format >> 8, 47);  // 39 digits, sign, point, five decimals
  }
}

TEST(AxisFormat, EngineeringExponentFactorsOutVerySmallAndLargeAxes) {
  const struct {
    float a, b;
    int expected;
  } cases[] = {
      {0.0001f, 0.0002f, -3},  // the values become 0.1 and 0.2
      {20000.0f, 5.0f, 3},
      {0.002f, 5000.0f, 0},
      {0.0f, 0.0005f, -3},
      {0.0f, 0.002f, 0},  // a small axis needs both ends below 0.001
      {1e-7f, 0.0f, -6},
      {-50000.0f, 50000.0f, 3},
      {0.0f, 1e9f, 6},  // 1e9 becomes 1000
      {0.001f, 10000.0f, 0},
      {0.001f, 10001.0f, 3},
      {0.0005f, 5000.0f, 0},  // outside the band, but neither loop applies
      {FLT_MAX, 0.0f, 36},
      {1.4e-45f, 0.0f, -42},  // the smallest float
  };
  for (const auto& c : cases) EXPECT_EQ(EngineeringExponent(c.a, c.b), c.expected) << c.a << " " << c.b;
}

TEST(AxisFormat, EngineeringExponentEndsForZeroAndInfiniteRanges) {
  EXPECT_EQ(EngineeringExponent(0.0f, 0.0f), 0);
  EXPECT_EQ(EngineeringExponent(0.0f, static_cast<float>(1e-50)), 0);  // 0 as a float
  EXPECT_EQ(EngineeringExponent(-0.0f, 0.0f), 0);
  EXPECT_EQ(EngineeringExponent(0.0f, kInf), 0);
  EXPECT_EQ(EngineeringExponent(-kInf, kInf), 0);
  EXPECT_EQ(EngineeringExponent(kNaN, 1.0f), 0);
}

TEST(AxisFormat, NumberTexts) {
  const struct {
    float value;
    int decimals;
    const char* text;
  } cases[] = {
      {0.0f, 0, "0"},       {2.5f, 1, "2.5"},     {-1.0f, 0, "-1"},      {0.5f, 1, "0.5"},
      {12345.0f, 0, "12345"}, {0.25f, 2, "0.25"}, {-0.0f, 0, "0"},       {-0.001f, 2, "0.00"},
      {10.0f, 1, "10.0"},   {kInf, 0, "INF"},     {-kInf, 2, "-INF"},    {kNaN, 1, "NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(AxisNumberText(c.value, c.decimals), c.text);
}

// Ties round away from zero on the number the value stands for, as RoundToDecimals does;
// the C library would round the binary value half to even.
TEST(AxisFormat, NumberTextsRoundHalfAwayFromZeroOnTheDecimalValue) {
  const struct {
    float value;
    int decimals;
    const char* text;
  } cases[] = {
      {1001.25f, 1, "1001.3"}, {0.125f, 2, "0.13"},   {-2.5f, 0, "-3"},     {2.5f, 0, "3"},
      {0.5f, 0, "1"},          {-0.5f, 0, "-1"},      {-0.0000001f, 2, "0.00"},
      {1.005f, 2, "1.01"},     {2.675f, 2, "2.68"},   {9.995f, 2, "10.00"}, {-0.005f, 2, "-0.01"},
      {0.0049f, 2, "0.00"},    {-0.0049f, 2, "0.00"}, {-1234567.5f, 0, "-1234568"},
      {0.00005f, 4, "0.0001"}, {0.1f, 18, "0.100000000000000000"},
      {1e20f, 0, "100000000000000000000"},  // the float's shortest decimal, not its binary digits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AxisNumberText(c.value, c.decimals), c.text) << c.value << " " << c.decimals;
    if (c.decimals <= 5) {
      EXPECT_EQ(RoundToDecimals(c.decimals, c.value), std::strtof(c.text, nullptr)) << c.value;
    }
  }
}

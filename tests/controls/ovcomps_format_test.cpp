// Number formatting and reading of ovcomps: tables of input, template and exact text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "controls/ovcomps.h"

namespace {

struct RealCase {
  const char* format;
  long double value;
  const char* expected;
};

class RealFormatTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealFormatTest, GivesExactText) {
  const RealCase& c = GetParam();
  EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " of " << c.value;
}

// The status bar's "%7.3g".
INSTANTIATE_TEST_SUITE_P(StatusBarGeneral, RealFormatTest, ::testing::Values(
    RealCase{"%7.3g", 12345.0L, " 1.23E4"},
    RealCase{"%7.3g", 1000.0L, "    1E3"},
    RealCase{"%7.3g", 999.5L, "    1E3"},   // rounds up into four digits
    RealCase{"%7.3g", 999.0L, "    999"},
    RealCase{"%7.3g", 0.5L, "    0.5"},
    RealCase{"%7.3g", 1e20L, "   1E20"},
    RealCase{"%7.3g", 1e-5L, "   1E-5"},
    RealCase{"%7.3g", 0.0001L, " 0.0001"},
    RealCase{"%7.3g", 0.00012345L, "0.000123"},
    RealCase{"%7.3g", -1.0L, "     -1"},
    RealCase{"%7.3g", 1.0L, "      1"},
    RealCase{"%7.3g", 0.0L, "      0"},
    RealCase{"%7.3g", -0.0L, "      0"},
    RealCase{"%7.3g", -123456.0L, "-1.23E5"},
    RealCase{"%7.3g", 1.5e-7L, " 1.5E-7"}));

// General notation with other precisions.
INSTANTIATE_TEST_SUITE_P(General, RealFormatTest, ::testing::Values(
    RealCase{"%16.10g", 12345678901.0L, "   1.23456789E10"},
    RealCase{"%16.10g", 1234.5L, "          1234.5"},
    RealCase{"%16.10g", 2.5L, "             2.5"},
    RealCase{"%16.10g", 0.0L, "               0"},
    RealCase{"%g", 0.1L, "0.1"},
    RealCase{"%g", 1.0L / 3, "0.333333333333333"},
    RealCase{"%g", 2.0L / 3, "0.666666666666667"},
    RealCase{"%g", 1e15L, "1E15"},
    RealCase{"%g", 999999999999999.0L, "999999999999999"},
    RealCase{"%g", 123456789012345678.0L, "1.23456789012346E17"},
    RealCase{"%g", -1e-4L, "-0.0001"},
    RealCase{"%.1g", 123.0L, "1.2E2"},            // precision below 2 counts as 2
    RealCase{"%.0g", 0.25L, "0.25"},
    RealCase{"%.18g", 1.0L / 3, "0.333333333333333333"},
    RealCase{"%.19g", 1.0L / 3, "0.333333333333333"},  // above 18 counts as 15
    RealCase{"%.18g", 0.1L, "0.1"},
    RealCase{"%.3g", 100.0L, "100"},
    RealCase{"%.3g", 120.0L, "120"},
    RealCase{"%.4g", 12.0L, "12"},
    RealCase{"%g", std::numeric_limits<long double>::max(), "1.18973149535723E4932"},
    RealCase{"%g", std::numeric_limits<long double>::denorm_min(), "3.64519953188247E-4951"},
    RealCase{"%g", std::numeric_limits<long double>::min(), "3.36210314311209E-4932"}));

// Values that are ties in decimal round away from zero.
INSTANTIATE_TEST_SUITE_P(HalfAwayFromZero, RealFormatTest, ::testing::Values(
    RealCase{"%.2g", 0.125L, "0.13"},
    RealCase{"%.2g", -0.125L, "-0.13"},
    RealCase{"%.3g", 0.1235L, "0.124"},
    RealCase{"%.0f", 2.5L, "3"},
    RealCase{"%.0f", -2.5L, "-3"},
    RealCase{"%.0f", 0.5L, "1"},
    RealCase{"%.2f", 2.675L, "2.68"},
    RealCase{"%.2f", 1.005L, "1.01"},
    RealCase{"%.4e", 1.0005L, "1.001E+000"}));

INSTANTIATE_TEST_SUITE_P(Scientific, RealFormatTest, ::testing::Values(
    RealCase{"%.5e", 1500.0L, "1.5000E+003"},
    RealCase{"%.2e", 0.0L, "0.0E+000"},
    RealCase{"%e", 1.0L, "1.00000000000000E+000"},
    RealCase{"%.3e", -0.00012345L, "-1.23E-004"},
    RealCase{"%.4e", 9.99996L, "1.000E+001"},
    RealCase{"%12.3e", 5e-10L, "   5.00E-010"},
    RealCase{"%.2e", 1e4000L, "1.0E+4000"},
    RealCase{"%.2e", 1e-4000L, "1.0E-4000"}));

INSTANTIATE_TEST_SUITE_P(Fixed, RealFormatTest, ::testing::Values(
    RealCase{"%f", 3.14159L, "3.14"},
    RealCase{"%.0f", 7.4L, "7"},
    RealCase{"%.3f", -0.0004L, "0.000"},        // rounds to zero: no sign
    RealCase{"%8.3f", 1.5L, "   1.500"},
    RealCase{"%-8.1f|", 1.5L, "1.5     |"},
    RealCase{"%.2f", 0.004L, "0.00"},
    RealCase{"%.2f", 0.005L, "0.01"},
    RealCase{"%.1f", 99.96L, "100.0"},
    RealCase{"%.2f", 123456789012345678.0L, "123456789012345678.00"},
    RealCase{"%f", 1e19L, "1E19"},              // more than 18 digits: general, p = 18
    RealCase{"%.2f", 999999999999999999.9L, "1E18"},
    RealCase{"%.25f", 0.1L, "0.1000000000000000000000000"},
    RealCase{"%.2f", 1e-4000L, "0.00"}));

INSTANTIATE_TEST_SUITE_P(NonFinite, RealFormatTest, ::testing::Values(
    RealCase{"%g", std::numeric_limits<long double>::quiet_NaN(), "NAN"},
    RealCase{"%7.3g", std::numeric_limits<long double>::infinity(), "    INF"},
    RealCase{"%-6e|", -std::numeric_limits<long double>::infinity(), "-INF  |"},
    RealCase{"%.2f", std::numeric_limits<long double>::quiet_NaN(), "NAN"},
    RealCase{"%d", std::numeric_limits<long double>::infinity(), "INF"}));

struct TemplateCase {
  const char* format;
  std::vector<TFormatArg> args;
  const char* expected;
};

class TemplateTest : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateTest, GivesExactText) {
  const TemplateCase& c = GetParam();
  EXPECT_EQ(FormatText(c.format, c.args), c.expected) << c.format;
}

INSTANTIATE_TEST_SUITE_P(Templates, TemplateTest, ::testing::Values(
    TemplateCase{"%d", {42}, "42"},
    TemplateCase{"%3d", {7}, "  7"},
    TemplateCase{"%-3d|", {7}, "7  |"},
    TemplateCase{"%d", {-5}, "-5"},
    TemplateCase{"%.3d", {7}, "007"},
    TemplateCase{"%5.3d", {-7}, " -007"},
    TemplateCase{"%d", {std::numeric_limits<int64_t>::min()}, "-9223372036854775808"},
    TemplateCase{"%d", {12.7L}, "12"},
    TemplateCase{"%d", {-12.7L}, "-12"},
    TemplateCase{"%g", {3}, "3"},
    TemplateCase{"%D %G", {3, 0.5}, "3 0.5"},
    TemplateCase{"%*.*g", {10, 4, 1234.56L}, "      1235"},
    TemplateCase{"%*.*e", {10, 4, 1234.56L}, "1.235E+003"},
    TemplateCase{"%*.*f", {8, 1, 2.25L}, "     2.3"},
    TemplateCase{"%*d", {-5, 7}, "7    "},         // negative width: left aligned
    TemplateCase{"%.*g", {-1, 1.0L / 3}, "0.333333333333333"},  // negative precision: none
    TemplateCase{"x=%d, y=%5.1f.", {1, 2.0L}, "x=1, y=  2.0."},
    TemplateCase{"100%%", {}, "100%"},
    TemplateCase{"abc%", {}, "abc%"},
    TemplateCase{"%x %d", {5}, "%x 5"},
    TemplateCase{"%5", {1}, "%5"},
    TemplateCase{"%+d", {1}, "%+d"},
    TemplateCase{"%d", {}, "%d"},
    TemplateCase{"x=%d y=%d", {1}, "x=1 y=%d"},
    TemplateCase{"%*.*g", {}, "%*.*g"},
    TemplateCase{"plain", {1}, "plain"}));

TEST(FormatLimits, HugeWidthAndPrecisionAreCut) {
  const std::string wide = FormatText("%2000000000d", {1});
  ASSERT_EQ(wide.size(), static_cast<size_t>(kMaxFormatWidth));
  EXPECT_EQ(wide.back(), '1');
  EXPECT_EQ(FormatText("%99999999999999999999999d|", {1}).size(),
            static_cast<size_t>(kMaxFormatWidth) + 1);

  const std::string fixed = FormatText("%*.*f", {2147483647, 2147483647, 1.0L});
  ASSERT_EQ(fixed.size(), static_cast<size_t>(kMaxFormatWidth) + 2);  // "1." and the digits
  EXPECT_EQ(fixed.substr(0, 4), "1.00");
  EXPECT_EQ(fixed.find_first_not_of("0", 2), std::string::npos);

  EXPECT_EQ(FormatText("%*.*g", {1e300L, 1e300L, 0.5L}).size(),
            static_cast<size_t>(kMaxFormatWidth));
  EXPECT_EQ(FormatText("%*g", {std::numeric_limits<long double>::quiet_NaN(), 0.5L}), "0.5");
  EXPECT_EQ(FormatText("%.*d", {5000, 1}).size(), static_cast<size_t>(kMaxFormatWidth));
}

TEST(FloatToStrTest, SystemFileNumbers) {
  EXPECT_EQ(FloatToStr(0.5L), "0.5");
  EXPECT_EQ(FloatToStr(1e20L), "1E20");
  EXPECT_EQ(FloatToStr(-0.00001L), "-1E-5");
  EXPECT_EQ(FloatToStr(123456.0L), "123456");
  EXPECT_EQ(FloatToStr(-1.0L), "-1");
  EXPECT_EQ(FloatToStr(0.0L), "0");
  EXPECT_EQ(FloatToStr(0.0001L), "0.0001");
  EXPECT_EQ(FloatToStr(123456789012345.0L), "123456789012345");
  EXPECT_EQ(FloatToStr(1234567890123456.0L), "1.23456789012346E15");
  EXPECT_EQ(FloatToStr(1e-300L), "1E-300");
}

// ---------------------------------------------------------------------------------------------

struct ReadCase {
  const char* text;
  bool valid;
  long double value;
};

class TryReadRealTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TryReadRealTest, FollowsEditGrammar) {
  const ReadCase& c = GetParam();
  const std::optional<long double> v = TryReadReal(c.text);
  ASSERT_EQ(v.has_value(), c.valid) << '"' << c.text << '"';
  if (c.valid) {
    EXPECT_EQ(*v, c.value) << '"' << c.text << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(EditGrammar, TryReadRealTest, ::testing::Values(
    ReadCase{"1.5e3", true, 1500.0L},
    ReadCase{"   12", true, 12.0L},
    ReadCase{"+.5", true, 0.5L},
    ReadCase{"-2.", true, -2.0L},
    ReadCase{".", true, 0.0L},
    ReadCase{"E5", true, 0.0L},
    ReadCase{"-e5", true, 0.0L},
    ReadCase{".E-3", true, 0.0L},
    ReadCase{"1E+2", true, 100.0L},
    ReadCase{"0.0", true, 0.0L},
    ReadCase{"12 ", false, 0},
    ReadCase{"", false, 0},
    ReadCase{"   ", false, 0},
    ReadCase{"-", false, 0},
    ReadCase{"+", false, 0},
    ReadCase{"1e", false, 0},
    ReadCase{"1e+", false, 0},
    ReadCase{"E", false, 0},
    ReadCase{"1-2", false, 0},
    ReadCase{"e.5", false, 0},
    ReadCase{"1,5", false, 0},
    ReadCase{"\t1", false, 0},
    ReadCase{"1..2", false, 0},
    ReadCase{"--1", false, 0},
    ReadCase{"abc", false, 0},
    ReadCase{"1e5000", false, 0},       // beyond the 80-bit range
    ReadCase{"1e-5000", true, 0.0L}));

// The conversion gives the nearest 80-bit value, as the compiler does for the same literal.
INSTANTIATE_TEST_SUITE_P(CorrectlyRounded, TryReadRealTest, ::testing::Values(
    ReadCase{"0.1", true, 0.1L},
    ReadCase{"0.3", true, 0.3L},
    ReadCase{"2.675", true, 2.675L},
    ReadCase{"1e-300", true, 1e-300L},
    ReadCase{"123456.789e-10", true, 123456.789e-10L},
    ReadCase{"0.333333333333333", true, 0.333333333333333L},
    ReadCase{"18446744073709551615", true, 18446744073709551615.0L},
    ReadCase{"18446744073709551617", true, 18446744073709551617.0L},   // tie: to even
    ReadCase{"36893488147419103231", true, 36893488147419103231.0L},
    ReadCase{"1.18973149535723176502e4932", true, std::numeric_limits<long double>::max()},
    ReadCase{"1.18973149535723176509e4932", false, 0},  // rounds to infinity
    ReadCase{"3.6451995318824746025e-4951", true, std::numeric_limits<long double>::denorm_min()},
    ReadCase{"1.9e-4951", true, std::numeric_limits<long double>::denorm_min()},
    ReadCase{"1.7e-4951", true, 0.0L},
    ReadCase{"3.3621031431120935063e-4932", true, std::numeric_limits<long double>::min()},
    ReadCase{"1.2345678901234567890123456789e-4940", true, 1.2345678901234567890123456789e-4940L}));

TEST(TryReadRealLongTexts, ManyDigitsAreExact) {
  EXPECT_EQ(TryReadReal("1" + std::string(4000, '0')), 1e4000L);
  EXPECT_EQ(TryReadReal("0." + std::string(3999, '0') + "1"), 1e-4000L);
  EXPECT_EQ(TryReadReal(std::string(5000, '0') + "7"), 7.0L);
  // 1 + 2^-64 is the tie between 1 and the next value; any digit after it rounds up.
  const std::string tie = "1.0000000000000000000542101086242752217003726400434970855712890625";
  EXPECT_EQ(TryReadReal(tie), 1.0L);
  EXPECT_EQ(TryReadReal(tie + std::string(3000, '0') + "1"),
            1.0L + std::numeric_limits<long double>::epsilon());
  EXPECT_FALSE(TryReadReal("1e99999999999999999999").has_value());
  EXPECT_EQ(TryReadReal("1e-99999999999999999999"), 0.0L);
}

TEST(TryReadRealSign, NegativeZeroIsZero) {
  const std::optional<long double> v = TryReadReal("-0");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(*v, 0.0L);
  EXPECT_TRUE(std::signbit(*v));
}

TEST(RoundTrip, FifteenDigitTextsSurviveReadAndWrite) {
  for (const char* text : {"0.1", "0.333333333333333", "123456.789012345", "-9.87654321098765E-200",
                           "1.23456789012346E4000", "999999999999999"}) {
    const std::optional<long double> v = TryReadReal(text);
    ASSERT_TRUE(v.has_value()) << text;
    EXPECT_EQ(FloatToStr(*v), text);
  }
}

TEST(TryStrToFloatTest, PlainNumberGrammar) {
  EXPECT_EQ(TryStrToFloat(" 1.5 "), 1.5L);
  EXPECT_EQ(TryStrToFloat("5."), 5.0L);
  EXPECT_EQ(TryStrToFloat(".5"), 0.5L);
  EXPECT_EQ(TryStrToFloat("-1E-5"), -1e-5L);
  EXPECT_EQ(TryStrToFloat("+2e+3  "), 2000.0L);
  for (const char* bad :
       {".", "E5", "-", "", "  ", "1E", "abc", "1 2", "1,5", "0x10", "1e5000", "\t1"})
    EXPECT_FALSE(TryStrToFloat(bad).has_value()) << '"' << bad << '"';
}

TEST(TryReadIntegerTest, IntegerFieldGrammar) {
  EXPECT_EQ(TryReadInteger(" 12"), 12);
  EXPECT_EQ(TryReadInteger("+7"), 7);
  EXPECT_EQ(TryReadInteger("-2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TryReadInteger("2147483647"), std::numeric_limits<int32_t>::max());
  for (const char* bad : {"2147483648", "-2147483649", "99999999999999999999999", "12 ", "1.0",
                          "", " ", "-", "1e2", "0x10", "$10"})
    EXPECT_FALSE(TryReadInteger(bad).has_value()) << '"' << bad << '"';
}

TEST(TrimBlanksTest, RemovesSpacesOnBothSides) {
  EXPECT_EQ(TrimBlanks("  1.5 "), "1.5");
  EXPECT_EQ(TrimBlanks("    "), "");
  EXPECT_EQ(TrimBlanks("a b"), "a b");
}

}  // namespace

// The decisions of the numeric edit fields: character filter, check codes, Value, messages.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "controls/ovcomps.h"

namespace {

// Sets ProductOptions for one test and puts the old ones back.
class ProductOptionsScope {
 public:
  explicit ProductOptionsScope(const TOVOptions& options) : saved_(ProductOptions) {
    ProductOptions = options;
  }
  ~ProductOptionsScope() { ProductOptions = saved_; }
  ProductOptionsScope(const ProductOptionsScope&) = delete;
  ProductOptionsScope& operator=(const ProductOptionsScope&) = delete;

 private:
  TOVOptions saved_;
};

TOVOptions Notation(int notation, int width, int precision) {
  TOVOptions o;
  o.FloatNotation = static_cast<uint8_t>(notation);
  o.FloatWidth = static_cast<uint8_t>(width);
  o.FloatPrecision = static_cast<uint8_t>(precision);
  return o;
}

// A string library that holds the given texts.
TResTextLookup Library(std::map<int, std::string> texts) {
  return [texts](int id) {
    auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
  };
}

TEST(AcceptsChar, RealFieldLetsThroughNumberCharactersOnly) {
  const std::string accepted = "\b+-.0123456789Ee";
  for (int c = -128; c < 128; ++c) {
    const char ch = static_cast<char>(c);
    EXPECT_EQ(RealAcceptsChar(ch), accepted.find(ch) != std::string::npos && ch != 0) << c;
  }
}

TEST(AcceptsChar, IntegerFieldLetsThroughSignsAndDigitsOnly) {
  const std::string accepted = "\b+-0123456789";
  for (int c = -128; c < 128; ++c) {
    const char ch = static_cast<char>(c);
    EXPECT_EQ(IntegerAcceptsChar(ch), accepted.find(ch) != std::string::npos && ch != 0) << c;
  }
}

struct CheckCase {
  long double min, max;
  bool zeroAllowed;
  const char* text;
  int code;
};

class RealCheckTextTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(RealCheckTextTest, GivesCode) {
  const CheckCase& c = GetParam();
  TRealEditData field;
  field.MinValue = c.min;
  field.MaxValue = c.max;
  field.IsZeroAllowed = c.zeroAllowed;
  EXPECT_EQ(field.CheckText(c.text), c.code) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Codes, RealCheckTextTest, ::testing::Values(
    CheckCase{0, 0, true, "1e300", ccAccepted},
    CheckCase{0, 0, true, "-1e300", ccAccepted},
    CheckCase{0, 5, true, "7", ccTooLarge},
    CheckCase{0, 5, true, "-1", ccTooSmall},
    CheckCase{0, 5, true, "abc", ccNoNumber},
    CheckCase{0, 5, true, "", ccNoNumber},
    CheckCase{0, 5, true, "5", ccAccepted},
    CheckCase{0, 5, true, "0", ccAccepted},
    CheckCase{0, 5, true, "1-2", ccNoNumber},
    CheckCase{0, 0, false, "0", ccZeroRefused},
    CheckCase{0, 0, false, "0.0", ccZeroRefused},
    CheckCase{0, 0, false, "-0", ccZeroRefused},
    CheckCase{0, 0, false, ".", ccZeroRefused},
    CheckCase{-1, 1, false, "0", ccZeroRefused},
    CheckCase{1, 5, false, "0", ccTooSmall},      // the range wins over the zero rule
    CheckCase{10, 1, true, "5", ccTooSmall},      // inverted range: every number fails
    CheckCase{10, 1, true, "0", ccTooSmall},
    CheckCase{10, 1, true, "10", ccTooLarge},
    CheckCase{10, 1, true, "20", ccTooLarge},
    CheckCase{0, 1e-20L, true, "2e-20", ccTooLarge}));

class IntegerCheckTextTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(IntegerCheckTextTest, GivesCode) {
  const CheckCase& c = GetParam();
  TIntegerEditData field;
  field.MinValue = static_cast<int32_t>(c.min);
  field.MaxValue = static_cast<int32_t>(c.max);
  field.IsZeroAllowed = c.zeroAllowed;
  EXPECT_EQ(field.CheckText(c.text), c.code) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Codes, IntegerCheckTextTest, ::testing::Values(
    CheckCase{0, 100, true, "101", ccTooLarge},
    CheckCase{0, 100, true, "0", ccAccepted},
    CheckCase{0, 100, true, "-1", ccTooSmall},
    CheckCase{0, 100, true, "12.5", ccAccepted},   // read as a real number
    CheckCase{0, 100, true, "1e2", ccAccepted},
    CheckCase{0, 100, true, "100.5", ccTooLarge},
    CheckCase{0, 100, true, "abc", ccNoNumber},
    CheckCase{1, 10, true, "0", ccTooSmall},
    CheckCase{0, 0, true, "99999999999", ccAccepted},
    CheckCase{0, 0, false, "0", ccZeroRefused},
    CheckCase{0, 2147483647.0L, true, "2147483647.5", ccTooLarge},
    CheckCase{-2147483648.0L, 0, true, "-2147483648.5", ccTooSmall}));

TEST(RealValue, ReadingKeepsLastValueForBadOrOutOfRangeText) {
  TRealEditData field;
  field.MinValue = 0;
  field.MaxValue = 5;
  field.LastValue = 2;
  EXPECT_EQ(field.ValueFromText("3"), 3.0L);
  EXPECT_EQ(field.ValueFromText("7"), 2.0L);
  EXPECT_EQ(field.ValueFromText("-1"), 2.0L);
  EXPECT_EQ(field.ValueFromText("abc"), 2.0L);
  EXPECT_EQ(field.ValueFromText(""), 2.0L);
  field.IsZeroAllowed = false;
  EXPECT_EQ(field.ValueFromText("0"), 0.0L);  // reading ignores the zero rule
  field.MinValue = field.MaxValue = 0;
  EXPECT_EQ(field.ValueFromText("1.5e3"), 1500.0L);
}

TEST(IntegerValue, ReadingNeedsAnIntegerInRange) {
  TIntegerEditData field;
  field.MinValue = 0;
  field.MaxValue = 100;
  field.LastValue = 5;
  EXPECT_EQ(field.ValueFromText(" 42"), 42);
  EXPECT_EQ(field.ValueFromText("12.5"), 5);  // passes the check but is no integer
  EXPECT_EQ(field.ValueFromText("101"), 5);
  EXPECT_EQ(field.ValueFromText("42 "), 5);
  EXPECT_EQ(field.ValueFromText("1e1"), 5);
  field.MinValue = field.MaxValue = 0;
  EXPECT_EQ(field.ValueFromText("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(field.ValueFromText("2147483648"), 5);
}

TEST(RealValue, WritingUsesFormatAndNoBlanks) {
  TRealEditData field;
  EXPECT_EQ(field.TextForValue(2.5L), "2.5");
  EXPECT_EQ(field.TextForValue(0.0L), "0");
  EXPECT_EQ(field.TextForValue(12345678901.0L), "1.23456789E10");
  field.NoBlanks = false;
  EXPECT_EQ(field.TextForValue(0.0L), std::string(15, ' ') + "0");
  field.Format = "[%-6.2f]";
  EXPECT_EQ(field.TextForValue(1.5L), "[1.50  ]");
  field.MinValue = 1;  // writing checks neither range nor zero
  field.MaxValue = 2;
  field.Format = "%g";
  EXPECT_EQ(field.TextForValue(-7.0L), "-7");
}

TEST(RealValue, DefaultFormatInAnyCaseUsesProductOptions) {
  ProductOptionsScope scope(Notation(1, 10, 4));
  TRealEditData field;
  for (const char* format : {"DEFAULT", "default", "Default", "dEfAuLt"}) {
    field.Format = format;
    EXPECT_EQ(field.TextForValue(1234.56L), "1.235E+003") << format;
  }
  field.Format = "DEFAULTS";  // not the word: used as a template, without conversions
  EXPECT_EQ(field.TextForValue(1234.56L), "DEFAULTS");
}

TEST(IntegerValue, WritingUsesFormatAndNoBlanks) {
  TIntegerEditData field;
  EXPECT_EQ(field.TextForValue(7), "7");
  field.NoBlanks = false;
  EXPECT_EQ(field.TextForValue(7), "  7");
  EXPECT_EQ(field.TextForValue(-1234), "-1234");
  field.Format = "DEFAULT";  // no default format for integers
  EXPECT_EQ(field.TextForValue(7), "DEFAULT");
}

struct DefaultCase {
  int notation, width, precision;
  long double value;
  bool trim;
  const char* expected;
};

class DefaultFloatToStrTest : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultFloatToStrTest, FollowsProductOptions) {
  const DefaultCase& c = GetParam();
  EXPECT_EQ(DefaultFloatToStr(c.value, c.trim, Notation(c.notation, c.width, c.precision)),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(Notations, DefaultFloatToStrTest, ::testing::Values(
    DefaultCase{0, 16, 12, 1.0L / 3, true, "0.333333333333"},
    DefaultCase{0, 16, 12, 1.0L / 3, false, "  0.333333333333"},
    DefaultCase{0, 16, 12, 1e20L, true, "1E20"},
    DefaultCase{1, 10, 4, 1234.56L, true, "1.235E+003"},
    DefaultCase{2, 16, 12, 1.5L, true, "1.500000000000"},
    DefaultCase{2, 8, 2, -1.5L, false, "   -1.50"},
    DefaultCase{3, 8, 3, 1234.56L, false, "  1.23E3"},    // unknown notation: general
    DefaultCase{255, 0, 0, 0.125L, true, "0.13"},
    DefaultCase{0, 255, 255, 0.5L, true, "0.5"}));

TEST(DefaultFloatToStrGlobal, ReadsProductOptions) {
  EXPECT_EQ(DefaultFloatToStr(1.0L / 3, true), "0.333333333333");
  ProductOptionsScope scope(Notation(2, 6, 1));
  EXPECT_EQ(DefaultFloatToStr(2.25L, false), "   2.3");
}

// ---------------------------------------------------------------------------------------------

TEST(RangeMessageBuiltIn, NoRange) {
  TRealEditData field;
  const TMessageBoxData box = field.RangeMessage(nullptr);
  EXPECT_EQ(box.Text, "Zul\xE4ssiger Wertebereich:\n\rkeine Einschr\xE4nkungen");
  EXPECT_EQ(box.Caption, "Zul\xE4ssiger Wertebereich");
  EXPECT_EQ(box.Owner, TMessageOwner::None);
  EXPECT_EQ(box.Style, 0x30u);
}

TEST(RangeMessageBuiltIn, IntegerRangeAndZeroNote) {
  TIntegerEditData field;
  field.MinValue = 1;
  field.MaxValue = 10;
  EXPECT_EQ(field.RangeMessage(nullptr).Text, "Zul\xE4ssiger Wertebereich:\n\rvon: 1\n\rbis: 10");
  field.MinValue = -5;
  field.IsZeroAllowed = false;
  EXPECT_EQ(field.RangeMessage(nullptr).Text,
            "Zul\xE4ssiger Wertebereich:\n\rvon: -5\n\rbis: 10\r\n(Wert 0 nicht erlaubt)");
  field.MinValue = field.MaxValue = 0;
  EXPECT_EQ(field.RangeMessage(nullptr).Text,
            "Zul\xE4ssiger Wertebereich:\n\rkeine Einschr\xE4nkungen\r\n(Wert 0 nicht erlaubt)");
}

TEST(RangeMessageBuiltIn, RealBoundsUseDefaultFormat) {
  TRealEditData field;
  field.MinValue = -0.5L;
  field.MaxValue = 1.0L / 3;
  EXPECT_EQ(field.RangeMessage(nullptr).Text,
            "Zul\xE4ssiger Wertebereich:\n\rvon: -0.5\n\rbis: 0.333333333333");
  ProductOptionsScope scope(Notation(1, 10, 4));
  EXPECT_EQ(field.RangeMessage(nullptr).Text,
            "Zul\xE4ssiger Wertebereich:\n\rvon: -5.000E-001\n\rbis: 3.333E-001");
}

TEST(RangeMessageLibrary, TextsComeFromTheLibrary) {
  const TResTextLookup lib = Library({{1011, "Range"}, {1316, "from "}, {1317, "to "},
                                      {1551, "no limits"}, {1552, "(no 0)"}});
  TIntegerEditData field;
  TMessageBoxData box = field.RangeMessage(lib);
  EXPECT_EQ(box.Text, "Range:\n\rno limits");
  EXPECT_EQ(box.Caption, "Range");
  EXPECT_EQ(box.Owner, TMessageOwner::FieldParent);
  EXPECT_EQ(box.Style, 0x30u);
  field.MinValue = 0;
  field.MaxValue = 100;
  field.IsZeroAllowed = false;
  EXPECT_EQ(field.RangeMessage(lib).Text, "Range:\n\rfrom 0\n\rto 100\r\n(no 0)");
}

TEST(RangeMessageLibrary, MissingTextsLeaveEmptyParts) {
  TIntegerEditData field;
  field.MinValue = 1;
  field.MaxValue = 2;
  field.IsZeroAllowed = false;
  const TMessageBoxData box = field.RangeMessage(Library({}));
  EXPECT_EQ(box.Text, ":\n\r1\n\r2\r\n");
  EXPECT_EQ(box.Caption, "");
}

TEST(ValueErrorMessageTest, BuiltInTexts) {
  const char* const expected[] = {"Falsches Zahlenformat", "Zahlenwert zu gro\xDF",
                                  "Zahlenwert zu klein", "Zahlenwert 0 nicht erlaubt"};
  for (int code = 1; code <= 4; ++code) {
    const std::optional<TMessageBoxData> box = ValueErrorMessage(code, nullptr);
    ASSERT_TRUE(box.has_value()) << code;
    EXPECT_EQ(box->Text, expected[code - 1]);
    EXPECT_EQ(box->Caption, "Fehler");
    EXPECT_EQ(box->Owner, TMessageOwner::FieldParent);
    EXPECT_EQ(box->Style, 0x30u);
  }
  for (int code : {0, 5, -1, 0x7F09})
    EXPECT_FALSE(ValueErrorMessage(code, nullptr).has_value()) << code;
}

TEST(ValueErrorMessageTest, LibraryTextsAndFallback) {
  EXPECT_EQ(ValueErrorTextId(1), 1553);
  EXPECT_EQ(ValueErrorTextId(4), 1556);
  EXPECT_EQ(ValueErrorTextId(5), 0);
  const TResTextLookup full =
      Library({{1002, "Error"}, {1553, "bad"}, {1554, "big"}, {1555, "small"}, {1556, "zero"}});
  const std::optional<TMessageBoxData> box = ValueErrorMessage(2, full);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->Text, "big");
  EXPECT_EQ(box->Caption, "Error");
  EXPECT_EQ(box->Owner, TMessageOwner::Application);
  EXPECT_FALSE(ValueErrorMessage(0, full).has_value());

  const std::optional<TMessageBoxData> noCaption = ValueErrorMessage(1, Library({{1553, "bad"}}));
  ASSERT_TRUE(noCaption.has_value());
  EXPECT_EQ(noCaption->Text, "String-Resource nicht gefunden!");
  EXPECT_EQ(noCaption->Caption, "Fehler");
  EXPECT_EQ(noCaption->Style, 0x30u);
  const std::optional<TMessageBoxData> noText = ValueErrorMessage(3, Library({{1002, "Error"}}));
  ASSERT_TRUE(noText.has_value());
  EXPECT_EQ(noText->Text, "String-Resource nicht gefunden!");
}

}  // namespace

// Conversion of the product's registry values into TOVOptions.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "product/OVConfig.h"
#include "support/DefaultOptions.h"

namespace {

struct IntCase {
  const char* text;
  std::optional<int32_t> expected;
};

class OptionTextToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(OptionTextToIntTest, ReadsText) {
  EXPECT_EQ(OptionTextToInt(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, OptionTextToIntTest, ::testing::Values(
    IntCase{"3", 3},
    IntCase{"0x2", 2},
    IntCase{"0X1f", 31},
    IntCase{"$1F", 31},
    IntCase{"$ff", 255},
    IntCase{"  -5", -5},
    IntCase{"+7", 7},
    IntCase{"300", 300},
    IntCase{"0", 0},
    IntCase{"00", 0},
    IntCase{"-2147483648", -2147483647 - 1},
    IntCase{"2147483647", 2147483647},
    IntCase{"$FFFFFFFF", -1},
    IntCase{"0x80000000", -2147483647 - 1},
    IntCase{"$000000001", 1},
    IntCase{"abc", std::nullopt},
    IntCase{"", std::nullopt},
    IntCase{"  ", std::nullopt},
    IntCase{"-", std::nullopt},
    IntCase{"0x", std::nullopt},
    IntCase{"$", std::nullopt},
    IntCase{"$G", std::nullopt},
    IntCase{"0xZ1", std::nullopt},
    IntCase{"$100000000", std::nullopt},
    IntCase{"2147483648", std::nullopt},
    IntCase{"-2147483649", std::nullopt},
    IntCase{"99999999999999999999", std::nullopt},
    IntCase{"5 ", std::nullopt},
    IntCase{"1.5", std::nullopt},
    IntCase{" $1F", std::nullopt},
    IntCase{"-$1F", std::nullopt}));

using Registry = std::map<std::string, std::string>;

TOptionLookup LookupIn(const Registry& values) {
  return [values](const char* name) -> std::optional<std::string> {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

TEST(OptionsFromLookupTest, EmptyRegistryGivesDefaults) {
  ExpectDefaultOptions(OptionsFromLookup(LookupIn({})));
  ExpectDefaultOptions(OptionsFromLookup(nullptr));
}

TEST(OptionsFromLookupTest, UnreadableNumbersGiveDefaults) {
  Registry r;
  for (const std::string& name : OptionValueNames()) r[name] = "abc";
  TOVOptions o = OptionsFromLookup(LookupIn(r));
  EXPECT_EQ(o.DefaultUser, "abc");
  EXPECT_EQ(o.TempPath, "abc");
  o.DefaultUser = o.DefaultDepartment = "";
  o.TempPath = "C:\\TEMP";
  ExpectDefaultOptions(o);
}

TEST(OptionsFromLookupTest, ConvertsEachKind) {
  const TOVOptions o = OptionsFromLookup(LookupIn({
      {"Default Grid Mode", "0x2"},
      {"Default Float Width", "300"},        // low 8 bits: 44
      {"Default Float Precision", "-1"},     // low 8 bits: 255
      {"Default Float Notation", "$1F"},
      {"Default Line Width", "  -5"},        // 251
      {"Auto Info Open", "2"},
      {"Auto Info Save", "0"},
      {"Tooltip Help", "abc"},               // default true
      {"Create Bak Files", "-1"},
      {"Temp Path", ""},
      {"Default User", " Hans Muster "},
      {"Default Department", "Entwicklung"},
      {"Default Color 0", "$00FF00"},
      {"Default Color 5", "-1"},
      {"Default Color 9", "0xFF123456"},
      {"Default Color 15", "abc"},
  }));
  EXPECT_EQ(o.DefaultGridMode, 2);
  EXPECT_EQ(o.FloatWidth, 44);
  EXPECT_EQ(o.FloatPrecision, 255);
  EXPECT_EQ(o.FloatNotation, 31);
  EXPECT_EQ(o.DefaultLineWidth, 251);
  EXPECT_TRUE(o.AutoInfoOpen);
  EXPECT_FALSE(o.AutoInfoSave);
  EXPECT_TRUE(o.TooltipHelp);
  EXPECT_TRUE(o.CreateBakFiles);
  EXPECT_EQ(o.TempPath, "");
  EXPECT_EQ(o.DefaultUser, " Hans Muster ");
  EXPECT_EQ(o.DefaultDepartment, "Entwicklung");
  EXPECT_EQ(o.DefaultColors[0], 0x00FF00u);
  EXPECT_EQ(o.DefaultColors[5], 0xFFFFFFFFu);  // colours keep all 32 bits
  EXPECT_EQ(o.DefaultColors[9], 0xFF123456u);
  EXPECT_EQ(o.DefaultColors[15], 0xFFFFFFu);
  EXPECT_EQ(o.DefaultColors[1], 0xFF0000u);
}

TEST(OptionsFromLookupTest, GridModeTexts) {
  EXPECT_EQ(OptionsFromLookup(LookupIn({{"Default Grid Mode", "3"}})).DefaultGridMode, 3);
  EXPECT_EQ(OptionsFromLookup(LookupIn({{"Default Grid Mode", "0x2"}})).DefaultGridMode, 2);
  EXPECT_EQ(OptionsFromLookup(LookupIn({{"Default Grid Mode", "abc"}})).DefaultGridMode, 0);
}

TEST(OptionsFromLookupTest, AsksForEveryValueOnceInOrder) {
  std::vector<std::string> asked;
  OptionsFromLookup([&asked](const char* name) -> std::optional<std::string> {
    asked.emplace_back(name);
    return std::nullopt;
  });
  const std::vector<std::string> expected = {
      "Auto Info Open", "Auto Info Save", "Create Bak Files", "Tooltip Help", "Default User",
      "Default Department", "Temp Path", "Default Line Width", "Default Grid Mode",
      "Default Float Width", "Default Float Precision", "Default Float Notation",
      "Default Color 0", "Default Color 1", "Default Color 2", "Default Color 3",
      "Default Color 4", "Default Color 5", "Default Color 6", "Default Color 7",
      "Default Color 8", "Default Color 9", "Default Color 10", "Default Color 11",
      "Default Color 12", "Default Color 13", "Default Color 14", "Default Color 15"};
  EXPECT_EQ(asked, expected);
  EXPECT_EQ(OptionValueNames(), expected);
}

}  // namespace

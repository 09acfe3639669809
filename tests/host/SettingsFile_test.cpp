#include "host/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
  std::string text;
  for (const std::string& l : lines) text += l + end;
  return text;
}

const std::vector<std::string> kMap = {"1000", "6000", "0",  "250", "12",
                                       "14",   "80",   "78", "1",   "engine map.wmf"};

TEST(SettingsFile, ReadsTheTenLinesAsTheBlockDoes) {
  const std::string text = Join(kMap, "\r\n");
  const TSettingsFile f = CheckSettingsText(text);
  ASSERT_TRUE(f.Ok) << f.Message;
  EXPECT_TRUE(f.SameAsFile);
  EXPECT_EQ(f.Lines, text);
  EXPECT_EQ(f.Settings.XMin, 1000);
  EXPECT_EQ(f.Settings.YMax, 250);
  EXPECT_EQ(f.Settings.OriginY, 14);
  EXPECT_EQ(f.Settings.SizeY, 78);
  EXPECT_TRUE(f.Settings.ShowAxes);
  EXPECT_EQ(f.Settings.BackgroundFile, "engine map.wmf");
}

TEST(SettingsFile, LineEndsOfOtherSystemsBecomeCrLf) {
  const std::string crlf = Join(kMap, "\r\n");
  struct Case {
    const char* name;
    std::string text;
    bool same;
  };
  const Case cases[] = {
      {"LF", Join(kMap, "\n"), false},
      {"no end after the tenth line", crlf.substr(0, crlf.size() - 2), false},
      {"lines of other blocks after the tenth", crlf + "-1\r\n1\r\n", true},
      {"mixed", "1000\n6000\r\n0\n250\r\n12\n14\n80\n78\n1\nengine map.wmf\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TSettingsFile f = CheckSettingsText(c.text);
    ASSERT_TRUE(f.Ok) << f.Message;
    EXPECT_EQ(f.Lines, crlf);
    EXPECT_EQ(f.SameAsFile, c.same);
    EXPECT_EQ(f.Settings.BackgroundFile, "engine map.wmf");
  }
}

TEST(SettingsFile, NamesTheLineThatIsWrong) {
  struct Case {
    int line;
    std::string value;
    int failing;
    const char* message;
  };
  const Case cases[] = {
      {3, "abc", 3, "YMin: 'abc' is not a number"},
      {1, "1,5", 1, "XMin: '1,5'"},
      {5, "12.5", 5, "OriginX: '12.5' is not an integer"},
      {8, "", 8, "SizeY: '' is not an integer"},
      {9, "yes", 9, "ShowAxes"},
      {7, "99999999999", 7, "SizeX"},
      {2, std::string(998, '1'), 2, "XMax line longer than 997"},
      {10, std::string(998, 'a'), 10, "BackgroundFile line longer than 997"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> lines = kMap;
    lines[c.line - 1] = c.value;
    const TSettingsFile f = CheckSettingsText(Join(lines, "\r\n"));
    EXPECT_FALSE(f.Ok);
    EXPECT_EQ(f.Line, c.failing);
    EXPECT_NE(f.Message.find(c.message), std::string::npos) << f.Message;
  }
}

TEST(SettingsFile, AShortFileSaysHowManyLinesItHas) {
  std::vector<std::string> nine(kMap.begin(), kMap.begin() + 9);
  const TSettingsFile f = CheckSettingsText(Join(nine, "\r\n"));
  EXPECT_FALSE(f.Ok);
  EXPECT_EQ(f.Line, 10);
  EXPECT_NE(f.Message.find("after 9 of 10 lines"), std::string::npos) << f.Message;
  const TSettingsFile empty = CheckSettingsText("");
  EXPECT_FALSE(empty.Ok);
  EXPECT_EQ(empty.Line, 1);
}

TEST(SettingsFile, ValuesAreTakenAsTheBlockTakesThem) {
  std::vector<std::string> lines = kMap;
  lines[0] = "  -1E-5 ";  // blanks around a real number
  lines[4] = "-20";       // percentages are not checked against a range
  lines[8] = "256";       // ShowAxes from the low byte: off
  lines[9] = "";          // no background picture
  const TSettingsFile f = CheckSettingsText(Join(lines, "\r\n"));
  ASSERT_TRUE(f.Ok) << f.Message;
  EXPECT_EQ(f.Settings.XMin, -1E-5L);
  EXPECT_EQ(f.Settings.OriginX, -20);
  EXPECT_FALSE(f.Settings.ShowAxes);
  EXPECT_EQ(f.Settings.BackgroundFile, "");
}

}  // namespace

// The block's ten lines in the host's system file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block/Trazel32.h"
#include "controls/ovcomps.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line;
  return all;
}

// A file as the host hands it over: bytes from a position on, read one at a time.
struct FakeFile {
  explicit FakeFile(std::string bytes) : data(std::move(bytes)) {}
  TByteReader Reader() {
    return [this](char* byte) {
      ++calls;
      if (pos >= data.size()) return 0;
      *byte = data[pos++];
      return 1;
    };
  }
  std::string Rest() const { return data.substr(pos); }
  std::string data;
  size_t pos = 0;
  int calls = 0;
};

const char kDefaultLines[] = "-1\r\n1\r\n-1\r\n1\r\n0\r\n0\r\n100\r\n100\r\n0\r\n*.*\r\n";

TEST(SystemFileWrite, NewWindowWritesThirtyEightBytes) {
  const std::vector<std::string> lines = SystemFileLines(TPlotSettings{});
  ASSERT_EQ(lines.size(), 10u);
  for (const std::string& line : lines) EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
  EXPECT_EQ(Joined(lines), kDefaultLines);
  EXPECT_EQ(Joined(lines).size(), 38u);
}

TEST(SystemFileWrite, RealsInGeneralFormat) {
  TPlotSettings s;
  s.XMin = 0.5L;
  s.XMax = 1e20L;
  s.YMin = -0.00001L;
  s.YMax = 123456.0L;
  s.OriginX = -5;
  s.SizeY = 2147483647;
  s.ShowAxes = true;
  s.BackgroundFile = "C:\\Bilder\\Karte 1.wmf";
  const std::vector<std::string> lines = SystemFileLines(s);
  const std::vector<std::string> expected = {"0.5\r\n", "1E20\r\n", "-1E-5\r\n", "123456\r\n",
                                             "-5\r\n", "0\r\n", "100\r\n", "2147483647\r\n",
                                             "1\r\n", "C:\\Bilder\\Karte 1.wmf\r\n"};
  EXPECT_EQ(lines, expected);
}

TEST(SystemFileWrite, FileNameStaysOneLine) {
  TPlotSettings s;
  s.BackgroundFile = "a.bmp\r\nnext";
  EXPECT_EQ(SystemFileLines(s)[9], "a.bmp\r\n");
  s.BackgroundFile = std::string("b.bmp\0x", 7);
  EXPECT_EQ(SystemFileLines(s)[9], "b.bmp\r\n");
  s.BackgroundFile = std::string(2000, 'x');
  EXPECT_EQ(SystemFileLines(s)[9], std::string(997, 'x') + "\r\n");
  s.BackgroundFile = "odd\rname\n.bmp";  // lone CR and LF are ordinary characters
  EXPECT_EQ(SystemFileLines(s)[9], "odd\rname\n.bmp\r\n");
}

TEST(SystemFileRoundTrip, RestoresEveryField) {
  TPlotSettings s;
  s.XMin = -2.5L;
  s.XMax = 1e-300L;
  s.YMin = 0.1L;
  s.YMax = 1.0L / 3;
  s.OriginX = 10;
  s.OriginY = -20;
  s.SizeX = 150;
  s.SizeY = 0;
  s.ShowAxes = true;
  s.BackgroundFile = "C:\\Bilder\\Karte 1.wmf";
  FakeFile file(Joined(SystemFileLines(s)) + "NEXT BLOCK");
  TPlotSettings read;
  const TReadResult result = ReadSystemFileLines(read, file.Reader());
  EXPECT_EQ(result.Status, TReadStatus::Complete);
  EXPECT_EQ(read.XMin, s.XMin);
  EXPECT_EQ(read.XMax, s.XMax);
  EXPECT_EQ(read.YMin, s.YMin);
  EXPECT_EQ(read.YMax, TryReadReal("0.333333333333333"));  // 15 significant digits
  EXPECT_EQ(read.OriginX, 10);
  EXPECT_EQ(read.OriginY, -20);
  EXPECT_EQ(read.SizeX, 150);
  EXPECT_EQ(read.SizeY, 0);
  EXPECT_TRUE(read.ShowAxes);
  EXPECT_EQ(read.BackgroundFile, "C:\\Bilder\\Karte 1.wmf");
  EXPECT_EQ(file.Rest(), "NEXT BLOCK");  // positioned behind the tenth line
}

TPlotSettings ReadOrDie(const std::string& bytes, TReadStatus status = TReadStatus::Complete) {
  FakeFile file(bytes);
  TPlotSettings s;
  s.ShowAxes = true;
  s.BackgroundFile = "old";
  EXPECT_EQ(ReadSystemFileLines(s, file.Reader()).Status, status);
  return s;
}

TEST(SystemFileRead, NinthLineUsesLowByte) {
  EXPECT_TRUE(ReadOrDie("0\r\n1\r\n0\r\n1\r\n0\r\n0\r\n100\r\n100\r\n257\r\nx\r\n").ShowAxes);
  EXPECT_FALSE(ReadOrDie("0\r\n1\r\n0\r\n1\r\n0\r\n0\r\n100\r\n100\r\n256\r\nx\r\n").ShowAxes);
  EXPECT_TRUE(ReadOrDie("0\r\n1\r\n0\r\n1\r\n0\r\n0\r\n100\r\n100\r\n-1\r\nx\r\n").ShowAxes);
}

TEST(SystemFileRead, EmptyTenthLineIsEmptyName) {
  EXPECT_EQ(ReadOrDie("-1\r\n1\r\n-1\r\n1\r\n0\r\n0\r\n100\r\n100\r\n0\r\n\r\n").BackgroundFile,
            "");
}

TEST(SystemFileRead, NumbersMayHaveBlanksAround) {
  const TPlotSettings s =
      ReadOrDie(" 1.5 \r\n+2E1\r\n-.5\r\n7.\r\n 42 \r\n+7\r\n-3\r\n0\r\n 1\r\n  a b  \r\n");
  EXPECT_EQ(s.XMin, 1.5L);
  EXPECT_EQ(s.XMax, 20.0L);
  EXPECT_EQ(s.YMin, -0.5L);
  EXPECT_EQ(s.YMax, 7.0L);
  EXPECT_EQ(s.OriginX, 42);
  EXPECT_EQ(s.OriginY, 7);
  EXPECT_EQ(s.SizeX, -3);
  EXPECT_EQ(s.BackgroundFile, "  a b  ");
}

struct BadLineCase {
  int line;
  const char* text;
  const char* message;
};

class SystemFileBadNumber : public ::testing::TestWithParam<BadLineCase> {};

// Earlier fields take their new values, the failing line and the later ones keep the old.
TEST_P(SystemFileBadNumber, StopsAtTheLine) {
  const BadLineCase& c = GetParam();
  std::vector<std::string> lines = {"2", "3", "4", "5", "6", "7", "8", "9", "1", "new.bmp"};
  lines[static_cast<size_t>(c.line - 1)] = c.text;
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  FakeFile file(bytes);
  TPlotSettings s;
  const TReadResult result = ReadSystemFileLines(s, file.Reader());
  EXPECT_EQ(result.Status, TReadStatus::BadNumber);
  EXPECT_EQ(result.Line, c.line);
  EXPECT_EQ(result.Text, c.text);
  EXPECT_EQ(result.Message, c.message);
  EXPECT_EQ(SystemFileErrorText(result), c.message);
  const TPlotSettings old;
  const long double reals[4] = {s.XMin, s.XMax, s.YMin, s.YMax};
  const long double oldReals[4] = {old.XMin, old.XMax, old.YMin, old.YMax};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(reals[i], i + 1 < c.line ? i + 2 : oldReals[i]) << i;
  const int32_t ints[4] = {s.OriginX, s.OriginY, s.SizeX, s.SizeY};
  const int32_t oldInts[4] = {old.OriginX, old.OriginY, old.SizeX, old.SizeY};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ints[i], i + 5 < c.line ? i + 6 : oldInts[i]) << i;
  EXPECT_EQ(s.ShowAxes, c.line > 9);
  EXPECT_EQ(s.BackgroundFile, "*.*");
}

INSTANTIATE_TEST_SUITE_P(Lines, SystemFileBadNumber, ::testing::Values(
    BadLineCase{1, "abc", "'abc' ist kein g\xFCltiger Gleitkommawert"},
    BadLineCase{1, "", "'' ist kein g\xFCltiger Gleitkommawert"},
    BadLineCase{2, "1,5", "'1,5' ist kein g\xFCltiger Gleitkommawert"},
    BadLineCase{3, ".", "'.' ist kein g\xFCltiger Gleitkommawert"},
    BadLineCase{3, "E5", "'E5' ist kein g\xFCltiger Gleitkommawert"},
    BadLineCase{4, "1e5000", "'1e5000' ist kein g\xFCltiger Gleitkommawert"},
    BadLineCase{4, "1E", "'1E' ist kein g\xFCltiger Gleitkommawert"},
    BadLineCase{5, "1.5", "'1.5' ist kein g\xFCltiger Integerwert"},
    BadLineCase{6, "0x10", "'0x10' ist kein g\xFCltiger Integerwert"},
    BadLineCase{7, "2147483648", "'2147483648' ist kein g\xFCltiger Integerwert"},
    BadLineCase{8, "", "'' ist kein g\xFCltiger Integerwert"},
    BadLineCase{9, "true", "'true' ist kein g\xFCltiger Integerwert"},
    BadLineCase{9, "1 1", "'1 1' ist kein g\xFCltiger Integerwert"}));

TEST(SystemFileRead, EarlyEndKeepsWhatWasRead) {
  FakeFile file("0.5\r\n2\r\n3\r\n4\r\n");
  TPlotSettings s;
  TReadResult result = ReadSystemFileLines(s, file.Reader());
  EXPECT_EQ(result.Status, TReadStatus::EndOfFile);
  EXPECT_EQ(result.Line, 5);
  EXPECT_EQ(s.XMin, 0.5L);
  EXPECT_EQ(s.YMax, 4.0L);
  EXPECT_EQ(s.OriginX, 0);
  EXPECT_EQ(s.SizeX, 100);
  const int callsAtEnd = file.calls;
  EXPECT_EQ(callsAtEnd, 14 + 1);  // every byte once, then one read that reports the end

  // A last line without CR LF is not used.
  FakeFile cut(std::string("-1\r\n1\r\n-1\r\n1\r\n0\r\n0\r\n100\r\n100\r\n1\r\npic.bmp"));
  TPlotSettings t;
  result = ReadSystemFileLines(t, cut.Reader());
  EXPECT_EQ(result.Status, TReadStatus::EndOfFile);
  EXPECT_EQ(result.Line, 10);
  EXPECT_EQ(result.Text, "pic.bmp");
  EXPECT_TRUE(t.ShowAxes);
  EXPECT_EQ(t.BackgroundFile, "*.*");

  FakeFile empty("");
  result = ReadSystemFileLines(t, empty.Reader());
  EXPECT_EQ(result.Status, TReadStatus::EndOfFile);
  EXPECT_EQ(result.Line, 1);
}

TEST(SystemFileRead, ReadErrorEndsLikeEndOfFile) {
  int calls = 0;
  TPlotSettings s;
  const TReadResult result = ReadSystemFileLines(s, [&calls](char*) {
    ++calls;
    return -1;  // HFILE_ERROR
  });
  EXPECT_EQ(result.Status, TReadStatus::EndOfFile);
  EXPECT_EQ(calls, 1);
}

struct LineCase {
  std::string bytes;
  std::string text;
  bool complete;
  std::string rest;
};

class SystemFileLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(SystemFileLineTest, SplitsAtCrLfOnly) {
  const LineCase& c = GetParam();
  FakeFile file(c.bytes);
  const TSystemFileLine line = ReadSystemFileLine(file.Reader());
  EXPECT_EQ(line.Text, c.text);
  EXPECT_EQ(line.Complete, c.complete);
  EXPECT_FALSE(line.TooLong);
  EXPECT_EQ(file.Rest(), c.rest);
}

INSTANTIATE_TEST_SUITE_P(Lines, SystemFileLineTest, ::testing::Values(
    LineCase{"abc\r\ndef", "abc", true, "def"},
    LineCase{"\r\n", "", true, ""},
    LineCase{"a\rb\r\n", "a\rb", true, ""},
    LineCase{"a\nb\r\nc", "a\nb", true, "c"},
    LineCase{"a\r\r\n", "a\r", true, ""},
    LineCase{"\n\r\r\n", "\n\r", true, ""},
    LineCase{"a\n\r", "a\n\r", false, ""},
    LineCase{"abc", "abc", false, ""},
    LineCase{"", "", false, ""},
    LineCase{std::string("ab\0cd\r\nx", 8), "ab", true, "x"},
    LineCase{std::string("\0\r\n", 3), "", true, ""}));

TEST(SystemFileLineLimit, LongLineIsCutAndSkipped) {
  FakeFile file(std::string(2000, 'x') + "\r\nnext\r\n");
  TSystemFileLine line = ReadSystemFileLine(file.Reader());
  EXPECT_TRUE(line.Complete);
  EXPECT_TRUE(line.TooLong);
  EXPECT_EQ(line.Text, std::string(997, 'x'));
  line = ReadSystemFileLine(file.Reader());
  EXPECT_EQ(line.Text, "next");
  EXPECT_FALSE(line.TooLong);

  FakeFile fits(std::string(997, 'y') + "\r\n");
  line = ReadSystemFileLine(fits.Reader());
  EXPECT_EQ(line.Text.size(), 997u);
  EXPECT_FALSE(line.TooLong);

  // CR LF right at the limit is still found.
  FakeFile atLimit(std::string(998, 'z') + "\r\nq\r\n");
  line = ReadSystemFileLine(atLimit.Reader());
  EXPECT_TRUE(line.Complete);
  EXPECT_TRUE(line.TooLong);
  EXPECT_EQ(atLimit.Rest(), "q\r\n");

  FakeFile endless(std::string(100000, '1'));
  line = ReadSystemFileLine(endless.Reader());
  EXPECT_FALSE(line.Complete);
  EXPECT_EQ(line.Text.size(), 997u);
}

TEST(SystemFileLineLimit, LongNumberLineIsAnErrorLongNameIsCut) {
  std::string bytes = std::string(1500, ' ') + "1\r\n";
  FakeFile numbers(bytes);
  TPlotSettings s;
  TReadResult result = ReadSystemFileLines(s, numbers.Reader());
  EXPECT_EQ(result.Status, TReadStatus::BadNumber);
  EXPECT_EQ(result.Line, 1);

  bytes =
      "-1\r\n1\r\n-1\r\n1\r\n0\r\n0\r\n100\r\n100\r\n0\r\n" + std::string(1200, 'n') + "\r\nrest";
  FakeFile name(bytes);
  result = ReadSystemFileLines(s, name.Reader());
  EXPECT_EQ(result.Status, TReadStatus::Complete);
  EXPECT_EQ(s.BackgroundFile, std::string(997, 'n'));
  EXPECT_EQ(name.Rest(), "rest");
}

}  // namespace

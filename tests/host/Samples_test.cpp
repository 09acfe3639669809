#include "host/Samples.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct GoodLine {
  const char* text;
  long double x, y, control;
};

TEST(SampleLine, ReadsTheStepsOfEveryLayout) {
  const GoodLine cases[] = {
      {"1.5,2,0", 1.5L, 2, 0},
      {" 1.5 ; -2e3 ;\t5 ", 1.5L, -2000, 5},
      {"1\t2\t3", 1, 2, 3},
      {"1 2 3", 1, 2, 3},
      {"  -0.25   +4E-2  2.5", -0.25L, 0.04L, 2.5L},
      {"7,8", 7, 8, 0},     // two values: pen down
      {"1,2,5,", 1, 2, 5},  // a separator at the end, as spreadsheets write it
      {"1;2;5;;", 1, 2, 5},
      {".5,5.,0", 0.5L, 5, 0},
      // The largest 32-bit float, and what rounds to it; the control input is kept in 80 bits.
      {"3.4028235e38,-3.4028235677973366e38,0", 3.4028235e38L, -3.4028235677973366e38L, 0},
      {"0,0,1e39", 0, 0, 1e39L},
      {"1e-50,0,0", 1e-50L, 0, 0},  // underflows to zero: a point like any other
  };
  for (const GoodLine& c : cases) {
    SCOPED_TRACE(c.text);
    const TLineResult r = ParseSampleLine(c.text, false);
    ASSERT_EQ(r.Kind, TLineKind::Sample) << r.Problem;
    EXPECT_EQ(r.Sample.X, c.x);
    EXPECT_EQ(r.Sample.Y, c.y);
    EXPECT_EQ(r.Sample.Control, c.control);
  }
}

struct BadLine {
  std::string text;
  const char* problem;  // a part of the message
};

TEST(SampleLine, NamesWhatIsWrongWithABadLine) {
  const BadLine cases[] = {
      {"1,2,3,4", "4 values"},
      {"1", "1 value,"},
      {"1,,0", "y value is empty"},
      {",1,0", "x value is empty"},
      {"1,abc,0", "y value 'abc' is not a number"},
      {"1,2,high", "control value 'high'"},
      {"1,5;2,5;0", "5 values, expected x, y and control (decimal commas?"},
      {"1,5\t2,5\t0", "y value '5\\x092' is not a number (decimal commas?"},
      {"1,5 -2,5", "y value '5 -2' is not a number (decimal commas?"},
      {"1e39,0,0", "x value '1e39' lies beyond the 32-bit float range"},
      {"0,-3.41e38", "y value '-3.41e38' lies beyond the 32-bit float range"},
      {"1.5.2,0,0", "x value '1.5.2'"},
      {"nan,0,0", "x value 'nan'"},
      {"1,inf,0", "y value 'inf'"},
      {"0x10,1,0", "x value '0x10'"},
      {"1e99999,0,0", "x value '1e99999'"},
      {"1e,0,0", "x value '1e'"},
      {"x,1,2", "x value 'x'"},  // a number among the names: no header
      {"1,2,0\x01", "control value '0\\x01' is not"},
      {"1,2," + std::string(40, 'z'), "control value 'zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz...'"},
  };
  for (const BadLine& c : cases) {
    SCOPED_TRACE(c.text);
    const TLineResult r = ParseSampleLine(c.text, true);
    ASSERT_EQ(r.Kind, TLineKind::Bad);
    EXPECT_NE(r.Problem.find(c.problem), std::string::npos) << r.Problem;
  }
}

TEST(SampleLine, CommentsAreSkippedAndBlankLinesAreEmpty) {
  for (const char* text : {"# x, y, control", "  # comment", "#"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ParseSampleLine(text, true).Kind, TLineKind::Skipped);
  }
  for (const char* text : {"", "   ", "\t", " \t "}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ParseSampleLine(text, true).Kind, TLineKind::Blank);
  }
}

TEST(SampleLine, ALineOfNamesIsAHeaderOnlyWhereOneIsAllowed) {
  for (const char* text : {"x,y,control", "\"x\";\"y\";\"S\"", "x y", "time,x,y,pen"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ParseSampleLine(text, true).Kind, TLineKind::Header);
    EXPECT_EQ(ParseSampleLine(text, false).Kind, TLineKind::Bad);
  }
  // Nothing that could be read as a name: a bad line even where a header may stand.
  EXPECT_EQ(ParseSampleLine("--,--,--", true).Kind, TLineKind::Bad);
}

// Reads a whole text; collects steps (samples and pen lifts) and problems.
struct ReadAll {
  std::vector<TSample> samples;
  std::vector<TSampleProblem> problems;
  int64_t lines = 0;
  int64_t bad = 0;
  int64_t decimalCommas = 0;
  int64_t lifts = 0;
  uint64_t bytes = 0;

  explicit ReadAll(const std::string& text) {
    std::istringstream in(text);
    TSampleReader reader(in, [this](const TSampleProblem& p) { problems.push_back(p); });
    TSample s;
    while (reader.Next(s)) samples.push_back(s);
    EXPECT_EQ(reader.Samples() + reader.PenLifts(), static_cast<int64_t>(samples.size()));
    lines = reader.LinesRead();
    bad = reader.BadLines();
    decimalCommas = reader.DecimalCommaLines();
    lifts = reader.PenLifts();
    bytes = reader.BytesRead();
  }
};

TEST(SampleReader, SkipsBadLinesAndReportsThemWithTheirNumbers) {
  const std::string text =
      "\xEF\xBB\xBFx,y,control\r\n"  // line 1: byte order mark and header
      "0,0,0\r\n"
      "# pen up\r\n"
      "# \r\n"
      "1,abc,0\r\n"  // line 5
      "1,1,5\r\n"
      "1,2,3,4\r\n"  // line 7
      "2,2,0";       // no line end at the end of the file
  ReadAll r(text);
  ASSERT_EQ(r.samples.size(), 3u);
  EXPECT_EQ(r.samples[1].Control, 5);
  EXPECT_EQ(r.samples[2].X, 2);
  ASSERT_EQ(r.problems.size(), 2u);
  EXPECT_EQ(r.problems[0].Line, 5);
  EXPECT_NE(r.problems[0].Message.find("'abc'"), std::string::npos);
  EXPECT_EQ(r.problems[1].Line, 7);
  EXPECT_EQ(r.bad, 2);
  EXPECT_EQ(r.lines, 8);
  EXPECT_EQ(r.bytes, text.size());
}

TEST(SampleReader, OnlyTheFirstLineThatHoldsAnythingCanBeAHeader) {
  ReadAll late("1,2,0\nx,y,control\n3,4,0\n");
  EXPECT_EQ(late.samples.size(), 2u);
  ASSERT_EQ(late.problems.size(), 1u);
  EXPECT_EQ(late.problems[0].Line, 2);

  ReadAll afterComments("# made by hand\n\nx,y,control\n3,4,0\n");
  EXPECT_EQ(afterComments.samples.size(), 1u);
  EXPECT_TRUE(afterComments.problems.empty());
}

TEST(SampleReader, ALongLineIsOneBadLineAndTheNextLinesStillCount) {
  const std::string text =
      "1,1,0\n" + std::string(TSampleReader::kMaxLineLength + 10, '7') + "\n2,2,0\n";
  ReadAll r(text);
  ASSERT_EQ(r.samples.size(), 2u);
  EXPECT_EQ(r.samples[1].X, 2);
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].Line, 2);
  EXPECT_NE(r.problems[0].Message.find("longer than"), std::string::npos);
  EXPECT_EQ(r.bytes, text.size());
}

TEST(SampleReader, AnEmptyLineBetweenSamplesLiftsThePen) {
  // Empty lines before the first and after the last sample, and comments, lift nothing; a run
  // of empty lines lifts the pen once, with a step at the next sample's place.
  ReadAll r("\n0,0\n1,1,0\n\n \r\n# next block\n2,3,1\n4,4\n#\n\n5,6,7\n\n");
  const TSample expected[] = {{0, 0, 0}, {1, 1, 0},          {2, 3, kPenUpControl},
                              {2, 3, 1}, {4, 4, 0},          {5, 6, kPenUpControl},
                              {5, 6, 7}};
  ASSERT_EQ(r.samples.size(), std::size(expected));
  for (size_t i = 0; i < r.samples.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(r.samples[i].X, expected[i].X);
    EXPECT_EQ(r.samples[i].Y, expected[i].Y);
    EXPECT_EQ(r.samples[i].Control, expected[i].Control);
  }
  EXPECT_EQ(r.lifts, 2);
}

TEST(SampleReader, CountsTheLinesThatLookLikeDecimalCommas) {
  ReadAll r("x;y;control\n1,5;2,5;0\n2,5;3;0\n1;abc;0\n3,5 4,5 5\n");
  EXPECT_TRUE(r.samples.empty());
  EXPECT_EQ(r.bad, 4);
  EXPECT_EQ(r.decimalCommas, 3);
}

TEST(SampleReader, AnEmptyFileHasNoSamples) {
  ReadAll empty("");
  EXPECT_TRUE(empty.samples.empty());
  EXPECT_EQ(empty.lines, 0);
  ReadAll headerOnly("x,y,control\n");
  EXPECT_TRUE(headerOnly.samples.empty());
  EXPECT_TRUE(headerOnly.problems.empty());
}

TEST(SampleReader, ABinaryFileIsReportedLineByLineWithoutACrash) {
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
  ReadAll r(junk);
  EXPECT_TRUE(r.samples.empty());
  EXPECT_EQ(r.bad, static_cast<int64_t>(r.problems.size()));
  EXPECT_GT(r.bad, 0);
  EXPECT_EQ(r.bytes, junk.size());
}

}  // namespace
